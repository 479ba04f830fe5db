#include "standin/dialog/widgets.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "abi/codepage.h"
#include "abi/dialog_codes.h"
#include "standin/dialog/controls.h"
#include "standin/dialog/decimal.h"
#include "standin/trim.h"

namespace standin::dialog {

namespace {

constexpr char32_t kFieldFill = U'·';
constexpr char32_t kColumnSeparator = U'│';
// Longest row text the list takes from the dialog object.
constexpr std::size_t kMaxRowText = 1024;
// A list that keeps answering null is drawn with what it gave.
constexpr int kReadAttempts = 3;

std::uint16_t ReadU16(const std::uint8_t* in) { return static_cast<std::uint16_t>(in[0] | in[1] << 8); }
void WriteU16(std::uint8_t* out, std::uint16_t value) {
  out[0] = static_cast<std::uint8_t>(value & 0xFF);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

void DrawMarked(const Canvas& canvas, int column, int row, const MarkedText& text, Role role, Role mark_role,
                int width) {
  const int written = canvas.screen.PutText(column, row, text.text, role, width);
  for (std::size_t i = text.mark_begin; i < text.mark_end && static_cast<int>(i) < written; ++i) {
    canvas.screen.Put(column + static_cast<int>(i), row, text.text[i], mark_role);
  }
}

}  // namespace

bool Control::disabled() const { return (StateWord() & kStateDisabled) != 0; }

Role Control::TextRole(Role normal) const { return disabled() ? Role::Disabled : normal; }

// Static texts and labels ---------------------------------------------------

StaticText::StaticText(const ControlRecord& record) : Control(record), text_(ParseHotText(record.text)) {}

void StaticText::Draw(const Canvas& canvas, bool) const {
  const Role role = TextRole(Role::Normal);
  DrawMarked(canvas, canvas.left + record().column, canvas.top + record().row, text_, role,
             disabled() ? role : Role::Hot, record().width);
}

// Check boxes --------------------------------------------------------------

CheckBox::CheckBox(const ControlRecord& record) : Control(record), text_(ParseHotText(record.text)) {}

std::uint16_t CheckBox::StateWord() const {
  return static_cast<std::uint16_t>(Control::StateWord() | (checked() ? kStateChecked : 0));
}

void CheckBox::SetStateWord(std::uint16_t word) {
  Control::SetStateWord(static_cast<std::uint16_t>(word & ~kStateChecked));
  value_ = (word & kStateChecked) != 0 ? 1 : 0;
}

void CheckBox::Draw(const Canvas& canvas, bool focused) const {
  const Role role = TextRole(focused ? Role::Current : Role::Normal);
  const int x = canvas.left + record().column;
  const int y = canvas.top + record().row;
  const std::u32string box = checked() ? U"[X] " : U"[ ] ";
  const int written = canvas.screen.PutText(x, y, box, role, record().width);
  DrawMarked(canvas, x + written, y, text_, role, disabled() ? role : Role::Hot, record().width - written);
  if (focused) canvas.screen.SetCursor({x + 1, y});
}

void CheckBox::LoadValue(const std::uint8_t* in) { value_ = ReadU16(in) != 0 ? 1 : 0; }

void CheckBox::StoreValue(std::uint8_t* out) const { WriteU16(out, checked() ? 1 : 0); }

// Input lines --------------------------------------------------------------

InputLine::InputLine(const ControlRecord& record, LineEditor::Rule rule)
    : Control(record), editor_(record.input.max_length, std::move(rule)) {}

void InputLine::Focused() {
  editor_.SelectAll();
  edited_ = false;
}

InputLine::Edit InputLine::HandleKey(const Key& key) {
  const std::string before = editor_.text();
  bool accepted = true;
  switch (key.name) {
    case KeyName::Char: {
      const int byte = key.ch < 0x20 ? -1 : codepage::UnicodeToMazovia(key.ch);
      accepted = byte >= 0 && editor_.Type(static_cast<char>(byte));
      if (accepted) edited_ = true;
      break;
    }
    case KeyName::Backspace:
      accepted = editor_.Backspace();
      break;
    case KeyName::Delete:
      accepted = editor_.Delete();
      break;
    case KeyName::Left:
      editor_.Left();
      break;
    case KeyName::Right:
      editor_.Right();
      break;
    case KeyName::Home:
      editor_.Home();
      break;
    case KeyName::End:
      editor_.End();
      break;
    default:
      return Edit::NotAnEdit;
  }
  if (!accepted) return Edit::Refused;
  if (editor_.text() != before) {
    edited_ = true;
    Edited();
  }
  return Edit::Done;
}

void InputLine::Draw(const Canvas& canvas, bool focused) const {
  const int x = canvas.left + record().column;
  const int y = canvas.top + record().row;
  const int width = record().width;
  const Role role = TextRole(Role::Input);
  canvas.screen.Fill(x, y, width, 1, kFieldFill, role);
  const std::u32string text = FromMazovia(editor_.text());
  const std::size_t first = editor_.FirstVisible(static_cast<std::size_t>(width));
  const Role text_role = focused && editor_.selected() ? Role::Selection : role;
  if (first < text.size()) {
    canvas.screen.PutText(x, y, std::u32string_view(text).substr(first), text_role, width);
  }
  if (focused) canvas.screen.SetCursor({x + static_cast<int>(editor_.caret() - first), y});
}

TextInput::TextInput(const ControlRecord& record)
    : InputLine(record, {}), buffer_(static_cast<std::size_t>(record.input.max_length) + 1, '\0') {}

std::string TextInput::BufferText() {
  buffer_.back() = '\0';
  return std::string(buffer_.data());
}

bool TextInput::Accept() {
  Sync();
  ClearEdited();
  return true;
}

bool TextInput::Sync() {
  std::string text = BufferText();
  if (text == editor().text()) return false;
  editor().SetText(text);
  ClearEdited();
  return true;
}

void TextInput::Edited() {
  std::fill(buffer_.begin(), buffer_.end(), '\0');
  const std::string& text = editor().text();
  std::memcpy(buffer_.data(), text.data(), std::min(text.size(), buffer_.size() - 1));
}

void TextInput::LoadValue(const std::uint8_t* in) {
  std::memcpy(buffer_.data(), in, buffer_.size());
  editor().SetText(BufferText());
}

void TextInput::StoreValue(std::uint8_t* out) const {
  std::memcpy(out, buffer_.data(), buffer_.size());
  out[buffer_.size() - 1] = 0;
}

NumberInput::NumberInput(const ControlRecord& record)
    : InputLine(record, [decimals = record.input.decimals](std::string_view text) {
        return IsDecimalPrefix(text, decimals);
      }),
      decimals_(record.input.decimals) {
  Show(0);
}

void NumberInput::Show(std::int32_t value) {
  editor().SetText(FormatDecimal(value, decimals_));
  shown_ = value;
}

void NumberInput::Focused() {
  Show(value_);
  InputLine::Focused();
}

bool NumberInput::Accept() {
  const auto parsed = ParseDecimal(editor().text(), decimals_, record().input.low, record().input.high);
  if (!parsed) return false;
  value_ = *parsed;
  Show(value_);
  ClearEdited();
  return true;
}

bool NumberInput::Sync() {
  if (value_ == shown_) return false;
  Show(value_);
  ClearEdited();
  return true;
}

void NumberInput::LoadValue(const std::uint8_t* in) {
  std::memcpy(&value_, in, sizeof value_);
  Show(value_);
}

void NumberInput::StoreValue(std::uint8_t* out) const { std::memcpy(out, &value_, sizeof value_); }

// The list and its column header -------------------------------------------

ColumnHeader::ColumnHeader(const ControlRecord& record)
    : Control(record), columns_(ParseColumns(record.text)), widths_(LayoutColumns(columns_, record.width)) {}

void ColumnHeader::Draw(const Canvas& canvas, bool) const {
  const int y = canvas.top + record().row;
  int x = canvas.left + record().column;
  const Role role = TextRole(Role::Header);
  canvas.screen.Fill(x, y, record().width, 1, U' ', role);
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    canvas.screen.PutAligned(x, y, columns_[c].title, widths_[c], columns_[c].right_aligned, role);
    x += widths_[c];
    if (c + 1 < columns_.size()) canvas.screen.Put(x++, y, kColumnSeparator, role);
  }
}

ListBox::ListBox(const ControlRecord& record, const ColumnHeader* header, RowSource source)
    : Control(record), header_(header), source_(std::move(source)) {}

void ListBox::Refresh(bool for_picture) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    const std::intptr_t answered = source_ ? source_(korpus_abi::kCountRow) : 0;
    total_ = static_cast<std::int32_t>(std::clamp<std::intptr_t>(answered, 0, INT32_MAX));
    count_ = std::min(total_, kMaxRows);
    MoveTo(current_);
    rows_.clear();
    bool again = false;
    const std::int32_t end = std::min(count_, top_ + Height());
    for (std::int32_t row = top_; row < end; ++row) {
      const auto* text = reinterpret_cast<const char*>(source_(row));
      if (text == nullptr) {
        again = true;
        break;
      }
      if (!for_picture) continue;
      std::vector<std::u32string> fields;
      for (std::string_view field : SplitFields(std::string_view(text, strnlen(text, kMaxRowText)))) {
        fields.push_back(FromMazovia(field));
      }
      rows_.push_back(std::move(fields));
    }
    if (!again) return;
  }
}

