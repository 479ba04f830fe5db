#include "app/einvoice_import.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <ostream>
#include <system_error>

#include "abi/codepage.h"
#include "standin/trim.h"

#if defined(KORPUS_EINVOICE)
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#endif

namespace app {

namespace {

#if defined(KORPUS_EINVOICE)

constexpr std::string_view kFa3 = "http://crd.gov.pl/wzor/2025/06/25/13775/";
constexpr std::string_view kFa2 = "http://crd.gov.pl/wzor/2023/06/29/12648/";

// What the records hold, in characters (one Mazovia byte each).
constexpr std::size_t kNumberChars = 32;
constexpr std::size_t kNameChars = 120;
constexpr std::size_t kSymbolChars = 16;

// Quantities are thousandths of the goods' unit.
constexpr int kDecimals = 3;
constexpr int kRoundingUpFrom = 5;  // the first digit past thousandths
constexpr std::int64_t kBeyondAnyQuantity = std::int64_t{1} << 40;

constexpr std::size_t kGtin14Digits = 14;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A text as a record of `most` Mazovia characters can hold it.
struct Fitted {
  std::string text;  // UTF-8, characters that Mazovia lacks as '?'
  bool cut = false;
  bool replaced = false;
};

Fitted Fit(std::string_view utf8, std::size_t most) {
  Fitted fitted;
  std::size_t characters = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t ch = codepage::DecodeUtf8(utf8, pos);
    if (characters == most) {
      fitted.cut = true;
      // A cut between two words leaves no blank at the end.
      if (fitted.text.ends_with(' ')) fitted.text.pop_back();
      break;
    }
    if (codepage::UnicodeToMazovia(ch) < 0) {
      fitted.replaced = true;
      fitted.text += '?';
    } else {
      codepage::AppendUtf8(fitted.text, ch);
    }
    ++characters;
  }
  return fitted;
}

// An xsd:decimal quantity in thousandths: "12.5" is 12500, "+24.000"
// 24000; a finer one is rounded half away from zero, "1.2345" to 1235.
enum class Quantity { Exact, Rounded, NotANumber, OutOfRange };

Quantity Thousandths(std::string_view text, std::int32_t& out) {
  std::size_t at = 0;
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) at = 1;
  std::int64_t value = 0;
  bool digits = false;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    digits = true;
    value = value * 10 + (text[at] - '0');
    if (value > kBeyondAnyQuantity) return Quantity::OutOfRange;
  }
  int decimals = 0;
  int finer_digits = 0;
  bool finer = false;
  bool up = false;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && IsDigit(text[at]); ++at) {
      digits = true;
      const int digit = text[at] - '0';
      if (decimals < kDecimals) {
        value = value * 10 + digit;
        ++decimals;
        continue;
      }
      if (finer_digits++ == 0) up = digit >= kRoundingUpFrom;
      if (digit != 0) finer = true;
    }
  }
  if (!digits || at != text.size()) return Quantity::NotANumber;
  for (; decimals < kDecimals; ++decimals) value *= 10;
  if (up) ++value;
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    return Quantity::OutOfRange;
  }
  out = static_cast<std::int32_t>(value);
  return finer ? Quantity::Rounded : Quantity::Exact;
}

// Thousandths as a decimal with three places: -1234 is "-1.234".
std::string InThousandths(std::int32_t quantity) {
  const std::int64_t magnitude = quantity < 0 ? -std::int64_t{quantity} : quantity;
  const std::string fraction = std::to_string(1000 + magnitude % 1000).substr(1);
  return (quantity < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + fraction;
}

// NrWierszaFa as its type (a positive xsd:integer) writes it: an optional
// plus, digits, leading zeros allowed.
std::optional<std::int64_t> LineNumber(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || number < 1) return std::nullopt;
  return number;
}

// A GTIN-14 that begins with 0 is the EAN-13 on the goods, which is what
// the scanner reads.
std::string ScannedGtin(std::string gtin) {
  if (gtin.size() == kGtin14Digits && gtin.front() == '0' && std::all_of(gtin.begin(), gtin.end(), IsDigit)) {
    gtin.erase(0, 1);
  }
  return gtin;
}

