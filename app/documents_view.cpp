#include "app/documents_view.h"

#include <algorithm>
#include <cstdio>

#include "abi/codepage.h"
#include "app/document_text.h"

namespace app {

namespace {

using standin::KeyName;
using standin::Role;

// Title, column header and key bar; the viewer has no column header.
constexpr int kListChromeRows = 3;
constexpr int kViewerChromeRows = 2;
constexpr std::size_t kColumnStep = 8;

std::u32string Wide(std::string_view utf8) {
  std::u32string out;
  for (std::size_t at = 0; at < utf8.size();) out += codepage::DecodeUtf8(utf8, at);
  return out;
}

std::u32string Padded(std::string_view utf8, std::size_t width) {
  std::u32string text = Wide(utf8);
  text.resize(width, U' ');
  return text;
}

std::string InvoiceOf(standin::Store& store, std::int64_t id) {
  if (id == 0) return "-";
  const auto invoice = store.FindInvoice(id);
  if (!invoice) return "-";
  return invoice->number + (invoice->kind == standin::Register::Sales ? " (sprzedaż)" : " (zakup)");
}

void DrawTitle(standin::Screen& screen, std::string_view utf8) {
  const std::u32string title = Wide(utf8);
  screen.Fill(0, 0, screen.width(), 1, U' ', Role::Title);
  screen.PutText(std::max((screen.width() - static_cast<int>(title.size())) / 2, 0), 0, title, Role::Title,
                 screen.width());
}

std::size_t Clamp(std::int64_t value, std::size_t count) {
  if (count == 0 || value < 0) return 0;
  return std::min(static_cast<std::size_t>(value), count - 1);
}

}  // namespace

int DocumentPageRows(int screen_height) { return std::max(screen_height - kListChromeRows, 1); }

void DocumentsView::Load(standin::Store& store) {
  const std::int64_t shown = current_ < entries_.size() ? entries_[current_].id : 0;
  entries_.clear();
  for (const standin::DocumentRow& row : store.Documents()) {
    DocumentEntry& entry = entries_.emplace_back();
    entry.id = row.id;
    entry.stored_at = row.stored_at;
    entry.kind = DocumentKindName(row.kind);
    entry.invoice = InvoiceOf(store, row.invoice_id);
    entry.size = row.content.size();
    entry.lines = DocumentLines(row);
  }
  // The first visit starts at the newest document.
  current_ = entries_.empty() ? 0 : entries_.size() - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (shown != 0 && entries_[i].id == shown) current_ = i;
  }
  viewing_ = false;
}

bool DocumentsView::MoveList(const standin::Key& key, int page) {
  const auto at = static_cast<std::int64_t>(current_);
  switch (key.name) {
    case KeyName::Up: current_ = Clamp(at - 1, entries_.size()); return true;
    case KeyName::Down: current_ = Clamp(at + 1, entries_.size()); return true;
    case KeyName::PgUp: current_ = Clamp(at - page, entries_.size()); return true;
    case KeyName::PgDn: current_ = Clamp(at + page, entries_.size()); return true;
    case KeyName::Home: current_ = 0; return true;
    case KeyName::End: current_ = Clamp(static_cast<std::int64_t>(entries_.size()) - 1, entries_.size()); return true;
    default: return false;
  }
}

void DocumentsView::Scroll(const standin::Key& key, int page, int width) {
  const std::vector<std::string>& lines = entries_[current_].lines;
  const auto last_top = static_cast<std::int64_t>(lines.size()) - page;
  const auto line = static_cast<std::int64_t>(first_line_);
  auto top = [&](std::int64_t wanted) {
    first_line_ = static_cast<std::size_t>(std::max<std::int64_t>(std::min(wanted, last_top), 0));
  };
  std::size_t widest = 0;
  for (const std::string& text : lines) widest = std::max(widest, Wide(text).size());
  const std::size_t last_column = widest > static_cast<std::size_t>(width) ? widest - static_cast<std::size_t>(width) : 0;
  switch (key.name) {
    case KeyName::Up: top(line - 1); break;
    case KeyName::Down: top(line + 1); break;
    case KeyName::PgUp: top(line - page); break;
    case KeyName::PgDn: top(line + page); break;
    case KeyName::Home: top(0); first_column_ = 0; break;
    case KeyName::End: top(last_top); break;
    case KeyName::Left: first_column_ = first_column_ > kColumnStep ? first_column_ - kColumnStep : 0; break;
    case KeyName::Right: first_column_ = std::min(first_column_ + kColumnStep, last_column); break;
    default: break;
  }
}

