// The subcommands of the hoardscope command line. Each takes the arguments after its own name, writes its
// output to standard output and its errors to standard error, and returns the process exit code.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ports/Home.h"

namespace hoardscope {

using TArguments = std::vector<std::string>;

int RunCacheCommand(const TArguments& args, const THomePaths& home);
int RunRegCommand(const TArguments& args, const THomePaths& home);
int RunTreeCommand(const TArguments& args, const THomePaths& home);
int RunSearchCommand(const TArguments& args, const THomePaths& home);
int RunImportCommand(const TArguments& args, const THomePaths& home);
int RunDeleteCommand(const TArguments& args, const THomePaths& home);
int RunExportCommand(const TArguments& args, const THomePaths& home);
int RunReportCommand(const TArguments& args, const THomePaths& home);
int RunRegsvrCommand(const TArguments& args, const THomePaths& home);
int RunCallCommand(const TArguments& args, const THomePaths& home);
int RunCachesCommand(const TArguments& args, const THomePaths& home);

// Whether the run works on a browser's cache (--cache SOURCE other than "platform").
bool IsBrowserSource(const THomePaths& home);
// Takes a leading "--cache SOURCE" off the arguments after the program's name into home.CacheSource. False when
// SOURCE is missing.
bool TakeCacheOption(TArguments& arguments, THomePaths& home);
// Keeps home.CacheSource, when given, as the source the bar shows; raises std::runtime_error when there is no such
// source.
void RememberCacheSource(const THomePaths& home);

// Takes every "--quiet" off the arguments after the program's name, wherever it stands (so that every subcommand
// accepts it); whether there was one. Quiet, a run draws no progress line on standard error.
bool TakeQuietOption(TArguments& arguments);
// Draws the headless views' progress line on standard error when it is a terminal (terminal) and the run is not
// quiet; a pipe or a file gets none.
void ChooseProgressLine(bool quiet, bool terminal);

// The usage lines of the subcommands that both editions run, and of the filter options some of them take.
extern const std::string kSubcommandUsage;
// The usage lines of the window program's commands, which come first in every usage message.
extern const char* const kWindowUsage;
// The Linux edition's command line: the home with the --cache source taken into it, whether --quiet was given,
// the command (empty for none) and its arguments.
struct TCommandLine {
  THomePaths Home;
  bool Quiet = false;
  std::string Command;
  TArguments Args;
};
// Reads the program's arguments; nullopt, after printing the usage, when --cache lacks its SOURCE.
std::optional<TCommandLine> ReadCommandLine(int argc, char** argv);
// The program's own answers: to --help, -h and help the usage (editionUsage, then the subcommands' lines), to
// --version its name and version, on standard output with status 0; nullopt for any other command.
std::optional<int> AnswerAboutTheProgram(const std::string& command, const char* editionUsage);
// Says that the command is unknown, with the usage; the exit status that goes with it.
int UnknownCommand(const std::string& command);
// Runs the subcommand of that name; nullopt when there is none.
std::optional<int> RunSubcommand(const std::string& command, const TArguments& args, const THomePaths& home);

}  // namespace hoardscope
