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

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

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

// A decimal quantity as thousandths, exactly: "12.5" is 12500, "24.000"
// 24000; more decimals are allowed only as zeros.
enum class Quantity { Exact, NotANumber, Inexact, OutOfRange };

Quantity Thousandths(std::string_view text, std::int32_t& out) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) at = 1;
  std::int64_t value = 0;
  bool digits = false;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    digits = true;
    value = value * 10 + (text[at] - '0');
    if (value > (std::int64_t{1} << 40)) return Quantity::OutOfRange;
  }
  std::int64_t fraction = 0;
  int decimals = 0;
  bool inexact = false;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      digits = true;
      if (decimals < 3) {
        fraction = fraction * 10 + (text[at] - '0');
        ++decimals;
      } else if (text[at] != '0') {
        inexact = true;
      }
    }
  }
  if (!digits || at != text.size()) return Quantity::NotANumber;
  if (inexact) return Quantity::Inexact;
  for (; decimals < 3; ++decimals) fraction *= 10;
  std::int64_t thousandths = value * 1000 + fraction;
  if (negative) thousandths = -thousandths;
  if (thousandths < std::numeric_limits<std::int32_t>::min() || thousandths > std::numeric_limits<std::int32_t>::max()) {
    return Quantity::OutOfRange;
  }
  out = static_cast<std::int32_t>(thousandths);
  return Quantity::Exact;
}

// Kinds of invoice whose lines are goods delivered as invoiced: a VAT
// invoice and a simplified one. Corrections and advance invoices are not.
bool AcceptedKind(std::string_view kind) { return kind == "VAT" || kind == "UPR"; }

// A document type declaration is where entities and external files come
// from; an e-invoice has none. Looked for in the bytes before parsing (the
// files are UTF-8), and in the parsed tree after.
bool DeclaresDocumentType(std::string_view bytes) {
  return bytes.find("<!DOCTYPE") != std::string_view::npos || bytes.find("<!ENTITY") != std::string_view::npos;
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

std::optional<std::string> Text(const xmlNode* node) {
  if (node == nullptr) return std::nullopt;
  xmlChar* content = xmlNodeGetContent(node);
  if (content == nullptr) return std::string();
  std::string text(Trimmed(reinterpret_cast<const char*>(content)));
  xmlFree(content);
  return text;
}

std::string ParseError() {
  const xmlError* error = xmlGetLastError();
  if (error == nullptr || error->message == nullptr) return "not well-formed XML";
  const std::string message(Trimmed(error->message));
  return "not well-formed XML (line " + std::to_string(error->line) + ": " + message + ")";
}

EInvoiceResult Refused(std::string why) { return {std::nullopt, std::move(why)}; }

EInvoiceResult ReadParsed(const xmlNode* root, standin::Register kind) {
  const std::string_view ns = InNamespace(root, kFa3) ? kFa3 : kFa2;
  const xmlNode* fa = Child(root, "Fa", ns);
  if (fa == nullptr) return Refused("the invoice has no Fa element");
  const auto invoice_kind = Text(Child(fa, "RodzajFaktury", ns));
  if (!invoice_kind) return Refused("the invoice names no kind (Fa/RodzajFaktury)");
  if (!AcceptedKind(*invoice_kind)) {
    return Refused("an invoice of kind " + *invoice_kind + " is not taken (only VAT and UPR: a correction or an "
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
  const char* party = kind == standin::Register::Purchase ? "Podmiot1" : "Podmiot2";
  out.invoice.counterparty =
      Text(Child(Child(Child(root, party, ns), "DaneIdentyfikacyjne", ns), "Nazwa", ns)).value_or("");

  // Lines in the order of their numbers, each number once.
  std::map<std::int64_t, const xmlNode*> lines;
  std::size_t seen = 0;
  for (const xmlNode* child = fa->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE || Name(child) != "FaWiersz" || !InNamespace(child, ns)) continue;
    ++seen;
    const auto text = Text(Child(child, "NrWierszaFa", ns)).value_or("");
    std::int64_t number_of_line = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number_of_line);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || number_of_line < 1) {
      return Refused("invoice line " + std::to_string(seen) + " has no line number (NrWierszaFa)");
    }
    if (!lines.emplace(number_of_line, child).second) {
      return Refused("line number " + std::to_string(number_of_line) + " appears twice");
    }
  }
  for (const auto& [number_of_line, line] : lines) {
    const std::string where = "line " + std::to_string(number_of_line) + ": ";
    const auto quantity_text = Text(Child(line, "P_8B", ns));
    if (!quantity_text) {
      out.warnings.push_back(where + "no quantity (P_8B), a service: left out");
      continue;
    }
    std::int32_t quantity = 0;
    switch (Thousandths(*quantity_text, quantity)) {
      case Quantity::Exact:
        break;
      case Quantity::NotANumber:
        return Refused(where + "the quantity " + *quantity_text + " is not a number");
      case Quantity::Inexact:
        return Refused(where + "the quantity " + *quantity_text + " is finer than thousandths");
      case Quantity::OutOfRange:
        return Refused(where + "the quantity " + *quantity_text + " is beyond what a position holds");
    }
    std::string symbol = Text(Child(line, "GTIN", ns)).value_or("");
    if (symbol.empty()) symbol = Text(Child(line, "Indeks", ns)).value_or("");
    const Fitted fitted_symbol = Fit(symbol, kSymbolChars);
    // A symbol cut or changed would never match what the scanner reads.
    if (fitted_symbol.cut) return Refused(where + "the symbol " + symbol + " is longer than 16 characters");
    if (fitted_symbol.replaced) return Refused(where + "the symbol " + symbol + " has a character a position cannot hold");
    const Fitted name = Fit(Text(Child(line, "P_7", ns)).value_or(""), kNameChars);
    if (name.cut) out.warnings.push_back(where + "the name is cut to 120 characters");
    if (name.replaced) out.warnings.push_back(where + "the name shows '?' for a character a position cannot hold");
    standin::PositionRow position;
    position.name = name.text;
    position.symbol = symbol;
    position.quantity = quantity;
    out.positions.push_back(std::move(position));
  }
  return {std::move(out), ""};
}

#endif

// One seller numbers its invoices once: a purchase is the same invoice
// with the same number from the same seller, a sale (ours) by its number.
bool SameInvoice(const standin::InvoiceRow& held, const standin::InvoiceRow& read) {
  return held.number == read.number && (read.kind == standin::Register::Sales || held.counterparty == read.counterparty);
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
      refuse("the " + std::string(RegisterWord(kind)) + " register holds invoice " + invoice.invoice.number +
             (kind == standin::Register::Purchase ? " of " + invoice.invoice.counterparty : std::string()) +
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
