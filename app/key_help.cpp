#include "app/key_help.h"

#include "abi/codepage.h"

namespace app {

const char* const kRegisterKeyHelp =
    "Ctrl-1, F2, Alt-1   sprawdź bieżącą fakturę\n"
    "Strzałki, PgUp,     wybierz fakturę\n"
    "PgDn, Home, End\n"
    "Litery, cyfry       szukaj faktury po początku numeru\n"
    "Backspace, Esc      popraw / wyczyść szukany numer\n"
    "Tab                 przejdź do zakupu / sprzedaży\n"
    "F3                  dokumenty zapisane przy sprawdzaniu\n"
    "F1                  ta pomoc\n"
    "Esc                 zakończ program\n"
    "\n"
    "R przy fakturze: jej raport jest zapisany (F3)\n"
    "W przy fakturze: jej sprawdzanie można dokończyć"_mz;

const char* const kDocumentsKeyHelp =
    "Strzałki, PgUp,     wybierz dokument\n"
    "PgDn, Home, End\n"
    "Enter               pokaż dokument\n"
    "Esc, F3             wróć do rejestru\n"
    "\n"
    "W podglądzie dokumentu:\n"
    "Strzałki, PgUp,     przewiń w pionie i w poziomie\n"
    "PgDn, Home, End\n"
    "Esc                 wróć do listy dokumentów\n"
    "F1                  ta pomoc"_mz;

}  // namespace app
