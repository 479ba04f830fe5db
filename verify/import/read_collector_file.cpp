// The data collector's export, data.txt: read whole into counted items,
// translated through the code table, then merged into the list at once.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "abi/codepage.h"
#include "abi/dialog_codes.h"
#include "abi/host_codes.h"
#include "host/korpus/entries.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/import/quantity.h"
#include "verify/model/host_stream.h"
#include "verify/model/table_walks.h"
#include "verify/report/host_text.h"

namespace verify {

namespace {

constexpr const char* kFileName = "data.txt";
// The fields of a line that the host's field entry gives: the code, the
// quantity. It writes at most a field's width into the item.
constexpr std::int32_t kCodeField = 0;
constexpr std::int32_t kQuantityField = 1;
static_assert(sizeof(CountedItem::symbol) >= korpus_abi::kLineFieldSize);
static_assert(sizeof(CountedItem::quantity_text) >= korpus_abi::kLineFieldSize);
// One read takes at most 255 characters and the NUL.
constexpr int kReadBuffer = 256;
// The host hands out blocks of less than 2 GB.
constexpr std::int64_t kMaxItems = 0x7FFFFFFF / sizeof(CountedItem);

// The item block of one import. It starts with the host's 5000 zeroed
// items and grows for longer files. Grown room is zeroed only as items are
// handed out, so a long file costs the memory of its lines, not of the room.
class ItemBlock {
 public:
  ItemBlock() = default;
  // A free entry that cannot be called leaves the block to the host; the
  // check meets that entry again when it ends, and reports it there.
  ~ItemBlock() {
    if (items_ == nullptr) return;
    try {
      korpus::Free(items_);
    } catch (...) {
    }
  }
  ItemBlock(const ItemBlock&) = delete;
  ItemBlock& operator=(const ItemBlock&) = delete;

  bool Allocate() {
    items_ = static_cast<CountedItem*>(korpus::AllocateZeroed(kItemBlock, sizeof(CountedItem)));
    capacity_ = zeroed_ = items_ == nullptr ? 0 : kItemBlock;
    return items_ != nullptr;
  }

  // The item at `index`, and every item before it, zeroed unless written;
  // null when the host cannot grow the block (it then stays as it was).
  CountedItem* At(std::int64_t index) {
    if (index >= capacity_ && !Grow(index + 1)) return nullptr;
    if (index >= zeroed_) {
      std::memset(items_ + zeroed_, 0, static_cast<std::size_t>(index + 1 - zeroed_) * sizeof(CountedItem));
      zeroed_ = index + 1;
    }
    return items_ + index;
  }

  CountedItem* items() const { return items_; }

 private:
  bool Grow(std::int64_t needed) {
    if (needed > kMaxItems) return false;
    std::int64_t grown = capacity_ + capacity_ / 2;
    if (grown < needed) grown = needed;
    if (grown > kMaxItems) grown = kMaxItems;
    void* const block = korpus::Resize(items_, static_cast<std::uint32_t>(grown * std::int64_t{sizeof(CountedItem)}));
    if (block == nullptr) return false;
    items_ = static_cast<CountedItem*>(block);
    capacity_ = grown;
    return true;
  }

