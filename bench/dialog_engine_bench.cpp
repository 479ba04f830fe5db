// The dialog engine's cost per key: a scanner types a 13-digit code and
// Enter as a burst of keys, and every key is handled and the dialog redrawn
// with the visible rows of a 5000-row list read from the dialog object.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "standin/dialog/delegates.h"
#include "standin/entries.h"
#include "standin/frontend.h"
#include "verify/dialog/dialog_template.h"

namespace {

struct ListObject {
  korpus_abi::WDialogBase base;
  void* table[korpus_abi::kClassTableSlots];
  int rows = 5000;
  char text[256];

  static std::int32_t KORPUS_METHOD Event(void*, std::int16_t code, std::int16_t kind) {
    return kind == 1 && code == 13 ? 3 : 0;
  }
  static std::intptr_t KORPUS_METHOD Row(void* self, std::int16_t row, std::int32_t) {
    auto* object = static_cast<ListObject*>(self);
    if (row < 0) return object->rows;
    std::snprintf(object->text, sizeof object->text, "%4d. %s\r%s\r%0.2f\r%0.2f\r%s", row + 1,
                  "Wkret do drewna 4x40 ocynkowany", "WKR-4X40", 1.0, 2.0, "mało");
    return reinterpret_cast<std::intptr_t>(object->text);
  }

  ListObject() {
    standin::entry::DialogConstruct(this);
    const auto base_table = standin::dialog::BaseClassTable();
    for (std::size_t i = 0; i < base_table.size(); ++i) table[i] = base_table[i];
    table[1] = reinterpret_cast<void*>(&Event);
    table[22] = reinterpret_cast<void*>(&Row);
    base.class_table = table;
  }
};

class BurstFrontEnd final : public standin::FrontEnd {
 public:
  explicit BurstFrontEnd(std::vector<standin::Key> keys) : keys_(std::move(keys)) {}
  std::int16_t ShowBox(const standin::BoxRequest&) override { return standin::kAnswerOk; }
  void ShowNotice(const std::string&, std::int16_t&) override {}
  int ShowSystemBox(const std::string&, const std::string&) override { return 3; }
  standin::Key NextKey() override { return at_ < keys_.size() ? keys_[at_++] : standin::NoKey(); }
  void Present(const standin::Screen& screen) override { benchmark::DoNotOptimize(screen.At(0, 0)); }

 private:
  std::vector<standin::Key> keys_;
  std::size_t at_ = 0;
};

void* CallableOf(void* delegate) {
  void* const* table = nullptr;
  std::memcpy(&table, delegate, sizeof table);
  return reinterpret_cast<void*(KORPUS_METHOD*)(void*)>(table[1])(delegate);
}

void BM_ScannerBurst(benchmark::State& state) {
  const auto codes = static_cast<int>(state.range(0));
  std::vector<standin::Key> keys;
  for (int i = 0; i < codes; ++i) {
    for (char c : std::string("5901234123457")) keys.push_back(standin::CharKey(static_cast<char32_t>(c)));
    keys.push_back(standin::NamedKey(standin::KeyName::Enter));
  }
  ListObject object;
  alignas(void*) std::uint8_t rows[korpus_abi::kDelegateSize];
  alignas(void*) std::uint8_t events[korpus_abi::kDelegateSize];
  standin::entry::DelegateMake(rows, &object, reinterpret_cast<void*>(&standin::entry::DialogRowText));
  standin::entry::DelegateMake(events, &object, reinterpret_cast<void*>(&standin::entry::DialogDeliverEvent));
  std::uint8_t values[27] = {};
  for (auto _ : state) {
    BurstFrontEnd front(keys);
    standin::SetFrontEnd(&front);
    benchmark::DoNotOptimize(standin::entry::RunDialog(verify::DialogTemplate().data(), 1, values,
                                                       CallableOf(rows), CallableOf(events)));
    standin::SetFrontEnd(nullptr);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
  state.SetLabel("keys");
}
BENCHMARK(BM_ScannerBurst)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
