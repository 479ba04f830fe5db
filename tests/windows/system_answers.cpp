#include "tests/windows/system_answers.h"

#include <deque>

#include "standin/windows/import_patch.h"

namespace wintest {

namespace {

std::deque<int> answers;
std::vector<ShownBox> shown;
std::set<WORD> hidden;

// The system's GetProcAddress, as the routed import held it: the routed
// module may be this very program.
using LookUpFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
LookUpFunction system_lookup = nullptr;

int WINAPI AnswerBox(HWND, LPCSTR text, LPCSTR caption, UINT style) {
  shown.push_back({caption != nullptr ? caption : "", text != nullptr ? text : "", style});
  if (answers.empty()) return IDABORT;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

FARPROC WINAPI LookUp(HMODULE module, LPCSTR name) {
  if (IS_INTRESOURCE(name) && module == ::GetModuleHandleA("KORPUS.DLL") &&
      hidden.count(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name))) != 0) {
    return nullptr;
  }
  return system_lookup(module, name);
}

}  // namespace

bool RouteSystemCalls(HMODULE module) {
  const bool box = standin::windows::ReplaceImport(module, "USER32.dll", "MessageBoxA",
                                                   reinterpret_cast<const void*>(&AnswerBox));
  void* previous = nullptr;
  const bool lookup = standin::windows::ReplaceImport(module, "KERNEL32.dll", "GetProcAddress",
                                                      reinterpret_cast<const void*>(&LookUp), &previous);
  if (lookup && previous != reinterpret_cast<void*>(&LookUp)) {
    system_lookup = reinterpret_cast<LookUpFunction>(previous);
  }
  return box && lookup && system_lookup != nullptr;
}

void ResetSystemAnswers() {
  answers.clear();
  shown.clear();
  hidden.clear();
}

void QueueAnswers(std::initializer_list<int> list) { answers.insert(answers.end(), list); }

const std::vector<ShownBox>& ShownBoxes() { return shown; }

void HideEntry(WORD ordinal) { hidden.insert(ordinal); }

}  // namespace wintest
