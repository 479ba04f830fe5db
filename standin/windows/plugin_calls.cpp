#include "standin/windows/plugin_calls.h"

namespace standin::windows {

std::optional<PluginFailure> CallPlugin(const std::function<void()>& call) {
  korpus_abi::windows::CaughtFailure failure;
  if (!korpus_abi::windows::CatchFailure(call, failure)) return std::nullopt;
  return PluginFailure{failure.ordinal, failure.text[0] != '\0' ? failure.text : "plug-in failure"};
}

}  // namespace standin::windows
