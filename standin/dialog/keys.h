// Keys as the front ends deliver them to the dialog engine and the host's
// lists.
#pragma once

#include <cstdint>

#include "abi/dialog_codes.h"

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

// Key codes of the host's templates (hot keys of buttons): Enter, Esc, Tab
// and the function keys (abi/dialog_codes.h). 0 when the key has no code.
constexpr std::uint16_t HostKeyCode(const Key& key) {
  switch (key.name) {
    case KeyName::Enter:
      return korpus_abi::kKeyEnter;
    case KeyName::Esc:
      return korpus_abi::kKeyEsc;
    case KeyName::Tab:
      return korpus_abi::kKeyTab;
    default:
      break;
  }
  if (key.name >= KeyName::F1 && key.name <= KeyName::F12) {
    return korpus_abi::FunctionKey(static_cast<int>(key.name) - static_cast<int>(KeyName::F1) + 1);
  }
  return 0;
}

}  // namespace standin