  CountedItem* items_ = nullptr;
  std::int64_t capacity_ = 0;
  std::int64_t zeroed_ = 0;
};

enum class ReadResult : std::uint8_t { Read, ReadFailed, NoRoom, BadQuantity };

struct ReadOutcome {
  ReadResult result;
  std::int32_t count;  // items read; on BadQuantity, the index of the item at fault
};

void CopyFolder(char (&destination)[korpus_abi::kCollectorFolderSize], const char* folder) {
  std::size_t length = 0;
  if (folder != nullptr) {
    while (length < sizeof destination - 1 && folder[length] != '\0') ++length;
    std::memcpy(destination, folder, length);
  }
  destination[length] = '\0';
}

// The bytes that one read left, NUL bytes within them included: the read
// is made into a buffer filled with a non-zero byte, so its terminating
// NUL is the last NUL there.
std::size_t ReadLength(const char (&line)[kReadBuffer]) {
  for (std::size_t at = kReadBuffer; at > 0; --at) {
    if (line[at - 1] == '\0') return at - 1;
  }
  return 0;
}

// Fills one item from a line. False when its quantity is out of range. A
// line cut short by a NUL byte keeps its line end, by which the line
// numbers are counted.
bool FillItem(CountedItem& item, const char* line, bool ends_line) {
  const std::size_t length = std::strlen(line);
  std::memcpy(item.line, line, length + 1);
  if (ends_line && (length == 0 || line[length - 1] != '\n')) {
    item.line[length] = '\n';
    item.line[length + 1] = '\0';
  }
  if (korpus::LineField(kCodeField, item.line, item.symbol) != 0) item.symbol[0] = '\0';
  if (korpus::LineField(kQuantityField, item.line, item.quantity_text) != 0) item.quantity_text[0] = '\0';
  StripSpaces(item.symbol);
  const auto quantity = UnitsToThousandths(LeadingUnits(item.quantity_text));
  if (!quantity) return false;
  item.quantity = *quantity;
  return true;
}

// Every read lands at its own index: one passed over (a line that starts
// with NUL) leaves an all-zero item behind, and the count ends after the
// last item filled.
ReadOutcome ReadItems(std::FILE* stream, ItemBlock& block) {
  char line[kReadBuffer];
  std::int64_t read_index = 0;
  std::int32_t count = 0;
  while (!std::feof(stream)) {
    // A failing read would never reach the end of the stream.
    if (std::ferror(stream)) return {ReadResult::ReadFailed, count};
    std::memset(line, '\n', sizeof line);
    if (std::fgets(line, kReadBuffer, stream) == nullptr) line[0] = '\0';
    if (line[0] != '\0') {
      CountedItem* const item = block.At(read_index);
      if (item == nullptr) return {ReadResult::NoRoom, count};
      const auto index = static_cast<std::int32_t>(read_index);
      const std::size_t read = ReadLength(line);
      const bool ends_line = read > 0 && line[read - 1] == '\n';
      if (!FillItem(*item, line, ends_line)) return {ReadResult::BadQuantity, index};
      count = index + 1;
    }
    ++read_index;
  }
  return {ReadResult::Read, count};
}

// The number of the file line that an item came from. A line longer than
// one read spans several items; a read passed over is taken as a line.
std::int32_t LineNumberOf(const CountedItem* items, std::int32_t index) {
  std::int32_t number = 1;
  for (std::int32_t i = 0; i < index; ++i) {
    const char* const line = items[i].line;
    const std::size_t length = std::strlen(line);
    if (length == 0 || line[length - 1] == '\n') ++number;
  }
  return number;
}

// The line as a box may show it: no line end, and no control bytes that
// the box would take for markup.
void VisibleLine(char (&out)[kReadBuffer], const char* line) {
  std::size_t length = std::strlen(line);
  while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) --length;
  if (length > sizeof out - 1) length = sizeof out - 1;
  for (std::size_t i = 0; i < length; ++i) {
    out[i] = static_cast<unsigned char>(line[i]) < 0x20 ? ' ' : line[i];
  }
  out[length] = '\0';
}

void ShowBadQuantity(const CountedItem* items, std::int32_t index) {
  char visible[kReadBuffer];
  VisibleLine(visible, items[index].line);
  ShowMessage("Błąd"_mz, "Błędna ilość w wierszu %d pliku DATA.TXT:\n%s\nPlik nie został wczytany!"_mz,
              korpus_abi::kBoxNotice, LineNumberOf(items, index), visible);
}

// Every item through the code table, its quantity scaled by the factor;
// false, after the box, when a quantity leaves the 32-bit range. The code
// table is walked once for the whole file, and let go before the merge.
bool TranslateItems(CZrobPrufacje& check, CountedItem* items, std::int32_t count) {
  CodeTableWalk codes;
  const bool walked = codes.Walk(items, count);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t factor = walked ? codes.Translate(items[i]) : check.TranslateCountedCode(items[i]);
    const auto scaled = ScaleByFactor(items[i].quantity, factor);
    if (!scaled) {
      ShowBadQuantity(items, i);
      return false;
    }
    items[i].quantity = *scaled;
  }
  return true;
}

}  // namespace

CZrobPrufacje::ImportResult CZrobPrufacje::ReadCollectorFile() {
  if (korpus::CollectorReady() == 0) return kImportEnded;
  char folder[korpus_abi::kCollectorFolderSize];
  CopyFolder(folder, korpus::CollectorFolder());
  korpus::FetchCollectorFile(folder, kFileName);

  HostStream stream(korpus::OpenStream(kFileName, "rt", kStreamShareMode, 0, -1));
  if (!stream) {
    ShowText("Blokada", "Błąd w trakcie otwierania pliku DATA.TXT!"_mz, korpus_abi::kBoxNotice);
    return kFileNotOpened;
  }
  ItemBlock block;
  if (!block.Allocate()) return kNoItemBlock;
  const ReadOutcome outcome = ReadItems(stream.get(), block);
  stream.Close();

  // A file is merged whole or not at all.
  switch (outcome.result) {
    case ReadResult::Read:
      break;
    case ReadResult::ReadFailed:
      ShowText("Blokada", "Błąd w trakcie odczytu pliku DATA.TXT!\nPlik nie został wczytany!"_mz, korpus_abi::kBoxNotice);
      return kImportEnded;
    case ReadResult::NoRoom:
      ShowText("Błąd"_mz, "Brak pamięci na wczytanie pliku DATA.TXT!\nPlik nie został wczytany!"_mz,
               korpus_abi::kBoxNotice);
      return kImportEnded;
    case ReadResult::BadQuantity:
      ShowBadQuantity(block.items(), outcome.count);
      return kImportEnded;
  }

  CountedItem* const items = block.items();
  if (!TranslateItems(*this, items, outcome.count)) return kImportEnded;
  MergeCountedItems(items, outcome.count);

  list_refresh_ = 1;
  SortForDisplay();
  controls::Redraw();
  return kImportEnded;
}

}  // namespace verify
