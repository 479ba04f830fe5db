// The dialog engine's entries: run a template, and the value, list and
// current-row services of the open dialog.
#include "standin/dialog/delegates.h"
#include "standin/dialog/engine.h"
#include "standin/entries.h"
#include "standin/plugin_callbacks.h"

namespace standin::entry {

using dialog::OpenDialog;

// The value 1 that the plug-in passes asks for a modal dialog, the only
// kind this engine runs.
std::int32_t KORPUS_CALLER RunDialog(const void* dialog_template, std::int32_t, void* values, void* row_callable,
                                     void* event_callable) {
  return EntryCallingBack([&] {
    if (OpenDialog() != nullptr) return dialog::kResultNotRun;
    const auto view = dialog::ReadTemplate(dialog_template);
    if (!view) return dialog::kResultNotRun;
    dialog::DelegateClient client(row_callable, event_callable);
    dialog::Dialog running(*view, client, CurrentFrontEnd());
    return running.Run(values);
  });
}

std::int32_t KORPUS_CALLEE StoreValues(void* values, std::int32_t) {
  dialog::Dialog* open = OpenDialog();
  if (open == nullptr || values == nullptr) return 0;
  open->Store(values);
  return 1;
}

void* KORPUS_CALLEE ValueAddress(std::int32_t id) {
  dialog::Dialog* open = OpenDialog();
  return open == nullptr ? nullptr : open->ValueAddress(id);
}

// Fills the value with the current row (-1: none) and answers the number
// of rows.
std::int32_t KORPUS_CALLEE ListValue(std::int32_t id, std::int32_t* value, std::int32_t) {
  dialog::ListBox* list = OpenDialog() == nullptr ? nullptr : OpenDialog()->FindList(id);
  if (value != nullptr) *value = list == nullptr ? -1 : list->current();
  return list == nullptr ? 0 : list->count();
}

std::int32_t KORPUS_CALLEE CurrentRow(std::int32_t id) {
  dialog::ListBox* list = OpenDialog() == nullptr ? nullptr : OpenDialog()->FindList(id);
  return list == nullptr ? -1 : list->current();
}

}  // namespace standin::entry
