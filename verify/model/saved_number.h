// A host context number put back when the look-up that changed it ends, on
// every way out of its scope.
#pragma once

#include <cstdint>

namespace verify {

// Puts a host context number back when the look-up ends.
class SavedNumber {
 public:
  explicit SavedNumber(std::int16_t* number) : number_(number), saved_(*number) {}
  ~SavedNumber() { *number_ = saved_; }
  SavedNumber(const SavedNumber&) = delete;
  SavedNumber& operator=(const SavedNumber&) = delete;

 private:
  std::int16_t* number_;
  std::int16_t saved_;
};

}  // namespace verify
