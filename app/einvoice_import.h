// korpus --import-invoice: a structured e-invoice (FA(3) or FA(2) XML)
// into a register of the database.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/tables/store.h"

namespace app {

// Files larger than this are refused unread: an invoice of 50,000 lines is
// about 25 MB.
inline constexpr std::size_t kEInvoiceMaxBytes = 64u << 20;

// An e-invoice as the registers take it, texts in UTF-8.
struct EInvoice {
  standin::InvoiceRow invoice;
  std::vector<standin::PositionRow> positions;
  std::vector<std::string> warnings;  // the parties' first, then "line N: …" in line order
};

struct EInvoiceResult {
  std::optional<EInvoice> invoice;  // none: refused
  std::string refusal;              // why, when refused
};

// Reads the bytes of an FA(3) or FA(2) invoice for the register: the
// seller becomes the counterparty of a purchase, the buyer that of a sale.
// Each value is read as its schema type defines it (white space collapsed).
// A line that cannot be checked as written is left out or changed with a
// warning; the invoice is refused where its check would be wrong. No
// entity is expanded and nothing is read from another file or the
// network; a document type declaration is refused.
EInvoiceResult ReadEInvoice(std::string_view bytes, standin::Register kind);

// False when this build cannot read e-invoices (the Windows build has no
// XML library).
bool EInvoicesSupported();

// Imports each file into the register, one transaction a file, refusing an
// invoice that the register already holds (same number, and for a purchase
// the same seller: its NIP, or its name where a row has no NIP).
// Prints a line per imported file to `out`; warnings and refusals, each
// naming its file, to `err`. 0 when every file was imported, 1 when one
// was refused.
int ImportEInvoices(standin::Store& store, const std::vector<std::string>& files, standin::Register kind,
                    std::ostream& out, std::ostream& err);

}  // namespace app