void ListBox::MoveTo(std::int32_t row) {
  current_ = std::clamp(row, 0, std::max(count_ - 1, 0));
  if (current_ < top_) top_ = current_;
  if (current_ >= top_ + Height()) top_ = current_ - Height() + 1;
  // At the last row, the line after it comes into view too.
  if (current_ == count_ - 1 && Lines() > count_) top_ = std::max(top_, Lines() - Height());
  top_ = std::clamp(top_, 0, std::max(Lines() - Height(), 0));
  value_ = static_cast<std::uint16_t>(current_);
}

bool ListBox::Sync() {
  if (value_ == static_cast<std::uint16_t>(current_)) return false;
  MoveTo(value_);
  return true;
}

bool ListBox::HandleKey(const Key& key) {
  switch (key.name) {
    case KeyName::Up:
      MoveTo(current_ - 1);
      return true;
    case KeyName::Down:
      MoveTo(current_ + 1);
      return true;
    case KeyName::PgUp:
      top_ = std::max(top_ - Height(), 0);
      MoveTo(current_ - Height());
      return true;
    case KeyName::PgDn:
      top_ += Height();
      MoveTo(current_ + Height());
      return true;
    case KeyName::Home:
      MoveTo(0);
      return true;
    case KeyName::End:
      MoveTo(count_ - 1);
      return true;
    default:
      return false;
  }
}

