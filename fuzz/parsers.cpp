// Targets of the stand-in's own readers: the INI document and the dialog
// template. Neither needs the plug-in; both take any bytes.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "standin/dialog/engine.h"
#include "standin/dialog/template_reader.h"
#include "standin/frontend.h"
#include "standin/ini/ini_document.h"

namespace fuzz {

namespace {

std::string_view Text(Input input) { return {reinterpret_cast<const char*>(input.data()), input.size()}; }

// The lines of the bytes as the document writes them: each ends in CR LF.
std::string Normalised(std::string_view bytes) {
  std::string out;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.append(line);
    out += "\r\n";
    start = last ? bytes.size() : end + 1;
  }
  return out;
}

}  // namespace

std::string IniDocument(Input input) {
  using standin::ini::Document;
  const std::string_view bytes = Text(input);
  const Document document = Document::Parse(bytes);
  const std::string written = document.Serialize();
  if (Document::Parse(written).Serialize() != written) return "a written file reads back otherwise";
  // Untouched lines go back as they were; only line ends may change (a
  // lone CR, a NUL or a Ctrl-Z may end the reading early).
  const std::string normalised = Normalised(bytes);
  if (written.size() > normalised.size()) return "the file grew without a change";

  // Keys as the plug-in writes them, set and read back; every other key
  // keeps its value.
  const auto before = document.Find("Nr_faktury", "Ilosc");
  Document changed = document;
  const char* const values[] = {"FV 1/2024", "", "\"quoted\"", "r=1,2,3"};
  for (const char* value : values) {
    if (!standin::ini::IsValue(value)) continue;
    changed.Set("Nr_faktury", "Nr fakt.", value);
    const auto found = changed.Find("Nr_faktury", "Nr fakt.");
    if (!found) return "a key set is not found";
    if (changed.Find("Nr_faktury", "Ilosc") != before) return "setting one key changed another";
    const std::string again = changed.Serialize();
    if (Document::Parse(again).Find("Nr_faktury", "Nr fakt.") != found) return "a key set reads back otherwise";
  }
  return "";
}

namespace {

class Silent final : public standin::FrontEnd {
 public:
  explicit Silent(Input keys) : keys_(keys) {}
  std::int16_t ShowBox(const standin::BoxRequest&) override { return 0; }
  void ShowNotice(const std::string&, std::int16_t&) override {}
  int ShowSystemBox(const std::string&, const std::string&) override { return 3; }
  standin::Key NextKey() override {
    if (at_ >= keys_.size() || ++given_ > 64) return {standin::KeyName::None, 0};
    const std::uint8_t byte = keys_[at_++];
    static const standin::KeyName kNamed[] = {
        standin::KeyName::Enter, standin::KeyName::Tab,  standin::KeyName::ShiftTab, standin::KeyName::Up,
        standin::KeyName::Down,  standin::KeyName::PgUp, standin::KeyName::PgDn,     standin::KeyName::Home,
        standin::KeyName::End,   standin::KeyName::Delete, standin::KeyName::Backspace, standin::KeyName::Left,
        standin::KeyName::Right, standin::KeyName::F4,   standin::KeyName::F5,       standin::KeyName::F12};
    if (byte >= 0xF0) return {kNamed[byte & 0x0F], 0};
    if (byte >= 0xD0) return standin::AltKey(static_cast<char32_t>('A' + (byte - 0xD0) % 26));
    return {standin::KeyName::Char, static_cast<char32_t>(byte < 0x20 ? '0' + byte % 10 : byte)};
  }
  void Present(const standin::Screen&) override {}

 private:
  Input keys_;
  std::size_t at_ = 0;
  int given_ = 0;
};

class Rows final : public standin::dialog::DialogClient {
 public:
  std::int32_t Event(std::int16_t, std::int16_t) override { return 0; }
  std::intptr_t Row(std::int32_t row) override {
    if (row == -1) return 3;
    return reinterpret_cast<std::intptr_t>(row < 0 || row > 2 ? "" : "Nit\rN1\r1.00\r2.00\rmało");
  }
};

}  // namespace

// The first two bytes say how many of the rest are the template (a
// template is read from its own header, so the block is padded with zeros
// up to what the header counts); what follows are keys for the dialog.
std::string DialogTemplate(Input input) {
  if (input.size() < 2) return "";
  const std::size_t length = std::min<std::size_t>(input[0] | input[1] << 8, input.size() - 2);
  const Input bytes = input.subspan(2, length);
  const Input keys = input.subspan(2 + length);
  std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
  block.resize(std::max<std::size_t>(block.size(), 8));
  const std::size_t counted = 8u + (block[4] | block[5] << 8);
  block.resize(std::max(block.size(), counted));

  const auto view = standin::dialog::ReadTemplate(block.data());
  if (!view) return "";
  for (const auto& control : view->controls) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(control.text.data());
    if (!control.text.empty() && (text < block.data() || text + control.text.size() > block.data() + block.size())) {
      return "a control's text lies outside the template";
    }
  }
  Silent front(keys);
  Rows rows;
  standin::dialog::Dialog dialog(*view, rows, front);
  std::vector<std::uint8_t> values(dialog.ValueBytes() + 1, 0);
  const std::int32_t result = dialog.Run(values.data());
  if (dialog.Store(values.data()) > dialog.ValueBytes()) return "the values passed their buffer";
  (void)result;
  dialog.Render();
  return "";
}

}  // namespace fuzz
