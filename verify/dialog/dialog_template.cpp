#include "verify/dialog/dialog_template.h"

#include "abi/codepage.h"

namespace verify {

namespace {

constexpr std::uint16_t kDialogKind = 0xFFFF;
constexpr std::uint16_t kButton = 0;
constexpr std::uint16_t kCheckBox = 2;
constexpr std::uint16_t kStatic = 3;
constexpr std::uint16_t kColumnHeader = 4;
constexpr std::uint16_t kInputLine = 5;
constexpr std::uint16_t kList = 6;

// Button captions name their key between these two bytes.
constexpr char kKeyNameOpen = 0x05;
constexpr char kKeyNameClose = 0x01;

struct Head {
  std::uint16_t kind;
  std::int16_t id;
  std::uint16_t style;
  std::uint16_t hot_key;
  std::uint16_t column;
  std::uint16_t row;
  std::uint16_t width;
  std::uint16_t height;
};

class TemplateWriter {
 public:
  consteval TemplateWriter() { at_ = 8; }

  consteval void Record(const Head& head, const char* text) {
    WriteHead(head);
    Text(text);
    ++records_;
  }

  consteval void Button(const Head& head, const char* key_name, const char* caption) {
    WriteHead(head);
    Byte(kKeyNameOpen);
    Chars(key_name);
    Byte(kKeyNameClose);
    Text(caption);
    ++records_;
  }

  // An input line: the kind and the length of its fixed part, then the
  // fixed part (head and the line's own words), then its text.
  consteval void TextInput(const Head& head, std::uint16_t max_length, std::uint16_t a, std::uint16_t b,
                           std::uint16_t c, std::uint16_t d) {
    U16(kInputLine);
    U16(38);
    WriteHead(head);
    Zeros(8);
    U16(max_length);
    U16(a);
    U16(b);
    U16(c);
    U16(d);
    Text("");
    ++records_;
  }

  consteval void NumberInput(const Head& head, std::uint16_t max_length, std::uint16_t decimals, std::int32_t low,
                             std::int32_t high) {
    U16(kInputLine);
    U16(44);
    WriteHead(head);
    Zeros(8);
    U16(max_length);
    U16(decimals);
    U16(0);
    U16(0);
    U32(static_cast<std::uint32_t>(low));
    U32(static_cast<std::uint32_t>(high));
    Text("");
    ++records_;
  }

  // The header counts the records after the dialog record and the bytes up
  // to the last text's NUL; a zero byte fills the block to a multiple of 4.
  consteval DialogTemplateBytes Finish() {
    const std::size_t end = at_;
    at_ = 0;
    U32(static_cast<std::uint32_t>(end - 4));
    U16(static_cast<std::uint16_t>(end - 8));
    U16(static_cast<std::uint16_t>(records_ - 1));
    if (end % 4 != 0) bytes_.at(end) = 0;
    if (end + (4 - end % 4) % 4 != bytes_.size()) throw "template size";
    return bytes_;
  }

 private:
  consteval void Byte(char value) { bytes_.at(at_++) = static_cast<std::uint8_t>(value); }
  consteval void U16(std::uint16_t value) {
    bytes_.at(at_++) = static_cast<std::uint8_t>(value & 0xFF);
    bytes_.at(at_++) = static_cast<std::uint8_t>(value >> 8);
  }
  consteval void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value & 0xFFFF));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  consteval void Zeros(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Byte(0);
  }
  consteval void Chars(const char* text) {
    while (*text != '\0') Byte(*text++);
  }
  consteval void Text(const char* text) {
    Chars(text);
    Byte(0);
  }
  consteval void WriteHead(const Head& head) {
    U16(head.kind);
    U16(static_cast<std::uint16_t>(head.id));
    U16(head.style);
    U16(head.hot_key);
    U16(head.column);
    U16(head.row);
    U16(head.width);
    U16(head.height);
    U32(0);
  }

  DialogTemplateBytes bytes_{};
  std::size_t at_ = 0;
  int records_ = 0;
};

consteval DialogTemplateBytes Build() {
  TemplateWriter w;
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
  return w.Finish();
}

constexpr DialogTemplateBytes kTemplate = Build();

}  // namespace

const DialogTemplateBytes& DialogTemplate() { return kTemplate; }

}  // namespace verify
