// The host program's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

struct Options {
  std::string database = "korpus.db";
  bool demo = false;
  // Only look through this database file for values korpus cannot use.
  std::optional<std::string> check_database;
  // Only write one stored document to a file ("-": print it in UTF-8).
  struct DocumentExport {
    std::int64_t id = 0;
    std::string target;
  };
  std::optional<DocumentExport> export_document;
  // E-invoices (FA(3) or FA(2) XML) to add to the purchase and the sales
  // register before anything else.
  std::vector<std::string> import_invoices;
  std::vector<std::string> import_sales_invoices;
  std::optional<std::string> script;  // "-" is standard input
  std::optional<std::string> collector;
  std::vector<std::pair<std::int32_t, std::int16_t>> table_versions;
  std::vector<std::int32_t> missing_tables;
  std::vector<std::uint16_t> missing_entries;
  std::string plugin;  // empty: prufacja.so beside the program
  bool load_plugin = true;
  bool trace_events = false;
  // Test switches: the document store refuses; the n-th write to a host
  // stream fails (0: none).
  bool refuse_documents = false;
  long fail_stream_write = 0;
};

struct ParsedOptions {
  std::optional<Options> options;  // none: exit with the code below
  int exit_code = 0;
};

// Parses the command line; help and errors are printed here.
ParsedOptions ParseOptions(int argc, const char* const* argv);

// "44=981" into a table number and a layout version.
std::optional<std::pair<std::int32_t, std::int16_t>> ParseTableVersion(const std::string& text);

}  // namespace app
