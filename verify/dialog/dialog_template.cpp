#include "verify/dialog/dialog_template.h"

#include "abi/codepage.h"
#include "verify/dialog/template_writer.h"

namespace verify {

namespace {

using namespace dialog_template;

consteval DialogTemplateBytes Build() {
  TemplateWriter<kDialogTemplateSize> w;
  w.Record({kDialogKind, 1, 0, 0, 0, 0, 82, 21}, "Sprawdź fakturę"_mz);
  w.Record({kStatic, -1, 0x0800, 0, 1, 1, 1, 1}, "");
  w.Record({kCheckBox, 2, 0x0140, 'U', 2, 15, 24, 1}, "~U~względniaj ilości"_mz);
  w.Record({kStatic, -1, 0, 'S', 35, 1, 15, 1}, "~S~ymbol towaru:"_mz);
  w.TextInput({kInputLine, 3, 0x8540, 0, 29, 2, 20, 1}, 16, 8, 0, 16, 1);
  w.Record({kStatic, 4, 0, 'I', 57, 1, 6, 1}, "~I~lość"_mz);
  w.NumberInput({kInputLine, 5, 0x0540, 0, 51, 2, 12, 1}, 10, 3, -2147483647, 2147483647);
  w.Record({kColumnHeader, 0x5801, 0, 0, 2, 3, 78, 1},
           "l-30Nazwa\rl16Symbol\rl14Zliczono\rl14Ilosc na fak.\rp10Uwagi"_mz);
  w.Record({kStatic, -1, 0, 'N', 100, 100, 2, 1}, "~N~"_mz);
  w.Record({kList, 6, 0x05C8, 0, 2, 4, 78, 10}, "");
  w.Record({kStatic, -1, 0x0800, 0, 1, 1, 1, 1}, "");
  w.Record({kCheckBox, 7, 0x0140, 0, 2, 16, 78, 1}, "Nie dopisuj pozycji, których brak na fakturze"_mz);
  w.Record({kButton, 13, 0x0110, 13, 1000, 1000, 1, 1}, "");
  w.Button({kButton, 0x5001, 0x0004, 0x5500, 6, 18, 15, 1}, "F12", " OK");
  w.Button({kButton, 0x3E00, 0x0100, 0x3E00, 25, 18, 28, 1}, "F4", " Odczytaj inwentaryzator");
  w.Button({kButton, 0x3F00, 0x0100, 0x3F00, 57, 18, 18, 1}, "F5", " Zapisz raport");
  if (w.Finish() != kDialogTemplateSize) throw "template size";
  return w.bytes();
}

constexpr DialogTemplateBytes kTemplate = Build();

}  // namespace

const DialogTemplateBytes& DialogTemplate() { return kTemplate; }

}  // namespace verify
