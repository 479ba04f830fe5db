#include "verify/dialog/dialog_template.h"

#include "abi/codepage.h"
#include "abi/dialog_codes.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/template_writer.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

using namespace dialog_template;

consteval DialogTemplateBytes Build() {
  using korpus_abi::FunctionKey;
  using korpus_abi::kKeyEnter;
  using namespace controls;
  TemplateWriter<kDialogTemplateSize> w;
  w.Record({kKindDialog, 1, 0, 0, 0, 0, 82, 21}, "Sprawdź fakturę"_mz);
  w.Record({kKindStatic, kNoId, 0x0800, 0, 1, 1, 1, 1}, "");
  w.Record({kKindCheckBox, kQuantitiesOption, 0x0140, 'U', 2, 15, 24, 1}, "~U~względniaj ilości"_mz);
  w.Record({kKindStatic, kNoId, 0, 'S', 35, 1, 15, 1}, "~S~ymbol towaru:"_mz);
  w.TextInput({kKindInput, kSymbol, 0x8540, 0, 29, 2, 20, 1}, sizeof ValueBuffer::symbol - 1, 8, 0, 16, 1);
  w.Record({kKindStatic, kQuantityLabel, 0, 'I', 57, 1, 6, 1}, "~I~lość"_mz);
  w.NumberInput({kKindInput, kQuantity, 0x0540, 0, 51, 2, 12, 1}, 10, 3, -2147483647, 2147483647);
  w.Record({kKindColumnHeader, 0x5801, 0, 0, 2, 3, 78, 1},
           "l-30Nazwa\rl16Symbol\rl14Zliczono\rl14Ilosc na fak.\rp10Uwagi"_mz);
  w.Record({kKindStatic, kNoId, 0, 'N', 100, 100, 2, 1}, "~N~"_mz);
  w.Record({kKindList, kList, 0x05C8, 0, 2, 4, 78, 10}, "");
  w.Record({kKindStatic, kNoId, 0x0800, 0, 1, 1, 1, 1}, "");
  w.Record({kKindCheckBox, kNoAdditions, 0x0140, 0, 2, 16, 78, 1}, "Nie dopisuj pozycji, których brak na fakturze"_mz);
  w.Record({kKindButton, kEnterButton, 0x0110, kKeyEnter, 1000, 1000, 1, 1}, "");
  w.Button({kKindButton, kOkButton, 0x0004, FunctionKey(12), 6, 18, 15, 1}, "F12", " OK");
  w.Button({kKindButton, kReadCollectorButton, 0x0100, FunctionKey(4), 25, 18, 28, 1}, "F4",
           " Odczytaj inwentaryzator");
  w.Button({kKindButton, kWriteReportButton, 0x0100, FunctionKey(5), 57, 18, 18, 1}, "F5", " Zapisz raport");
  if (w.Finish() != kDialogTemplateSize) throw "template size";
  return w.bytes();
}

constexpr DialogTemplateBytes kTemplate = Build();

}  // namespace

const DialogTemplateBytes& DialogTemplate() { return kTemplate; }

}  // namespace verify
