#include "app/terminal/session.h"

#include <iostream>
#include <sstream>

#include "app/host_program.h"
#include "app/register_screen.h"
#include "app/terminal/terminal_front_end.h"

namespace app {

int RunAtTerminal(const Options& options, const std::string& plugin_path) {
  std::ostringstream transcript;
  std::string errors;
  int exit_code = 0;
  {
    terminal::TerminalFrontEnd front;
    std::string error;
    if (!front.Open(error)) {
      std::cerr << "korpus: " << error << "; --script runs the program without a terminal\n";
      return 2;
    }
    front.Install();
    front.SetMinimumSize(kRegisterMinimumSize);
    HostProgram program(options, plugin_path, transcript);
    front.OnResize([&program] { program.Repaint(); });
    exit_code = program.RunInteractive(front);
    front.OnResize(nullptr);
    errors = program.deferred_errors();
  }
  std::cout << transcript.str() << std::flush;
  std::cerr << errors << std::flush;
  return exit_code;
}

}  // namespace app
