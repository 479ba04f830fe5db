// The host program: the two invoice registers of the current store, the
// plug-in loaded through its entry point, and a front end that gives keys
// and commands. Keys pressed in a register become list events; a dialog
// that a plug-in opens takes its keys from the same front end.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/documents_view.h"
#include "app/options.h"
#include "app/plugin_host.h"
#include "app/register_list.h"
#include "app/register_screen.h"
#include "app/script/script_front_end.h"
#include "standin/dialog/keys.h"
#include "standin/tables/value_problems.h"

namespace app {

// The list event of a key (register_list.h's list_key). Few terminals can
// send Ctrl-1 as a key of its own, so F2 and Alt-1 are Ctrl-1 too.
std::int32_t ListEventOf(const standin::Key& key);

class HostProgram {
 public:
  HostProgram(const Options& options, std::string plugin_path, std::ostream& out);
  ~HostProgram();
  HostProgram(const HostProgram&) = delete;
  HostProgram& operator=(const HostProgram&) = delete;

  // Runs a script until it ends, fails or quits; then unloads the
  // plug-in. The exit code: 0, or 1 after a script error.
  int RunScript(std::istream& script, const std::string& name);

  // Runs with a front end that a person uses (the terminal) until the user
  // quits or the input ends: the plug-in is loaded once the register is
  // shown and unloaded at the end. The exit code: 0.
  int RunInteractive(standin::FrontEnd& front);
  // Draws the current picture anew (the terminal changed its size): the
  // open dialog, or the register.
  void Repaint();
  // The error lines of a run at the terminal, which would break into its
  // picture: its caller prints them once the terminal is given back.
  const std::string& deferred_errors() const { return deferred_errors_; }

  // The program's own steps, as the script commands call them.
  void LoadPlugin();
  void UnloadPlugin();
  void ShowRegister(standin::Register kind);
  // The documents that checks stored, read afresh; Esc goes back to the
  // register.
  void ShowDocuments();
  // False when the current register has no invoice of that number.
  bool Select(std::string_view number);
  // Delivers a key to the current register; false once the user quits.
  bool Press(const standin::Key& key);

  RegisterList& current() { return kind_ == standin::Register::Sales ? *sales_ : *purchase_; }

 private:
  void AddCommands(script::ScriptFrontEnd& front);
  void Present();
  void ReportRow();
  void ReportDocumentRow();
  void OpenDocuments();
  void ShowKeyHelp(const char* mazovia_text);
  void Work(standin::FrontEnd& front);
  void Report(const char* call, const EntryOutcome& outcome, bool with_description);
  // A value of the database that the records cannot hold as it is: named
  // on the error stream at once and in a "Błąd" box as soon as there is a
  // front end to show it.
  void ShowProblem(const standin::tables::ValueProblem& problem);
  void ShowPendingProblems();
  // The check of the current invoice starts only when its positions can
  // be delivered as they are.
  bool PositionsReadable();
  // The user's answer to "Zakończyć pracę programu?".
  bool QuitConfirmed();
  // A check starts only where its dialog can be seen; otherwise a notice
  // says how large the terminal must be.
  bool CheckFits();
  // The marks of the invoices with a stored report or a saved check, read
  // anew: at the start and after each check.
  void ReadMarks();

  Options options_;
  std::ostream& out_;
  PluginHost plugin_;
  std::unique_ptr<RegisterList> sales_;
  std::unique_ptr<RegisterList> purchase_;
  standin::Register kind_ = standin::Register::Sales;
  bool documents_shown_ = false;
  DocumentsView documents_;
  RegisterMarks marks_;
  standin::FrontEnd* front_ = nullptr;
  std::vector<standin::tables::ValueProblem> pending_;
  // Until a script runs, and at the terminal, error lines wait.
  bool errors_direct_ = false;
  std::string deferred_errors_;
};

}  // namespace app
