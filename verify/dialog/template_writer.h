// Dialog templates in the host's format: a header, the dialog record, then
// the control records. The plug-in's own is written at compile time; tests
// write others.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "abi/dialog_codes.h"

namespace verify::dialog_template {

// The record kinds, for those who write a template.
using namespace korpus_abi::record_kinds;

struct TemplateHead {
  std::uint16_t kind;
  std::int16_t id;
  std::uint16_t style;
  std::uint16_t hot_key;
  std::uint16_t column;
  std::uint16_t row;
  std::uint16_t width;
  std::uint16_t height;
};

template <std::size_t Capacity>
class TemplateWriter {
 public:
  constexpr void Record(const TemplateHead& head, const char* text) {
    WriteHead(head);
    Text(text);
    ++records_;
  }

  constexpr void Button(const TemplateHead& head, const char* key_name, const char* caption) {
    WriteHead(head);
    Byte(korpus_abi::kKeyNameOpen);
    Chars(key_name);
    Byte(korpus_abi::kKeyNameClose);
    Text(caption);
    ++records_;
  }

  // An input line: the kind and the length of its fixed part, then the
  // fixed part (head and the line's own words), then its text.
  constexpr void TextInput(const TemplateHead& head, std::uint16_t max_length, std::uint16_t a, std::uint16_t b,
                           std::uint16_t c, std::uint16_t d) {
    U16(kKindInput);
    U16(38);
    WriteHead(head);
    Zeros(8);
    U16(max_length);
    U16(a);
    U16(b);
    U16(c);
    U16(d);
    Text("");
    ++records_;
  }

  constexpr void NumberInput(const TemplateHead& head, std::uint16_t max_length, std::uint16_t decimals, std::int32_t low,
                             std::int32_t high) {
    U16(kKindInput);
    U16(44);
    WriteHead(head);
    Zeros(8);
    U16(max_length);
    U16(decimals);
    U16(0);
    U16(0);
    U32(static_cast<std::uint32_t>(low));
    U32(static_cast<std::uint32_t>(high));
    Text("");
    ++records_;
  }

  // The header counts the records after the dialog record and the bytes up
  // to the last text's NUL; a zero byte fills the block to a multiple of 4.
  // Answers the size of the block.
  constexpr std::size_t Finish() {
    const std::size_t end = at_;
    at_ = 0;
    U32(static_cast<std::uint32_t>(end - 4));
    U16(static_cast<std::uint16_t>(end - 8));
    U16(static_cast<std::uint16_t>(records_ - 1));
    if (end % 4 != 0) bytes_.at(end) = 0;
    return end + (4 - end % 4) % 4;
  }

  constexpr const std::array<std::uint8_t, Capacity>& bytes() const { return bytes_; }

 private:
  constexpr void Byte(char value) { bytes_.at(at_++) = static_cast<std::uint8_t>(value); }
  constexpr void U16(std::uint16_t value) {
    bytes_.at(at_++) = static_cast<std::uint8_t>(value & 0xFF);
    bytes_.at(at_++) = static_cast<std::uint8_t>(value >> 8);
  }
  constexpr void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value & 0xFFFF));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  constexpr void Zeros(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Byte(0);
  }
  constexpr void Chars(const char* text) {
    while (*text != '\0') Byte(*text++);
  }
  constexpr void Text(const char* text) {
    Chars(text);
    Byte(0);
  }
  constexpr void WriteHead(const TemplateHead& head) {
    U16(head.kind);
    U16(static_cast<std::uint16_t>(head.id));
    U16(head.style);
    U16(head.hot_key);
    U16(head.column);
    U16(head.row);
    U16(head.width);
    U16(head.height);
    U32(0);
  }

  std::array<std::uint8_t, Capacity> bytes_{};
  std::size_t at_ = 8;
  int records_ = 0;
};

}  // namespace verify::dialog_template
