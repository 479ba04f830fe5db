#include "tests/reference/literal_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "abi/codepage.h"
#include "verify/import/quantity.h"
#include "verify/model/fields.h"
#include "verify/report/host_text.h"

namespace reference {

namespace {

using korpus_abi::CodeRecord;
using korpus_abi::ContextRecord;
using korpus_abi::GoodsRecord;
using korpus_abi::TableObject;
using verify::CountedItem;
using verify::Position;
namespace fields = verify::fields;

struct ScanBuffers {
  alignas(std::max_align_t) std::byte cursor[korpus_abi::kCursorSize]{};
  alignas(std::max_align_t) std::byte key[korpus_abi::kKeySize]{};
};

template <typename Record>
const Record& CurrentRecord(const TableObject* table) {
  return *static_cast<const Record*>(table->record);
}

bool ControlChecked(std::int32_t id) { return (korpus::ControlState(id, 0, 0) & 1) != 0; }
void Redraw() { korpus::ControlState(0, 0x8000, 1); }
char* SymbolField() { return static_cast<char*>(korpus::ValueAddress(3)); }
std::int32_t* QuantityField() { return static_cast<std::int32_t*>(korpus::ValueAddress(5)); }

// A plain exchange sort. Equal elements end in an order of its own: the
// sorts that it stands for leave that order open.
template <typename Before>
void ExchangeSort(Position* list, std::int32_t count, Before before) {
  for (std::int32_t i = 0; i < count; ++i) {
    for (std::int32_t j = i + 1; j < count; ++j) {
      if (before(list[j], list[i])) std::swap(list[i], list[j]);
    }
  }
}

const char* const kNotOnInvoice =
    "Na sprawdzanej fakturze brak towaru o kodzie %s!\nTowar ten zostanie pominięty przy sprawdzaniu!"_mz;

}  // namespace

// --- Model -----------------------------------------------------------------

std::int32_t LiteralCheck::AddPosition(const char* name, const char* symbol, std::int32_t counted) {
  const std::int32_t count = Count();
  void* block = korpus::Resize(Positions(), static_cast<std::uint32_t>((count + 1) * sizeof(Position)));
  if (block == nullptr) return 0;
  verify::CheckAccess::SetBlock(check_, static_cast<Position*>(block), count + 1);
  verify::CheckAccess::SetCount(check_, count + 1);
  Position& added = Positions()[count];
  fields::Store(added.symbol, fields::Text(symbol, sizeof added.symbol));
  fields::Store(added.name, fields::Text(name, sizeof added.name));
  added.counted = counted;
  added.invoiced = 0;
  verify::SummaryCounters counters = verify::CheckAccess::Counters(check_);
  ++counters.new_goods;
  verify::CheckAccess::SetCounters(check_, counters);
  return 0;
}

std::int32_t LiteralCheck::RemovePosition(std::int32_t index) {
  Position* list = Positions();
  const std::int32_t count = Count();
  for (std::int32_t i = index; i + 1 < count; ++i) list[i] = list[i + 1];
  std::memset(&list[count - 1], 0, sizeof(Position));
  verify::CheckAccess::SetCount(check_, count - 1);
  return 0;
}

bool LiteralCheck::AddCounted(Position& position, std::int32_t quantity) {
  const std::int64_t sum = std::int64_t{position.counted} + quantity;
  if (sum > std::numeric_limits<std::int32_t>::max() || sum < std::numeric_limits<std::int32_t>::min()) {
    verify::ShowMessage("Błąd"_mz, "Ilość towaru %s przekroczyłaby dopuszczalny zakres!\nIlość nie została dodana."_mz,
                        1, position.symbol);
    return false;
  }
  position.counted = static_cast<std::int32_t>(sum);
  return true;
}

std::int32_t LiteralCheck::LookUpGoods(char* code, std::int32_t counted) {
  TableObject* goods_table = korpus::OpenTable(49);
  TableObject* context_table = korpus::OpenTable(48);
  std::int16_t* first_number = korpus::FirstContextNumber();
  verify::StripSpaces(code);
  if (code[0] == '\0') return 0;
  if (goods_table == nullptr || context_table == nullptr || first_number == nullptr) return 0;
  const std::int16_t saved = *first_number;

  bool found = false;
  ScanBuffers contexts;
  korpus::BuildNumberKey(3, 0, contexts.key, 0);
  std::int32_t status = korpus::ScanStart(contexts.cursor, context_table, 3, contexts.key, 0, 0);
  while (status != 0) {
    status = korpus::ScanNext(contexts.cursor);
    if (status != 1) break;
    const ContextRecord& context = CurrentRecord<ContextRecord>(context_table);
    if (context.flag != 1) continue;
    char number[sizeof context.number + 1] = {};
    std::memcpy(number, context.number, sizeof context.number);
    *first_number = static_cast<std::int16_t>(std::strtol(number, nullptr, 10));
    ScanBuffers goods;
    korpus::BuildNumberKey(4, 0, goods.key, 0);
    status = korpus::ScanStart(goods.cursor, goods_table, 4, goods.key, 0, 0);
    while (status != 0) {
      status = korpus::ScanNext(goods.cursor);
      if (status != 1) break;
      const GoodsRecord& record = CurrentRecord<GoodsRecord>(goods_table);
      if (fields::Text(record.symbol) != std::string_view(code)) continue;
      AddPosition(record.name, record.symbol, counted);
      found = true;
      status = 0;
    }
    korpus::ScanEnd(goods.cursor);
  }
  korpus::ScanEnd(contexts.cursor);
  *first_number = saved;
  return found ? 1 : 0;
}

std::int32_t LiteralCheck::TranslateCountedCode(CountedItem& item) {
  std::int32_t result = 1000;
  TableObject* code_table = korpus::OpenTable(117);
  TableObject* goods_table = korpus::OpenTable(49);
  if (code_table == nullptr || goods_table == nullptr) return result;
  item.symbol[sizeof item.symbol - 1] = '\0';

  ScanBuffers codes;
  korpus::BuildTextKey(154, codes.key, "MMM", ".UNR", 117);
  korpus::PrepareTable(code_table, 64);
  std::int32_t status = korpus::ScanStart(codes.cursor, code_table, 154, codes.key, 0, 0);
  while (status != 0) {
    status = korpus::ScanNext(codes.cursor);
    if (status != 1) break;
    const CodeRecord& record = CurrentRecord<CodeRecord>(code_table);
    if (fields::Text(record.code) != std::string_view(item.symbol)) continue;
    result = record.factor;
    if (result != 1000) {
      fields::Store(item.symbol, fields::Text(record.goods_symbol));
      break;
    }
    std::int16_t* second = korpus::SecondContextNumber();
    std::int16_t* first = korpus::FirstContextNumber();
    if (second == nullptr || first == nullptr) break;
    const std::int16_t saved_second = *second;
    const std::int16_t saved_first = *first;
    *second = static_cast<std::int16_t>(record.second_locator);
    *first = static_cast<std::int16_t>(record.first_locator);
    if (korpus::ReadGoods(-1, 0) != 0) {
      char symbol[sizeof(GoodsRecord::symbol) + 1];
      fields::Store(symbol, fields::Text(CurrentRecord<GoodsRecord>(goods_table).symbol));
      verify::BoundedCopy(item.alternative, symbol, 255);
    }
    *second = saved_second;
    *first = saved_first;
    break;
  }
  korpus::ScanEnd(codes.cursor);
  return result;
}

void LiteralCheck::CountUnlisted(char* symbol, std::int32_t quantity) {
  if (ControlChecked(7)) {
    korpus::Signal();
    verify::ShowMessage("Uwaga", kNotOnInvoice, 1, symbol);
    return;
  }
  if (LookUpGoods(symbol, quantity) == 0) AddPosition("Nowy towar", symbol, quantity);
}

void LiteralCheck::MergeCountedItems(CountedItem* items, std::int32_t count) {
  if (items == nullptr || count <= 0) return;
  for (std::int32_t i = 0; i < count; ++i) {
    items[i].symbol[sizeof items[i].symbol - 1] = '\0';
    items[i].alternative[sizeof items[i].alternative - 1] = '\0';
  }
  using CodeOf = char(CountedItem::*)[256];
  for (const CodeOf code : {&CountedItem::symbol, &CountedItem::alternative}) {
    for (std::int32_t p = 0; p < Count(); ++p) {
      Position& position = Positions()[p];
      if (position.symbol[0] == '\0') continue;
      for (std::int32_t i = 0; i < count;) {
        char* text = items[i].*code;
        if (text[0] == '\0') {
          ++i;
          continue;
        }
        verify::StripSpaces(text);
        if (std::string_view(text) != fields::Text(position.symbol)) {
          ++i;
          continue;
        }
        AddCounted(position, items[i].quantity);
        verify::RemoveCountedItem(items, count, i);
        --count;
      }
    }
  }
  for (std::int32_t i = 0; i < count; ++i) CountUnlisted(items[i].symbol, items[i].quantity);
}

std::int32_t LiteralCheck::NormalisePositions() {
  Position* list = Positions();
  ExchangeSort(list, Count(), [](const Position& a, const Position& b) { return fields::Compare(a.name, b.name) < 0; });
  std::int32_t at = 0;
  while (at + 1 < Count()) {
    Position& here = list[at];
    const Position& next = list[at + 1];
    std::int32_t counted = 0;
    std::int32_t invoiced = 0;
    // Quantities that would leave 32 bits are not merged.
    if (fields::Compare(here.symbol, next.symbol) == 0 && fields::Compare(here.name, next.name) == 0 &&
        !__builtin_add_overflow(here.counted, next.counted, &counted) &&
        !__builtin_add_overflow(here.invoiced, next.invoiced, &invoiced)) {
      here.counted = counted;
      here.invoiced = invoiced;
      RemovePosition(at + 1);
    } else {
      ++at;
    }
  }
  verify::SummaryCounters counters = verify::CheckAccess::Counters(check_);
  counters.on_document = Count();
  verify::CheckAccess::SetCounters(check_, counters);
  ExchangeSort(list, Count(),
               [](const Position& a, const Position& b) { return fields::Compare(a.symbol, b.symbol) < 0; });
  return 0;
}

std::int32_t LiteralCheck::SortForDisplay() {
  Position* list = Positions();
  ExchangeSort(list, Count(), [](const Position& a, const Position& b) {
    const std::int64_t left = std::int64_t{a.counted} - a.invoiced;
    const std::int64_t right = std::int64_t{b.counted} - b.invoiced;
    if (left != right) return left < right;
    return korpus::CompareText(a.symbol, b.symbol) < 0;
  });
  return 0;
}

// --- Import ----------------------------------------------------------------

namespace {

std::int32_t FileLineOf(const CountedItem* items, std::int32_t index) {
  std::int32_t number = 1;
  for (std::int32_t i = 0; i < index; ++i) {
    const std::size_t length = std::strlen(items[i].line);
    if (length == 0 || items[i].line[length - 1] == '\n') ++number;
  }
  return number;
}

void ShowBadQuantity(const CountedItem* items, std::int32_t index) {
  char visible[256];
  const char* line = items[index].line;
  std::size_t length = std::strlen(line);
  while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) --length;
  length = std::min(length, sizeof visible - 1);
  for (std::size_t i = 0; i < length; ++i) visible[i] = static_cast<unsigned char>(line[i]) < 0x20 ? ' ' : line[i];
  visible[length] = '\0';
  verify::ShowMessage("Błąd"_mz, "Błędna ilość w wierszu %d pliku DATA.TXT:\n%s\nPlik nie został wczytany!"_mz, 1,
                      FileLineOf(items, index), visible);
}

}  // namespace

