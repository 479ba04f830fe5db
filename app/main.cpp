// korpus: the stand-in host program.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/demo_data.h"
#include "app/document_export.h"
#include "app/einvoice_import.h"
#include "app/host_program.h"
#include "app/options.h"
#ifdef KORPUS_TERMINAL
#include "app/terminal/session.h"
#endif
#include "standin/files/files.h"
#include "standin/testing.h"
#include "standin/tables/database_check.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"

namespace {

namespace fs = std::filesystem;

int Refuse(const std::string& message) {
  std::cerr << "korpus: " << message << '\n';
  return 2;
}

// The plug-in lies beside the program unless named.
std::string PluginPath(const app::Options& options) {
  if (!options.plugin.empty()) return options.plugin;
#ifdef _WIN32
  wchar_t name[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, name, MAX_PATH);
  const fs::path program = length > 0 && length < MAX_PATH ? fs::path(name) : fs::path();
  return (program.empty() ? fs::path(".") : program.parent_path()).append("prufacja.dll").string();
#else
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return (error ? fs::path(".") : program.parent_path()) / "prufacja.so";
#endif
}

bool WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

static int RunFrontEnd(const app::Options& options) {
#ifdef KORPUS_TERMINAL
  if (!options.script && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    return app::RunAtTerminal(options, PluginPath(options));
  }
#endif
  app::HostProgram program(options, PluginPath(options), std::cout);
  if (!options.script || *options.script == "-") return program.RunScript(std::cin, "-");
  std::ifstream script(*options.script);
  if (!script) return Refuse("cannot read the script " + *options.script);
  return program.RunScript(script, *options.script);
}

// Lists each problem on the output, then how many; 1 when there is one, 2
// when the file cannot be read.
static int RunDatabaseCheck(const std::string& file) {
  if (!fs::exists(file)) return Refuse("no database " + file);
  try {
    const auto problems = standin::tables::CheckDatabase(file);
    for (const auto& problem : problems) std::cout << standin::tables::Describe(problem) << '\n';
    std::cout << file << ": " << problems.size() << (problems.size() == 1 ? " problem" : " problems") << '\n';
    return problems.empty() ? 0 : 1;
  } catch (const standin::StoreError& error) {
    return Refuse(error.what());
  }
}

int main(int argc, char** argv) {
  const app::ParsedOptions parsed = app::ParseOptions(argc, argv);
  if (!parsed.options) return parsed.exit_code;
  const app::Options& options = *parsed.options;
  if (options.check_database) return RunDatabaseCheck(*options.check_database);
  if (options.export_document) {
    return app::ExportDocument(options.database, options.export_document->id, options.export_document->target,
                               std::cout, std::cerr);
  }

  const fs::path database = options.database;
  const bool new_database = !fs::exists(database);
  try {
    standin::UseStore(standin::OpenDatabase(database));
    if (options.demo && new_database) {
      app::FillDemoData(standin::CurrentStore());
      if (!fs::exists("data.txt") && !WriteFile("data.txt", app::kDemoCollectorFile)) {
        std::cerr << "korpus: could not write the example data.txt\n";
      }
    } else if (options.demo) {
      std::cerr << "korpus: " << options.database << " already exists; the demo data goes only into a new one\n";
    } else if (new_database && options.import_invoices.empty() && options.import_sales_invoices.empty()) {
      // A mistyped name would otherwise open an empty register unasked.
      std::cerr << "korpus: " << options.database << " did not exist: a new, empty database is made there\n";
    }
  } catch (const standin::StoreError& error) {
    return Refuse(error.what());
  }

  if (!options.import_invoices.empty() || !options.import_sales_invoices.empty()) {
    if (!app::EInvoicesSupported()) return Refuse("this build cannot read e-invoices (it has no XML library)");
    const int purchases = app::ImportEInvoices(standin::CurrentStore(), options.import_invoices,
                                               standin::Register::Purchase, std::cout, std::cerr);
    const int sales = app::ImportEInvoices(standin::CurrentStore(), options.import_sales_invoices,
                                           standin::Register::Sales, std::cout, std::cerr);
    if (purchases != 0 || sales != 0) return 1;
    if (!options.script) return 0;
  }

  for (const auto& [table, version] : options.table_versions) {
    if (!standin::tables::SetVersion(table, version)) return Refuse("no host table " + std::to_string(table));
  }
  for (const std::int32_t table : options.missing_tables) {
    if (!standin::tables::SetAvailable(table, false)) return Refuse("no host table " + std::to_string(table));
  }
  for (const std::uint16_t ordinal : options.missing_entries) standin::testing::HideEntry(ordinal);
  if (options.refuse_documents) standin::testing::FailAlways(standin::Fault::DocumentStore, true);
  if (options.fail_stream_write > 0) standin::testing::FailNth(standin::Fault::StreamWrite, options.fail_stream_write);
  if (options.collector && !standin::files::SetCollectorFolder(*options.collector)) {
    return Refuse("the collector folder name is too long: " + *options.collector);
  }

  // The user takes longer to reach an invoice than a large database takes
  // to read.
  standin::CurrentStore().ReadAhead();
  const int code = RunFrontEnd(options);
  // A reading still going ends here, and not while the process exits.
  standin::UseStore(nullptr);
  return code;
}
