// For tests of a dialog object's handler without the modal loop: a
// template opened as the current dialog, so that the value, state and list
// entries answer as they do inside a running dialog.
#pragma once

#include <memory>
#include <optional>

#include "standin/dialog/delegates.h"
#include "standin/dialog/engine.h"

namespace standin::testing {

class OpenedDialog {
 public:
  // The callables are those a delegate hands out (null: no object behind
  // them; the list is then empty and events go nowhere).
  explicit OpenedDialog(const void* dialog_template, void* values = nullptr, void* row_callable = nullptr,
                        void* event_callable = nullptr);
  ~OpenedDialog();
  OpenedDialog(const OpenedDialog&) = delete;
  OpenedDialog& operator=(const OpenedDialog&) = delete;

  // False when the template could not be read (nothing is open then).
  bool ok() const { return dialog_ != nullptr; }
  dialog::Dialog& dialog() { return *dialog_; }

 private:
  dialog::DelegateClient client_;
  std::unique_ptr<dialog::Dialog> dialog_;
  std::optional<dialog::OpenDialogGuard> guard_;
};

}  // namespace standin::testing
