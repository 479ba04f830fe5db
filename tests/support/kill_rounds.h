// When a test that kills processes at random has killed enough: after
// `least` time and `wanted` kills, or after `most` time whatever the count,
// so that a fast build is not stopped early and a slow one still ends.
#pragma once

#include <chrono>

namespace testing_support {

class KillRounds {
 public:
  using Clock = std::chrono::steady_clock;

  KillRounds(const int& kills, int wanted, Clock::duration least, Clock::duration most)
      : kills_(kills), wanted_(wanted), least_(least), most_(most), start_(Clock::now()) {}

  bool operator()() const {
    const auto spent = Clock::now() - start_;
    return (spent > least_ && kills_ >= wanted_) || spent > most_;
  }

 private:
  const int& kills_;
  int wanted_;
  Clock::duration least_;
  Clock::duration most_;
  Clock::time_point start_;
};

}  // namespace testing_support
