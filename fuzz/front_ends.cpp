// Targets of the host program's front ends: the terminal's key decoder and
// the script reader with the program's own commands.
#include <ncursesw/curses.h>

#include <iostream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "app/demo_data.h"
#include "app/host_program.h"
#include "app/terminal/key_decoder.h"
#include "fuzz/targets.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/tables/value_problems.h"

namespace fuzz {

namespace {

bool IsUtf8Lines(const std::string& text) { return standin::tables::IsUtf8(text); }

}  // namespace

// Units as curses hands them over, two bytes each: the first's low bits
// say what the unit is (0, 1: a character, the second byte and the first's
// high bits making a code point; 2: a key code from KEY_MIN on; 3: the
// escape delay passing), so that escape sequences, key reports, bursts,
// UTF-8 code points and resizes all arrive.
std::string TerminalKeys(Input input) {
  terminal::KeyDecoder decoder;
  std::size_t units = 0;
  std::size_t pauses = 1;  // the last one
  std::size_t keys = 0;
  for (std::size_t at = 0; at + 1 < input.size(); at += 2) {
    const std::uint8_t tag = input[at];
    const std::uint8_t value = input[at + 1];
    switch (tag & 3) {
      case 0:
      case 1:
        decoder.Feed(terminal::Input::Char(static_cast<std::uint32_t>(value) | (static_cast<std::uint32_t>(tag >> 1) << 8)));
        ++units;
        break;
      case 2:
        decoder.Feed(terminal::Input::Code(static_cast<std::uint32_t>(KEY_MIN + value + ((tag >> 2) << 8))));
        ++units;
        break;
      default:
        decoder.Pause();
        ++pauses;
        break;
    }
    while (const auto key = decoder.Take()) {
      ++keys;
      if (key->name == standin::KeyName::None) return "a key of no name was decoded";
      if (key->name == standin::KeyName::Char && (key->ch < 0x20 || key->ch > 0x10FFFF)) {
        return "a character key that is no printable character";
      }
    }
  }
  decoder.Pause();
  while (decoder.Take()) ++keys;
  if (decoder.waiting()) return "the decoder still waits after the delay passed";
  // A pause ends a lone Esc (or Esc O) as a key of its own.
  if (keys > units + pauses) return "more keys than units";
  return "";
}

namespace {

// The demo database in memory, made once: a script cannot change it
// without the plug-in, which this target does not load.
std::shared_ptr<standin::Store> DemoStore() {
  static const std::shared_ptr<standin::Store> store = [] {
    auto made = standin::MakeMemoryStore();
    app::FillDemoData(*made);
    return made;
  }();
  return store;
}

}  // namespace

// A script of any bytes, run by the host program on the demo data, its
// plug-in missing: the reader, the commands and the registers.
std::string ScriptCommands(Input input) {
  standin::UseStore(DemoStore());
  standin::tables::Reset();
  app::Options options;
  options.load_plugin = false;
  std::ostringstream out;
  std::ostringstream errors;
  int code = 0;
  {
    std::streambuf* const saved = std::cerr.rdbuf(errors.rdbuf());
    app::HostProgram program(options, "/nonexistent/prufacja", out);
    std::istringstream script(std::string(reinterpret_cast<const char*>(input.data()), input.size()));
    code = program.RunScript(script, "fuzz.script");
    std::cerr.rdbuf(saved);
  }
  standin::UseStore(nullptr);
  if (code != 0 && code != 1) return "the script ended with " + std::to_string(code);
  const std::string error = errors.str();
  if (code == 1) {
    static const std::regex one_error(R"(fuzz\.script:[0-9]+: [^\n]+\n)");
    if (!std::regex_match(error, one_error)) return "a script error is not one line naming the script: " + error;
  } else if (!error.empty()) {
    return "errors after a script that succeeded: " + error;
  }
  if (!IsUtf8Lines(out.str())) return "the transcript is not UTF-8";
  return "";
}

}  // namespace fuzz
