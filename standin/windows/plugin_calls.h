// Windows: the host's calls into a plug-in. A plug-in whose runtime is
// linked in cannot throw into the host; it raises its failure as a
// structured exception (abi/plugin_failure.h), which the stand-in takes
// back here so that the host program reports it as the native build
// reports the plug-in's exception.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "abi/windows/failure_catch.h"

namespace standin::windows {

struct PluginFailure {
  std::uint32_t ordinal = 0;  // the abandoned host entry; 0 for another failure
  std::string text;
};

// Runs the call. When the plug-in raises its failure the call ends there,
// leaving the frames between as they are (the plug-in has cleaned up its
// own before raising), and the failure is answered.
std::optional<PluginFailure> CallPlugin(const std::function<void()>& call);

// A plug-in's failure on its way out through the host's own frames, from
// a callback to the entry that the plug-in called.
class PluginCallFailed : public std::exception {
 public:
  explicit PluginCallFailed(const korpus_abi::windows::CaughtFailure& failure) : failure_(failure) {}
  const char* what() const noexcept override { return failure_.text; }
  const korpus_abi::windows::CaughtFailure& failure() const { return failure_; }

 private:
  korpus_abi::windows::CaughtFailure failure_;
};

}  // namespace standin::windows
