// Turns what the curses library reads from a terminal into the keys of the
// engine and the host's lists. Curses decodes the keys that the terminal
// description knows; what it leaves as characters is read here: Alt as an
// Esc prefix, and the xterm key reports (CSI 27;mod;code ~ and CSI code;mod u)
// through which a terminal can send Ctrl-1 as a key of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "standin/dialog/keys.h"

namespace terminal {

// One unit as wget_wch hands it over: a character, or a key code (KEY_…).
struct Input {
  enum class Kind : std::uint8_t { Char, Code };
  Kind kind = Kind::Char;
  std::uint32_t value = 0;

  static Input Char(std::uint32_t ch) { return {Kind::Char, ch}; }
  static Input Code(std::uint32_t code) { return {Kind::Code, code}; }
};

class KeyDecoder {
 public:
  void Feed(Input input);
  // Nothing followed within the escape delay: a lone Esc is the Esc key;
  // an unfinished report is dropped.
  void Pause();
  // An Esc or a report waits for what follows: read on with a timeout.
  bool waiting() const { return state_ != State::Idle; }

  // The decoded keys, oldest first.
  std::optional<standin::Key> Take();

 private:
  enum class State : std::uint8_t { Idle, Escape, Report, Ss3 };

  void Plain(Input input);
  void Escaped(Input input);
  void Reported(Input input);
  void Ss3(Input input);
  void Emit(standin::Key key) { keys_.push_back(key); }

  State state_ = State::Idle;
  std::string report_;
  std::deque<standin::Key> keys_;
};

// The key of a curses key code; None for codes that mean nothing here.
standin::Key KeyOfCode(std::uint32_t code);

// A key report's key: a character code with xterm's modifier number
// (1 + 1 Shift + 2 Alt + 4 Ctrl).
standin::Key KeyOfReport(std::uint32_t code, std::uint32_t modifiers);

}  // namespace terminal
