#include "app/register_screen.h"

#include <algorithm>
#include <cstdio>

#include "abi/codepage.h"

namespace app {

namespace {

// Title, column header and key bar.
constexpr int kChromeRows = 3;
constexpr int kMarksWidth = 2;
constexpr int kNumberWidth = 20;
constexpr int kDateWidth = 10;

std::u32string Wide(std::string_view utf8) {
  std::u32string out;
  for (std::size_t at = 0; at < utf8.size();) out += codepage::DecodeUtf8(utf8, at);
  return out;
}

std::u32string Padded(std::string_view utf8, int width) {
  std::u32string text = Wide(utf8);
  text.resize(static_cast<std::size_t>(width), U' ');
  return text;
}

}  // namespace

int RegisterPageRows(int screen_height) { return std::max(screen_height - kChromeRows, 1); }

std::string SizesText(standin::ScreenSize terminal, standin::ScreenSize needed, std::string_view times) {
  const std::string by = " " + std::string(times) + " ";
  return "jest " + std::to_string(terminal.width) + by + std::to_string(terminal.height) + ", potrzeba co najmniej " +
         std::to_string(needed.width) + by + std::to_string(needed.height) + ".";
}

void DrawRegister(const RegisterList& list, const RegisterMarks& marks, const std::string& database,
                  standin::Screen& screen) {
  using standin::Role;
  const int width = screen.width();
  screen.Fill(0, 0, width, screen.height(), U' ', Role::Normal);
  screen.HideCursor();

  const bool sales = list.kind() == standin::Register::Sales;
  const std::u32string title = Wide(sales ? "Sprzedaż - Faktury krajowe (VAT)" : "Zakup - Faktury krajowe (VAT)");
  screen.Fill(0, 0, width, 1, U' ', Role::Title);
  screen.PutText(std::max((width - static_cast<int>(title.size())) / 2, 0), 0, title, Role::Title, width);

  const std::u32string header = U"  Lp. " + Padded("", kMarksWidth) + U" " + Padded("Numer", kNumberWidth) + U" " +
                                Padded("Data", kDateWidth) + U" " + Wide("Kontrahent");
  screen.Fill(0, 1, width, 1, U' ', Role::Header);
  screen.PutText(0, 1, header, Role::Header, width);

  const int page = RegisterPageRows(screen.height());
  if (list.size() == 0) {
    screen.PutText(6, 2, Wide("(brak faktur)   plik bazy danych: " + database), Role::Disabled, width - 6);
  }
  for (int line = 0; line < page; ++line) {
    const std::size_t index = list.top() + static_cast<std::size_t>(line);
    if (index >= list.size()) break;
    const standin::InvoiceRow& invoice = list.invoice(index);
    char ordinal[32];
    std::snprintf(ordinal, sizeof ordinal, "%4zu. ", index + 1);
    std::string mark;
    if (marks.reported.contains(invoice.id)) mark += 'R';
    if (!marks.resumable.empty() && invoice.number == marks.resumable) mark += 'W';
    const std::u32string text = Wide(ordinal) + Padded(mark, kMarksWidth) + U" " +
                                Padded(invoice.number, kNumberWidth) + U" " + Padded(invoice.issued, kDateWidth) +
                                U" " + Wide(invoice.counterparty);
    const bool current = index == list.current();
    const Role role = current ? Role::Current : Role::Normal;
    if (current) screen.Fill(0, 2 + line, width, 1, U' ', role);
    screen.PutText(0, 2 + line, text, role, width);
  }

  // While a number is typed, the key bar shows it.
  if (!list.search().empty()) {
    const std::u32string typed = Wide(" Szukaj: " + list.search());
    screen.PutText(0, screen.height() - 1, typed, Role::Hot, width);
    screen.PutText(static_cast<int>(typed.size()) + 3, screen.height() - 1, Wide("Backspace Popraw   Esc Wyczyść"),
                   Role::Normal, width);
    screen.SetCursor({std::min(static_cast<int>(typed.size()), width - 1), screen.height() - 1});
    return;
  }
  const std::u32string keys =
      Wide(sales ? " F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Zakup   F3 Dokumenty   Esc Koniec"
                 : " F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Sprzedaż   F3 Dokumenty   Esc Koniec");
  screen.PutText(0, screen.height() - 1, keys, Role::Hot, width);
}

}  // namespace app
