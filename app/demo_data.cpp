#include "app/demo_data.h"

#include <string>
#include <vector>

namespace app {

namespace {

constexpr std::int32_t kMainCatalogue = 1;     // searched for goods off the invoice
constexpr std::int32_t kArchiveCatalogue = 2;  // not searched

struct Family {
  const char* name;    // "%s" stands for the variant's label
  const char* prefix;  // symbol prefix; the variant's code follows a dash
  std::vector<std::pair<const char*, const char*>> variants;  // label, code
};

// Twenty-eight families of ten or so variants: a few hundred goods.
const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"Śruba sześciokątna ocynkowana M%s", "SRB",
       {{"6x20", "6X20"}, {"6x30", "6X30"}, {"8x30", "8X30"}, {"8x40", "8X40"}, {"8x60", "8X60"},
        {"10x40", "10X40"}, {"10x60", "10X60"}, {"12x60", "12X60"}, {"12x80", "12X80"}, {"16x100", "16X100"}}},
      {"Wkręt do drewna %s mm", "WKR",
       {{"3x16", "3X16"}, {"3x25", "3X25"}, {"3,5x30", "35X30"}, {"4x30", "4X30"}, {"4x40", "4X40"},
        {"4x50", "4X50"}, {"5x50", "5X50"}, {"5x70", "5X70"}, {"6x80", "6X80"}, {"6x100", "6X100"}}},
      {"Kołek rozporowy %s mm", "KOL",
       {{"5x25", "5X25"}, {"6x30", "6X30"}, {"6x40", "6X40"}, {"8x40", "8X40"}, {"8x50", "8X50"},
        {"8x60", "8X60"}, {"10x50", "10X50"}, {"10x60", "10X60"}, {"12x70", "12X70"}, {"14x80", "14X80"}}},
      {"Gwóźdź budowlany %s mm", "GWZ",
       {{"1,8x30", "18X30"}, {"2x40", "2X40"}, {"2,5x50", "25X50"}, {"2,8x60", "28X60"}, {"3,1x70", "31X70"},
        {"3,4x80", "34X80"}, {"3,8x100", "38X100"}, {"4,2x120", "42X120"}, {"5x150", "5X150"}, {"6x200", "6X200"}}},
      {"Podkładka płaska %s", "PDK",
       {{"M4", "M4"}, {"M5", "M5"}, {"M6", "M6"}, {"M8", "M8"}, {"M10", "M10"}, {"M12", "M12"}, {"M14", "M14"},
        {"M16", "M16"}, {"M20", "M20"}, {"M24", "M24"}}},
      {"Nakrętka sześciokątna %s", "NKR",
       {{"M4", "M4"}, {"M5", "M5"}, {"M6", "M6"}, {"M8", "M8"}, {"M10", "M10"}, {"M12", "M12"}, {"M14", "M14"},
        {"M16", "M16"}, {"M20", "M20"}, {"M24", "M24"}}},
      {"Farba emulsyjna %s", "FRB",
       {{"biała 1 l", "1L"}, {"biała 2,5 l", "25L"}, {"biała 5 l", "5L"}, {"biała 10 l", "10L"},
        {"kość słoniowa 5 l", "KS5L"}, {"żółta 2,5 l", "ZO25L"}, {"zielona 2,5 l", "ZI25L"}, {"szara 5 l", "SZ5L"},
        {"błękitna 2,5 l", "BL25L"}, {"grafitowa 5 l", "GR5L"}}},
      {"Farba akrylowa do drewna %s", "FAK",
       {{"dąb 0,75 l", "DAB075"}, {"orzech 0,75 l", "ORZ075"}, {"sosna 0,75 l", "SOS075"}, {"teak 0,75 l", "TEK075"},
        {"mahoń 0,75 l", "MAH075"}, {"palisander 0,75 l", "PAL075"}, {"bezbarwna 0,75 l", "BEZ075"},
        {"biała 0,75 l", "BIA075"}, {"czarna 0,75 l", "CZA075"}, {"szara 0,75 l", "SZA075"}}},
      {"Pędzel płaski %s mm", "PDZ",
       {{"20", "20"}, {"25", "25"}, {"30", "30"}, {"40", "40"}, {"50", "50"}, {"60", "60"}, {"70", "70"},
        {"80", "80"}, {"100", "100"}, {"120", "120"}}},
      {"Wałek malarski %s", "WLK",
       {{"welurowy 10 cm", "W10"}, {"welurowy 18 cm", "W18"}, {"poliamidowy 18 cm", "P18"},
        {"poliamidowy 25 cm", "P25"}, {"z mikrofazy 18 cm", "M18"}, {"z mikrofazy 25 cm", "M25"},
        {"piankowy 10 cm", "F10"}, {"piankowy 15 cm", "F15"}, {"strukturalny 18 cm", "S18"},
        {"do kaloryferów 5 cm", "K5"}}},
      {"Taśma malarska %s mm", "TSM",
       {{"19", "19"}, {"25", "25"}, {"30", "30"}, {"38", "38"}, {"48", "48"}, {"50", "50"}, {"75", "75"},
        {"96", "96"}}},
      {"Klej montażowy %s", "KLM",
       {{"uniwersalny 300 ml", "U300"}, {"do luster 290 ml", "L290"}, {"do styropianu 750 ml", "S750"},
        {"do drewna 500 g", "D500"}, {"kontaktowy 200 ml", "K200"}, {"hybrydowy 290 ml", "H290"},
        {"przezroczysty 290 ml", "P290"}, {"szybki 310 ml", "S310"}}},
      {"Silikon sanitarny %s", "SIL",
       {{"biały 280 ml", "280-BIA"}, {"bezbarwny 280 ml", "280-BEZ"}, {"szary 280 ml", "280-SZA"},
        {"czarny 280 ml", "280-CZA"}, {"brązowy 280 ml", "280-BRA"}, {"biały 90 ml", "90-BIA"},
        {"bezbarwny 90 ml", "90-BEZ"}}},
      {"Pianka montażowa %s", "PNK",
       {{"750 ml", "750"}, {"500 ml", "500"}, {"pistoletowa 750 ml", "P750"}, {"zimowa 750 ml", "Z750"},
        {"ognioodporna 750 ml", "O750"}, {"niskoprężna 750 ml", "N750"}}},
      {"Rękawice robocze %s", "RKW",
       {{"rozmiar S", "S"}, {"rozmiar M", "M"}, {"rozmiar L", "L"}, {"rozmiar XL", "XL"},
        {"powlekane rozmiar M", "PM"}, {"powlekane rozmiar L", "PL"}, {"skórzane rozmiar L", "SL"},
        {"skórzane rozmiar XL", "SXL"}}},
      {"Przewód OMY %s mm (metr)", "OMY",
       {{"2x0,75", "2X075"}, {"2x1", "2X1"}, {"2x1,5", "2X15"}, {"3x0,75", "3X075"}, {"3x1", "3X1"},
        {"3x1,5", "3X15"}, {"3x2,5", "3X25"}, {"4x1,5", "4X15"}, {"5x1,5", "5X15"}, {"5x2,5", "5X25"}}},
      {"Gniazdo podtynkowe %s", "GNZ",
       {{"pojedyncze białe", "P-BIA"}, {"pojedyncze kremowe", "P-KRE"}, {"podwójne białe", "D-BIA"},
        {"podwójne kremowe", "D-KRE"}, {"z uziemieniem białe", "U-BIA"}, {"z uziemieniem szare", "U-SZA"},
        {"hermetyczne IP44", "IP44"}, {"z klapką IP44", "K-IP44"}}},
      {"Łącznik świecznikowy %s", "LSW",
       {{"biały", "BIA"}, {"kremowy", "KRE"}, {"szary", "SZA"}, {"czarny", "CZA"}, {"złoty", "ZLO"},
        {"srebrny", "SRE"}}},
      {"Żarówka LED %s", "ZAR",
       {{"E27 10 W", "E27-10W"}, {"E27 14 W", "E27-14W"}, {"E14 5 W", "E14-5W"}, {"E14 7 W", "E14-7W"},
        {"GU10 5 W", "GU10-5W"}, {"GU10 7 W", "GU10-7W"}, {"G9 3 W", "G9-3W"}, {"E27 filament 8 W", "E27-F8W"}}},
      {"Rura PCV %s", "RUR",
       {{"32 mm 1 m", "32-1"}, {"40 mm 1 m", "40-1"}, {"50 mm 1 m", "50-1"}, {"50 mm 2 m", "50-2"},
        {"75 mm 1 m", "75-1"}, {"110 mm 1 m", "110-1"}, {"110 mm 2 m", "110-2"}, {"160 mm 2 m", "160-2"}}},
      {"Kolanko PCV %s", "KLN",
       {{"32/45°", "32-45"}, {"32/90°", "32-90"}, {"50/45°", "50-45"}, {"50/90°", "50-90"}, {"110/45°", "110-45"},
        {"110/90°", "110-90"}, {"160/45°", "160-45"}}},
      {"Zawór kulowy %s", "ZAW",
       {{"1/2\"", "12"}, {"3/4\"", "34"}, {"1\"", "1"}, {"1 1/4\"", "114"}, {"z dźwignią 1/2\"", "D12"},
        {"z motylkiem 1/2\"", "M12"}, {"z motylkiem 3/4\"", "M34"}}},
      {"Uszczelka gumowa %s", "USZ",
       {{"1/2\"", "12"}, {"3/4\"", "34"}, {"1\"", "1"}, {"do syfonu 40 mm", "S40"}, {"do syfonu 50 mm", "S50"},
        {"płaska 110 mm", "P110"}}},
      {"Płytka ceramiczna %s", "PLT",
       {{"biała 20x25", "B2025"}, {"biała 30x60", "B3060"}, {"szara 30x60", "S3060"}, {"grafitowa 60x60", "G6060"},
        {"beżowa 33x33", "Z3333"}, {"drewnopodobna 20x120", "D20120"}, {"mozaika 30x30", "M3030"},
        {"cokół 8x60", "C860"}}},
      {"Fuga elastyczna %s 2 kg", "FUG",
       {{"biała", "BIA"}, {"szara", "SZA"}, {"grafitowa", "GRA"}, {"beżowa", "BEZ"}, {"antracytowa", "ANT"},
        {"jaśminowa", "JAS"}, {"brązowa", "BRA"}}},
      {"Zaprawa %s", "ZPR",
       {{"klejowa 25 kg", "K25"}, {"klejowa elastyczna 25 kg", "KE25"}, {"murarska 25 kg", "M25"},
        {"tynkarska 25 kg", "T25"}, {"wyrównująca 25 kg", "W25"}, {"samopoziomująca 25 kg", "S25"}}},
      {"Gips %s", "GPS",
       {{"szpachlowy 2 kg", "S2"}, {"szpachlowy 5 kg", "S5"}, {"szpachlowy 20 kg", "S20"},
        {"budowlany 2 kg", "B2"}, {"budowlany 20 kg", "B20"},
        {"finiszowy 20 kg", "F20"}}},
      {"Wiertło do betonu %s mm", "WRT",
       {{"4", "4"}, {"5", "5"}, {"6", "6"}, {"8", "8"}, {"10", "10"}, {"12", "12"}, {"14", "14"}, {"16", "16"}}},
      {"Tarcza do cięcia %s", "TRC",
       {{"stali 115 mm", "S115"}, {"stali 125 mm", "S125"}, {"stali 230 mm", "S230"}, {"kamienia 125 mm", "K125"},
        {"diamentowa 125 mm", "D125"}, {"diamentowa 230 mm", "D230"}, {"drewna 125 mm", "W125"}}},
  };
  return families;
}

