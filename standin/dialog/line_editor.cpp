#include "standin/dialog/line_editor.h"

#include <algorithm>

namespace standin::dialog {

void LineEditor::SetText(std::string_view text) {
  text_.assign(text);
  caret_ = text_.size();
  selected_ = false;
}

void LineEditor::SelectAll() {
  selected_ = true;
  caret_ = text_.size();
}

bool LineEditor::Replace(std::string candidate, std::size_t caret) {
  // A text set from outside may be longer than typing allows; it may
  // shrink, never grow.
  if (candidate.size() > max_length_ && candidate.size() >= text_.size()) return false;
  if (rule_ && !rule_(candidate)) return false;
  text_ = std::move(candidate);
  caret_ = std::min(caret, text_.size());
  selected_ = false;
  return true;
}

bool LineEditor::Type(char byte) {
  if (selected()) return Replace(std::string(1, byte), 1);
  std::string candidate = text_;
  candidate.insert(caret_, 1, byte);
  return Replace(std::move(candidate), caret_ + 1);
}

bool LineEditor::Backspace() {
  if (selected()) return Replace({}, 0);
  selected_ = false;
  if (caret_ == 0) return true;
  std::string candidate = text_;
  candidate.erase(caret_ - 1, 1);
  return Replace(std::move(candidate), caret_ - 1);
}

bool LineEditor::Delete() {
  if (selected()) return Replace({}, 0);
  selected_ = false;
  if (caret_ >= text_.size()) return true;
  std::string candidate = text_;
  candidate.erase(caret_, 1);
  return Replace(std::move(candidate), caret_);
}

void LineEditor::Left() {
  if (selected()) {
    caret_ = 0;
  } else if (caret_ > 0) {
    --caret_;
  }
  selected_ = false;
}

void LineEditor::Right() {
  if (selected()) {
    caret_ = text_.size();
  } else if (caret_ < text_.size()) {
    ++caret_;
  }
  selected_ = false;
}

void LineEditor::Home() {
  caret_ = 0;
  selected_ = false;
}

void LineEditor::End() {
  caret_ = text_.size();
  selected_ = false;
}

std::size_t LineEditor::FirstVisible(std::size_t width) {
  if (width == 0) return caret_;
  // The caret needs a cell of its own after the last character.
  if (caret_ < first_visible_) first_visible_ = caret_;
  if (caret_ >= first_visible_ + width) first_visible_ = caret_ - width + 1;
  if (text_.size() + 1 <= width) first_visible_ = 0;
  first_visible_ = std::min(first_visible_, text_.size());
  return first_visible_;
}

}  // namespace standin::dialog
