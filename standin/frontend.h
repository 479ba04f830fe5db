// Where the stand-in's boxes and dialogs meet a user: the terminal, a
// script, or a test that records them.
#pragma once

#include <cstdint>
#include <string>

#include "abi/host_codes.h"
#include "standin/dialog/keys.h"
#include "standin/dialog/screen.h"

namespace standin {

// Box kinds as the plug-in passes them, and the answers of the host's
// boxes.
using korpus_abi::kAnswerNo;
using korpus_abi::kAnswerOk;
using korpus_abi::kAnswerYes;
using korpus_abi::kBoxNotice;
using korpus_abi::kBoxQuestion;

// What a box shows. Texts are Mazovia bytes; the markup bytes 0x01, 0x02
// and 0x03 reach the front end unchanged.
struct BoxRequest {
  std::string caption;
  std::string text;
  std::int32_t kind = kBoxNotice;
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  virtual std::int16_t ShowBox(const BoxRequest& box) = 0;

  // The install notice: the user may tick "do not show again", which sets
  // the flag to 1.
  virtual void ShowNotice(const std::string& text, std::int16_t& flag) = 0;

  // The signal before a warning.
  virtual void Signal() {}

  // A Windows-style Abort/Retry/Ignore box (the binding error box); texts
  // in Windows-1250. Answers as the system does (korpus_abi::kSystemAbort …).
  virtual int ShowSystemBox(const std::string& caption, const std::string& text) = 0;

  // The next key for the dialog engine; None ends the dialog as Esc does.
  virtual Key NextKey() { return NoKey(); }

  // The engine's picture after every change, on a screen of Size(). Asked
  // before each one: a front end that looks at no picture spares the
  // drawing; the engine still takes the lists' rows as it would to draw.
  virtual bool WantsPicture() { return true; }
  virtual void Present(const Screen&) {}
  virtual ScreenSize Size() const { return kDefaultScreenSize; }
};

// The front end in use; a quiet default that answers every box with its
// default answer (OK, no, abort) until one is set.
FrontEnd& CurrentFrontEnd();
void SetFrontEnd(FrontEnd* front_end);

}  // namespace standin