std::int32_t LiteralCheck::ReadCollectorFile() {
  if (korpus::CollectorReady() == 0) return -2;
  char folder[260] = {};
  if (const char* given = korpus::CollectorFolder()) std::strncpy(folder, given, sizeof folder - 1);
  korpus::FetchCollectorFile(folder, "data.txt");
  std::FILE* stream = korpus::OpenStream("data.txt", "rt", 0x40, 0, -1);
  if (stream == nullptr) {
    verify::ShowText("Blokada", "Błąd w trakcie otwierania pliku DATA.TXT!"_mz, 1);
    return 1;
  }
  auto* items = static_cast<CountedItem*>(korpus::AllocateZeroed(5000, sizeof(CountedItem)));
  if (items == nullptr) {
    std::fclose(stream);
    return 0;
  }
  std::int64_t room = 5000;
  std::int32_t count = 0;
  std::int64_t read_index = 0;
  const char* failure = nullptr;
  const char* failure_caption = "Blokada";
  std::int32_t bad_item = -1;
  while (!std::feof(stream)) {
    if (std::ferror(stream)) {
      failure = "Błąd w trakcie odczytu pliku DATA.TXT!\nPlik nie został wczytany!"_mz;
      break;
    }
    char line[256];
    if (std::fgets(line, sizeof line, stream) == nullptr) line[0] = '\0';
    if (line[0] != '\0') {
      if (read_index >= room) {
        // A longer file grows the block by half, zeroed as it is used.
        const std::int64_t grown = std::max(room + room / 2, read_index + 1);
        void* block = grown > 0x7FFFFFFF / static_cast<std::int64_t>(sizeof(CountedItem))
                          ? nullptr
                          : korpus::Resize(items, static_cast<std::uint32_t>(grown * sizeof(CountedItem)));
        if (block == nullptr) {
          failure = "Brak pamięci na wczytanie pliku DATA.TXT!\nPlik nie został wczytany!"_mz;
          failure_caption = "Błąd"_mz;
          break;
        }
        items = static_cast<CountedItem*>(block);
        std::memset(items + room, 0, static_cast<std::size_t>(grown - room) * sizeof(CountedItem));
        room = grown;
      }
      CountedItem& item = items[read_index];
      std::memcpy(item.line, line, std::strlen(line) + 1);
      if (korpus::LineField(0, item.line, item.symbol) != 0) item.symbol[0] = '\0';
      if (korpus::LineField(1, item.line, item.quantity_text) != 0) item.quantity_text[0] = '\0';
      verify::StripSpaces(item.symbol);
      const auto quantity = verify::UnitsToThousandths(verify::LeadingUnits(item.quantity_text));
      if (!quantity) {
        bad_item = static_cast<std::int32_t>(read_index);
        break;
      }
      item.quantity = *quantity;
      count = static_cast<std::int32_t>(read_index + 1);
    }
    ++read_index;
  }
  std::fclose(stream);

  bool merge = failure == nullptr && bad_item < 0;
  if (failure != nullptr) {
    verify::ShowText(failure_caption, failure, 1);
  } else if (bad_item >= 0) {
    ShowBadQuantity(items, bad_item);
  }
  for (std::int32_t i = 0; merge && i < count; ++i) {
    const std::int32_t factor = TranslateCountedCode(items[i]);
    const auto scaled = verify::ScaleByFactor(items[i].quantity, factor);
    if (!scaled) {
      ShowBadQuantity(items, i);
      merge = false;
      break;
    }
    items[i].quantity = *scaled;
  }
  if (merge) {
    MergeCountedItems(items, count);
    verify::CheckAccess::SetRefresh(check_, true);
    SortForDisplay();
    Redraw();
  }
  korpus::Free(items);
  return -2;
}

