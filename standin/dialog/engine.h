// The host's dialog engine: runs a template modally, draws it into a
// screen buffer that the front end shows, takes keys from the front end and
// reports events to the dialog object.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "abi/dialog_codes.h"
#include "standin/dialog/base_operations.h"
#include "standin/dialog/controls.h"
#include "standin/dialog/screen.h"
#include "standin/dialog/template_reader.h"
#include "standin/dialog/widgets.h"
#include "standin/frontend.h"

namespace standin::dialog {

using korpus_abi::kCommandOk;
using korpus_abi::kCountRow;
using korpus_abi::kEventClosing;
using korpus_abi::kEventCommand;
using korpus_abi::kEventFocus;
using korpus_abi::kEventListChoice;
using korpus_abi::kEventOpening;
using korpus_abi::kResultStay;

// What 52026 answers: the ending command, 0 after Esc or the end of input,
// -1 when no dialog was run.
inline constexpr std::int32_t kResultCancelled = 0;
inline constexpr std::int32_t kResultNotRun = -1;

// The dialog object as the engine reaches it.
class DialogClient {
 public:
  virtual ~DialogClient() = default;
  virtual std::int32_t Event(std::int16_t code, std::int16_t kind) = 0;
  // Row -1: the count. Otherwise the row's text, or 0: read the rows again.
  virtual std::intptr_t Row(std::int32_t row) = 0;
  // One of the base class's operations, through the object's class table.
  virtual void Base(BaseOperation) {}
};

class Dialog final : public ControlStates {
 public:
  Dialog(const TemplateView& view, DialogClient& client, FrontEnd& front_end);
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs until OK, Esc or the end of input; values (may be null) gives the
  // controls' first values and gets their last ones.
  std::int32_t Run(void* values);

  // Takes the controls' values from a value buffer without running.
  void Load(const void* values);
  // Writes the controls' values into a value buffer in template order;
  // returns the number of bytes written.
  std::size_t Store(void* values) const;
  std::size_t ValueBytes() const;

  void* ValueAddress(std::int32_t id);
  ListBox* FindList(std::int32_t id);

  // The picture of the dialog as it is now, centred on the front end's
  // screen.
  Screen Render();

  // The focused control's id, or -1.
  std::int16_t focused_id() const;
  // Cells that the dialog takes on a screen.
  ScreenSize size() const { return {view_.dialog.width, view_.dialog.height}; }

  // ControlStates
  std::uint16_t Get(std::int32_t id) const override;
  void Set(std::int32_t id, std::uint16_t word) override;

 private:
  std::int32_t Send(std::int16_t code, std::int16_t kind);
  // Base operations are called only while the dialog runs.
  void Notify(BaseOperation operation);
  void AfterHandler();
  void SyncValues();
  // What a redraw asks of the controls and their sources; a picture also
  // keeps what they answered.
  void Prepare(bool for_picture);
  void Present();

  void HandleKey(const Key& key);
  void Enter();
  void Press(Button& button);
  bool PressByKeyCode(std::uint16_t code);
  bool HotLetter(char32_t letter);
  void Toggle(CheckBox& box);
  void FocusAfterEnter(std::int32_t result);
  bool MoveFocus(Control* target);
  void Step(int direction);
  void Close(std::int32_t result);

  bool Visible(const Control& control) const;
  bool CanFocus(const Control* control) const;
  Control* Find(std::int32_t id) const;
  Control* NextFocusable(Control* from, int direction) const;
  Button* EnterButton() const;
  int IndexOf(const Control* control) const;

  TemplateView view_;
  DialogClient& client_;
  FrontEnd& front_end_;
  std::vector<std::unique_ptr<Control>> controls_;
  Control* focused_ = nullptr;
  std::uint16_t dialog_state_ = 0;
  bool closing_ = false;
  bool running_ = false;
  std::int32_t result_ = kResultCancelled;
  int settle_depth_ = 0;
};

// The dialog that the value, state and list entries work on; null when
// none is open.
Dialog* OpenDialog();

// Makes a dialog the open one for the lifetime of the guard.
class OpenDialogGuard {
 public:
  explicit OpenDialogGuard(Dialog& dialog);
  ~OpenDialogGuard();
  OpenDialogGuard(const OpenDialogGuard&) = delete;
  OpenDialogGuard& operator=(const OpenDialogGuard&) = delete;

 private:
  Dialog* previous_;
  ControlStates* previous_states_;
};

}  // namespace standin::dialog
