#include "standin/dialog/engine.h"

#include <algorithm>

#include "abi/codepage.h"
#include "standin/dialog/key_help.h"

namespace standin::dialog {

namespace {

Dialog* open_dialog = nullptr;

InputLine* AsInputLine(Control* c) { return c != nullptr ? c->AsInputLine() : nullptr; }
ListBox* AsListBox(Control* c) { return c != nullptr ? c->AsListBox() : nullptr; }
CheckBox* AsCheckBox(Control* c) { return c != nullptr ? c->AsCheckBox() : nullptr; }
Button* AsButton(Control* c) { return c != nullptr ? c->AsButton() : nullptr; }
ColumnHeader* AsColumnHeader(Control* c) { return c != nullptr ? c->AsColumnHeader() : nullptr; }

// Handlers that keep disabling the control that gets the focus cannot make
// the engine chase the focus for ever.
constexpr int kMaxFocusSettling = 8;

char32_t UpperCase(char32_t ch) {
  if (ch >= U'a' && ch <= U'z') return ch - (U'a' - U'A');
  switch (ch) {
    case U'ą': return U'Ą';
    case U'ć': return U'Ć';
    case U'ę': return U'Ę';
    case U'ł': return U'Ł';
    case U'ń': return U'Ń';
    case U'ó': return U'Ó';
    case U'ś': return U'Ś';
    case U'ź': return U'Ź';
    case U'ż': return U'Ż';
    default: return ch;
  }
}

// Hot keys below 256 are letters (Mazovia); above, key codes.
std::optional<char32_t> HotLetterOf(const Control& control) {
  const std::uint16_t key = control.record().hot_key;
  if (key == 0 || key > 0xFF) return std::nullopt;
  const char32_t ch = codepage::MazoviaToUnicode(static_cast<std::uint8_t>(key));
  if (ch < U' ') return std::nullopt;
  return UpperCase(ch);
}

void DrawFrame(Screen& screen, int left, int top, int width, int height, std::u32string_view title) {
  if (width < 2 || height < 2) return;
  screen.FramedBox(left, top, width, height, kDoubleFrame);
  if (title.empty()) return;
  const std::u32string shown = U" " + std::u32string(title.substr(0, static_cast<std::size_t>(std::max(width - 4, 0)))) + U" ";
  const int at = left + (width - static_cast<int>(shown.size())) / 2;
  screen.PutText(at, top, shown, Role::Title, width - 2);
}

}  // namespace

Dialog* OpenDialog() { return open_dialog; }

OpenDialogGuard::OpenDialogGuard(Dialog& dialog) : previous_(open_dialog), previous_states_(&CurrentControlStates()) {
  open_dialog = &dialog;
  SetCurrentControlStates(&dialog);
}

OpenDialogGuard::~OpenDialogGuard() {
  open_dialog = previous_;
  SetCurrentControlStates(previous_states_);
}

Dialog::Dialog(const TemplateView& view, DialogClient& client, FrontEnd& front_end)
    : view_(view), client_(client), front_end_(front_end) {
  const ColumnHeader* header = nullptr;
  for (const ControlRecord& record : view_.controls) {
    controls_.push_back(MakeControl(record, header, [this](std::int32_t row) { return client_.Row(row); }));
    if (auto* h = AsColumnHeader(controls_.back().get())) header = h;
  }
}

Dialog::~Dialog() = default;

// Values ---------------------------------------------------------------------

void Dialog::Load(const void* values) {
  if (values == nullptr) return;
  const auto* in = static_cast<const std::uint8_t*>(values);
  std::size_t at = 0;
  for (const auto& control : controls_) {
    const std::size_t size = control->ValueSize();
    if (size == 0) continue;
    control->LoadValue(in + at);
    at += size;
  }
}

std::size_t Dialog::Store(void* values) const {
  if (values == nullptr) return 0;
  auto* out = static_cast<std::uint8_t*>(values);
  std::size_t at = 0;
  for (const auto& control : controls_) {
    const std::size_t size = control->ValueSize();
    if (size == 0) continue;
    control->StoreValue(out + at);
    at += size;
  }
  return at;
}

std::size_t Dialog::ValueBytes() const {
  std::size_t total = 0;
  for (const auto& control : controls_) total += control->ValueSize();
  return total;
}

void* Dialog::ValueAddress(std::int32_t id) {
  Control* control = Find(id);
  return control == nullptr ? nullptr : control->ValueAddress();
}

ListBox* Dialog::FindList(std::int32_t id) { return AsListBox(Find(id)); }

std::int16_t Dialog::focused_id() const { return focused_ == nullptr ? std::int16_t{-1} : focused_->id(); }

// States ---------------------------------------------------------------------

std::uint16_t Dialog::Get(std::int32_t id) const {
  if (id == 0) return dialog_state_;
  const Control* control = Find(id);
  return control == nullptr ? 0 : control->StateWord();
}

void Dialog::Set(std::int32_t id, std::uint16_t word) {
  if (id == 0) {
    // A running dialog redraws at once; otherwise the request waits.
    const bool redraw = (word & kStateRedraw) != 0 && running_;
    dialog_state_ = redraw ? static_cast<std::uint16_t>(word & ~kStateRedraw) : word;
    if (redraw) Present();
    return;
  }
  if (Control* control = Find(id)) control->SetStateWord(word);
}

// Drawing --------------------------------------------------------------------

void Dialog::Prepare(bool for_picture) {
  SyncValues();
  for (const auto& control : controls_) {
    if (auto* list = AsListBox(control.get())) list->Refresh(for_picture);
  }
  Notify(BaseOperation::ListRefreshed);
}

Screen Dialog::Render() {
  Prepare(true);
  const ScreenSize size = front_end_.Size();
  Screen screen({std::max(size.width, 1), std::max(size.height, 1)});
  const int width = view_.dialog.width;
  const int height = view_.dialog.height;
  const Canvas canvas{screen, std::max((screen.width() - width) / 2, 0), std::max((screen.height() - height) / 2, 0)};
  DrawFrame(screen, canvas.left, canvas.top, width, height, FromMazovia(view_.dialog.text));
  for (const auto& control : controls_) {
    if (Visible(*control)) control->Draw(canvas, control.get() == focused_);
  }
  return screen;
}

void Dialog::Present() {
  if (front_end_.WantsPicture()) {
    front_end_.Present(Render());
  } else {
    Prepare(false);
  }
  Notify(BaseOperation::Drawn);
}

// Events ---------------------------------------------------------------------

std::int32_t Dialog::Send(std::int16_t code, std::int16_t kind) {
  const std::int32_t result = client_.Event(code, kind);
  AfterHandler();
  if (kind == kEventCommand) Notify(BaseOperation::CommandDone);
  return result;
}

void Dialog::Notify(BaseOperation operation) {
  if (running_) client_.Base(operation);
}

void Dialog::SyncValues() {
  for (const auto& control : controls_) {
    if (auto* line = AsInputLine(control.get())) {
      if (line->Sync() && line == focused_) line->Focused();
    } else if (auto* list = AsListBox(control.get())) {
      list->Sync();
    }
  }
}

// A handler may disable the control that has the focus; the focus then
// goes on to the next control that can take it.
void Dialog::AfterHandler() {
  SyncValues();
  if (!running_ || closing_ || focused_ == nullptr || CanFocus(focused_)) return;
  if (settle_depth_ >= kMaxFocusSettling) return;
  ++settle_depth_;
  Control* next = NextFocusable(focused_, +1);
  focused_ = next;
  if (next != nullptr) {
    if (auto* line = AsInputLine(next)) line->Focused();
    Send(next->id(), kEventFocus);
  }
  --settle_depth_;
}

// Running --------------------------------------------------------------------

std::int32_t Dialog::Run(void* values) {
  if (running_) return kResultNotRun;
  OpenDialogGuard guard(*this);
  running_ = true;
  closing_ = false;
  result_ = kResultCancelled;
  Load(values);

  focused_ = nullptr;
  for (const auto& control : controls_) {
    if ((control->record().style & kStyleFirstFocus) != 0 && CanFocus(control.get())) {
      focused_ = control.get();
      break;
    }
  }
  if (focused_ == nullptr) focused_ = NextFocusable(nullptr, +1);
  if (auto* line = AsInputLine(focused_)) line->Focused();
  for (const BaseOperation operation : kOpeningOperations) Notify(operation);

  Send(0, kEventOpening);
  Notify(BaseOperation::Opened);
  if (focused_ != nullptr && !closing_) Send(focused_->id(), kEventFocus);
  Notify(BaseOperation::FocusSettled);
  while (!closing_) {
    Present();
    Notify(BaseOperation::Idle);
    const Key key = front_end_.NextKey();
    Notify(BaseOperation::KeyArrived);
    HandleKey(key);
  }
  Store(values);
  Send(static_cast<std::int16_t>(result_), kEventClosing);
  for (const BaseOperation operation : kClosingOperations) Notify(operation);
  running_ = false;
  return result_;
}

void Dialog::Close(std::int32_t result) {
  closing_ = true;
  result_ = result;
}

void Dialog::HandleKey(const Key& key) {
  switch (key.name) {
    case KeyName::None:
    case KeyName::Esc:
      Close(kResultCancelled);
      return;
    case KeyName::Tab:
      Step(+1);
      return;
    case KeyName::ShiftTab:
      Step(-1);
      return;
    case KeyName::Enter:
      Enter();
      return;
    case KeyName::Alt:
      HotLetter(key.ch);
      return;
    case KeyName::F1:
      front_end_.ShowBox(KeyHelpBox(kDialogKeyHelp));
      return;
    default:
      break;
  }
  if (const std::uint16_t code = HostKeyCode(key); code != 0 && PressByKeyCode(code)) return;

  if (auto* line = AsInputLine(focused_)) {
    const InputLine::Edit edit = line->HandleKey(key);
    if (edit == InputLine::Edit::Refused) front_end_.Signal();
    return;
  }
  const bool space = key == CharKey(U' ');
  if (auto* box = AsCheckBox(focused_); box != nullptr && space) {
    Toggle(*box);
    return;
  }
  if (auto* button = AsButton(focused_); button != nullptr && space) {
    Press(*button);
    return;
  }
  if (auto* list = AsListBox(focused_); list != nullptr && list->HandleKey(key)) {
    Notify(BaseOperation::ListMoved);
    return;
  }
  // Outside an input line a bare letter acts as its hot letter.
  if (key.name == KeyName::Char) HotLetter(key.ch);
}

void Dialog::Enter() {
  if (auto* button = AsButton(focused_)) {
    Press(*button);
    return;
  }
  if (auto* line = AsInputLine(focused_)) {
    if (!line->Accept()) {
      front_end_.Signal();
      return;
    }
    Notify(BaseOperation::FieldAccepted);
    Send(line->id(), kEventCommand);
  } else if (auto* list = AsListBox(focused_)) {
    Send(list->id(), kEventListChoice);
  }
  if (closing_) return;
  Button* enter = EnterButton();
  if (enter == nullptr || enter->id() == kCommandOk) {
    if (enter != nullptr) Press(*enter);
    FocusAfterEnter(kResultStay);
    return;
  }
  FocusAfterEnter(Send(enter->id(), kEventCommand));
}

// The Enter button's result names the control that takes the focus; an
// input line that keeps it is ready for the next entry, its text selected.
void Dialog::FocusAfterEnter(std::int32_t result) {
  if (closing_) return;
  Control* target = result >= 0 ? Find(result) : nullptr;
  if (target != nullptr && target != focused_ && CanFocus(target)) {
    MoveFocus(target);
    return;
  }
  if (auto* line = AsInputLine(focused_)) line->Focused();
}

void Dialog::Press(Button& button) {
  if (button.disabled()) return;
  Notify(BaseOperation::ButtonPressed);
  const std::int32_t result = Send(button.id(), kEventCommand);
  if (button.id() == kCommandOk && result != kResultStay) Close(kCommandOk);
}

bool Dialog::PressByKeyCode(std::uint16_t code) {
  bool found = false;
  for (const auto& control : controls_) {
    auto* button = AsButton(control.get());
    if (button == nullptr || button->key_code() != code) continue;
    found = true;
    if (button->disabled()) continue;
    Press(*button);
    return true;
  }
  return found;
}

void Dialog::Toggle(CheckBox& box) {
  box.Toggle();
  Notify(BaseOperation::CheckBoxToggled);
  Send(box.id(), kEventCommand);
}

bool Dialog::HotLetter(char32_t letter) {
  const char32_t wanted = UpperCase(letter);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    Control* control = controls_[i].get();
    if (HotLetterOf(*control) != wanted || control->disabled()) continue;
    if (auto* box = AsCheckBox(control)) {
      if (!CanFocus(box)) continue;
      if (MoveFocus(box)) Toggle(*box);
      return true;
    }
    if (auto* button = AsButton(control)) {
      Press(*button);
      return true;
    }
    // A label leads to the control that follows it.
    for (std::size_t j = i + 1; j < controls_.size(); ++j) {
      if (!controls_[j]->TakesFocus()) continue;
      MoveFocus(controls_[j].get());
      break;
    }
    return true;
  }
  return false;
}