std::string Expand(const char* pattern, const char* label) {
  std::string out = pattern;
  const auto at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, label);
  return out;
}

// Goods that only the archive catalogue holds: the goods search does not
// see them, so counting one off the invoice gives "Nowy towar".
const std::vector<std::pair<const char*, const char*>> kArchiveGoods = {
    {"Lampa naftowa mosiężna", "ARCH-001"},        {"Kłódka żeliwna 50 mm", "ARCH-002"},
    {"Grzejnik żeberkowy żeliwny", "ARCH-003"},    {"Piecyk koksowy", "ARCH-004"},
    {"Wiadro ocynkowane 12 l", "ARCH-005"},        {"Konewka blaszana 10 l", "ARCH-006"},
    {"Kosa spalinowa (egzemplarz pokazowy)", "ARCH-007"},
    {"Taczka budowlana 85 l", "ARCH-008"},
};

struct Line {
  const char* name;
  const char* symbol;
  std::int32_t quantity;  // thousandths
};

void AddInvoice(standin::Store& store, standin::Register kind, const char* number, const char* issued,
                const char* counterparty, const std::vector<Line>& lines) {
  const std::int64_t id = store.AddInvoice({0, kind, number, issued, counterparty});
  std::vector<standin::PositionRow> positions;
  for (const Line& line : lines) positions.push_back({id, 0, line.name, line.symbol, line.quantity});
  store.AddPositions(positions);
}

}  // namespace