// --- Typed entry -------------------------------------------------------------

// The first position in list order whose symbol, its spaces taken out
// where it is stored, is the typed symbol byte for byte.
verify::Position* LiteralCheck::FindTypedSymbol(const char* symbol) {
  for (std::int32_t p = 0; p < Count(); ++p) {
    char* stored = verify::StripSpaces(Positions()[p].symbol);
    std::size_t i = 0;
    while (stored[i] != '\0' && stored[i] == symbol[i]) ++i;
    if (stored[i] == symbol[i]) return &Positions()[p];
  }
  return nullptr;
}

std::int32_t LiteralCheck::TypedEvent(std::int16_t code) {
  // The typed item: zero bytes, then the symbol field's text without its
  // spaces and the quantity field's value; the fields stay as they are.
  CountedItem typed;
  std::memset(&typed, 0, sizeof typed);
  const char* field = SymbolField();
  for (std::size_t i = 0; i + 1 < sizeof typed.symbol && field[i] != '\0'; ++i) typed.symbol[i] = field[i];
  verify::StripSpaces(typed.symbol);
  typed.quantity = *QuantityField();

  const bool symbol_accepted = code == 3;
  const bool quantity_accepted = code == 5;
  if (!symbol_accepted && !quantity_accepted) return 0;
  // An empty symbol: neither changes anything.
  if (typed.symbol[0] == '\0') return 0;

  if (quantity_accepted) {
    // 1.-2. Add to the match (no translation), or not on the list.
    Position* match = FindTypedSymbol(typed.symbol);
    if (match == nullptr) {
      CountUnlisted(typed.symbol, typed.quantity);
    } else {
      AddCounted(*match, typed.quantity);
    }
    // 3. Fields reset, the list sorted again.
    verify::CheckAccess::SetRefresh(check_, true);
    *QuantityField() = 1000;
    SymbolField()[0] = '\0';
    SortForDisplay();
    Redraw();
    return 0;
  }

  // Typed symbol. 1. Translated, its factor kept; 2. the quantity 1000.
  const std::int32_t factor = TranslateCountedCode(typed);
  typed.quantity = 1000;
  const bool quantities_on = ControlChecked(2);
  Position* match = FindTypedSymbol(typed.symbol);

  if (!quantities_on) {
    // 4. Counted at once: the whole invoiced quantity, or not on the list.
    if (match == nullptr) {
      CountUnlisted(typed.symbol, 1000);
    } else if (match->invoiced != 0) {
      match->counted = match->invoiced;
    }
    verify::CheckAccess::SetRefresh(check_, true);
    SymbolField()[0] = '\0';
    Redraw();
    return 0;
  }

  // 3. Only the quantity field is prepared: a package's factor, the
  // invoiced quantity of a position not counted yet, or 1000.
  std::int32_t offered = 1000;
  if (match != nullptr) {
    if (factor != 1000) {
      offered = korpus::RealToWhole(1000 * 0.001 * factor, 1);
    } else if (match->counted == 0) {
      offered = match->invoiced;
    }
  }
  verify::CheckAccess::SetRefresh(check_, true);
  *QuantityField() = offered;
  char* back = SymbolField();
  std::size_t i = 0;
  for (; i < 16 && typed.symbol[i] != '\0'; ++i) back[i] = typed.symbol[i];
  back[i] = '\0';
  Redraw();
  return 0;
}

