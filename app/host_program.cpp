#include "app/host_program.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <iostream>
#include <ostream>
#include <stdexcept>

#include "abi/codepage.h"
#include "abi/progress_file.h"
#include "app/document_text.h"
#include "app/key_help.h"
#include "app/register_screen.h"
#include "app/script_source.h"
#include "standin/dialog/engine.h"
#include "standin/dialog/key_help.h"
#include "standin/files/files.h"
#include "standin/ini/ini_access.h"
#include "standin/ini/ini_document.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/trim.h"
#ifdef _WIN32
#include "standin/windows/plugin_calls.h"
#endif

namespace app {

namespace {

std::string_view RegisterWord(standin::Register kind) {
  return kind == standin::Register::Sales ? "sales" : "purchase";
}

}  // namespace

std::int32_t ListEventOf(const standin::Key& key) {
  using standin::KeyName;
  if (key == standin::NamedKey(KeyName::F2) || key == standin::AltKey(U'1')) return list_key::kCtrl1;
  switch (key.name) {
    case KeyName::Char: return static_cast<std::int32_t>(key.ch);
    case KeyName::Ctrl:
      if (key.ch >= U'0' && key.ch <= U'9') return list_key::kCtrlDigits + static_cast<std::int32_t>(key.ch - U'0');
      return static_cast<std::int32_t>(key.ch) & list_key::kCtrlLetterBits;
    case KeyName::Alt: return list_key::kAltLetters + static_cast<std::int32_t>(key.ch);
    case KeyName::Up: return list_key::kUp;
    case KeyName::Down: return list_key::kDown;
    case KeyName::PgUp: return list_key::kPageUp;
    case KeyName::PgDn: return list_key::kPageDown;
    case KeyName::Home: return list_key::kHome;
    case KeyName::End: return list_key::kEnd;
    case KeyName::ShiftTab: return list_key::kShiftTab;
    case KeyName::Left: return list_key::kLeft;
    case KeyName::Right: return list_key::kRight;
    case KeyName::Delete: return list_key::kDelete;
    case KeyName::Backspace: return list_key::kBackspace;
    default: return standin::HostKeyCode(key);
  }
}

HostProgram::HostProgram(const Options& options, std::string plugin_path, std::ostream& out)
    : options_(options), out_(out), plugin_(std::move(plugin_path)) {
  standin::tables::SetProblemSink([this](const standin::tables::ValueProblem& problem) { ShowProblem(problem); });
  const int page = RegisterPageRows(standin::kDefaultScreenSize.height);
  auto& store = standin::CurrentStore();
  sales_ = std::make_unique<RegisterList>(standin::Register::Sales, store.ListInvoices(standin::Register::Sales), page);
  purchase_ = std::make_unique<RegisterList>(standin::Register::Purchase,
                                             store.ListInvoices(standin::Register::Purchase), page);
  ReadMarks();
  // The host's own handlers are in place before any plug-in is loaded.
  standin::tables::SetListHandler(korpus_abi::kSalesRegister, &RegisterList::HostHandler);
  standin::tables::SetListHandler(korpus_abi::kPurchaseRegister, &RegisterList::HostHandler);
  if (options_.trace_events) {
    for (RegisterList* list : {sales_.get(), purchase_.get()}) {
      list->OnReceived([this, list](const ReceivedEvent& event) {
        out_ << "event " << event.event << " reached the host's " << RegisterWord(list->kind()) << " list\n"
             << std::flush;
      });
    }
  }
}

HostProgram::~HostProgram() {
  standin::tables::SetProblemSink(nullptr);
  standin::tables::SetListHandler(korpus_abi::kSalesRegister, standin::tables::DefaultListHandler());
  standin::tables::SetListHandler(korpus_abi::kPurchaseRegister, standin::tables::DefaultListHandler());
}

void HostProgram::LoadPlugin() { Report("load", plugin_.Load(), true); }

void HostProgram::UnloadPlugin() { Report("unload", plugin_.Unload(), false); }

// What a call of the plug-in's entry gave; a load also hands back the
// description.
void HostProgram::Report(const char* call, const EntryOutcome& outcome, bool with_description) {
  standin::FlushIniFiles();
  out_ << "plugin " << call << ": ";
  if (!outcome.called) {
    out_ << outcome.failure << '\n' << std::flush;
  } else if (!outcome.failure.empty()) {
    out_ << "abandoned: " << outcome.failure << '\n' << std::flush;
  } else {
    out_ << "result " << outcome.result;
    if (with_description) out_ << ", description \"" << outcome.description << '"';
    out_ << '\n' << std::flush;
  }
}

void HostProgram::ShowRegister(standin::Register kind) {
  kind_ = kind;
  documents_shown_ = false;
  Present();
}

void HostProgram::ShowDocuments() {
  OpenDocuments();
  Present();
}

// A database that cannot be read leaves the register as it was.
void HostProgram::OpenDocuments() {
  try {
    documents_.Load(standin::CurrentStore());
    documents_shown_ = true;
  } catch (const std::exception& error) {
    out_ << "documents: " << error.what() << '\n' << std::flush;
    if (front_ != nullptr) {
      front_->ShowBox({codepage::Utf8ToMazovia("Błąd"), codepage::Utf8ToMazovia("Nie można odczytać dokumentów."),
                       standin::kBoxNotice});
    }
  }
}

void HostProgram::ShowKeyHelp(const char* mazovia_text) {
  if (front_ != nullptr) front_->ShowBox(standin::dialog::KeyHelpBox(mazovia_text));
}

bool HostProgram::Select(std::string_view number) {
  if (!current().Select(number)) return false;
  Present();
  return true;
}

void HostProgram::ReportRow() {
  RegisterList& list = current();
  out_ << "register " << RegisterWord(list.kind()) << ": ";
  if (list.size() == 0) {
    out_ << "no invoices\n" << std::flush;
    return;
  }
  out_ << "row " << list.current() + 1 << " of " << list.size() << ", " << list.invoice(list.current()).number
       << '\n'
       << std::flush;
}

void HostProgram::ReportDocumentRow() {
  out_ << "documents: ";
  if (documents_.size() == 0) {
    out_ << "none\n" << std::flush;
    return;
  }
  out_ << "row " << documents_.current() + 1 << " of " << documents_.size() << ", document "
       << documents_.entry(documents_.current()).id << '\n'
       << std::flush;
}

void HostProgram::ShowProblem(const standin::tables::ValueProblem& problem) {
  const std::string line = "korpus: " + standin::tables::Describe(problem) + "\n";
  if (errors_direct_) {
    std::cerr << line << std::flush;
  } else {
    deferred_errors_ += line;
  }
  if (front_ == nullptr) {
    pending_.push_back(problem);
    return;
  }
  front_->ShowBox({codepage::Utf8ToMazovia("Błąd"), codepage::Utf8ToMazovia(standin::tables::DescribePolish(problem)),
                   standin::kBoxNotice});
}

void HostProgram::ShowPendingProblems() {
  std::vector<standin::tables::ValueProblem> pending;
  pending.swap(pending_);
  for (const auto& problem : pending) {
    front_->ShowBox({codepage::Utf8ToMazovia("Błąd"),
                     codepage::Utf8ToMazovia(standin::tables::DescribePolish(problem)), standin::kBoxNotice});
  }
}

bool HostProgram::PositionsReadable() {
  RegisterList& list = current();
  if (list.size() == 0) return true;
  const standin::InvoiceRow& invoice = list.invoice(list.current());
  const auto cursor = standin::CurrentStore().ScanPositions(list.kind(), invoice.id);
  standin::RowView row;
  standin::Step step = cursor->Next(row);
  while (step == standin::Step::Row) step = cursor->Next(row);
  return step == standin::Step::End;
}

bool HostProgram::Press(const standin::Key& key) {
  // The host's help key never reaches a list.
  if (key.name == standin::KeyName::F1) {
    ShowKeyHelp(documents_shown_ ? kDocumentsKeyHelp : kRegisterKeyHelp);
    Present();
    return true;
  }
  if (documents_shown_) {
    const int height = front_ != nullptr ? front_->Size().height : standin::kDefaultScreenSize.height;
    if (!documents_.HandleKey(key, height)) documents_shown_ = false;
    Present();
    return true;
  }
  const std::int32_t event = ListEventOf(key);
  // Ctrl-1 starts a check.
  if (event == list_key::kCtrl1 && (!CheckFits() || !PositionsReadable())) {
    Present();
    return true;
  }
  std::int32_t answer = 0;
  // A document stored during the event names the invoice it was about.
  const RegisterList& list = current();
  standin::files::SetCheckedInvoice(list.size() == 0 ? 0 : list.invoice(list.current()).id);
  try {
#ifdef _WIN32
    // A plug-in's failure arrives as a structured exception.
    if (const auto failure = standin::windows::CallPlugin([&] { answer = current().Deliver(event); })) {
      throw std::runtime_error(failure->text);
    }
#else
    answer = current().Deliver(event);
#endif
  } catch (const std::exception& error) {
    // The host reports a failure that left a list event, and goes on.
    out_ << "event " << event << " failed: " << error.what() << '\n' << std::flush;
  }
  standin::files::SetCheckedInvoice(0);
  // A scan that the plug-in started during the event ends with the event,
  // however the event ended.
  if (const int unended = standin::tables::TakeUnendedScans(); unended > 0) {
    out_ << "event " << event << " left " << unended << (unended == 1 ? " table scan" : " table scans")
         << " open\n"
         << std::flush;
  }
  standin::FlushIniFiles();
  if (event == list_key::kCtrl1) ReadMarks();
  if (answer == static_cast<std::int32_t>(ListAnswer::Quit) && !QuitConfirmed()) {
    answer = static_cast<std::int32_t>(ListAnswer::Stay);
  }
  if (answer == static_cast<std::int32_t>(ListAnswer::SwitchRegister)) {
    kind_ = kind_ == standin::Register::Sales ? standin::Register::Purchase : standin::Register::Sales;
  } else if (answer == static_cast<std::int32_t>(ListAnswer::ShowDocuments)) {
    OpenDocuments();
  }
  Present();
  return answer != static_cast<std::int32_t>(ListAnswer::Quit);
}

bool HostProgram::CheckFits() {
  if (front_ == nullptr) return true;
  const standin::ScreenSize size = front_->Size();
  if (size.width >= kCheckMinimumSize.width && size.height >= kCheckMinimumSize.height) return true;
  front_->ShowBox({codepage::Utf8ToMazovia("Uwaga"),
                   codepage::Utf8ToMazovia("Okno terminala jest za małe: " + SizesText(size, kCheckMinimumSize, "x") +
                                           "\nPowiększ okno i zacznij sprawdzanie jeszcze raz."),
                   standin::kBoxNotice});
  return false;
}

// Reports name the invoice they were stored for; the saved check names its
// invoice by number only, so every invoice of that number is marked.
void HostProgram::ReadMarks() {
  marks_ = {};
  try {
    for (const standin::DocumentRow& document : standin::CurrentStore().Documents()) {
      if (document.kind == kReportDocument && document.invoice_id != 0) marks_.reported.insert(document.invoice_id);
    }
  } catch (const std::exception&) {
    // A database that cannot be read has no marks to show.
  }
  // Read past the INI access, whose faults and cache are the plug-in's:
  // the files were flushed when the event ended.
  std::ifstream file(korpus_abi::kProgressFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const standin::ini::Document progress = standin::ini::Document::Parse(bytes);
  if (const auto number = progress.Find(korpus_abi::kProgressSection, korpus_abi::kProgressNumberKey)) {
    marks_.resumable = codepage::MazoviaToUtf8(number->substr(0, standin::kIniPlainTextLimit));
  }
}

// One key must not end the program unasked.
bool HostProgram::QuitConfirmed() {
  if (front_ == nullptr) return true;
  return front_->ShowBox({codepage::Utf8ToMazovia("Uwaga"), codepage::Utf8ToMazovia("Zakończyć pracę programu?"),
                          standin::kBoxQuestion}) == standin::kAnswerYes;
}

void HostProgram::Present() {
  if (front_ == nullptr) return;
  const standin::ScreenSize size = front_->Size();
  sales_->SetPageRows(RegisterPageRows(size.height));
  purchase_->SetPageRows(RegisterPageRows(size.height));
  standin::Screen screen(size);
  if (documents_shown_) {
    documents_.Draw(screen);
  } else {
    DrawRegister(current(), marks_, options_.database, screen);
  }
  front_->Present(screen);
}

void HostProgram::AddCommands(script::ScriptFrontEnd& front) {
  using script::Outcome;
  const auto no_dialog = [](std::string_view command) -> std::optional<Outcome> {
    if (standin::dialog::OpenDialog() == nullptr) return std::nullopt;
    return Outcome::Fail(std::string(command) + ": a dialog is open; close it first");
  };
  const auto no_invoices = [this](std::string_view command) -> std::optional<Outcome> {
    if (!documents_shown_) return std::nullopt;
    return Outcome::Fail(std::string(command) +
                         ": the documents view lists no invoices; 'register sales' or 'register purchase' first");
  };

  front.AddCommand("register", [this, no_dialog](std::string_view argument) {
    if (auto refused = no_dialog("register")) return *refused;
    const std::string_view word = standin::TrimBlanks(argument);
    if (word == "sales") {
      ShowRegister(standin::Register::Sales);
    } else if (word == "purchase") {
      ShowRegister(standin::Register::Purchase);
    } else if (word == "documents") {
      ShowDocuments();
      if (!documents_shown_) return Outcome::Fail("register documents: the documents cannot be read");
      ReportDocumentRow();
      return Outcome::Continue();
    } else {
      return Outcome::Fail("register: expected 'sales', 'purchase' or 'documents', not '" + std::string(word) + "'");
    }
    ReportRow();
    return Outcome::Continue();
  });

  front.AddCommand("select", [this, no_dialog, no_invoices](std::string_view argument) {
    if (auto refused = no_dialog("select")) return *refused;
    const std::string_view number = standin::TrimBlanks(argument);
    if (number.empty()) return Outcome::Fail("select needs an invoice number");
    if (auto refused = no_invoices("select")) return *refused;
    if (!Select(number)) {
      return Outcome::Fail("select: no invoice '" + std::string(number) + "' in the " +
                           std::string(RegisterWord(kind_)) + " register");
    }
    ReportRow();
    return Outcome::Continue();
  });

  // As typing the number's beginning in the register: every character goes
  // to the list as its event.
  front.AddCommand("search", [this, no_dialog, no_invoices](std::string_view argument) {
    if (auto refused = no_dialog("search")) return *refused;
    const std::string_view beginning = standin::TrimBlanks(argument);
    if (beginning.empty()) return Outcome::Fail("search needs the beginning of an invoice number");
    if (auto refused = no_invoices("search")) return *refused;
    if (!current().search().empty()) Press(standin::NamedKey(standin::KeyName::Esc));
    for (std::size_t at = 0; at < beginning.size();) Press(standin::CharKey(codepage::DecodeUtf8(beginning, at)));
    if (current().search() != beginning) {
      return Outcome::Fail("search: no invoice number in the " + std::string(RegisterWord(kind_)) +
                           " register begins with '" + std::string(beginning) + "'");
    }
    ReportRow();
    return Outcome::Continue();
  });

  front.AddCommand("plugin", [this, no_dialog](std::string_view argument) {
    if (auto refused = no_dialog("plugin")) return *refused;
    const std::string_view word = standin::TrimBlanks(argument);
    if (word == "load") {
      LoadPlugin();
    } else if (word == "unload") {
      UnloadPlugin();
    } else {
      return Outcome::Fail("plugin: expected 'load' or 'unload', not '" + std::string(word) + "'");
    }
    return Outcome::Continue();
  });

  // As --table-version, while the program runs: the next load checks it.
  front.AddCommand("table-version", [](std::string_view argument) {
    const std::string text(standin::TrimBlanks(argument));
    const auto parsed = ParseTableVersion(text);
    if (!parsed) return Outcome::Fail("table-version: '" + text + "' is not NUMBER=VERSION (e.g. 45=300)");
    if (!standin::tables::SetVersion(parsed->first, parsed->second)) {
      return Outcome::Fail("table-version: no host table " + std::to_string(parsed->first));
    }
    return Outcome::Continue();
  });

  front.AddCommand("quit", [](std::string_view argument) {
    if (!standin::TrimBlanks(argument).empty()) return Outcome::Fail("quit takes no argument");
    return Outcome::Stop();
  });
}

void HostProgram::Repaint() {
  if (front_ == nullptr) return;
  if (standin::dialog::Dialog* dialog = standin::dialog::OpenDialog()) {
    front_->Present(dialog->Render());
    return;
  }
  Present();
}

// The front end's keys until they end or the user quits; then the plug-in
// is unloaded and released.
void HostProgram::Work(standin::FrontEnd& front) {
  for (;;) {
    const standin::Key key = front.NextKey();
    if (key.name == standin::KeyName::None) break;
    if (!Press(key)) break;
  }
  if (plugin_.loaded()) UnloadPlugin();
  plugin_.Release();
  standin::FlushIniFiles();
}

int HostProgram::RunInteractive(standin::FrontEnd& front) {
  front_ = &front;
  Present();
  ShowPendingProblems();
  if (options_.load_plugin) LoadPlugin();
  Work(front);
  front_ = nullptr;
  return 0;
}

int HostProgram::RunScript(std::istream& script, const std::string& name) {
  std::cerr << deferred_errors_ << std::flush;
  deferred_errors_.clear();
  errors_direct_ = true;
  ScriptSource source(script, [this] {
    if (options_.load_plugin) LoadPlugin();
  });
  std::istream lines(&source);
  script::ScriptFrontEnd front(lines, out_, std::cerr, name);
  front.Install();
  front_ = &front;
  AddCommands(front);
  Present();
  ShowPendingProblems();

  Work(front);
  const bool succeeded = front.Finish();
  front_ = nullptr;
  return succeeded ? 0 : 1;
}

}  // namespace app
