// The terminal front end: the engine's and the host program's pictures
// shown with curses in colour, keys read from the keyboard (or a scanner
// that types), message boxes as modal windows over the picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/terminal/box_window.h"
#include "app/terminal/key_decoder.h"
#include "standin/frontend.h"

// Curses' own types, kept out of this header.
struct screen;
struct _win_st;

namespace terminal {

class TerminalFrontEnd final : public standin::FrontEnd {
 public:
  TerminalFrontEnd() = default;
  ~TerminalFrontEnd() override;
  TerminalFrontEnd(const TerminalFrontEnd&) = delete;
  TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

  // Takes over the terminal on standard input and output, with a UTF-8
  // character type; false, with the reason in `error`, when it cannot.
  bool Open(std::string& error);
  // Gives the terminal back as it was; the destructor does it too.
  void Close();

  // Makes this the front end in use until it is closed.
  void Install();

  // The smallest terminal that the pictures need while no dialog is open.
  void SetMinimumSize(standin::ScreenSize size) { minimum_ = size; }
  // Draws the current picture anew after the terminal changed its size;
  // without it the last picture is shown again as it was.
  void OnResize(std::function<void()> repaint) { repaint_ = std::move(repaint); }

  // FrontEnd
  standin::Key NextKey() override;
  void Present(const standin::Screen& screen) override;
  standin::ScreenSize Size() const override;
  std::int16_t ShowBox(const standin::BoxRequest& box) override;
  void ShowNotice(const std::string& text, std::int16_t& flag) override;
  void Signal() override;
  int ShowSystemBox(const std::string& caption, const std::string& text) override;

 private:
  enum class Read : std::uint8_t { Got, Nothing, Resized, Ended };

  Read ReadInput(int timeout_ms, Input& input);
  void Resized();
  int RunBox(BoxWindow& box);
  standin::ScreenSize Needed() const;
  bool Fits() const;
  void Paint();
  void Show(const standin::Screen& picture);
  void ShowCursor(bool visible);

  struct screen* terminal_ = nullptr;
  struct _win_st* input_ = nullptr;
  bool colours_ = false;
  bool other_keys_ = false;
  bool ended_ = false;
  void (*previous_hangup_)(int) = nullptr;
  int cursor_visible_ = -1;
  standin::Screen last_;
  BoxWindow* box_ = nullptr;
  KeyDecoder decoder_;
  standin::ScreenSize minimum_{1, 1};
  std::function<void()> repaint_;
  bool installed_ = false;
  standin::FrontEnd* previous_ = nullptr;
};

// Makes the character type UTF-8: the environment's when it is UTF-8,
// otherwise C.UTF-8. Only the character type: numbers and sorting stay as
// the host program keeps them. False when no UTF-8 locale is installed.
bool UseUtf8Characters();

}  // namespace terminal
