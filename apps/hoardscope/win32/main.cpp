// hoardscope.exe: the Windows edition's command line. The subcommands run the view and the stores headless over
// the system's WinInet cache and registry, and print what the Linux edition's program prints.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  using namespace hoardscope;
  // Byte for byte as the Linux edition prints: lines end in LF, and header blocks keep their own CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  TArguments all(argv + std::min(argc, 1), argv + argc);
  THomePaths home = ResolveHome();
  ChooseProgressLine(TakeQuietOption(all), _isatty(_fileno(stderr)) != 0);
  const bool sourceGiven = TakeCacheOption(all, home);
  const std::string command = sourceGiven && !all.empty() ? all[0] : "";
  const TArguments args(all.begin() + std::min<std::size_t>(all.size(), 1), all.end());
  constexpr const char* kUsage = "usage: hoardscope COMMAND ...\n";
  try {
    if (const std::optional<int> exitCode = AnswerAboutTheProgram(command, kUsage)) return *exitCode;
    if (const std::optional<int> exitCode = RunSubcommand(command, args, home)) return *exitCode;
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return 1;
  }
  std::cerr << (command.empty() ? "" : "hoardscope: unknown command '" + command + "'\n")
            << kUsage << kSubcommandUsage;
  return 2;
}
