#include "standin/dialog/dialog_testing.h"

namespace standin::testing {

OpenedDialog::OpenedDialog(const void* dialog_template, void* values, void* row_callable, void* event_callable)
    : client_(row_callable, event_callable) {
  const auto view = dialog::ReadTemplate(dialog_template);
  if (!view) return;
  dialog_ = std::make_unique<dialog::Dialog>(*view, client_, CurrentFrontEnd());
  dialog_->Load(values);
  guard_.emplace(*dialog_);
}

OpenedDialog::~OpenedDialog() { guard_.reset(); }

}  // namespace standin::testing
