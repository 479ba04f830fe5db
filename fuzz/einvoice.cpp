// The e-invoice reader of korpus --import-invoice: any bytes as an FA(3)
// or FA(2) file, read for either register.
#include <string>
#include <string_view>

#include "app/einvoice_import.h"
#include "fuzz/targets.h"
#include "standin/tables/sqlite_values.h"
#include "standin/tables/store.h"
#include "standin/tables/value_problems.h"

namespace fuzz {

namespace {

// A value as its schema type defines it keeps no tab, CR or LF, no blank
// at an end and no two blanks in a row.
bool Collapsed(std::string_view text) {
  return text.find_first_of("\t\r\n") == std::string_view::npos && !text.starts_with(' ') && !text.ends_with(' ') &&
         text.find("  ") == std::string_view::npos;
}

// What a field of the register's records holds as it is.
bool Holds(std::string_view text, const standin::tables::ColumnRule& rule) {
  return !standin::tables::TextFault(text, rule.width).has_value();
}

std::string InvoiceFault(const app::EInvoice& read) {
  namespace columns = standin::tables::columns;
  const standin::InvoiceRow& invoice = read.invoice;
  if (invoice.number.empty() || !Holds(invoice.number, columns::kInvoiceNumber)) return "a number no register holds";
  if (!standin::tables::IsUtf8(invoice.counterparty) || !standin::tables::IsUtf8(invoice.issued)) {
    return "a counterparty or date that is not UTF-8";
  }
  if (!Collapsed(invoice.number) || !Collapsed(invoice.counterparty) || !Collapsed(invoice.issued)) {
    return "an invoice's value keeps white space that its type collapses";
  }
  if (!invoice.nip.empty() && !standin::IsNip(invoice.nip)) return "a NIP that is not ten digits";
  if (read.positions.empty()) return "an invoice without positions is taken";
  for (const standin::PositionRow& position : read.positions) {
    if (!Holds(position.name, columns::kPositionName) || !Holds(position.symbol, columns::kPositionSymbol)) {
      return "a position's name or symbol that its field cannot hold";
    }
    if (!Collapsed(position.name) || !Collapsed(position.symbol)) return "a position keeps white space";
    if (position.quantity <= 0) return "a position of nothing to count";
  }
  for (const std::string& warning : read.warnings) {
    if (warning.empty() || warning.find('\n') != std::string::npos || !standin::tables::IsUtf8(warning)) {
      return "a warning that is not one line of text";
    }
  }
  return "";
}

}  // namespace

std::string EInvoice(Input input) {
  const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
  for (const standin::Register kind : {standin::Register::Purchase, standin::Register::Sales}) {
    const app::EInvoiceResult read = app::ReadEInvoice(bytes, kind);
    if (!read.invoice) {
      if (read.refusal.empty() || read.refusal.find('\n') != std::string::npos) return "a refusal that says nothing";
      continue;
    }
    if (read.invoice->invoice.kind != kind) return "an invoice read into the other register";
    if (std::string fault = InvoiceFault(*read.invoice); !fault.empty()) return fault;
  }
  return "";
}

}  // namespace fuzz
