#include "standin/dialog/template_reader.h"

#include <cstring>

namespace standin::dialog {

namespace {

constexpr std::size_t kHeadSize = 20;
constexpr std::size_t kNumberInputFixed = 44;
// The input's own words start after the head and eight reserved bytes.
constexpr std::size_t kInputWords = kHeadSize + 8;

class Reader {
 public:
  Reader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(bytes_[at] | static_cast<unsigned>(bytes_[at + 1]) << 8);
  }
  std::int32_t I32(std::size_t at) const {
    const std::uint32_t value = U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
    return static_cast<std::int32_t>(value);
  }

  // The text at `at` up to its NUL; advances past the NUL.
  std::optional<std::string_view> Text(std::size_t& at) const {
    if (at >= size_) return std::nullopt;
    const void* nul = std::memchr(bytes_ + at, 0, size_ - at);
    if (nul == nullptr) return std::nullopt;
    const auto length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - (bytes_ + at));
    std::string_view text(reinterpret_cast<const char*>(bytes_ + at), length);
    at += length + 1;
    return text;
  }

  std::optional<ControlRecord> Record(std::size_t& at) const {
    if (!Has(at, 4)) return std::nullopt;
    std::size_t head = at;
    std::size_t fixed = kHeadSize;
    const bool input = U16(at) == kKindInput;
    if (input) {
      fixed = U16(at + 2);
      head = at + 4;
      if (fixed < kInputWords + 2) return std::nullopt;
    }
    if (!Has(head, fixed)) return std::nullopt;
    ControlRecord record;
    record.kind = U16(head);
    record.id = static_cast<std::int16_t>(U16(head + 2));
    record.style = U16(head + 4);
    record.hot_key = U16(head + 6);
    record.column = U16(head + 8);
    record.row = U16(head + 10);
    record.width = U16(head + 12);
    record.height = U16(head + 14);
    if (input) {
      record.kind = kKindInput;
      record.input.max_length = U16(head + kInputWords);
      record.input.numeric = fixed >= kNumberInputFixed;
      if (record.input.numeric) {
        record.input.decimals = U16(head + kInputWords + 2);
        record.input.low = I32(head + kInputWords + 8);
        record.input.high = I32(head + kInputWords + 12);
      }
    }
    std::size_t text_at = head + fixed;
    const auto text = Text(text_at);
    if (!text) return std::nullopt;
    record.text = *text;
    at = text_at;
    return record;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};

}  // namespace

std::optional<TemplateView> ReadTemplate(const void* bytes) {
  if (bytes == nullptr) return std::nullopt;
  const auto* raw = static_cast<const std::uint8_t*>(bytes);
  const Reader header(raw, 8);
  const std::uint32_t following = header.U16(0) | static_cast<std::uint32_t>(header.U16(2)) << 16;
  const std::uint16_t dialog_bytes = header.U16(4);
  const std::uint16_t count = header.U16(6);
  // The record bytes are counted twice; they must agree.
  if (following != std::uint32_t{dialog_bytes} + 4u) return std::nullopt;

  const Reader reader(raw, std::size_t{8} + dialog_bytes);
  std::size_t at = 8;
  TemplateView view;
  auto dialog = reader.Record(at);
  if (!dialog || dialog->kind != kKindDialog) return std::nullopt;
  view.dialog = *dialog;
  view.controls.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    auto record = reader.Record(at);
    if (!record) return std::nullopt;
    view.controls.push_back(*record);
  }
  return view;
}

}  // namespace standin::dialog
