#include "standin/dialog/screen.h"

#include <algorithm>

#include "abi/codepage.h"

namespace standin {

Screen::Screen(ScreenSize size)
    : width_(std::max(size.width, 0)),
      height_(std::max(size.height, 0)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

void Screen::Put(int column, int row, char32_t ch, Role role) {
  if (!Inside(column, row)) return;
  cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(column)] = {ch,
                                                                                                                role};
}

int Screen::PutText(int column, int row, std::u32string_view text, Role role, int max_width) {
  const int count = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::max(max_width, 0))));
  // What lies right of the screen is counted, not visited.
  if (row < 0 || row >= height_) return count;
  const int shown = std::min(count, std::max(width_ - column, 0));
  Cell* const line = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  for (int i = std::max(-column, 0); i < shown; ++i) line[column + i] = {text[static_cast<std::size_t>(i)], role};
  return count;
}

int Screen::PutAligned(int column, int row, std::u32string_view text, int width, bool right, Role role) {
  const int cells = std::max(width, 0);
  if (row < 0 || row >= height_) return cells;
  const std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(cells));
  const std::size_t padding = static_cast<std::size_t>(cells) - length;
  const int shown = std::min(cells, std::max(width_ - column, 0));
  Cell* const line = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
  for (int i = std::max(-column, 0); i < shown; ++i) {
    const auto at = static_cast<std::size_t>(i);
    char32_t ch = U' ';
    if (!right && at < length) ch = text[at];
    if (right && at >= padding) ch = text[at - padding];
    line[column + i] = {ch, role};
  }
  return cells;
}

// Only the cells on the screen are visited: a template may give a control
// any size up to 65535 cells a side.
void Screen::Fill(int column, int row, int width, int height, char32_t ch, Role role) {
  const int first_row = std::max(row, 0);
  const int end_row = static_cast<int>(std::min<long long>(static_cast<long long>(row) + height, height_));
  const int first_column = std::max(column, 0);
  const int end_column = static_cast<int>(std::min<long long>(static_cast<long long>(column) + width, width_));
  if (first_column >= end_column) return;
  for (int r = first_row; r < end_row; ++r) {
    Cell* const line = cells_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width_);
    std::fill(line + first_column, line + end_column, Cell{ch, role});
  }
}

void Screen::FramedBox(int column, int row, int width, int height, const FrameLines& lines) {
  Fill(column, row, width, height, U' ', Role::Normal);
  const int right = column + width - 1;
  const int bottom = row + height - 1;
  for (int c = std::max(column + 1, 0); c < std::min(right, width_); ++c) {
    Put(c, row, lines.horizontal, Role::Frame);
    Put(c, bottom, lines.horizontal, Role::Frame);
  }
  for (int r = std::max(row + 1, 0); r < std::min(bottom, height_); ++r) {
    Put(column, r, lines.vertical, Role::Frame);
    Put(right, r, lines.vertical, Role::Frame);
  }
  Put(column, row, lines.top_left, Role::Frame);
  Put(right, row, lines.top_right, Role::Frame);
  Put(right, bottom, lines.bottom_right, Role::Frame);
  Put(column, bottom, lines.bottom_left, Role::Frame);
}

void Screen::SetRole(int column, int row, int width, Role role) {
  for (int c = column; c < column + width; ++c) {
    if (Inside(c, row)) Put(c, row, At(c, row).ch, role);
  }
}

const Cell& Screen::At(int column, int row) const {
  static const Cell outside{};
  if (!Inside(column, row)) return outside;
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(column)];
}

std::u32string Screen::RowText(int row) const {
  std::u32string text;
  for (int c = 0; c < width_; ++c) text += At(c, row).ch;
  return text;
}

std::string Screen::RowUtf8(int row) const {
  std::u32string text = RowText(row);
  while (!text.empty() && text.back() == U' ') text.pop_back();
  std::string out;
  for (char32_t ch : text) codepage::AppendUtf8(out, ch);
  return out;
}

std::string Screen::ToUtf8() const {
  std::string out;
  for (int r = 0; r < height_; ++r) {
    out += RowUtf8(r);
    out += '\n';
  }
  return out;
}

}  // namespace standin
