// Where calls cross between the host and the plug-in. On Windows the two
// have runtimes of their own and no C++ exception may cross (see
// windows_boundary.h); natively both are one runtime and a call is a call.
#pragma once

#ifdef _WIN32
#include "host/windows_boundary.h"
#endif

namespace host {

// A call that the host made into the plug-in: a list handler, the entry,
// a slot of the check object's class table.
template <class Call>
auto ForHost(Call&& call) -> decltype(call()) {
#ifdef _WIN32
  return windows::AtBoundary(call);
#else
  return call();
#endif
}

// A call into a host entry that calls the plug-in back: running the
// dialog, or redrawing it.
template <class Call>
auto ThroughHost(Call&& call) -> decltype(call()) {
#ifdef _WIN32
  return windows::ThroughHost(call);
#else
  return call();
#endif
}

}  // namespace host
