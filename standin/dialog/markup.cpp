#include "standin/dialog/markup.h"

#include <algorithm>
#include <charconv>

#include "abi/codepage.h"
#include "abi/dialog_codes.h"

namespace standin::dialog {

namespace {

constexpr char kHotMark = '~';
using korpus_abi::kKeyNameClose;
using korpus_abi::kKeyNameOpen;

}  // namespace

std::u32string FromMazovia(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (char c : text) out += codepage::MazoviaToUnicode(static_cast<std::uint8_t>(c));
  return out;
}

MarkedText ParseHotText(std::string_view mazovia) {
  MarkedText out;
  bool inside = false;
  bool marked = false;
  for (char c : mazovia) {
    if (c == kHotMark) {
      inside = !inside;
      continue;
    }
    // Only the first character between the marks is the hot letter.
    if (inside && !marked) {
      out.mark_begin = out.text.size();
      out.mark_end = out.mark_begin + 1;
      marked = true;
    }
    out.text += codepage::MazoviaToUnicode(static_cast<std::uint8_t>(c));
  }
  return out;
}

MarkedText ParseButtonCaption(std::string_view mazovia) {
  MarkedText out;
  for (char c : mazovia) {
    if (c == kKeyNameOpen) {
      out.mark_begin = out.mark_end = out.text.size();
      continue;
    }
    if (c == kKeyNameClose) {
      out.mark_end = out.text.size();
      continue;
    }
    out.text += codepage::MazoviaToUnicode(static_cast<std::uint8_t>(c));
  }
  if (out.mark_end < out.mark_begin) out.mark_end = out.mark_begin;
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view row) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t end = row.find('\r');
    fields.push_back(row.substr(0, end));
    if (end == std::string_view::npos) break;
    row.remove_prefix(end + 1);
  }
  return fields;
}

std::vector<Column> ParseColumns(std::string_view mazovia) {
  std::vector<Column> columns;
  for (std::string_view field : SplitFields(mazovia)) {
    Column column;
    if (!field.empty() && (field.front() == 'l' || field.front() == 'p')) {
      column.right_aligned = field.front() == 'p';
      field.remove_prefix(1);
    }
    int width = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), width);
    if (error == std::errc{}) field.remove_prefix(static_cast<std::size_t>(end - field.data()));
    column.elastic = width < 0;
    column.width = std::min(width < 0 ? -width : width, 1000);
    column.title = FromMazovia(field);
    columns.push_back(std::move(column));
  }
  return columns;
}

std::vector<int> LayoutColumns(const std::vector<Column>& columns, int total) {
  std::vector<int> widths;
  if (columns.empty()) return widths;
  int fixed = 0;
  int elastic = 0;
  for (const Column& c : columns) {
    if (c.elastic) {
      ++elastic;
    } else {
      fixed += c.width;
    }
  }
  const int separators = static_cast<int>(columns.size()) - 1;
  int left = std::max(total - fixed - separators, 0);
  int position = 0;
  for (const Column& c : columns) {
    int width = c.width;
    if (c.elastic) {
      width = std::min(c.width, left / elastic + (left % elastic != 0 ? 1 : 0));
      left -= width;
      --elastic;
    }
    width = std::clamp(width, 0, std::max(total - position, 0));
    widths.push_back(width);
    position += width + 1;
  }
  return widths;
}

std::u32string Align(std::u32string_view text, int width, bool right) {
  const auto cells = static_cast<std::size_t>(std::max(width, 0));
  if (text.size() >= cells) return std::u32string(text.substr(0, cells));
  const std::u32string padding(cells - text.size(), U' ');
  return right ? padding + std::u32string(text) : std::u32string(text) + padding;
}

}  // namespace standin::dialog
