#include "standin/faults.h"

#include <array>
#include <atomic>

#include "standin/testing.h"

namespace standin {

namespace {

struct Counter {
  std::atomic<long> calls{0};
  std::atomic<long> fail_at{0};    // 1-based call number; 0: never
  std::atomic<long> fail_from{0};  // this call and every later one; 0: never
  std::atomic<bool> always{false};
};

std::array<Counter, static_cast<std::size_t>(Fault::Count_)>& Counters() {
  static std::array<Counter, static_cast<std::size_t>(Fault::Count_)> counters;
  return counters;
}

Counter& Of(Fault kind) { return Counters()[static_cast<std::size_t>(kind)]; }

}  // namespace

bool ShouldFail(Fault kind) {
  Counter& counter = Of(kind);
  const long call = ++counter.calls;
  const long from = counter.fail_from.load();
  return counter.always.load() || call == counter.fail_at.load() || (from != 0 && call >= from);
}

namespace testing {

void FailNth(Fault kind, long n) {
  Counter& counter = Of(kind);
  counter.fail_at = n <= 0 ? 0 : counter.calls.load() + n;
}

void FailFrom(Fault kind, long n) {
  Counter& counter = Of(kind);
  counter.fail_from = n <= 0 ? 0 : counter.calls.load() + n;
}

void FailAlways(Fault kind, bool on) { Of(kind).always = on; }

long CallCount(Fault kind) { return Of(kind).calls.load(); }

void ClearFaults() {
  for (auto& counter : Counters()) {
    counter.fail_at = 0;
    counter.fail_from = 0;
    counter.always = false;
  }
}

}  // namespace testing

}  // namespace standin
