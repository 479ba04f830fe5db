#include "korpus/dialog/screen.h"

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
  const int count = std::min(static_cast<int>(text.size()), std::max(max_width, 0));
  for (int i = 0; i < count; ++i) Put(column + i, row, text[static_cast<std::size_t>(i)], role);
  return count;
}

void Screen::Fill(int column, int row, int width, int height, char32_t ch, Role role) {
  for (int r = row; r < row + height; ++r) {
    for (int c = column; c < column + width; ++c) Put(c, r, ch, role);
  }
}

void Screen::FramedBox(int column, int row, int width, int height, const FrameLines& lines) {
  Fill(column, row, width, height, U' ', Role::Normal);
  const int right = column + width - 1;
  const int bottom = row + height - 1;
  for (int c = column + 1; c < right; ++c) {
    Put(c, row, lines.horizontal, Role::Frame);
    Put(c, bottom, lines.horizontal, Role::Frame);
  }
  for (int r = row + 1; r < bottom; ++r) {
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
