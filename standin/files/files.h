// The file services as the host program and tests set them up: the data
// collector's folder and whether the collector is ready. Streams and the
// document store need no setting up; documents land in the current store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace standin::files {

// The folder from which the collector's file is fetched (UTF-8); empty:
// none, the file is expected in the current directory already. False, and
// nothing changed, when the folder does not fit the 260-byte buffer that
// callers copy it into.
bool SetCollectorFolder(std::string_view utf8);
std::string CollectorFolderUtf8();

// The answer of the "collector ready" entry (ready by default).
void SetCollectorReady(bool ready);

// The invoice whose check is running (0: none): the documents stored
// meanwhile name it. The host program sets it around each list event.
void SetCheckedInvoice(std::int64_t invoice_id);
std::int64_t CheckedInvoice();

// Folder empty, collector ready, no invoice being checked.
void Reset();

}  // namespace standin::files
