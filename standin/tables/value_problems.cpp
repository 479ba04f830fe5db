#include "standin/tables/value_problems.h"

#include <array>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include "abi/codepage.h"

namespace standin::tables {

namespace {

std::mutex sink_lock;
ProblemSink& Sink() {
  static ProblemSink sink;
  return sink;
}
std::set<std::tuple<std::string, std::int64_t, std::string>>& Told() {
  static std::set<std::tuple<std::string, std::int64_t, std::string>> told;
  return told;
}

// The words of each fault and consequence, in the order of their enums:
// English for the error stream, Polish for the box.
struct Words {
  const char* english;
  const char* polish;
};

constexpr Words kFaultWords[] = {
    {"out of range", "liczba spoza zakresu"},
    {"not a number", "tekst zamiast liczby"},
    {"not a whole number", "liczba ułamkowa zamiast całkowitej"},
    {"no value (NULL)", "brak wartości (NULL)"},
    {"not UTF-8 text", "bajty, które nie są tekstem UTF-8"},
    {"longer than", "tekst dłuższy niż"},
    {"a character that Mazovia lacks", "znak, którego nie ma w stronie kodowej Mazovia"},
    {"not a NIP of 10 digits", "to nie jest NIP z 10 cyfr"},
};
static_assert(std::size(kFaultWords) == static_cast<std::size_t>(ValueFault::NotANip) + 1);

constexpr Words kConsequenceWords[] = {
    {"the check of that invoice is refused", "Sprawdzenie tej faktury nie zostanie rozpoczęte."},
    {"the record is left out", "Ten rekord zostanie pominięty."},
    {"the text is cut to its field", "Tekst zostanie obcięty."},
    {"the character is shown as '?'", "Znak zostanie pokazany jako '?'."},
    {"an imported e-invoice is compared with it by number and counterparty name",
     "Wczytywana e-faktura zostanie porównana z nią po numerze i nazwie kontrahenta."},
};
static_assert(std::size(kConsequenceWords) == static_cast<std::size_t>(Consequence::CompareByName) + 1);

const Words& Of(ValueFault fault) { return kFaultWords[static_cast<std::size_t>(fault)]; }
const Words& Of(Consequence consequence) { return kConsequenceWords[static_cast<std::size_t>(consequence)]; }

std::string Where(const ValueProblem& problem) {
  std::string where = problem.table + " rowid " + std::to_string(problem.rowid);
  if (!problem.key.empty()) where += " (" + problem.key + ")";
  return where;
}

}  // namespace

std::string Describe(const ValueProblem& problem) {
  std::string text = Where(problem) + ", " + problem.column + " = " + problem.value + ": " + Of(problem.fault).english;
  if (!problem.limit.empty()) text += " " + problem.limit;
  if (problem.fault == ValueFault::TooLong) text += " characters";
  return text + "; " + Of(problem.consequence).english;
}

std::string DescribePolish(const ValueProblem& problem) {
  std::string text = "Błędna wartość w bazie danych!\n\nTabela: " + problem.table + ", wiersz " +
                     std::to_string(problem.rowid);
  if (!problem.key.empty()) text += " (" + problem.key + ")";
  text += "\nKolumna: " + problem.column + "\nWartość: " + problem.value + "\n" + Of(problem.fault).polish;
  if (!problem.limit.empty()) text += " " + problem.limit;
  if (problem.fault == ValueFault::TooLong) text += " znaków";
  return text + "\n\n" + Of(problem.consequence).polish;
}

void SetProblemSink(ProblemSink sink) {
  const std::lock_guard<std::mutex> hold(sink_lock);
  Sink() = std::move(sink);
  Told().clear();
}

void ReportProblem(const ValueProblem& problem) {
  ProblemSink sink;
  {
    const std::lock_guard<std::mutex> hold(sink_lock);
    // A refused check is told each time it is refused.
    const bool told = !Told().emplace(problem.table, problem.rowid, problem.column).second;
    if (told && problem.consequence != Consequence::RefuseCheck) return;
    sink = Sink();
  }
  if (sink) {
    sink(problem);
  } else {
    std::fprintf(stderr, "korpus: %s\n", Describe(problem).c_str());
  }
}

bool IsUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<std::uint8_t>(bytes[at]);
    if (lead == 0) return false;
    if (lead < 0x80) {
      ++at;
      continue;
    }
    int extra = 0;
    char32_t ch = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      ch = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      ch = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      ch = lead & 0x07;
    } else {
      return false;
    }
    if (at + static_cast<std::size_t>(extra) >= bytes.size()) return false;
    for (int i = 1; i <= extra; ++i) {
      const auto next = static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
      if ((next & 0xC0) != 0x80) return false;
      ch = (ch << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode.
    if ((extra == 2 && ch < 0x800) || (extra == 3 && ch < 0x10000) || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) {
      return false;
    }
    at += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

namespace {

// Every text of every row read is looked at, so the characters below
// U+0800, among them all that Mazovia has, are looked up in a table rather
// than searched for in the code page.
bool InMazovia(char32_t ch) {
  static const auto below_0800 = [] {
    std::array<bool, 0x800> table{};
    for (std::size_t i = 0; i < 0x80; ++i) table[i] = true;
    for (const char32_t high : codepage::kMazoviaHigh) {
      if (high < table.size()) table[high] = true;
    }
    return table;
  }();
  return ch < below_0800.size() ? below_0800[ch] : codepage::UnicodeToMazovia(ch) >= 0;
}

}  // namespace

std::optional<ValueFault> TextFault(std::string_view utf8, std::size_t width) {
  if (!IsUtf8(utf8)) return ValueFault::NotText;
  std::size_t characters = 0;
  bool mazovia = true;
  for (std::size_t at = 0; at < utf8.size(); ++characters) {
    if (static_cast<unsigned char>(utf8[at]) < 0x80) {
      ++at;
      continue;
    }
    if (!InMazovia(codepage::DecodeUtf8(utf8, at))) mazovia = false;
  }
  if (width != 0 && characters + 1 > width) return ValueFault::TooLong;
  if (!mazovia) return ValueFault::NoMazovia;
  return std::nullopt;
}

}  // namespace standin::tables
