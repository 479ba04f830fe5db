// Editing one line of text (Mazovia bytes): the caret, the whole-text
// selection that a line gets when it takes the focus, and a rule that
// refuses edits which would make the text invalid.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace standin::dialog {

class LineEditor {
 public:
  using Rule = std::function<bool(std::string_view)>;

  LineEditor(std::size_t max_length, Rule rule = {}) : max_length_(max_length), rule_(std::move(rule)) {}

  const std::string& text() const { return text_; }
  std::size_t caret() const { return caret_; }
  bool selected() const { return selected_ && !text_.empty(); }

  // Replaces the text without an edit (a longer text than typing allows
  // too); the caret goes to its end.
  void SetText(std::string_view text);
  void SelectAll();
  void Deselect() { selected_ = false; }

  // Each edit answers false when it was refused: the text would grow past
  // the maximum length or break the rule.
  bool Type(char byte);
  bool Backspace();
  bool Delete();
  void Left();
  void Right();
  void Home();
  void End();

  // First character shown when `width` cells show the text with the caret.
  std::size_t FirstVisible(std::size_t width);

 private:
  bool Replace(std::string candidate, std::size_t caret);

  std::size_t max_length_;
  Rule rule_;
  std::string text_;
  std::size_t caret_ = 0;
  bool selected_ = false;
  std::size_t first_visible_ = 0;
};

}  // namespace standin::dialog
