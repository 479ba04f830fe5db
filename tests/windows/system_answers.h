// The system calls of a module under test, answered by the test: its
// MessageBoxA from a queue of answers, its GetProcAddress with some host
// entries hidden. Routed by replacing the module's imports.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace wintest {

struct ShownBox {
  std::string caption;
  std::string text;
  UINT style;
};

// Both imports of the module routed; false when either is missing.
bool RouteSystemCalls(HMODULE module);

// No answers queued, no boxes shown, no entry hidden.
void ResetSystemAnswers();
// Answers of the next boxes; with none left a box answers Abort.
void QueueAnswers(std::initializer_list<int> answers);
const std::vector<ShownBox>& ShownBoxes();
// Ordinals of KORPUS.DLL that GetProcAddress pretends not to find.
void HideEntry(WORD ordinal);

}  // namespace wintest
