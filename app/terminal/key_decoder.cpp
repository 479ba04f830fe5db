#include "app/terminal/key_decoder.h"

#include <ncursesw/curses.h>

#include <array>
#include <string_view>

namespace terminal {

namespace {

using standin::AltKey;
using standin::CharKey;
using standin::CtrlKey;
using standin::Key;
using standin::KeyName;
using standin::NamedKey;

constexpr std::uint32_t kEsc = 27;
// A report longer than this is no key: it is read to its end and dropped.
constexpr std::size_t kMaxReport = 32;

bool IsAsciiLetter(std::uint32_t ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool IsDigit(std::uint32_t ch) { return ch >= '0' && ch <= '9'; }
char32_t Upper(std::uint32_t ch) { return ch >= 'a' && ch <= 'z' ? ch - ('a' - 'A') : ch; }
bool IsPrintable(std::uint32_t ch) {
  return ch >= 0x20 && ch != 0x7F && !(ch >= 0x80 && ch < 0xA0) && !(ch >= 0xD800 && ch < 0xE000) && ch <= 0x10FFFF;
}

// The numbers of a report's parameters; a sub-parameter after ':' is left
// out, a missing number is 0.
std::array<std::uint32_t, 3> Numbers(std::string_view params) {
  std::array<std::uint32_t, 3> numbers{};
  std::size_t index = 0;
  bool sub = false;
  for (char c : params) {
    if (c == ';') {
      if (++index == numbers.size()) break;
      sub = false;
    } else if (c == ':') {
      sub = true;
    } else if (!sub && c >= '0' && c <= '9' && numbers[index] < 0x10FFFF) {
      numbers[index] = numbers[index] * 10 + static_cast<std::uint32_t>(c - '0');
    }
  }
  return numbers;
}

// CSI n ~ of the VT keyboard.
Key TildeKey(std::uint32_t n) {
  switch (n) {
    case 1: case 7: return NamedKey(KeyName::Home);
    case 4: case 8: return NamedKey(KeyName::End);
    case 3: return NamedKey(KeyName::Delete);
    case 5: return NamedKey(KeyName::PgUp);
    case 6: return NamedKey(KeyName::PgDn);
    case 11: return NamedKey(KeyName::F1);
    case 12: return NamedKey(KeyName::F2);
    case 13: return NamedKey(KeyName::F3);
    case 14: return NamedKey(KeyName::F4);
    case 15: return NamedKey(KeyName::F5);
    case 17: return NamedKey(KeyName::F6);
    case 18: return NamedKey(KeyName::F7);
    case 19: return NamedKey(KeyName::F8);
    case 20: return NamedKey(KeyName::F9);
    case 21: return NamedKey(KeyName::F10);
    case 23: return NamedKey(KeyName::F11);
    case 24: return NamedKey(KeyName::F12);
    default: return standin::NoKey();
  }
}

// The final letters that VT terminals share between CSI and SS3.
Key LetterKey(char final) {
  switch (final) {
    case 'A': return NamedKey(KeyName::Up);
    case 'B': return NamedKey(KeyName::Down);
    case 'C': return NamedKey(KeyName::Right);
    case 'D': return NamedKey(KeyName::Left);
    case 'H': return NamedKey(KeyName::Home);
    case 'F': return NamedKey(KeyName::End);
    case 'P': return NamedKey(KeyName::F1);
    case 'Q': return NamedKey(KeyName::F2);
    case 'R': return NamedKey(KeyName::F3);
    case 'S': return NamedKey(KeyName::F4);
    default: return standin::NoKey();
  }
}

Key ReportKey(std::string_view params, char final) {
  const auto numbers = Numbers(params);
  if (final == 'u') return KeyOfReport(numbers[0], numbers[1]);
  if (final == '~') return numbers[0] == 27 ? KeyOfReport(numbers[2], numbers[1]) : TildeKey(numbers[0]);
  if (final == 'Z') return NamedKey(KeyName::ShiftTab);
  return LetterKey(final);
}

}  // namespace

Key KeyOfCode(std::uint32_t code) {
  if (code >= static_cast<std::uint32_t>(KEY_F(1)) && code <= static_cast<std::uint32_t>(KEY_F(12))) {
    const auto index = static_cast<int>(code) - KEY_F(1);
    return NamedKey(static_cast<KeyName>(static_cast<int>(KeyName::F1) + index));
  }
  switch (code) {
    case KEY_UP: return NamedKey(KeyName::Up);
    case KEY_DOWN: return NamedKey(KeyName::Down);
    case KEY_LEFT: return NamedKey(KeyName::Left);
    case KEY_RIGHT: return NamedKey(KeyName::Right);
    case KEY_HOME: return NamedKey(KeyName::Home);
    case KEY_END: return NamedKey(KeyName::End);
    case KEY_PPAGE: return NamedKey(KeyName::PgUp);
    case KEY_NPAGE: return NamedKey(KeyName::PgDn);
    case KEY_DC: return NamedKey(KeyName::Delete);
    case KEY_BACKSPACE: return NamedKey(KeyName::Backspace);
    case KEY_ENTER: return NamedKey(KeyName::Enter);
    case KEY_BTAB: return NamedKey(KeyName::ShiftTab);
    default: return standin::NoKey();
  }
}

Key KeyOfReport(std::uint32_t code, std::uint32_t modifiers) {
  const std::uint32_t bits = modifiers > 0 ? modifiers - 1 : 0;
  const bool shift = (bits & 1) != 0;
  const bool alt = (bits & 2) != 0;
  const bool ctrl = (bits & 4) != 0;
  switch (code) {
    case 13: return NamedKey(KeyName::Enter);
    case 9: return NamedKey(shift ? KeyName::ShiftTab : KeyName::Tab);
    case kEsc: return NamedKey(KeyName::Esc);
    case 8: case 127: return NamedKey(KeyName::Backspace);
    default: break;
  }
  if (IsAsciiLetter(code) || IsDigit(code)) {
    if (ctrl) return CtrlKey(Upper(code));
    if (alt) return AltKey(Upper(code));
    return CharKey(shift ? Upper(code) : code);
  }
  if (!IsPrintable(code)) return standin::NoKey();
  return alt ? AltKey(code) : CharKey(code);
}

void KeyDecoder::Feed(Input input) {
  switch (state_) {
    case State::Idle: Plain(input); return;
    case State::Escape: Escaped(input); return;
    case State::Report: Reported(input); return;
    case State::Ss3: Ss3(input); return;
  }
}

void KeyDecoder::Pause() {
  if (state_ == State::Escape) Emit(NamedKey(KeyName::Esc));
  if (state_ == State::Ss3) Emit(AltKey(U'O'));
  state_ = State::Idle;
  report_.clear();
}

std::optional<Key> KeyDecoder::Take() {
  if (keys_.empty()) return std::nullopt;
  const Key key = keys_.front();
  keys_.pop_front();
  return key;
}

void KeyDecoder::Plain(Input input) {
  if (input.kind == Input::Kind::Code) {
    if (const Key key = KeyOfCode(input.value); key.name != KeyName::None) Emit(key);
    return;
  }
  const std::uint32_t ch = input.value;
  switch (ch) {
    case '\r': case '\n': Emit(NamedKey(KeyName::Enter)); return;
    case '\t': Emit(NamedKey(KeyName::Tab)); return;
    case 8: case 127: Emit(NamedKey(KeyName::Backspace)); return;
    case kEsc: state_ = State::Escape; return;
    default: break;
  }
  if (ch >= 1 && ch <= 26) {
    Emit(CtrlKey(U'A' + ch - 1));
    return;
  }
  if (IsPrintable(ch)) Emit(CharKey(ch));
}

void KeyDecoder::Escaped(Input input) {
  state_ = State::Idle;
  if (input.kind == Input::Kind::Char) {
    const std::uint32_t ch = input.value;
    if (ch == '[') {
      state_ = State::Report;
      report_.clear();
      return;
    }
    if (ch == 'O') {
      state_ = State::Ss3;
      return;
    }
    if (ch == kEsc) {
      Emit(NamedKey(KeyName::Esc));
      state_ = State::Escape;
      return;
    }
    if (IsPrintable(ch)) {
      Emit(AltKey(IsAsciiLetter(ch) ? Upper(ch) : ch));
      return;
    }
  }
  // Alt with a key that has no Alt form here (Alt-F4, Alt-Enter as some
  // terminals send them): the key alone. A person cannot follow Esc with
  // another key within the escape delay, and an Esc taken for one would
  // close the dialog.
  Plain(input);
}

void KeyDecoder::Reported(Input input) {
  const std::uint32_t ch = input.value;
  if (input.kind == Input::Kind::Char && ch >= 0x20 && ch <= 0x3F) {
    if (report_.size() <= kMaxReport) report_ += static_cast<char>(ch);
    return;
  }
  state_ = State::Idle;
  if (input.kind == Input::Kind::Char && ch >= 0x40 && ch <= 0x7E) {
    const Key key = report_.size() > kMaxReport ? standin::NoKey() : ReportKey(report_, static_cast<char>(ch));
    report_.clear();
    if (key.name != KeyName::None) Emit(key);
    return;
  }
  // Not a report after all: what broke it off is a key of its own.
  report_.clear();
  Plain(input);
}

void KeyDecoder::Ss3(Input input) {
  state_ = State::Idle;
  if (input.kind == Input::Kind::Char && input.value < 0x80) {
    const char final = static_cast<char>(input.value);
    if (final == 'M') {
      Emit(NamedKey(KeyName::Enter));
      return;
    }
    if (const Key key = LetterKey(final); key.name != KeyName::None) {
      Emit(key);
      return;
    }
  }
  Emit(AltKey(U'O'));
  Plain(input);
}

}  // namespace terminal