// Kinds of invoice whose lines are goods delivered as invoiced: a VAT
// invoice, a simplified one, and the one settling an order (its lines are
// the whole order, now delivered). Corrections and advance invoices are not.
bool AcceptedKind(std::string_view kind) { return kind == "VAT" || kind == "UPR" || kind == "ROZ"; }

// A document type declaration is where entities and external files come
// from; an e-invoice has none. It can stand only in the prolog, among the
// XML declaration, processing instructions and comments before the root
// element; the same bytes anywhere else are data. Looked for in the bytes
// before parsing (the files are UTF-8), and in the parsed tree after.
bool DeclaresDocumentType(std::string_view bytes) {
  for (std::size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at)) {
    const std::string_view rest = bytes.substr(at);
    if (rest.starts_with("<!DOCTYPE")) return true;
    if (rest.starts_with("<?")) {
      at = bytes.find("?>", at + 2);
    } else if (rest.starts_with("<!--")) {
      at = bytes.find("-->", at + 4);
    } else {
      return false;  // the root element
    }
  }
  return false;
}

struct Document {
  xmlDocPtr doc = nullptr;
  ~Document() {
    if (doc != nullptr) xmlFreeDoc(doc);
  }
};

// Nothing is loaded from outside the file, whatever the document asks.
xmlParserInputPtr NoExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

std::string_view Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

bool InNamespace(const xmlNode* node, std::string_view ns) {
  return node->ns != nullptr && node->ns->href != nullptr && reinterpret_cast<const char*>(node->ns->href) == ns;
}

// The first child element of that name in the invoice's namespace.
const xmlNode* Child(const xmlNode* parent, std::string_view name, std::string_view ns) {
  if (parent == nullptr) return nullptr;
  for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && Name(child) == name && InNamespace(child, ns)) return child;
  }
  return nullptr;
}

