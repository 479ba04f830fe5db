// Values in a user's database that the host's records cannot hold as they
// are. None is ever turned silently into another value: each is reported
// (a "Błąd" box and a line on the error stream in the host program) and
// then refused, left out, cut or shown with '?', by its kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace standin::tables {

enum class ValueFault : std::uint8_t {
  OutOfRange,      // an integer outside what its record field holds
  TextForNumber,   // text (or bytes) where a number belongs
  RealForInteger,  // a number with a fraction where an integer belongs
  Null,            // no value where one is needed
  NotText,         // bytes that are not UTF-8 text (a BLOB, a NUL byte)
  TooLong,         // more characters than the field holds
  NoMazovia,       // a character that Mazovia lacks
  NotANip,         // a counterparty's tax number that is not ten digits
};

// What the stand-in does with the record that holds the value.
enum class Consequence : std::uint8_t {
  RefuseCheck,  // positions: the check of that invoice does not start
  LeaveOut,     // the record is left out of the scan or the register
  Cut,          // the text is cut to its field
  Replace,      // the characters become '?'
  CompareByName,  // an imported e-invoice is compared with it by the counterparty's name
};

// Only a text that is too long or has characters Mazovia lacks is
// delivered at all.
constexpr bool Delivered(ValueFault fault) { return fault == ValueFault::TooLong || fault == ValueFault::NoMazovia; }

struct ValueProblem {
  std::string table;   // as in the schema: invoice_positions, goods, …
  std::int64_t rowid = 0;
  std::string key;     // the row's key as the user knows it, e.g. "id 7"
  std::string column;
  std::string value;   // printable: a number, a text in quotes, NULL, x'…'
  ValueFault fault = ValueFault::Null;
  std::string limit;   // the range or the length that was broken, if any
  Consequence consequence = Consequence::LeaveOut;
};

// "invoice_positions rowid 7 (invoice_id 3, line 2), quantity = 1000000000000:
// out of range -2147483648..2147483647; the check of that invoice is refused"
std::string Describe(const ValueProblem& problem);
// The box's text, UTF-8.
std::string DescribePolish(const ValueProblem& problem);

// Where problems found while delivering records go; each table, row and
// column is told once per sink, but a refused check every time. Without a
// sink they are written to the error stream.
using ProblemSink = std::function<void(const ValueProblem&)>;
void SetProblemSink(ProblemSink sink);
void ReportProblem(const ValueProblem& problem);

// The fault of a text meant for a field of `width` bytes (its NUL
// included): invalid UTF-8 first, then the length, then Mazovia.
std::optional<ValueFault> TextFault(std::string_view utf8, std::size_t width);
bool IsUtf8(std::string_view bytes);

}  // namespace standin::tables
