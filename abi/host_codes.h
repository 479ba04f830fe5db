// What the host's service entries take and answer, as both sides number it:
// boxes and their answers, the system's box that the binding error box is,
// INI access, documents, the collector's folder, and the scale of
// quantities.
#pragma once

#include <cstddef>
#include <cstdint>

#include "abi/dialog_codes.h"

namespace korpus_abi {

// Kinds of the host's boxes, and their answers: a box is a dialog, whose
// OK command answers OK and yes.
inline constexpr std::int32_t kBoxNotice = 1;
inline constexpr std::int32_t kBoxQuestion = 6;
inline constexpr std::int16_t kAnswerOk = kCommandOk;
inline constexpr std::int16_t kAnswerYes = kCommandOk;
inline constexpr std::int16_t kAnswerNo = 0x5002;

// The system's Abort/Retry/Ignore box (MessageBoxA): its style, with the
// error icon and task-modal, and its answers.
inline constexpr std::uint32_t kSystemAbortRetryIgnoreStyle = 0x2012;
inline constexpr int kSystemAbort = 3;
inline constexpr int kSystemRetry = 4;
inline constexpr int kSystemIgnore = 5;

// INI access: its modes, its answer when the key was read or written, and
// the most characters that a plain %s reads.
inline constexpr std::int32_t kIniRead = 8;
inline constexpr std::int32_t kIniWrite = 9;
inline constexpr std::int16_t kIniDone = 0;
inline constexpr std::size_t kIniPlainTextLimit = 259;

// The kind of document that a check's report is stored as.
inline constexpr std::int32_t kReportDocument = 11;

// The collector's folder fits this many bytes, its NUL included.
inline constexpr std::size_t kCollectorFolderSize = 260;

// The field entry writes a field of a line into 256 bytes at most, its NUL
// included.
inline constexpr std::size_t kLineFieldSize = 256;

// Quantities and factors are in thousandths: one piece, a factor of one.
inline constexpr std::int32_t kOneUnit = 1000;

}  // namespace korpus_abi