void ListBox::DrawRow(const Canvas& canvas, int line, const std::vector<std::u32string>& fields, Role base) const {
  const int y = canvas.top + record().row + line;
  int x = canvas.left + record().column;
  if (header_ == nullptr) {
    std::u32string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) joined += (i == 0 ? U"" : U" ") + fields[i];
    canvas.screen.PutAligned(x, y, joined, record().width, false, base);
    return;
  }
  const auto& columns = header_->columns();
  const auto& widths = header_->widths();
  const int right_edge = canvas.left + record().column + record().width;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const int width = std::min(widths[c], right_edge - x);
    if (width < 0) break;
    const std::u32string_view field = c < fields.size() ? std::u32string_view(fields[c]) : std::u32string_view();
    canvas.screen.PutAligned(x, y, field, width, columns[c].right_aligned, base);
    const Role remark = c + 1 == columns.size() && base == Role::Normal ? RemarkRole(field) : Role::Normal;
    if (remark != Role::Normal) {
      const int length = std::min(static_cast<int>(field.size()), width);
      canvas.screen.SetRole(columns[c].right_aligned ? x + width - length : x, y, length, remark);
    }
    x += width;
    if (c + 1 < columns.size() && x < right_edge) canvas.screen.Put(x++, y, kColumnSeparator, base);
  }
}

