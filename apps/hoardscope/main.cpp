// hoardscope: the Linux edition's command line. With a subcommand it runs the view and the stores headless;
// without one, and for --screenshot and notify, it hands over to the window program, hoardscope-browser.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>

#include "Commands.h"
#include "platform/linux/LinuxHome.h"

namespace {

// Replaces this process with the window program, given the same arguments; returns only when it cannot.
int RunWindowProgram(char** argv) {
  const std::string program = hoardscope::InstalledFile("hoardscope-browser").string();
  execv(program.c_str(), argv);
  std::cerr << "hoardscope: cannot start " << program << ": " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace hoardscope;
  try {
    const std::optional<TCommandLine> line = ReadCommandLine(argc, argv);
    if (!line) return 2;
    ChooseProgressLine(line->Quiet, isatty(STDERR_FILENO) != 0);
    const std::string& command = line->Command;
    if (const std::optional<int> exitCode = AnswerAboutTheProgram(command, kWindowUsage)) return *exitCode;
    if (command.empty() || command == "--screenshot" || command == "notify") return RunWindowProgram(argv);
    if (const std::optional<int> exitCode = RunSubcommand(command, line->Args, line->Home)) return *exitCode;
    return UnknownCommand(command);
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return 1;
  }
}
