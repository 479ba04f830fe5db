#include "app/terminal/terminal_front_end.h"

#include <langinfo.h>
#include <ncursesw/curses.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>

#include "app/terminal/palette.h"
#include "standin/dialog/engine.h"

namespace terminal {

namespace {

// How long an Esc waits for the rest of an Alt key or a key report. A
// terminal sends those at once; a person does not follow Esc that fast.
constexpr int kEscapeDelayMs = 25;

// xterm's modifyOtherKeys, level 1: Ctrl-1 and its kind come as key
// reports. Terminals that do not know it ignore it.
constexpr std::string_view kOtherKeysOn = "\033[>4;1m";
constexpr std::string_view kOtherKeysOff = "\033[>4m";

bool CharactersAreUtf8() {
  const char* set = nl_langinfo(CODESET);
  return set != nullptr && (std::strcmp(set, "UTF-8") == 0 || std::strcmp(set, "utf8") == 0);
}

void Write(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

bool UseUtf8Characters() {
  if (std::setlocale(LC_CTYPE, "") != nullptr && CharactersAreUtf8()) return true;
  for (const char* name : {"C.UTF-8", "C.utf8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr && CharactersAreUtf8()) return true;
  }
  return false;
}

TerminalFrontEnd::~TerminalFrontEnd() { Close(); }

bool TerminalFrontEnd::Open(std::string& error) {
  if (terminal_ != nullptr) return true;
  if (!UseUtf8Characters()) {
    error = "no UTF-8 locale is installed (not even C.UTF-8)";
    return false;
  }
  terminal_ = newterm(nullptr, stdout, stdin);
  if (terminal_ == nullptr) {
    const char* type = std::getenv("TERM");
    error = std::string("the terminal type '") + (type != nullptr ? type : "") + "' is unknown";
    return false;
  }
  set_term(terminal_);
  // A closed terminal ends the input like any other end: an open check is
  // closed and saved rather than killed with the process.
  previous_hangup_ = std::signal(SIGHUP, SIG_IGN);
  // Ctrl-C, Ctrl-S and the like are keys here, not signals or flow control.
  raw();
  noecho();
  nonl();
  set_escdelay(kEscapeDelayMs);
  colours_ = StartColours();
  // Keys are read through a window that is never drawn on, so that reading
  // does not refresh the picture while more keys wait.
  input_ = newwin(1, 1, 0, 0);
  keypad(input_, TRUE);
  wnoutrefresh(input_);
  ShowCursor(false);
  const char* type = std::getenv("TERM");
  if (type == nullptr || std::string_view(type) != "linux") {
    Write(kOtherKeysOn);
    other_keys_ = true;
  }
  return true;
}

void TerminalFrontEnd::Close() {
  if (installed_) {
    if (&standin::CurrentFrontEnd() == this) standin::SetFrontEnd(previous_);
    installed_ = false;
  }
  if (terminal_ == nullptr) return;
  if (input_ != nullptr) delwin(input_);
  input_ = nullptr;
  endwin();
  if (other_keys_) Write(kOtherKeysOff);
  delscreen(terminal_);
  terminal_ = nullptr;
  std::signal(SIGHUP, previous_hangup_ == SIG_ERR ? SIG_DFL : previous_hangup_);
}

void TerminalFrontEnd::Install() {
  if (installed_) return;
  previous_ = &standin::CurrentFrontEnd();
  standin::SetFrontEnd(this);
  installed_ = true;
}

// Keys -----------------------------------------------------------------------

TerminalFrontEnd::Read TerminalFrontEnd::ReadInput(int timeout_ms, Input& input) {
  wtimeout(input_, timeout_ms);
  wint_t ch = 0;
  errno = 0;
  const int got = wget_wch(input_, &ch);
  if (got == ERR) {
    // Waiting for ever ends only with the input itself, or a signal.
    if (timeout_ms >= 0 || errno == EINTR) return Read::Nothing;
    return Read::Ended;
  }
  if (got == KEY_CODE_YES) {
    if (ch == KEY_RESIZE) return Read::Resized;
    input = Input::Code(static_cast<std::uint32_t>(ch));
    return Read::Got;
  }
  input = Input::Char(static_cast<std::uint32_t>(ch));
  return Read::Got;
}

standin::Key TerminalFrontEnd::NextKey() {
  for (;;) {
    if (const auto key = decoder_.Take()) {
      // While the picture cannot be shown, a key would count what nobody
      // sees: it is refused with the bell until the terminal is larger.
      if (Fits()) return *key;
      beep();
      continue;
    }
    if (ended_ || terminal_ == nullptr) return standin::NoKey();
    Input input;
    Read read = ReadInput(0, input);
    if (read == Read::Nothing && decoder_.waiting()) {
      read = ReadInput(kEscapeDelayMs, input);
      if (read == Read::Nothing) {
        decoder_.Pause();
        continue;
      }
    }
    if (read == Read::Nothing) {
      // Keys that were already waiting (a scanner's burst) are taken
      // before the picture goes out.
      doupdate();
      read = ReadInput(-1, input);
    }
    switch (read) {
      case Read::Got:
        decoder_.Feed(input);
        break;
      case Read::Resized:
        Resized();
        break;
      case Read::Ended:
        ended_ = true;
        decoder_.Pause();
        break;
      case Read::Nothing:
        break;
    }
  }
}

void TerminalFrontEnd::Resized() {
  if (repaint_) {
    repaint_();
  } else {
    Paint();
  }
}

// Pictures -------------------------------------------------------------------

standin::ScreenSize TerminalFrontEnd::Size() const {
  if (terminal_ == nullptr) return standin::kDefaultScreenSize;
  return {std::max(COLS, 1), std::max(LINES, 1)};
}

void TerminalFrontEnd::Present(const standin::Screen& screen) {
  last_ = screen;
  Paint();
}

standin::ScreenSize TerminalFrontEnd::Needed() const {
  standin::ScreenSize needed = minimum_;
  const auto grow = [&needed](standin::ScreenSize size) {
    needed = {std::max(needed.width, size.width), std::max(needed.height, size.height)};
  };
  if (const auto* dialog = standin::dialog::OpenDialog()) grow(dialog->size());
  if (box_ != nullptr) grow(box_->SizeOn(Size().width));
  return needed;
}

bool TerminalFrontEnd::Fits() const {
  const standin::ScreenSize size = Size();
  const standin::ScreenSize needed = Needed();
  return size.width >= needed.width && size.height >= needed.height;
}

void TerminalFrontEnd::Paint() {
  if (terminal_ == nullptr) return;
  if (!Fits()) {
    Show(TooSmallScreen(Size(), Needed()));
    return;
  }
  standin::Screen picture = last_.width() > 0 ? last_ : standin::Screen(Size());
  if (box_ != nullptr) box_->Draw(picture);
  Show(picture);
}

// A picture of another size than the terminal's (drawn before a resize)
// is centred on it.
void TerminalFrontEnd::Show(const standin::Screen& picture) {
  const int rows = std::max(LINES, 0);
  const int columns = std::max(COLS, 0);
  const int left = std::max((columns - picture.width()) / 2, 0);
  const int top = std::max((rows - picture.height()) / 2, 0);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const standin::Cell& cell = picture.At(column - left, row - top);
      // A character that does not take exactly one cell would shift the row.
      const auto wide = static_cast<wchar_t>(cell.ch);
      const wchar_t text[2] = {wcwidth(wide) == 1 ? wide : L'?', L'\0'};
      const Look look = LookOf(cell.role, colours_);
      cchar_t shown;
      setcchar(&shown, text, look.attributes, look.pair, nullptr);
      mvwadd_wch(stdscr, row, column, &shown);
    }
  }
  const auto cursor = picture.cursor();
  const bool visible = cursor.has_value() && cursor->column + left < columns && cursor->row + top < rows;
  if (visible) wmove(stdscr, cursor->row + top, cursor->column + left);
  ShowCursor(visible);
  wnoutrefresh(stdscr);
}

void TerminalFrontEnd::ShowCursor(bool visible) {
  const int wanted = visible ? 1 : 0;
  if (cursor_visible_ == wanted) return;
  curs_set(wanted);
  cursor_visible_ = wanted;
}

// Boxes ----------------------------------------------------------------------

int TerminalFrontEnd::RunBox(BoxWindow& box) {
  BoxWindow* const beneath = box_;
  box_ = &box;
  Paint();
  int answer = box.end_answer();
  for (;;) {
    const standin::Key key = NextKey();
    if (key.name == standin::KeyName::None) break;
    if (const auto pressed = box.Press(key)) {
      answer = *pressed;
      break;
    }
    Paint();
  }
  box_ = beneath;
  Paint();
  return answer;
}

std::int16_t TerminalFrontEnd::ShowBox(const standin::BoxRequest& request) {
  BoxWindow box = BoxWindow::ForHostBox(request);
  return static_cast<std::int16_t>(RunBox(box));
}

void TerminalFrontEnd::ShowNotice(const std::string& text, std::int16_t& flag) {
  BoxWindow box = BoxWindow::ForNotice(text);
  RunBox(box);
  if (box.ticked()) flag = 1;
}

int TerminalFrontEnd::ShowSystemBox(const std::string& caption, const std::string& text) {
  BoxWindow box = BoxWindow::ForSystemBox(caption, text);
  return RunBox(box);
}

void TerminalFrontEnd::Signal() {
  if (terminal_ != nullptr) beep();
}

}  // namespace terminal
