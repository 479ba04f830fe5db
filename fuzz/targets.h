// The fuzz targets' bodies, shared by the libFuzzer programs and the test
// that replays their corpora. Each takes one input and answers the first
// broken rule it saw, or an empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace fuzz {

using Input = std::span<const std::uint8_t>;

// data.txt: the first byte chooses the no-additions option (bit 0); the
// rest is the file, read by the import and merged into the small invoice.
std::string CollectorImport(Input input);

// Niezgodnosci.ini: the bytes are the file, resumed for the small
// invoice, shown, reported, saved and resumed again.
std::string ProgressFile(Input input);

// Keys and answers: each byte is a key (or, at a question, the answer)
// of up to three checks of the small invoice in a row.
std::string DialogKeys(Input input);

// Curses units (characters, key codes, the escape delay) through the
// terminal's key decoder.
std::string TerminalKeys(Input input);

// A script of any bytes run by the host program on the demo data.
std::string ScriptCommands(Input input);

// Any bytes as an INI document: read, written, changed.
std::string IniDocument(Input input);

// Any bytes as a dialog template (and keys for it) through the reader and
// the engine.
std::string DialogTemplate(Input input);

// Rows of any values and types in an older database, through the store.
std::string DatabaseRows(Input input);

// A register of any size and page, and list events through the plug-in's
// handler.
std::string RegisterEvents(Input input);

// Any bytes as an e-invoice file, read for the purchase and the sales
// register.
std::string EInvoice(Input input);

}  // namespace fuzz
