#include "app/terminal/box_window.h"

#include <algorithm>
#include <string>

#include "abi/codepage.h"
#include "app/register_screen.h"

namespace terminal {

namespace {

using standin::Cell;
using standin::Key;
using standin::KeyName;
using standin::Role;
using standin::Screen;

constexpr int kTabStop = 8;
// Text wider than this is wrapped even on a wide screen.
constexpr int kMaxTextWidth = 76;
constexpr int kMinInnerWidth = 20;
constexpr int kButtonGap = 3;
constexpr std::u32string_view kTickLabel = U"Nie pokazuj więcej";

char32_t Upper(char32_t ch) { return ch >= U'a' && ch <= U'z' ? ch - (U'a' - U'A') : ch; }

std::u32string Wide(std::string_view utf8) {
  std::u32string out;
  for (std::size_t at = 0; at < utf8.size();) out += codepage::DecodeUtf8(utf8, at);
  return out;
}

template <typename Decode>
std::vector<StyledLine> Parse(std::string_view bytes, bool markup, Decode decode) {
  std::vector<StyledLine> lines(1);
  bool emphasis = false;
  for (char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (markup && (byte == 0x02 || byte == 0x03)) {
      emphasis = true;
    } else if (markup && byte == 0x01) {
      emphasis = false;
    } else if (byte == '\n') {
      lines.emplace_back();
    } else if (byte == '\t') {
      StyledLine& line = lines.back();
      do {
        line.push_back({U' ', Role::Normal});
      } while (line.size() % kTabStop != 0);
    } else if (byte >= 0x20) {
      const char32_t ch = decode(byte);
      if (ch != 0) lines.back().push_back({ch, emphasis ? Role::Hot : Role::Normal});
    }
  }
  return lines;
}

int Width(const StyledLine& line) { return static_cast<int>(line.size()); }

void PutLine(Screen& screen, int column, int row, const StyledLine& line) {
  for (std::size_t i = 0; i < line.size(); ++i) screen.Put(column + static_cast<int>(i), row, line[i].ch, line[i].role);
}

void DrawFrame(Screen& screen, int left, int top, int width, int height, std::u32string_view caption) {
  screen.FramedBox(left, top, width, height, standin::kSingleFrame);
  if (caption.empty()) return;
  const std::u32string shown = U" " + std::u32string(caption) + U" ";
  const int length = std::min(static_cast<int>(shown.size()), width - 2);
  screen.PutText(left + (width - length) / 2, top, shown, Role::Title, length);
}

}  // namespace

std::vector<StyledLine> ParseBoxText(std::string_view mazovia) {
  return Parse(mazovia, true, [](std::uint8_t byte) { return codepage::MazoviaToUnicode(byte); });
}

std::vector<StyledLine> ParseSystemText(std::string_view windows1250) {
  return Parse(windows1250, false, [](std::uint8_t byte) { return codepage::Windows1250ToUnicode(byte); });
}

std::vector<StyledLine> WrapLines(const std::vector<StyledLine>& lines, int width) {
  const auto limit = static_cast<std::size_t>(std::max(width, 1));
  std::vector<StyledLine> out;
  for (const StyledLine& line : lines) {
    std::size_t at = 0;
    do {
      std::size_t end = std::min(at + limit, line.size());
      std::size_t next = end;
      if (end < line.size()) {
        // Break after the last blank that fits, unless that leaves nothing.
        for (std::size_t blank = end; blank > at; --blank) {
          if (line[blank].ch == U' ') {
            end = blank;
            next = blank + 1;
            break;
          }
        }
      }
      out.emplace_back(line.begin() + static_cast<std::ptrdiff_t>(at), line.begin() + static_cast<std::ptrdiff_t>(end));
      at = next;
    } while (at < line.size());
  }
  return out;
}

// Boxes -----------------------------------------------------------------------

BoxWindow::BoxWindow(std::u32string caption, std::vector<StyledLine> lines, std::vector<Button> buttons,
                     std::optional<int> cancel, bool has_tick)
    : caption_(std::move(caption)),
      lines_(std::move(lines)),
      buttons_(std::move(buttons)),
      cancel_(cancel),
      has_tick_(has_tick),
      focus_(has_tick ? 1 : 0) {}

BoxWindow BoxWindow::ForHostBox(const standin::BoxRequest& box) {
  std::u32string caption;
  for (char c : box.caption) caption += codepage::MazoviaToUnicode(static_cast<std::uint8_t>(c));
  // A yes/no question has no cancel, as the system's own have none: Esc
  // would throw away what "Nie" throws away (a saved check) unasked.
  if (box.kind == standin::kBoxQuestion) {
    return BoxWindow(std::move(caption), ParseBoxText(box.text),
                     {{U"Tak", 0, standin::kAnswerYes}, {U"Nie", 0, standin::kAnswerNo}}, std::nullopt, false);
  }
  return BoxWindow(std::move(caption), ParseBoxText(box.text), {{U"OK", 0, standin::kAnswerOk}}, standin::kAnswerOk,
                   false);
}

BoxWindow BoxWindow::ForNotice(std::string_view mazovia) {
  return BoxWindow({}, ParseBoxText(mazovia), {{U"OK", 0, standin::kAnswerOk}}, standin::kAnswerOk, true);
}

BoxWindow BoxWindow::ForSystemBox(std::string_view caption, std::string_view text) {
  std::u32string wide_caption;
  for (char c : caption) wide_caption += codepage::Windows1250ToUnicode(static_cast<std::uint8_t>(c));
  // The system's order; Abort is the default, as the plug-in asks for it.
  return BoxWindow(std::move(wide_caption), ParseSystemText(text),
                   {{U"Przerwij", 1, kSystemAbort}, {U"Ponów", 0, kSystemRetry}, {U"Ignoruj", 0, kSystemIgnore}},
                   kSystemAbort, false);
}

int BoxWindow::ButtonRowWidth() const {
  int width = 0;
  for (const Button& button : buttons_) width += static_cast<int>(button.label.size()) + 4;
  return width + kButtonGap * std::max(static_cast<int>(buttons_.size()) - 1, 0);
}

BoxWindow::Layout BoxWindow::LayOut(int screen_width) const {
  Layout layout;
  const int text_width = std::clamp(screen_width - 6, 10, kMaxTextWidth);
  layout.lines = WrapLines(lines_, text_width);
  // The blank line before the buttons is the box's own.
  while (layout.lines.size() > 1 && layout.lines.back().empty()) layout.lines.pop_back();
  int inner = std::max({kMinInnerWidth, static_cast<int>(caption_.size()) + 2, ButtonRowWidth()});
  if (has_tick_) inner = std::max(inner, 4 + static_cast<int>(kTickLabel.size()));
  for (const StyledLine& line : layout.lines) inner = std::max(inner, Width(line));
  layout.width = inner + 4;
  layout.height = static_cast<int>(layout.lines.size()) + 5 + (has_tick_ ? 2 : 0);
  return layout;
}

standin::ScreenSize BoxWindow::SizeOn(int screen_width) const {
  const Layout layout = LayOut(screen_width);
  return {layout.width, layout.height};
}

const BoxWindow::Button* BoxWindow::FocusedButton() const {
  const int index = focus_ - (has_tick_ ? 1 : 0);
  if (index < 0 || index >= static_cast<int>(buttons_.size())) return nullptr;
  return &buttons_[static_cast<std::size_t>(index)];
}

void BoxWindow::Draw(Screen& screen) const {
  const Layout layout = LayOut(screen.width());
  const int left = std::max((screen.width() - layout.width) / 2, 0);
  const int top = std::max((screen.height() - layout.height) / 2, 0);
  DrawFrame(screen, left, top, layout.width, layout.height, caption_);
  screen.HideCursor();

  int row = top + 2;
  for (const StyledLine& line : layout.lines) PutLine(screen, left + 2, row++, line);
  ++row;
  if (has_tick_) {
    const Role role = OnTick() ? Role::Current : Role::Normal;
    screen.PutText(left + 2, row, ticked_ ? U"[X] " : U"[ ] ", role, 4);
    screen.PutText(left + 6, row, kTickLabel, role, static_cast<int>(kTickLabel.size()));
    screen.Put(left + 6, row, kTickLabel.front(), Role::Hot);
    if (OnTick()) screen.SetCursor({left + 3, row});
    row += 2;
  }
  int column = left + (layout.width - ButtonRowWidth()) / 2;
  for (const Button& button : buttons_) {
    const Role role = &button == FocusedButton() ? Role::Current : Role::Normal;
    const std::u32string shown = U"[ " + button.label + U" ]";
    screen.PutText(column, row, shown, role, static_cast<int>(shown.size()));
    screen.Put(column + 2 + static_cast<int>(button.hot), row, button.label[button.hot], Role::Hot);
    column += static_cast<int>(shown.size()) + kButtonGap;
  }
}

std::optional<int> BoxWindow::Press(const Key& key) {
  const int places = Places();
  switch (key.name) {
    case KeyName::Esc:
      return cancel_;  // nothing in a question
    case KeyName::Tab:
    case KeyName::Right:
    case KeyName::Down:
      focus_ = (focus_ + 1) % places;
      return std::nullopt;
    case KeyName::ShiftTab:
    case KeyName::Left:
    case KeyName::Up:
      focus_ = (focus_ + places - 1) % places;
      return std::nullopt;
    case KeyName::Enter:
      if (const Button* button = FocusedButton()) return button->answer;
      return buttons_.front().answer;
    case KeyName::Char:
    case KeyName::Alt:
      break;
    default:
      return std::nullopt;
  }
  if (key.ch == U' ') {
    if (OnTick()) {
      ticked_ = !ticked_;
      return std::nullopt;
    }
    if (const Button* button = FocusedButton()) return button->answer;
    return std::nullopt;
  }
  const char32_t letter = Upper(key.ch);
  if (has_tick_ && letter == Upper(kTickLabel.front())) {
    focus_ = 0;
    ticked_ = !ticked_;
    return std::nullopt;
  }
  for (const Button& button : buttons_) {
    if (Upper(button.label[button.hot]) == letter) return button.answer;
  }
  return std::nullopt;
}

// A terminal too small ------------------------------------------------------------

Screen TooSmallScreen(standin::ScreenSize terminal, standin::ScreenSize needed) {
  Screen screen(terminal);
  const std::string sizes = app::SizesText(terminal, needed);
  std::vector<StyledLine> lines;
  for (const auto& [text, role] : {std::pair{Wide("Okno terminala jest za małe:"), Role::Title},
                                   std::pair{Wide(sizes), Role::Normal},
                                   std::pair{Wide("Powiększ okno."), Role::Normal}}) {
    StyledLine line;
    for (char32_t ch : text) line.push_back({ch, role});
    lines.push_back(std::move(line));
  }
  lines = WrapLines(lines, terminal.width);
  int row = std::max((terminal.height - static_cast<int>(lines.size())) / 2, 0);
  for (const StyledLine& line : lines) PutLine(screen, std::max((terminal.width - Width(line)) / 2, 0), row++, line);
  return screen;
}

}  // namespace terminal
