// The character-cell picture that the engine draws and every front end
// shows: a character and a role per cell, and the cursor. Front ends map
// roles to their colours; the characters alone are the scripted picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

enum class Role : std::uint8_t {
  Normal,
  Frame,
  Title,
  Current,    // the focused control, the list's current row when focused
  Marked,     // the list's current row while the focus is elsewhere
  Disabled,
  Hot,        // hot letters and button key names
  Input,      // an input line's cells
  Selection,  // selected text in the focused input line
  Header,     // the list's column header
  RemarkOk,
  RemarkMuch,
  RemarkLittle,
  RemarkUnchecked,
};

struct Cell {
  char32_t ch = U' ';
  Role role = Role::Normal;

  friend bool operator==(const Cell&, const Cell&) = default;
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// Big enough for the host's dialogs (82 x 21) with room around them.
inline constexpr ScreenSize kDefaultScreenSize{100, 30};

struct CellPosition {
  int column = 0;
  int row = 0;

  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// The six characters of a frame: edges, then corners clockwise from the
// top left.
struct FrameLines {
  char32_t horizontal;
  char32_t vertical;
  char32_t top_left;
  char32_t top_right;
  char32_t bottom_right;
  char32_t bottom_left;
};
inline constexpr FrameLines kDoubleFrame{U'═', U'║', U'╔', U'╗', U'╝', U'╚'};
inline constexpr FrameLines kSingleFrame{U'─', U'│', U'┌', U'┐', U'┘', U'└'};

class Screen {
 public:
  Screen() = default;
  explicit Screen(ScreenSize size);

  int width() const { return width_; }
  int height() const { return height_; }

  // Writes outside the screen are dropped.
  void Put(int column, int row, char32_t ch, Role role);
  // Writes at most max_width cells; returns how many it wrote.
  int PutText(int column, int row, std::u32string_view text, Role role, int max_width);
  // The text cut or padded with blanks to `width` cells (at the left when
  // `right`), as Align makes it, written without building it: a field may be
  // far wider than the screen. Returns the width.
  int PutAligned(int column, int row, std::u32string_view text, int width, bool right, Role role);
  void Fill(int column, int row, int width, int height, char32_t ch, Role role);
  void SetRole(int column, int row, int width, Role role);
  // Blanks the rectangle and draws its edges in Role::Frame.
  void FramedBox(int column, int row, int width, int height, const FrameLines& lines);

  const Cell& At(int column, int row) const;

  void SetCursor(CellPosition position) { cursor_ = position; }
  void HideCursor() { cursor_.reset(); }
  std::optional<CellPosition> cursor() const { return cursor_; }

  std::u32string RowText(int row) const;
  // One row in UTF-8 without its trailing blanks.
  std::string RowUtf8(int row) const;
  // Every row, each ended by a line feed.
  std::string ToUtf8() const;

  friend bool operator==(const Screen&, const Screen&) = default;

 private:
  bool Inside(int column, int row) const { return column >= 0 && row >= 0 && column < width_ && row < height_; }

  int width_ = 0;
  int height_ = 0;
  std::vector<Cell> cells_;
  std::optional<CellPosition> cursor_;
};

}  // namespace standin
