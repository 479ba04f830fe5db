// Windows: the streams that the stream-open entry handed out and that are
// not closed yet. The plug-in closes them with its runtime's fclose, which
// the stand-in routes to ForgetHostStream first.
#pragma once

#include <cstdio>

namespace standin::files {

void ForgetHostStream(std::FILE* stream);
bool IsHostStream(std::FILE* stream);

}  // namespace standin::files
