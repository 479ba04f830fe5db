// The saved state of an unfinished check: written when the dialog closes,
// offered again when the same invoice is checked next.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "abi/progress_file.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

using korpus_abi::kProgressFile;
constexpr const char* kSection = korpus_abi::kProgressSection;
constexpr const char* kNumberKey = korpus_abi::kProgressNumberKey;
constexpr const char* kCountKey = "Ilosc";
constexpr const char* kRowFormat = "%s,%s,%d,%d";
constexpr const char* kRowReadFormat = "%120s,%16s,%d,%d";
using korpus_abi::kIniDone;
using korpus_abi::kIniRead;
using korpus_abi::kIniWrite;
// A byte that no read of a text leaves first: the host writes at least the
// text's NUL.
constexpr char kNotRead = '\x7F';

// "r%02d" of the largest index: the letter, ten digits, a sign, the NUL.
using RowKey = char[16];

void MakeRowKey(RowKey& key, std::int32_t index) { std::snprintf(key, sizeof key, "r%02d", index); }

bool IsEmpty(const Position& position) {
  return position.name[0] == '\0' && position.symbol[0] == '\0' && position.counted == 0 && position.invoiced == 0;
}

// The progress file and the two files that the INI access may keep beside
// it go together; a missing one is no error.
void DiscardProgress() {
  std::remove(kProgressFile);
  std::remove("Niezgodnosci.INO");
  std::remove("Niezgodnosci.LCK");
}

}  // namespace

void CZrobPrufacje::SaveProgress() {
  korpus::IniAccess(kProgressFile, kIniWrite, kSection, kNumberKey, "%s", invoice_number_);
  korpus::IniAccess(kProgressFile, kIniWrite, kSection, kCountKey, "%d", count_);
  RowKey key;
  for (std::int32_t i = 0; i < count_; ++i) {
    const Position& position = positions_[i];
    MakeRowKey(key, i);
    const std::int32_t counted = position.counted;
    const std::int32_t invoiced = position.invoiced;
    korpus::IniAccess(kProgressFile, kIniWrite, kSection, key, kRowFormat, position.name, position.symbol, counted,
                      invoiced);
  }
}

CZrobPrufacje::Resumption CZrobPrufacje::ResumeProgress() {
  count_ = 0;

  // The INI access cuts a plain %s to its limit. A read that reports
  // success but leaves the buffer as it was (a host without the entry,
  // answered with 0) delivered nothing: the saved check is then neither
  // resumed nor discarded.
  char stored_number[korpus_abi::kIniPlainTextLimit + 1];
  std::memset(stored_number, kNotRead, sizeof stored_number);
  if (korpus::IniAccess(kProgressFile, kIniRead, kSection, kNumberKey, "%s", stored_number) != kIniDone) {
    return kNotResumed;
  }
  if (stored_number[0] == kNotRead) return kNotResumed;
  stored_number[sizeof stored_number - 1] = '\0';

  if (std::strcmp(stored_number, invoice_number_) != 0) {
    DiscardProgress();
    return kNotResumed;
  }
  if (ShowMessage("Uwaga"_mz, "Czy chcesz dokończyć poprzednie sprawdzanie faktury %s"_mz, korpus_abi::kBoxQuestion,
                  stored_number) != korpus_abi::kAnswerYes) {
    DiscardProgress();
    return kNotResumed;
  }

  std::int32_t rows = 0;
  if (korpus::IniAccess(kProgressFile, kIniRead, kSection, kCountKey, "%d", &rows) != kIniDone) {
    return kNotResumed;
  }

  // A negative count reads no row. A count beyond the block (a list that
  // grew during the check) grows the block as rows are kept; when the host
  // cannot grow it, the rest is not read. A count far beyond the rows that
  // the file holds (a file edited by hand) must cost neither a block of
  // that size nor a read of every key up to it: the reading ends after
  // more missing keys in a row than a check's first block holds, a gap
  // that no save leaves between two of its rows.
  bool incomplete = false;
  std::int32_t missing_in_a_row = 0;

  RowKey key;
  for (std::int32_t k = 0; k < rows && missing_in_a_row < kInitialPositions; ++k) {
    if (count_ >= capacity_ && !ReservePositions(count_ + 1)) {
      incomplete = true;
      break;
    }
    Position& position = positions_[count_];
    std::memset(&position, 0, sizeof position);
    MakeRowKey(key, k);
    // The quantities go through aligned locals: the position is packed.
    std::int32_t counted = 0;
    std::int32_t invoiced = 0;
    const bool read = korpus::IniAccess(kProgressFile, kIniRead, kSection, key, kRowReadFormat, position.name,
                                        position.symbol, &counted, &invoiced) == kIniDone;
    position.name[sizeof position.name - 1] = '\0';
    position.symbol[sizeof position.symbol - 1] = '\0';
    position.counted = counted;
    position.invoiced = invoiced;
    missing_in_a_row = read ? 0 : missing_in_a_row + 1;
    if (!read || IsEmpty(position)) {
      std::memset(&position, 0, sizeof position);
      continue;
    }
    ++count_;
  }

  list_refresh_ = 1;
  if (incomplete) {
    ShowMessage("Błąd"_mz,
                "Nie udało się wczytać całego poprzedniego sprawdzania!\n"
                "Wczytano %d pozycji, sprawdzanie będzie niepełne."_mz,
                korpus_abi::kBoxNotice, count_);
  }
  return kResumed;
}

}  // namespace verify
