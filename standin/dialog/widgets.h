// The controls of a running dialog, one type per kind of template record.
// Each keeps its own value and state word and draws itself; the dialog
// (engine.h) owns the focus, the keys and the events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "standin/dialog/keys.h"
#include "standin/dialog/line_editor.h"
#include "standin/dialog/markup.h"
#include "standin/dialog/screen.h"
#include "standin/dialog/template_reader.h"

namespace standin::dialog {

// Where a control draws: the dialog's top left corner on the screen.
struct Canvas {
  Screen& screen;
  int left = 0;
  int top = 0;
};

class InputLine;
class ListBox;
class CheckBox;
class Button;
class ColumnHeader;

class Control {
 public:
  explicit Control(const ControlRecord& record) : record_(record) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlRecord& record() const { return record_; }
  std::int16_t id() const { return record_.id; }
  bool disabled() const;

  virtual std::uint16_t StateWord() const { return state_; }
  virtual void SetStateWord(std::uint16_t word) { state_ = word; }

  // Whether a control of this kind can hold the focus at all.
  virtual bool TakesFocus() const { return false; }
  virtual void Draw(const Canvas& canvas, bool focused) const = 0;

  // The value in the value buffer: its size, and its bytes in and out.
  virtual std::size_t ValueSize() const { return 0; }
  virtual void LoadValue(const std::uint8_t*) {}
  virtual void StoreValue(std::uint8_t*) const {}
  // The address that the value entry hands out; null for controls without
  // a value.
  virtual void* ValueAddress() { return nullptr; }

  // The kinds that the engine treats apart, asked on every key: cheaper
  // than a type lookup, which compares names across libraries.
  virtual InputLine* AsInputLine() { return nullptr; }
  virtual ListBox* AsListBox() { return nullptr; }
  virtual CheckBox* AsCheckBox() { return nullptr; }
  virtual Button* AsButton() { return nullptr; }
  virtual ColumnHeader* AsColumnHeader() { return nullptr; }

 protected:
  Role TextRole(Role normal) const;

 private:
  ControlRecord record_;
  std::uint16_t state_ = 0;
};

class StaticText final : public Control {
 public:
  explicit StaticText(const ControlRecord& record);
  void Draw(const Canvas& canvas, bool focused) const override;

 private:
  MarkedText text_;
};

class CheckBox final : public Control {
 public:
  CheckBox* AsCheckBox() override { return this; }
  explicit CheckBox(const ControlRecord& record);

  bool checked() const { return value_ != 0; }
  void Toggle() { value_ = checked() ? 0 : 1; }

  std::uint16_t StateWord() const override;
  void SetStateWord(std::uint16_t word) override;
  bool TakesFocus() const override { return true; }
  void Draw(const Canvas& canvas, bool focused) const override;
  std::size_t ValueSize() const override { return 2; }
  void LoadValue(const std::uint8_t* in) override;
  void StoreValue(std::uint8_t* out) const override;
  void* ValueAddress() override { return &value_; }

 private:
  MarkedText text_;
  std::uint16_t value_ = 0;
};

// The part that text and number lines share: the editor and whether the
// user changed the text since it was last accepted.
class InputLine : public Control {
 public:
  InputLine* AsInputLine() override { return this; }
  enum class Edit : std::uint8_t { NotAnEdit, Done, Refused };

  InputLine(const ControlRecord& record, LineEditor::Rule rule);

  bool edited() const { return edited_; }
  bool TakesFocus() const override { return true; }
  void Draw(const Canvas& canvas, bool focused) const override;

  // The focus has entered: the whole text is selected.
  virtual void Focused();
  Edit HandleKey(const Key& key);
  // The value is taken from the text; false when the text is no value.
  virtual bool Accept() = 0;
  // Takes over a value written from outside; true when it changed.
  virtual bool Sync() = 0;

  const LineEditor& editor() const { return editor_; }

 protected:
  // The editor's text changed by an edit.
  virtual void Edited() {}
  LineEditor& editor() { return editor_; }
  void ClearEdited() { edited_ = false; }

 private:
  mutable LineEditor editor_;
  bool edited_ = false;
};

class TextInput final : public InputLine {
 public:
  explicit TextInput(const ControlRecord& record);

