// The host's dialog engine as both sides number it: the kinds of a
// template's records, the events that a dialog object receives and what it
// answers, the codes of keys, and the state bits of a control.
#pragma once

#include <cstdint>

namespace korpus_abi {

// Kinds of the records of a dialog template; a template's writer and its
// reader take them all.
inline namespace record_kinds {
inline constexpr std::uint16_t kKindDialog = 0xFFFF;
inline constexpr std::uint16_t kKindButton = 0;
inline constexpr std::uint16_t kKindCheckBox = 2;
inline constexpr std::uint16_t kKindStatic = 3;
inline constexpr std::uint16_t kKindColumnHeader = 4;
inline constexpr std::uint16_t kKindInput = 5;
inline constexpr std::uint16_t kKindList = 6;
}  // namespace record_kinds

// A button's caption names its key between these two bytes.
inline constexpr char kKeyNameOpen = 0x05;
inline constexpr char kKeyNameClose = 0x01;

// Event kinds as the dialog object receives them.
inline constexpr std::int16_t kEventOpening = -2;
inline constexpr std::int16_t kEventFocus = -1;
inline constexpr std::int16_t kEventCommand = 1;
inline constexpr std::int16_t kEventClosing = 2;
inline constexpr std::int16_t kEventListChoice = 4;

// The row that a list asks its source for to learn how many rows it has.
inline constexpr std::int16_t kCountRow = -1;

// An event's result meaning: taken completely, the focus stays.
inline constexpr std::int32_t kResultStay = -2;

// The command of the " OK" button, which ends a dialog.
inline constexpr std::int16_t kCommandOk = 0x5001;

// Key codes, as a template's buttons name their keys and as commands and
// list events carry them: Enter, Esc and Tab by their character, the
// function keys by their scan code in the high byte (F1 … F10 0x3B … 0x44,
// F11 and F12 0x54 and 0x55).
inline constexpr std::uint16_t kKeyTab = 9;
inline constexpr std::uint16_t kKeyEnter = 13;
inline constexpr std::uint16_t kKeyEsc = 27;
constexpr std::uint16_t FunctionKey(int n) { return static_cast<std::uint16_t>((n <= 10 ? 0x3A + n : 0x49 + n) << 8); }

// State bits of a control (the control-state entry); the dialog's own
// word, control 0, takes the redraw bit.
inline constexpr std::uint16_t kStateChecked = 0x0001;
inline constexpr std::uint16_t kStateDisabled = 0x0002;
inline constexpr std::uint16_t kStateRedraw = 0x8000;

}  // namespace korpus_abi
