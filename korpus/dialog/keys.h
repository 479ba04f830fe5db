// Keys as the front ends deliver them to the dialog engine and the host's
// lists.
#pragma once

#include <cstdint>

namespace standin {

enum class KeyName : std::uint8_t {
  None,  // no more input: the front end has nothing left to give
  Char,  // a typed character (Space included)
  Enter,
  Tab,
  ShiftTab,
  Esc,
  Up,
  Down,
  PgUp,
  PgDn,
  Home,
  End,
  Backspace,
  Delete,
  Left,
  Right,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  Alt,   // Alt with the letter in ch (upper case)
  Ctrl,  // Ctrl with the letter or digit in ch (upper case)
};

struct Key {
  KeyName name = KeyName::None;
  char32_t ch = 0;

  friend bool operator==(const Key&, const Key&) = default;
};

inline constexpr Key NoKey() { return {}; }
inline constexpr Key CharKey(char32_t ch) { return {KeyName::Char, ch}; }
inline constexpr Key NamedKey(KeyName name) { return {name, 0}; }
inline constexpr Key AltKey(char32_t letter) { return {KeyName::Alt, letter}; }
inline constexpr Key CtrlKey(char32_t letter) { return {KeyName::Ctrl, letter}; }

// Key codes of the host's templates (hot keys of buttons): Enter 13, Esc 27,
// the function keys by their scan code in the high byte (F1 0x3B00 … F10
// 0x4400, F11 0x5400, F12 0x5500). 0 when the key has no code.
constexpr std::uint16_t HostKeyCode(const Key& key) {
  switch (key.name) {
    case KeyName::Enter:
      return 13;
    case KeyName::Esc:
      return 27;
    case KeyName::Tab:
      return 9;
    case KeyName::F11:
      return 0x5400;
    case KeyName::F12:
      return 0x5500;
    default:
      break;
  }
  if (key.name >= KeyName::F1 && key.name <= KeyName::F10) {
    const int index = static_cast<int>(key.name) - static_cast<int>(KeyName::F1);
    return static_cast<std::uint16_t>((0x3B + index) << 8);
  }
  return 0;
}

}  // namespace standin
