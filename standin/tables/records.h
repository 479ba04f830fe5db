// Rows of the store written into the host's record layouts: texts in
// Mazovia, cut to their fields and always terminated, numbers at their
// widths. Nothing here allocates.
#pragma once

#include <span>
#include <string_view>

#include "abi/records.h"
#include "standin/tables/store.h"

namespace standin::tables {

// UTF-8 into a Mazovia field of field.size() bytes, NUL included;
// characters that Mazovia lacks become '?'. Returns the bytes written
// before the NUL.
std::size_t PutText(std::string_view utf8, std::span<char> field);

void Materialise(const RowView& row, korpus_abi::PositionRecord& record);
void Materialise(const RowView& row, korpus_abi::ContextRecord& record);
void Materialise(const RowView& row, korpus_abi::GoodsRecord& record);
void Materialise(const RowView& row, korpus_abi::CodeRecord& record);

}  // namespace standin::tables