// --- Rows, report, progress ------------------------------------------------------

std::intptr_t LiteralCheck::RowText(std::int16_t row) {
  if (row == -1) return Count();
  if (check_.list_refresh()) {
    verify::CheckAccess::SetRefresh(check_, false);
    return 0;
  }
  char* text = verify::CheckAccess::RowBuffer(check_);
  if (row < 0 || row >= Count() || Positions() == nullptr) {
    text[0] = '\0';
    return reinterpret_cast<std::intptr_t>(text);
  }
  Position& position = Positions()[row];
  const std::int32_t counted = position.counted;
  const std::int32_t invoiced = position.invoiced;
  const char* remark = counted == invoiced                                         ? "  OK"
                       : counted > invoiced                                        ? "DUŻO"_mz
                       : korpus::RoundReal(static_cast<double>(counted), 1) == 0.0 ? "niepruf."
                                                                                   : "mało"_mz;
  verify::StripSpaces(position.symbol);
  std::snprintf(text, 256, "%4d. %s\r%s\r%0.2f\r%0.2f\r%s", row + 1, position.name, position.symbol, counted / 1000.0,
                invoiced / 1000.0, remark);
  return reinterpret_cast<std::intptr_t>(text);
}

void LiteralCheck::WriteReport() {
  verify::SummaryCounters counters = verify::CheckAccess::Counters(check_);
  counters.differences = counters.correct = counters.off_invoice = counters.unchecked = 0;
  auto fail = [&](std::FILE* stream) {
    verify::CheckAccess::SetCounters(check_, counters);
    if (stream != nullptr) std::fclose(stream);
    verify::ShowText("Blokada", "Błąd w trakcie zapisu!"_mz, 1);
  };
  auto quantity = [](std::int64_t thousandths, char(&text)[32]) {
    std::snprintf(text, sizeof text, "%0.3f", static_cast<double>(thousandths) / 1000.0);
  };
  std::FILE* stream = korpus::OpenStream("Niezgodnosci.txt", "wt", 0x40, 0, -1);
  if (stream == nullptr) return fail(nullptr);
  char buffer[512];
  verify::ConvertText(
      buffer,
      "._______________________________________________________________________________________________.\n"
      "|                               |                 |               |               |       Ilość |\n"
      "| Nazwa towaru:                 |     Symbol      |   Brakuje     |   Nadmiar     | na fakturze |\n"
      "|-------------------------------|-----------------|---------------|---------------|-------------|\n"_mz,
      1, 3);
  if (std::fprintf(stream, "%s", buffer) <= 0) return fail(stream);
  for (std::int32_t p = 0; p < Count(); ++p) {
    const Position& position = Positions()[p];
    const std::int64_t counted = position.counted;
    const std::int64_t invoiced = position.invoiced;
    char missing[32] = "";
    char surplus[32] = "";
    char on_invoice[32];
    if (invoiced == 0) {
      ++counters.off_invoice;
      quantity(counted, surplus);
    } else {
      if (counted == 0) ++counters.unchecked;
      if (counted == invoiced) {
        ++counters.correct;
        continue;
      }
      ++counters.differences;
      if (invoiced > counted) {
        quantity(invoiced - counted, missing);
      } else {
        quantity(counted - invoiced, surplus);
      }
    }
    quantity(invoiced, on_invoice);
    if (std::fprintf(stream, "| %-30.30s|%16.16s |%14.14s |%14.14s |%12.12s |\n", position.name, position.symbol,
                     missing, surplus, on_invoice) <= 0) {
      return fail(stream);
    }
  }
  verify::ConvertText(
      buffer, "|_______________________________|_________________|_______________|_______________|_____________|"_mz, 1,
      3);
  const int bottom = std::fprintf(stream, "%s", buffer);
  verify::CheckAccess::SetCounters(check_, counters);
  verify::ShowMessage("Podsumowanie",
                      "Sprawdzenie faktury nr \x03%s\x01"
                      "\n\nIlość pozycji na dokumencie  - \x02%4d\x01"
                      "\nRóżnice w ilosci             - \x02%4d\x01"
                      "\nIlość pozycji poprawnych     - \x02%4d\x01"
                      "\n\nIlość pozycji spoza faktury  - \x02%4d\x01"
                      "\nw tym:\nnowych towarów       - \x02%4d\x01"
                      "\n\nIlość pozycji niesprawdzonych- \x02%4d\x01\n"_mz,
                      1, verify::CheckAccess::InvoiceNumber(check_), counters.on_document, counters.differences,
                      counters.correct, counters.off_invoice, counters.new_goods, counters.unchecked);
  if (bottom <= 0) return fail(stream);
  std::fclose(stream);
  if (korpus::StoreDocument(11, "Niezgodnosci.txt", 0, 0) != 0) {
    verify::ShowText("Uwaga", "Dokument został zapisany"_mz, 1);
  } else {
    verify::ShowText("Uwaga", "Dokumentu nie zapisano!"_mz, 1);
  }
  std::remove("Niezgodnosci.txt");
}

