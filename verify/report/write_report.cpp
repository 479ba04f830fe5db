// The discrepancy report: Niezgodnosci.txt, the summary box, and the file
// handed to the host as a document.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/host_stream.h"
#include "verify/report/host_text.h"

namespace verify {

namespace {

constexpr const char* kReportName = "Niezgodnosci.txt";

// Room for the converted header; the four lines take 392 bytes.
constexpr std::size_t kWorkBuffer = 512;

const char* Header() {
  return "._______________________________________________________________________________________________.\n"
         "|                               |                 |               |               |       Ilość |\n"
         "| Nazwa towaru:                 |     Symbol      |   Brakuje     |   Nadmiar     | na fakturze |\n"
         "|-------------------------------|-----------------|---------------|---------------|-------------|\n"_mz;
}

const char* BottomRule() {
  return "|_______________________________|_________________|_______________|_______________|_____________|"_mz;
}

const char* SummaryFormat() {
  return "Sprawdzenie faktury nr \x03%s\x01"
         "\n\nIlość pozycji na dokumencie  - \x02%4d\x01"
         "\nRóżnice w ilosci             - \x02%4d\x01"
         "\nIlość pozycji poprawnych     - \x02%4d\x01"
         "\n\nIlość pozycji spoza faktury  - \x02%4d\x01"
         "\nw tym:\nnowych towarów       - \x02%4d\x01"
         "\n\nIlość pozycji niesprawdzonych- \x02%4d\x01\n"_mz;
}

// Room for any quantity printed with three decimals; the difference of two
// 32-bit quantities needs 64 bits.
struct QuantityText {
  char text[32];
};

QuantityText FormatQuantity(std::int64_t thousandths) {
  QuantityText out{};
  std::snprintf(out.text, sizeof out.text, "%0.3f", static_cast<double>(thousandths) / korpus_abi::kOneUnit);
  return out;
}

// Each piece of the report is one write of the stream, so that a failing
// write is one piece lost on every runtime.
bool WriteText(std::FILE* stream, const char* text) {
  const std::size_t length = std::strlen(text);
  return length != 0 && std::fwrite(text, 1, length, stream) == length;
}

// Writes a Mazovia text converted to Windows-1250.
bool WriteConverted(std::FILE* stream, const char* mazovia) {
  char buffer[kWorkBuffer];
  ConvertText(buffer, mazovia, codepage::kPageMazovia, codepage::kPageWindows1250);
  return WriteText(stream, buffer);
}

void ShowWriteFailure(HostStream& stream) {
  stream.Close();
  ShowText("Blokada", "Błąd w trakcie zapisu!"_mz, korpus_abi::kBoxNotice);
}

}  // namespace

void CZrobPrufacje::WriteReport() {
  counters_.differences = 0;
  counters_.correct = 0;
  counters_.off_invoice = 0;
  counters_.unchecked = 0;

  HostStream stream(korpus::OpenStream(kReportName, "wt", kStreamShareMode, 0, -1));
  if (!stream) return ShowWriteFailure(stream);
  if (!WriteConverted(stream.get(), Header())) return ShowWriteFailure(stream);

  for (const Position& position : Positions()) {
    const std::int64_t counted = position.counted;
    const std::int64_t invoiced = position.invoiced;
    QuantityText missing{};
    QuantityText surplus{};
    if (invoiced == 0) {
      ++counters_.off_invoice;
      surplus = FormatQuantity(counted);
    } else {
      if (counted == 0) ++counters_.unchecked;
      if (counted == invoiced) {
        ++counters_.correct;
        continue;
      }
      ++counters_.differences;
      if (invoiced > counted) {
        missing = FormatQuantity(invoiced - counted);
      } else {
        surplus = FormatQuantity(counted - invoiced);
      }
    }
    const QuantityText on_invoice = FormatQuantity(invoiced);
    char line[128];
    std::snprintf(line, sizeof line, "| %-30.30s|%16.16s |%14.14s |%14.14s |%12.12s |\n", position.name,
                  position.symbol, missing.text, surplus.text, on_invoice.text);
    if (!WriteText(stream.get(), line)) return ShowWriteFailure(stream);
  }

  const bool bottom_written = WriteConverted(stream.get(), BottomRule());
  ShowMessage("Podsumowanie", SummaryFormat(), korpus_abi::kBoxNotice, invoice_number_, counters_.on_document,
              counters_.differences, counters_.correct, counters_.off_invoice, counters_.new_goods,
              counters_.unchecked);
  if (!bottom_written) return ShowWriteFailure(stream);
  stream.Close();

  if (korpus::StoreDocument(korpus_abi::kReportDocument, kReportName, 0, 0) != 0) {
    ShowText("Uwaga", "Dokument został zapisany"_mz, korpus_abi::kBoxNotice);
  } else {
    ShowText("Uwaga", "Dokumentu nie zapisano!"_mz, korpus_abi::kBoxNotice);
  }
  std::remove(kReportName);
}

}  // namespace verify