bool DocumentsView::HandleKey(const standin::Key& key, int screen_height) {
  if (viewing_) {
    if (key.name == KeyName::Esc) {
      viewing_ = false;
    } else {
      Scroll(key, std::max(screen_height - kViewerChromeRows, 1), width_);
    }
    return true;
  }
  if (key.name == KeyName::Esc || key.name == KeyName::F3) return false;
  if (key.name == KeyName::Enter && !entries_.empty()) {
    viewing_ = true;
    first_line_ = 0;
    first_column_ = 0;
    return true;
  }
  MoveList(key, DocumentPageRows(screen_height));
  return true;
}

void DocumentsView::Draw(standin::Screen& screen) {
  const int width = screen.width();
  const int height = screen.height();
  width_ = width;
  screen.Fill(0, 0, width, height, U' ', Role::Normal);
  screen.HideCursor();

  if (viewing_) {
    const DocumentEntry& entry = entries_[current_];
    DrawTitle(screen, "Dokument " + std::to_string(entry.id) + " (" + entry.kind + ", " + entry.invoice + ")");
    const int page = std::max(height - kViewerChromeRows, 1);
    for (int row = 0; row < page; ++row) {
      const std::size_t index = first_line_ + static_cast<std::size_t>(row);
      if (index >= entry.lines.size()) break;
      const std::u32string text = Wide(entry.lines[index]);
      if (first_column_ < text.size()) screen.PutText(0, 1 + row, text.substr(first_column_), Role::Normal, width);
    }
    char where[64];
    std::snprintf(where, sizeof where, "wiersz %zu z %zu ", entry.lines.empty() ? 0 : first_line_ + 1,
                  entry.lines.size());
    const std::u32string position = Wide(where);
    screen.PutText(0, height - 1, Wide(" ↑↓ ←→ PgUp PgDn Home End   Esc Lista dokumentów"), Role::Hot, width);
    screen.PutText(std::max(width - static_cast<int>(position.size()), 0), height - 1, position, Role::Hot, width);
    return;
  }

  DrawTitle(screen, "Dokumenty");
  // Nr is the document's id, which --export-document takes.
  const std::u32string header = U"    Nr  " + Padded("Zapisany", 19) + U"  " + Padded("Rodzaj", 7) + U"  " +
                                Padded("Faktura", 34) + U" " + Wide("  Rozmiar");
  screen.Fill(0, 1, width, 1, U' ', Role::Header);
  screen.PutText(0, 1, header, Role::Header, width);

  const int page = DocumentPageRows(height);
  if (current_ < top_) top_ = current_;
  if (current_ >= top_ + static_cast<std::size_t>(page)) top_ = current_ + 1 - static_cast<std::size_t>(page);
  if (entries_.empty()) screen.PutText(6, 2, Wide("(brak dokumentów)"), Role::Disabled, width - 6);
  for (int line = 0; line < page; ++line) {
    const std::size_t index = top_ + static_cast<std::size_t>(line);
    if (index >= entries_.size()) break;
    const DocumentEntry& entry = entries_[index];
    char ordinal[32];
    std::snprintf(ordinal, sizeof ordinal, "%6lld  ", static_cast<long long>(entry.id));
    char size[32];
    std::snprintf(size, sizeof size, "%9zu", entry.size);
    const std::u32string text = Wide(ordinal) + Padded(entry.stored_at, 19) + U"  " + Padded(entry.kind, 7) + U"  " +
                                Padded(entry.invoice, 34) + U" " + Wide(size);
    const bool current = index == current_;
    const Role role = current ? Role::Current : Role::Normal;
    if (current) screen.Fill(0, 2 + line, width, 1, U' ', role);
    screen.PutText(0, 2 + line, text, role, width);
  }
  screen.PutText(0, height - 1, Wide(" F1 Pomoc   Enter Pokaż   ↑↓ PgUp PgDn Home End   Esc Powrót"), Role::Hot, width);
}

}  // namespace app