const std::string_view kDemoCollectorFile =
    "SRB-8X40;10\r\n"
    "WKR-4X40;7\r\n"
    "KOL-8X50;2\r\n"
    "OMY-2X15;2\r\n"
    "ZGRZ-ZAR-E27;2\r\n"
    "KART-SIL-280;2\r\n"
    "5901234567893;4\r\n"
    "RKW-L;3\r\n"
    "ARCH-001;1\r\n"
    "XYZ-999;1\r\n";

void FillDemoData(standin::Store& store) {
  store.AddCatalogues(std::vector<standin::CatalogueRow>{{kMainCatalogue, "Magazyn główny", true},
                                                         {kArchiveCatalogue, "Wyprzedaż archiwalna", false}});

  std::vector<standin::GoodsRow> goods;
  std::int32_t foam_id = 0;
  for (const Family& family : Families()) {
    for (const auto& [label, code] : family.variants) {
      const auto id = static_cast<std::int32_t>(goods.size() + 1);
      const std::string symbol = std::string(family.prefix) + "-" + code;
      if (symbol == "PNK-750") foam_id = id;
      goods.push_back({kMainCatalogue, id, Expand(family.name, label), symbol});
    }
  }
  std::int32_t archive_id = 0;
  for (const auto& [name, symbol] : kArchiveGoods) goods.push_back({kArchiveCatalogue, ++archive_id, name, symbol});
  store.AddGoods(goods);

  // Packages counted under their own codes: a shrink-pack of twelve
  // bulbs, a carton of six tubes, single cans by their bar code.
  store.AddCodes(std::vector<standin::CodeRow>{
      {"ZGRZ-ZAR-E27", 12000, "ZAR-E27-10W", kMainCatalogue, 0},
      {"ZGRZ-ZAR-E14", 12000, "ZAR-E14-5W", kMainCatalogue, 0},
      {"KART-SIL-280", 6000, "SIL-280-BIA", kMainCatalogue, 0},
      {"KART-SIL-BEZ", 6000, "SIL-280-BEZ", kMainCatalogue, 0},
      {"KART-PNK-750", 12000, "PNK-750", kMainCatalogue, 0},
      {"5901234567893", 1000, "PNK-750", kMainCatalogue, foam_id},
  });

  using standin::Register;
  AddInvoice(store, Register::Sales, "FV 1/2024", "2024-03-04", "Zakład Remontowy Wiśniewski i Syn",
             {
                 {"Śruba sześciokątna ocynkowana M8x40", "SRB-8X40", 10000},
                 {"Wkręt do drewna 4x40 mm", "WKR-4X40", 5000},
                 {"Kołek rozporowy 8x50 mm", "KOL-8X50", 6000},
                 {"Farba emulsyjna biała 10 l", "FRB-10L", 3000},
                 {"Przewód OMY 2x1,5 mm (metr)", "OMY-2X15", 2500},
                 {"Taśma malarska 48 mm", "TSM-48", 2000},
                 {"Żarówka LED E27 10 W", "ZAR-E27-10W", 24000},
                 {"Silikon sanitarny biały 280 ml", "SIL-280-BIA", 12000},
                 {"Pianka montażowa 750 ml", "PNK-750", 4000},
                 {"Taśma malarska 48 mm", "TSM-48", 3000},
                 {"Usługa transportowa", "", 1000},
             });
  AddInvoice(store, Register::Sales, "FV 2/2024", "2024-03-05", "Hurtownia Budowlana Kowalczyk Sp. z o.o.",
             {
                 {"Gips szpachlowy 20 kg", "GPS-S20", 4000},
                 {"Zaprawa klejowa 25 kg", "ZPR-K25", 10000},
                 {"Wiertło do betonu 8 mm", "WRT-8", 3000},
                 {"Fuga elastyczna szara 2 kg", "FUG-SZA", 6000},
             });

  // A longer invoice: every seventh of the goods, one to nine pieces.
  std::vector<Line> long_invoice;
  for (std::size_t i = 0; i < goods.size() && goods[i].catalogue == kMainCatalogue; i += 7) {
    long_invoice.push_back({goods[i].name.c_str(), goods[i].symbol.c_str(), static_cast<std::int32_t>(1000 * (1 + i % 9))});
  }
  AddInvoice(store, Register::Sales, "FV 3/2024", "2024-03-11", "Przedsiębiorstwo Handlowe \"Żuraw\" S.A.",
             long_invoice);
  AddInvoice(store, Register::Sales, "FV 4/2024", "2024-03-12", "Jan Żółkiewski - usługi ogólnobudowlane", {});

  AddInvoice(store, Register::Purchase, "FZ 101/2024", "2024-02-27", "Hydro-Łódź Sp. j.",
             {
                 {"Rura PCV 110 mm 2 m", "RUR-110-2", 20000},
                 {"Kolanko PCV 110/45°", "KLN-110-45", 15000},
                 {"Zawór kulowy 1/2\"", "ZAW-12", 8000},
                 {"Uszczelka gumowa 3/4\"", "USZ-34", 50000},
                 {"Zawór kulowy 1/2\"", "ZAW-12", 4000},
             });
  AddInvoice(store, Register::Purchase, "FZ 102/2024", "2024-03-01", "Fabryka Łączników \"Śląsk\"",
             {
                 {"Nakrętka sześciokątna M8", "NKR-M8", 1000000},
                 {"Podkładka płaska M8", "PDK-M8", 1000000},
                 {"Śruba sześciokątna ocynkowana M8x40", "SRB-8X40", 500000},
                 {"Fracht", "", 1000},
             });
}

}  // namespace app
