// The stand-in's export table: every entry of the shared table by ordinal.
#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <set>
#include <unordered_map>

#include "standin/entries.h"
#include "standin/testing.h"

namespace standin {

namespace {

struct Export {
  std::uint16_t ordinal;
  void* address;
};

const Export kExports[] = {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) {ordinal, reinterpret_cast<void*>(&entry::name)},
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) {ordinal, reinterpret_cast<void*>(&entry::name)},
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
};

struct ExportState {
  std::mutex mutex;
  std::set<std::uint16_t> hidden;
  std::unordered_map<std::uint16_t, int> lookups;
};

ExportState& State() {
  static ExportState state;
  return state;
}

}  // namespace

void CountLookup(std::uint32_t ordinal) {
  std::lock_guard lock(State().mutex);
  ++State().lookups[static_cast<std::uint16_t>(ordinal)];
}

namespace {

// By ordinal, for a look-up without a walk: a check binds every entry anew.
const std::array<Export, std::size(kExports)>& SortedExports() {
  static const auto sorted = [] {
    std::array<Export, std::size(kExports)> exports;
    std::copy(std::begin(kExports), std::end(kExports), exports.begin());
    std::sort(exports.begin(), exports.end(), [](const Export& a, const Export& b) { return a.ordinal < b.ordinal; });
    return exports;
  }();
  return sorted;
}

}  // namespace

void* AddressOf(std::uint32_t ordinal) {
  if (ordinal > 0xFFFF) return nullptr;
  const auto key = static_cast<std::uint16_t>(ordinal);
  const auto& exports = SortedExports();
  const auto found = std::lower_bound(exports.begin(), exports.end(), key,
                                      [](const Export& e, std::uint16_t k) { return e.ordinal < k; });
  if (found == exports.end() || found->ordinal != key) return nullptr;
  auto& state = State();
  std::lock_guard lock(state.mutex);
  return state.hidden.count(key) != 0 ? nullptr : found->address;
}

namespace testing {

void HideEntry(std::uint16_t ordinal) {
  std::lock_guard lock(State().mutex);
  State().hidden.insert(ordinal);
}

void ShowAllEntries() {
  std::lock_guard lock(State().mutex);
  State().hidden.clear();
}

int LookupCount(std::uint16_t ordinal) {
  std::lock_guard lock(State().mutex);
  const auto found = State().lookups.find(ordinal);
  return found == State().lookups.end() ? 0 : found->second;
}

std::vector<std::uint16_t> ExportedOrdinals() {
  std::vector<std::uint16_t> ordinals;
  for (const Export& e : kExports) ordinals.push_back(e.ordinal);
  return ordinals;
}

}  // namespace testing

}  // namespace standin

// The native counterpart of looking an entry up by ordinal in a Windows
// library.
extern "C" __attribute__((visibility("default"))) void* ordinal_export(std::uint32_t ordinal) {
  standin::CountLookup(ordinal);
  return standin::AddressOf(ordinal);
}
