// A stored document as a person reads it. The plug-in's report mixes code
// pages: its four header lines are Windows-1250, every other line is the
// positions' Mazovia (the bottom rule is plain ASCII either way).
#pragma once

#include <string>
#include <vector>

#include "abi/host_codes.h"
#include "standin/tables/store.h"

namespace app {

// Kind of the plug-in's discrepancy report.
using korpus_abi::kReportDocument;

// Its lines in UTF-8, without their line ends. Control characters, which
// would steer a terminal, show as '?'; a tab as a blank.
std::vector<std::string> DocumentLines(const standin::DocumentRow& document);

// The lines joined by LF, the last one ended too when the document ended
// with a line end.
std::string DocumentUtf8(const standin::DocumentRow& document);

// "raport" for the report, the kind's number otherwise.
std::string DocumentKindName(std::int32_t kind);

}  // namespace app