// Every value the import reads is of a type that collapses white space
// (xsd:token, the numbers, the dates).
std::optional<std::string> Text(const xmlNode* node) {
  if (node == nullptr) return std::nullopt;
  xmlChar* content = xmlNodeGetContent(node);
  if (content == nullptr) return std::string();
  std::string text = standin::Collapse(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return text;
}

std::string ParseError() {
  const xmlError* error = xmlGetLastError();
  if (error == nullptr || error->message == nullptr) return "not well-formed XML";
  // libxml2's message may run over lines; a refusal is one.
  const std::string message = standin::Collapse(error->message);
  return "not well-formed XML (line " + std::to_string(error->line) + ": " + message + ")";
}

EInvoiceResult Refused(std::string why) { return {std::nullopt, std::move(why)}; }

// One line of the invoice: its position, or none (left out with a
// warning); a refusal when the whole invoice cannot be checked without it.
struct LineRead {
  std::optional<standin::PositionRow> position;
  std::string refusal;
};

LineRead ReadLine(const xmlNode* line, std::int64_t number, std::string_view ns, std::vector<std::string>& warnings) {
  const std::string where = "line " + std::to_string(number) + ": ";
  const auto quantity_text = Text(Child(line, "P_8B", ns));
  if (!quantity_text) {
    warnings.push_back(where + "no quantity (P_8B), a service: left out");
    return {};
  }
  std::int32_t quantity = 0;
  std::string shown = *quantity_text;
  switch (Thousandths(*quantity_text, quantity)) {
    case Quantity::Exact:
      break;
    case Quantity::Rounded:
      shown = InThousandths(quantity);
      warnings.push_back(where + "the quantity " + *quantity_text + " is rounded to " + shown);
      break;
    case Quantity::NotANumber:
      return {std::nullopt, where + "the quantity " + *quantity_text + " is not a number"};
    case Quantity::OutOfRange:
      return {std::nullopt, where + "the quantity " + *quantity_text + " is beyond what a position holds"};
  }
  // Returned packaging and the like: nothing delivered to count.
  if (quantity <= 0) {
    warnings.push_back(where + "the quantity " + shown + " is not above zero: left out");
    return {};
  }
  std::string symbol = ScannedGtin(Text(Child(line, "GTIN", ns)).value_or(""));
  if (symbol.empty()) symbol = Text(Child(line, "Indeks", ns)).value_or("");
  // A symbol cut or changed would never match what the scanner reads; the
  // position keeps its name and is counted by hand.
  const Fitted fitted_symbol = Fit(symbol, kSymbolChars);
  if (fitted_symbol.cut || fitted_symbol.replaced) {
    warnings.push_back(where + "the symbol " + symbol +
                       (fitted_symbol.cut ? " is longer than 16 characters" : " has a character a position cannot hold") +
                       ": the position has no symbol");
    symbol.clear();
  }
  const Fitted name = Fit(Text(Child(line, "P_7", ns)).value_or(""), kNameChars);
  if (name.cut) warnings.push_back(where + "the name is cut to 120 characters");
  if (name.replaced) warnings.push_back(where + "the name shows '?' for a character a position cannot hold");
  standin::PositionRow position;
  position.name = name.text;
  position.symbol = std::move(symbol);
  position.quantity = quantity;
  return {std::move(position), ""};
}

EInvoiceResult ReadParsed(const xmlNode* root, standin::Register kind) {
  const std::string_view ns = InNamespace(root, kFa3) ? kFa3 : kFa2;
  const xmlNode* fa = Child(root, "Fa", ns);
  if (fa == nullptr) return Refused("the invoice has no Fa element");
  const auto invoice_kind = Text(Child(fa, "RodzajFaktury", ns));
  if (!invoice_kind) return Refused("the invoice names no kind (Fa/RodzajFaktury)");
  if (!AcceptedKind(*invoice_kind)) {
    return Refused("an invoice of kind " + *invoice_kind + " is not taken (only VAT, UPR and ROZ: a correction or an "
                   "advance invoice lists no delivery)");
  }
  const auto number = Text(Child(fa, "P_2", ns));
  if (!number || number->empty()) return Refused("the invoice has no number (Fa/P_2)");
  const Fitted fitted_number = Fit(*number, kNumberChars);
  if (fitted_number.cut) return Refused("the number " + *number + " is longer than 32 characters");
  if (fitted_number.replaced) return Refused("the number " + *number + " has a character the register cannot hold");

  EInvoice out;
  out.invoice.kind = kind;
  out.invoice.number = *number;
  out.invoice.issued = Text(Child(fa, "P_1", ns)).value_or("");
  const bool purchase = kind == standin::Register::Purchase;
  const xmlNode* party = Child(Child(root, purchase ? "Podmiot1" : "Podmiot2", ns), "DaneIdentyfikacyjne", ns);
  out.invoice.counterparty = Text(Child(party, "Nazwa", ns)).value_or("");
  // A buyer abroad or without a tax number has none.
  if (const auto nip = Text(Child(party, "NIP", ns)); nip && standin::IsNip(*nip)) {
    out.invoice.nip = *nip;
  } else if (nip) {
    out.warnings.push_back(std::string(purchase ? "the seller's" : "the buyer's") + " NIP " + *nip +
                           " is not 10 digits: the invoice is stored without it");
  }

  // Lines in the order of their numbers, each number once.
  std::map<std::int64_t, const xmlNode*> lines;
  std::size_t seen = 0;
  for (const xmlNode* child = fa->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE || Name(child) != "FaWiersz" || !InNamespace(child, ns)) continue;
    ++seen;
    const auto number_of_line = LineNumber(Text(Child(child, "NrWierszaFa", ns)).value_or(""));
    if (!number_of_line) return Refused("invoice line " + std::to_string(seen) + " has no line number (NrWierszaFa)");
    if (!lines.emplace(*number_of_line, child).second) {
      return Refused("line number " + std::to_string(*number_of_line) + " appears twice");
    }
  }
  for (const auto& [number_of_line, line] : lines) {
    LineRead read = ReadLine(line, number_of_line, ns, out.warnings);
    if (!read.refusal.empty()) return Refused(std::move(read.refusal));
    if (read.position) out.positions.push_back(std::move(*read.position));
  }
  if (out.positions.empty()) return Refused("the invoice lists no goods to check (no line with a quantity above zero)");
  return {std::move(out), ""};
}

#endif

// One seller numbers its invoices once: a purchase is the same invoice
// with the same number from the same seller, known by its NIP (by its name
// where a row has none), a sale (ours) by its number. A row that another
// tool wrote is read as the schema reads an e-invoice.
bool SameInvoice(const standin::InvoiceRow& held, const standin::InvoiceRow& read) {
  if (standin::Collapse(held.number) != read.number) return false;
  if (read.kind == standin::Register::Sales) return true;
  if (standin::IsNip(held.nip) && standin::IsNip(read.nip)) return held.nip == read.nip;
  return standin::Collapse(held.counterparty) == read.counterparty;
}

