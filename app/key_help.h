// The keys of the host program's own screens, as F1 shows them (Mazovia).
#pragma once

namespace app {

extern const char* const kRegisterKeyHelp;
extern const char* const kDocumentsKeyHelp;

}  // namespace app