bool Dialog::MoveFocus(Control* target) {
  if (!CanFocus(target)) return false;
  if (target == focused_) return true;
  if (auto* line = AsInputLine(focused_); line != nullptr && line->edited()) {
    if (!line->Accept()) {
      front_end_.Signal();
      return false;
    }
    Notify(BaseOperation::FieldAccepted);
    Send(line->id(), kEventCommand);
    if (closing_ || !CanFocus(target)) return false;
  }
  Notify(BaseOperation::FocusLeaving);
  focused_ = target;
  if (auto* line = AsInputLine(target)) line->Focused();
  Send(target->id(), kEventFocus);
  Notify(BaseOperation::FocusEntered);
  return true;
}

void Dialog::Step(int direction) {
  Control* next = NextFocusable(focused_, direction);
  if (next != nullptr) MoveFocus(next);
}

// Finding controls -------------------------------------------------------------

bool Dialog::Visible(const Control& control) const {
  const ControlRecord& r = control.record();
  return r.width > 0 && r.height > 0 && r.column + r.width <= view_.dialog.width &&
         r.row + r.height <= view_.dialog.height;
}

bool Dialog::CanFocus(const Control* control) const {
  return control != nullptr && control->TakesFocus() && Visible(*control) && !control->disabled();
}

Control* Dialog::Find(std::int32_t id) const {
  for (const auto& control : controls_) {
    if (control->id() == id) return control.get();
  }
  return nullptr;
}

int Dialog::IndexOf(const Control* control) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].get() == control) return static_cast<int>(i);
  }
  return -1;
}

Control* Dialog::NextFocusable(Control* from, int direction) const {
  const int count = static_cast<int>(controls_.size());
  if (count == 0) return nullptr;
  int at = IndexOf(from);
  if (at < 0) at = direction > 0 ? -1 : count;
  for (int step = 0; step < count; ++step) {
    at = ((at + direction) % count + count) % count;
    Control* candidate = controls_[static_cast<std::size_t>(at)].get();
    if (candidate != from && CanFocus(candidate)) return candidate;
  }
  return nullptr;
}

Button* Dialog::EnterButton() const {
  for (const auto& control : controls_) {
    auto* button = AsButton(control.get());
    if (button != nullptr && button->key_code() == HostKeyCode(NamedKey(KeyName::Enter)) && !button->disabled()) {
      return button;
    }
  }
  return nullptr;
}

}  // namespace standin::dialog