const char* RegisterWord(standin::Register kind) {
  return kind == standin::Register::Purchase ? "purchase" : "sales";
}

}  // namespace

bool EInvoicesSupported() {
#if defined(KORPUS_EINVOICE)
  return true;
#else
  return false;
#endif
}

EInvoiceResult ReadEInvoice(std::string_view bytes, standin::Register kind) {
#if defined(KORPUS_EINVOICE)
  if (bytes.size() > kEInvoiceMaxBytes) return Refused("larger than " + std::to_string(kEInvoiceMaxBytes >> 20) + " MB");
  // UTF-8, with or without its mark: the first thing is '<'.
  std::string_view start = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
  start = start.substr(std::min(start.size(), start.find_first_not_of(" \t\r\n")));
  if (!start.starts_with('<')) return Refused("not UTF-8 XML");
  if (DeclaresDocumentType(bytes)) return Refused("a document type declaration is not accepted (an e-invoice has none)");
  xmlSetExternalEntityLoader(NoExternalEntity);
  xmlResetLastError();
  Document document;
  document.doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (document.doc == nullptr) return Refused(ParseError());
  if (document.doc->intSubset != nullptr || document.doc->extSubset != nullptr) {
    return Refused("a document type declaration is not accepted (an e-invoice has none)");
  }
  const xmlNode* root = xmlDocGetRootElement(document.doc);
  if (root == nullptr || Name(root) != "Faktura" || !(InNamespace(root, kFa3) || InNamespace(root, kFa2))) {
    const std::string ns = root != nullptr && root->ns != nullptr && root->ns->href != nullptr
                               ? reinterpret_cast<const char*>(root->ns->href)
                               : "";
    return Refused("not an FA(3) or FA(2) e-invoice (root " + (ns.empty() ? "" : "{" + ns + "}") +
                   (root != nullptr ? std::string(Name(root)) : std::string("none")) + ")");
  }
  return ReadParsed(root, kind);
#else
  (void)bytes;
  (void)kind;
  return {std::nullopt, "this build of korpus cannot read e-invoices (it has no XML library)"};
#endif
}

int ImportEInvoices(standin::Store& store, const std::vector<std::string>& files, standin::Register kind,
                    std::ostream& out, std::ostream& err) {
  int status = 0;
  for (const std::string& file : files) {
    auto refuse = [&](const std::string& why) {
      err << "korpus: " << file << ": " << why << "; nothing imported\n";
      status = 1;
    };
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      refuse("cannot be read");
      continue;
    }
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > static_cast<std::streamoff>(kEInvoiceMaxBytes)) {
      refuse("larger than " + std::to_string(kEInvoiceMaxBytes >> 20) + " MB");
      continue;
    }
    in.seekg(0);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EInvoiceResult result = ReadEInvoice(bytes, kind);
    if (!result.invoice) {
      refuse(result.refusal);
      continue;
    }
    const EInvoice& invoice = *result.invoice;
    const auto held = store.ListInvoices(kind);
    if (std::any_of(held.begin(), held.end(), [&](const auto& row) { return SameInvoice(row, invoice.invoice); })) {
      const std::string nip = invoice.invoice.nip.empty() ? "" : " (NIP " + invoice.invoice.nip + ")";
      refuse("the " + std::string(RegisterWord(kind)) + " register holds invoice " + invoice.invoice.number +
             (kind == standin::Register::Purchase ? " of " + invoice.invoice.counterparty + nip : std::string()) +
             " already");
      continue;
    }
    try {
      store.AddInvoiceWithPositions(invoice.invoice, invoice.positions);
    } catch (const standin::StoreError& error) {
      refuse(error.what());
      continue;
    }
    for (const std::string& warning : invoice.warnings) err << "korpus: " << file << ": " << warning << '\n';
    out << invoice.invoice.number << ": " << RegisterWord(kind) << " register, " << invoice.positions.size()
        << (invoice.positions.size() == 1 ? " position" : " positions") << '\n';
  }
  return status;
}

}  // namespace app