// "(positions not shown on the list: 32774)"; the report and the saved
// check hold them all.
void ListBox::DrawNotShown(const Canvas& canvas, int line) const {
  const std::string text = "(pozycje niewidoczne na liście: " + std::to_string(total_ - count_) + ")";
  std::u32string shown;
  for (std::size_t at = 0; at < text.size();) shown += codepage::DecodeUtf8(text, at);
  const int y = canvas.top + record().row + line;
  const int x = canvas.left + record().column;
  canvas.screen.PutAligned(x, y, shown, record().width, false, Role::Disabled);
}

void ListBox::Draw(const Canvas& canvas, bool focused) const {
  const Role normal = TextRole(Role::Normal);
  static const std::vector<std::u32string> kEmptyRow;
  // Lines below the screen are not drawn.
  const int visible = std::min(Height(), std::max(canvas.screen.height() - canvas.top - record().row, 0));
  for (int line = 0; line < visible; ++line) {
    const std::int32_t row = top_ + line;
    if (row == count_ && total_ > count_) {
      DrawNotShown(canvas, line);
      continue;
    }
    const bool is_current = row == current_ && row < count_;
    const Role base = is_current && !disabled() ? (focused ? Role::Current : Role::Marked) : normal;
    const std::size_t index = static_cast<std::size_t>(line);
    DrawRow(canvas, line, row < count_ && index < rows_.size() ? rows_[index] : kEmptyRow, base);
  }
}

void ListBox::LoadValue(const std::uint8_t* in) {
  value_ = ReadU16(in);
  current_ = value_;
}

void ListBox::StoreValue(std::uint8_t* out) const { WriteU16(out, static_cast<std::uint16_t>(current_)); }

Role RemarkRole(std::u32string_view field) {
  const std::u32string_view text = Trim(field, U" ");
  if (text == U"OK") return Role::RemarkOk;
  if (text == U"DUŻO") return Role::RemarkMuch;
  if (text == U"mało") return Role::RemarkLittle;
  if (text == U"niepruf.") return Role::RemarkUnchecked;
  return Role::Normal;
}

// Buttons ------------------------------------------------------------------

Button::Button(const ControlRecord& record) : Control(record), caption_(ParseButtonCaption(record.text)) {}

void Button::Draw(const Canvas& canvas, bool focused) const {
  const int x = canvas.left + record().column;
  const int y = canvas.top + record().row;
  const int width = record().width;
  const Role role = TextRole(focused ? Role::Current : Role::Normal);
  if (width < 2) {
    DrawMarked(canvas, x, y, caption_, role, disabled() ? role : Role::Hot, width);
    return;
  }
  const int inner = width - 2;
  const int length = std::min(static_cast<int>(caption_.text.size()), inner);
  const int pad = (inner - length) / 2;
  canvas.screen.Fill(x, y, width, 1, U' ', role);
  canvas.screen.Put(x, y, U'[', role);
  canvas.screen.Put(x + width - 1, y, U']', role);
  DrawMarked(canvas, x + 1 + pad, y, caption_, role, disabled() ? role : Role::Hot, inner - pad);
}

std::unique_ptr<Control> MakeControl(const ControlRecord& record, const ColumnHeader* header,
                                     ListBox::RowSource rows) {
  switch (record.kind) {
    case kKindButton:
      return std::make_unique<Button>(record);
    case kKindCheckBox:
      return std::make_unique<CheckBox>(record);
    case kKindColumnHeader:
      return std::make_unique<ColumnHeader>(record);
    case kKindInput:
      if (record.input.numeric) return std::make_unique<NumberInput>(record);
      return std::make_unique<TextInput>(record);
    case kKindList:
      return std::make_unique<ListBox>(record, header, std::move(rows));
    default:
      return std::make_unique<StaticText>(record);
  }
}

}  // namespace standin::dialog
