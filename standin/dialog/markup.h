// The little languages inside template texts: hot letters between two "~",
// key names of button captions between 0x05 and 0x01, and the columns of a
// column header ("l-30Nazwa\rp10Uwagi").
#pragma once

#include <string_view>
#include <string>
#include <vector>

namespace standin::dialog {

std::u32string FromMazovia(std::string_view text);

// A text with a marked stretch: the hot letter of a label (one character)
// or the key name of a button caption. mark_end == mark_begin: none.
struct MarkedText {
  std::u32string text;
  std::size_t mark_begin = 0;
  std::size_t mark_end = 0;
};

MarkedText ParseHotText(std::string_view mazovia);
MarkedText ParseButtonCaption(std::string_view mazovia);

struct Column {
  bool right_aligned = false;
  bool elastic = false;  // a negative width: takes what the others leave
  int width = 0;
  std::u32string title;
};

std::vector<Column> ParseColumns(std::string_view mazovia);

// Cells of each column when the columns share `total` cells with one
// separator cell between neighbours. An elastic column gets what the
// others leave, at most its own width; fixed columns are cut at the right
// edge when there is not room for all of them.
std::vector<int> LayoutColumns(const std::vector<Column>& columns, int total);

// The fields of a row, separated by "\r".
std::vector<std::string_view> SplitFields(std::string_view row);

// The text fitted into `width` cells: cut, or padded on the aligned side.
std::u32string Align(std::u32string_view text, int width, bool right);

}  // namespace standin::dialog
