// A message box as the terminal shows it: a framed window with its
// caption, its text (the emphasised stretches marked) and its buttons,
// drawn over the picture beneath and answered with the keyboard.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "abi/host_codes.h"
#include "standin/dialog/keys.h"
#include "standin/dialog/screen.h"
#include "standin/frontend.h"

namespace terminal {

// Answers of the Abort/Retry/Ignore box, as the system gives them.
using korpus_abi::kSystemAbort;
using korpus_abi::kSystemIgnore;
using korpus_abi::kSystemRetry;

// A line of a box's text: a character and its role (Normal, or Hot where
// the text is emphasised) per cell.
using StyledLine = std::vector<standin::Cell>;

// A host box text (Mazovia) as lines: 0x02 or 0x03 starts an emphasised
// stretch, 0x01 ends it; tabs go to the next multiple of eight; other
// control bytes are not shown.
std::vector<StyledLine> ParseBoxText(std::string_view mazovia);
// The same for a text in Windows-1250, without markup.
std::vector<StyledLine> ParseSystemText(std::string_view windows1250);

// Lines no wider than `width`, broken after the last blank that fits.
std::vector<StyledLine> WrapLines(const std::vector<StyledLine>& lines, int width);

class BoxWindow {
 public:
  struct Button {
    std::u32string label;
    std::size_t hot;  // index of the hot letter in the label
    int answer;
  };

  // A host box: OK, or Tak / Nie for a question (kind 6).
  static BoxWindow ForHostBox(const standin::BoxRequest& box);
  // The install notice: its text, the tick "do not show again" and OK.
  static BoxWindow ForNotice(std::string_view mazovia);
  // The binding error box: Przerwij / Ponów / Ignoruj, texts in Windows-1250.
  static BoxWindow ForSystemBox(std::string_view caption, std::string_view text);

  // The window's size with its frame on a screen of that width.
  standin::ScreenSize SizeOn(int screen_width) const;
  // Draws the window centred over what the screen shows.
  void Draw(standin::Screen& screen) const;

  // A key pressed in the box: the answer once a button is pressed.
  std::optional<int> Press(const standin::Key& key);
  // The answer of the end of input: Esc's, or in a question, which Esc
  // does not answer, the highlighted button's.
  int end_answer() const { return cancel_.value_or(buttons_.front().answer); }
  bool ticked() const { return ticked_; }

 private:
  BoxWindow(std::u32string caption, std::vector<StyledLine> lines, std::vector<Button> buttons,
            std::optional<int> cancel, bool has_tick);

  struct Layout {
    std::vector<StyledLine> lines;
    int width = 0;
    int height = 0;
  };
  Layout LayOut(int screen_width) const;
  int ButtonRowWidth() const;
  // Focus places: the tick (when there is one) first, then the buttons.
  int Places() const { return static_cast<int>(buttons_.size()) + (has_tick_ ? 1 : 0); }
  bool OnTick() const { return has_tick_ && focus_ == 0; }
  const Button* FocusedButton() const;

  std::u32string caption_;
  std::vector<StyledLine> lines_;
  std::vector<Button> buttons_;
  std::optional<int> cancel_;  // Esc's answer; none in a question
  bool has_tick_;
  bool ticked_ = false;
  int focus_;
};

// The picture shown instead of one that does not fit the terminal.
standin::Screen TooSmallScreen(standin::ScreenSize terminal, standin::ScreenSize needed);

}  // namespace terminal
