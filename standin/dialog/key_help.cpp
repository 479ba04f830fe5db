#include "standin/dialog/key_help.h"

#include "abi/codepage.h"

namespace standin::dialog {

const char* const kDialogKeyHelp =
    "Symbol towaru     wpisz lub zeskanuj symbol, potem Enter\n"
    "Ilość             wpisz ilość albo zostaw podaną, potem Enter\n"
    "Tab, Shift-Tab    następne / poprzednie pole\n"
    "Alt i litera      pole o tej wyróżnionej literze\n"
    "Spacja            zaznacz pole wyboru, naciśnij przycisk\n"
    "Strzałki, PgUp,   przewiń listę pozycji, gdy jest wybrana\n"
    "PgDn, Home, End\n"
    "F4                odczytaj inwentaryzator (plik data.txt)\n"
    "F5                zapisz raport niezgodności\n"
    "F12, Esc          zamknij okno\n"
    "F1                ta pomoc"_mz;

BoxRequest KeyHelpBox(const char* mazovia_text) { return {"Pomoc"_mz, mazovia_text, kBoxNotice}; }

}  // namespace standin::dialog
