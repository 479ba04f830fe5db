// The host's calls back into a plug-in from inside an entry that the
// plug-in called: the dialog engine's events and rows. On Windows no C++
// exception may cross between the two: a failure that the plug-in raises
// in a callback is taken back there, carried out through the host's own
// frames as a host exception, and raised again into the plug-in when the
// entry ends. Natively the plug-in's exception passes through as it is.
#pragma once

#ifdef _WIN32
#include "standin/windows/plugin_calls.h"
#endif

namespace standin {

template <class Call>
auto CallBack(Call&& call) -> decltype(call()) {
#ifdef _WIN32
  decltype(call()) result{};
  korpus_abi::windows::CaughtFailure failure;
  if (korpus_abi::windows::CatchFailure([&] { result = call(); }, failure)) throw windows::PluginCallFailed(failure);
  return result;
#else
  return call();
#endif
}

// An entry that may call the plug-in back. The failure is raised again
// once the entry's own objects are gone.
template <class Call>
auto EntryCallingBack(Call&& call) -> decltype(call()) {
#ifdef _WIN32
  korpus_abi::windows::CaughtFailure failure;
  try {
    return call();
  } catch (const windows::PluginCallFailed& failed) {
    failure = failed.failure();
  }
  korpus_abi::windows::RaiseFailure(failure.ordinal, failure.text[0] != '\0' ? failure.text : nullptr);
#else
  return call();
#endif
}

}  // namespace standin
