#include "app/options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <limits>

#include "prufacja_version.h"

namespace app {

namespace {

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::pair<std::int32_t, std::int16_t>> ParseTableVersion(const std::string& text) {
  const auto equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  const auto number = ParseNumber<std::int32_t>(std::string_view(text).substr(0, equals));
  const auto version = ParseNumber<std::int16_t>(std::string_view(text).substr(equals + 1));
  if (!number || !version) return std::nullopt;
  return std::pair{*number, *version};
}

ParsedOptions ParseOptions(int argc, const char* const* argv) {
  Options options;
  std::vector<std::string> versions;
  bool no_load = false;

  CLI::App cli{"korpus: the stand-in sales program that hosts the prufacja plug-in.\n"
               "Data files (data.txt, Niezgodnosci.*, PrufPytanie.ini) are kept in the current directory."};
  cli.add_option("--db", options.database, "Database file; a new file gets the empty schema")
      ->capture_default_str()
      ->type_name("FILE");
  cli.add_option("--check-db", options.check_database,
                 "List every value of the database file that korpus cannot use as it is, and end (exit 1 when there "
                 "is one)")
      ->type_name("FILE");
  std::vector<std::string> export_document;
  cli.add_option("--export-document", export_document,
                 "Write the stored document ID of the --db database to FILE as stored, or print it in UTF-8 with "
                 "'-', and end")
      ->expected(2)
      ->type_name("ID FILE");
  cli.add_option("--import-invoice", options.import_invoices,
                 "Add the e-invoice (FA(3) or FA(2) XML) to the purchase register of the --db database (repeatable); "
                 "without --script, end")
      ->type_name("INVOICE.xml")
      ->allow_extra_args(false);
  cli.add_option("--import-sales-invoice", options.import_sales_invoices,
                 "Add the e-invoice to the sales register (repeatable); without --script, end")
      ->type_name("INVOICE.xml")
      ->allow_extra_args(false);
  cli.add_flag("--demo", options.demo, "Fill a new database with the demo data (and write data.txt if absent)");
  cli.add_option("--script", options.script, "Read the commands from this file ('-': standard input). Without it: the terminal when "
                 "standard input is one, otherwise standard input")
      ->type_name("FILE");
  cli.add_option("--collector", options.collector, "Folder from which F4 fetches the collector's data.txt")
      ->type_name("DIR");
  cli.add_option("--table-version", versions, "Layout version of a host table, e.g. 45=300 (repeatable)")
      ->type_name("NUMBER=VERSION");
  cli.add_option("--without-table", options.missing_tables, "Host table that the program lacks (repeatable)")
      ->type_name("NUMBER");
  cli.add_option("--without-entry", options.missing_entries,
                 "Host library entry that the program lacks, by ordinal (repeatable)")
      ->type_name("ORDINAL");
  cli.add_option("--plugin", options.plugin, "Plug-in library to load (default: prufacja.so beside the program)")
      ->type_name("FILE");
  cli.add_flag("--no-load", no_load, "Start without loading the plug-in (a script loads it with 'plugin load')");
  cli.add_flag("--trace-events", options.trace_events, "Print every event that reaches the host's own list handler");
  cli.add_flag("--refuse-documents", options.refuse_documents,
               "The document store refuses every document (test switch)");
  cli.add_option("--fail-stream-write", options.fail_stream_write,
                 "The N-th write to a host stream fails, e.g. 2: the report's first position line (test switch)")
      ->type_name("N")
      ->check(CLI::Range(1L, 1000000000L));

  cli.set_version_flag("--version", "korpus " PRUFACJA_VERSION_TEXT, "Print the version and end");

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // CLI11 prints its message (or the help); every refusal exits 2.
    const int code = cli.exit(error);
    return {std::nullopt, code == 0 ? 0 : 2};
  }
  for (const std::string& text : versions) {
    const auto parsed = ParseTableVersion(text);
    if (!parsed) {
      std::fprintf(stderr, "--table-version: '%s' is not NUMBER=VERSION (e.g. 45=300)\n", text.c_str());
      return {std::nullopt, 2};
    }
    options.table_versions.push_back(*parsed);
  }
  if (!export_document.empty()) {
    const auto id = ParseNumber<std::int64_t>(export_document[0]);
    if (!id || *id < 1) {
      std::fprintf(stderr, "--export-document: '%s' is not a document number\n", export_document[0].c_str());
      return {std::nullopt, 2};
    }
    options.export_document = Options::DocumentExport{*id, export_document[1]};
  }
  options.load_plugin = !no_load;
  return {options, 0};
}

}  // namespace app