std::int32_t LiteralCheck::SaveProgress() {
  const char* file = "Niezgodnosci.ini";
  korpus::IniAccess(file, 9, "Nr_faktury", "Nr fakt.", "%s", verify::CheckAccess::InvoiceNumber(check_));
  korpus::IniAccess(file, 9, "Nr_faktury", "Ilosc", "%d", Count());
  for (std::int32_t i = 0; i < Count(); ++i) {
    const Position& position = Positions()[i];
    char key[16];
    std::snprintf(key, sizeof key, "r%02d", i);
    const std::int32_t counted = position.counted;
    const std::int32_t invoiced = position.invoiced;
    korpus::IniAccess(file, 9, "Nr_faktury", key, "%s,%s,%d,%d", position.name, position.symbol, counted, invoiced);
  }
  return 1;
}

std::int32_t LiteralCheck::ResumeProgress() {
  const char* file = "Niezgodnosci.ini";
  auto discard = [] {
    std::remove("Niezgodnosci.ini");
    std::remove("Niezgodnosci.INO");
    std::remove("Niezgodnosci.LCK");
  };
  verify::CheckAccess::SetCount(check_, 0);
  char stored[260] = {};
  if (korpus::IniAccess(file, 8, "Nr_faktury", "Nr fakt.", "%s", stored) != 0) return 1;
  stored[sizeof stored - 1] = '\0';
  if (std::strcmp(stored, verify::CheckAccess::InvoiceNumber(check_)) != 0) {
    discard();
    return 1;
  }
  if (verify::ShowMessage("Uwaga"_mz, "Czy chcesz dokończyć poprzednie sprawdzanie faktury %s"_mz, 6, stored) !=
      0x5001) {
    discard();
    return 1;
  }
  std::int32_t rows = 0;
  if (korpus::IniAccess(file, 8, "Nr_faktury", "Ilosc", "%d", &rows) != 0) return 1;
  // Only the rows the block holds; the benchmark and the tests stay below.
  rows = std::min(rows, verify::kInitialPositions);
  std::int32_t kept = 0;
  for (std::int32_t k = 0; k < rows; ++k) {
    Position& position = Positions()[kept];
    std::memset(&position, 0, sizeof position);
    char key[16];
    std::snprintf(key, sizeof key, "r%02d", k);
    std::int32_t counted = 0;
    std::int32_t invoiced = 0;
    const bool read = korpus::IniAccess(file, 8, "Nr_faktury", key, "%120s,%16s,%d,%d", position.name, position.symbol,
                                        &counted, &invoiced) == 0;
    position.name[sizeof position.name - 1] = '\0';
    position.symbol[sizeof position.symbol - 1] = '\0';
    position.counted = counted;
    position.invoiced = invoiced;
    if (!read || (position.name[0] == '\0' && position.symbol[0] == '\0' && counted == 0 && invoiced == 0)) {
      std::memset(&position, 0, sizeof position);
      continue;
    }
    verify::CheckAccess::SetCount(check_, ++kept);
  }
  verify::CheckAccess::SetRefresh(check_, true);
  return 0;
}

}  // namespace reference