  bool Accept() override;
  bool Sync() override;
  std::size_t ValueSize() const override { return buffer_.size(); }
  void LoadValue(const std::uint8_t* in) override;
  void StoreValue(std::uint8_t* out) const override;
  void* ValueAddress() override { return buffer_.data(); }

 private:
  void Edited() override;
  std::string BufferText();

  // The text as the plug-in reads and writes it: at most max_length
  // characters and a NUL.
  std::vector<char> buffer_;
};

class NumberInput final : public InputLine {
 public:
  explicit NumberInput(const ControlRecord& record);

  std::int32_t value() const { return value_; }
  void Focused() override;
  bool Accept() override;
  bool Sync() override;
  std::size_t ValueSize() const override { return 4; }
  void LoadValue(const std::uint8_t* in) override;
  void StoreValue(std::uint8_t* out) const override;
  void* ValueAddress() override { return &value_; }

 private:
  void Show(std::int32_t value);

  int decimals_;
  std::int32_t value_ = 0;
  std::int32_t shown_ = 0;  // the value that the editor's text shows
};

class ColumnHeader final : public Control {
 public:
  ColumnHeader* AsColumnHeader() override { return this; }
  explicit ColumnHeader(const ControlRecord& record);

  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<int>& widths() const { return widths_; }
  void Draw(const Canvas& canvas, bool focused) const override;

 private:
  std::vector<Column> columns_;
  std::vector<int> widths_;
};

// The list asks its rows from the dialog object: row -1 for the count, a
// row index for the row's text (Mazovia, fields separated by "\r"), and a
// null row as the sign to read the rows again. Row indexes are the host's
// 16-bit ones: a list shows at most kMaxRows rows, and a longer one ends
// with a line of the list's own that says how many are not shown.
class ListBox final : public Control {
 public:
  ListBox* AsListBox() override { return this; }
  using RowSource = std::function<std::intptr_t(std::int32_t row)>;
  static constexpr std::int32_t kMaxRows = 32767;

  ListBox(const ControlRecord& record, const ColumnHeader* header, RowSource source);

  // The rows shown, and the count that the object gave.
  std::int32_t count() const { return count_; }
  std::int32_t total() const { return total_; }
  std::int32_t current() const { return count_ == 0 ? -1 : current_; }
  std::int32_t top() const { return top_; }

  // Reads the count and the visible rows, as a redraw does; only a picture
  // keeps their texts.
  void Refresh(bool for_picture);
  // Picks up a row written through the value address; true when it moved.
  bool Sync();
  // Up, Down, PgUp, PgDn, Home, End; false for every other key.
  bool HandleKey(const Key& key);

  bool TakesFocus() const override { return true; }
  void Draw(const Canvas& canvas, bool focused) const override;
  std::size_t ValueSize() const override { return 2; }
  void LoadValue(const std::uint8_t* in) override;
  void StoreValue(std::uint8_t* out) const override;
  void* ValueAddress() override { return &value_; }

 private:
  int Height() const { return record().height; }
  void MoveTo(std::int32_t row);
  void DrawRow(const Canvas& canvas, int line, const std::vector<std::u32string>& fields, Role base) const;
  void DrawNotShown(const Canvas& canvas, int line) const;
  // Lines that the list scrolls through: its rows and the line of rows not
  // shown.
  std::int32_t Lines() const { return count_ + (total_ > count_ ? 1 : 0); }

  const ColumnHeader* header_;
  RowSource source_;
  std::int32_t total_ = 0;
  std::int32_t count_ = 0;
  std::int32_t current_ = 0;
  std::int32_t top_ = 0;
  std::uint16_t value_ = 0;
  std::vector<std::vector<std::u32string>> rows_;  // the visible rows' fields
};

class Button final : public Control {
 public:
  Button* AsButton() override { return this; }
  explicit Button(const ControlRecord& record);

  // The key that presses the button: a key code (13 Enter, 0x3E00 F4 …).
  std::uint16_t key_code() const { return record().hot_key; }
  bool TakesFocus() const override { return true; }
  void Draw(const Canvas& canvas, bool focused) const override;

 private:
  MarkedText caption_;
};

// A control for a record; the list is given the header before it.
std::unique_ptr<Control> MakeControl(const ControlRecord& record, const ColumnHeader* header,
                                     ListBox::RowSource rows);

// Role of the remark texts that the list colours.
Role RemarkRole(std::u32string_view field);

}  // namespace standin::dialog
