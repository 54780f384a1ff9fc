// The subcommands of the command line by name.
#include "Commands.h"
#include "FilterOptions.h"
#include "Headless.h"
#include "HomeSetup.h"

#include <algorithm>
#include <iostream>
#include <map>

namespace hoardscope {

const char* const kWindowUsage =
    "usage: hoardscope\n"
    "       hoardscope --screenshot FILE [--expand NODE]... [--select NODE]\n"
    "       hoardscope notify\n";

const std::string kSubcommandUsage =
    std::string("       hoardscope tree [--all] [--long] [--expand NODE]... [--select NODE] [FILTER]\n"
    "       hoardscope search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long] [--fail-if-none]\n"
    "                         [FILTER]\n"
    "       hoardscope delete NODE [--force]\n"
    "       hoardscope export NODE FILE.hef [--yes | --no] [FILTER]\n"
    "       hoardscope report [NODE] [--format csv|html|json] [--output FILE] [FILTER]\n"
    "       hoardscope import FILE.hef\n"
    "       hoardscope regsvr [/u] [/s] [MODULE]\n"
    "       hoardscope setup\n"
    "       hoardscope call PROGID [--folder DIR | --cancel] CALL...\n"
    "       hoardscope cache add|fetch|list|info|delete|clear ...\n"
    "       hoardscope caches\n"
    "       hoardscope --cache SOURCE tree|search|delete|export|report|cache ...\n"
    "       hoardscope --quiet COMMAND ...    (any command: no progress line on standard error)\n"
    "       hoardscope reg query|add|delete KEY [/v NAME | /ve | /va] [/t TYPE] [/d DATA] [/f] [/s]\n") +
    kFilterUsage;

bool TakeQuietOption(TArguments& arguments) {
  const auto kept = std::remove(arguments.begin(), arguments.end(), std::string("--quiet"));
  const bool quiet = kept != arguments.end();
  arguments.erase(kept, arguments.end());
  return quiet;
}

void ChooseProgressLine(bool quiet, bool terminal) { SetProgressLine(!quiet && terminal ? &std::cerr : nullptr); }

std::optional<TCommandLine> ReadCommandLine(int argc, char** argv) {
  TArguments all(argv + std::min(argc, 1), argv + argc);
  THomePaths home = ResolveHome();
  const bool quiet = TakeQuietOption(all);
  if (!TakeCacheOption(all, home)) {
    std::cerr << kWindowUsage << kSubcommandUsage;
    return std::nullopt;
  }
  if (all.empty()) return TCommandLine{std::move(home), quiet, std::string(), {}};
  return TCommandLine{std::move(home), quiet, all[0], TArguments(all.begin() + 1, all.end())};
}

std::optional<int> AnswerAboutTheProgram(const std::string& command, const char* editionUsage) {
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << editionUsage << kSubcommandUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "hoardscope " << HOARDSCOPE_VERSION << "\n";
    return 0;
  }
  return std::nullopt;
}

int UnknownCommand(const std::string& command) {
  std::cerr << "hoardscope: unknown command '" << command << "'\n" << kWindowUsage << kSubcommandUsage;
  return 2;
}

std::optional<int> RunSubcommand(const std::string& command, const TArguments& args, const THomePaths& home) {
  using TRun = int (*)(const TArguments&, const THomePaths&);
  static const std::map<std::string, TRun> kCommands = {
      {"cache", RunCacheCommand},   {"reg", RunRegCommand},       {"tree", RunTreeCommand},
      {"search", RunSearchCommand}, {"delete", RunDeleteCommand}, {"export", RunExportCommand},
      {"report", RunReportCommand},
      {"import", RunImportCommand}, {"regsvr", RunRegsvrCommand}, {"call", RunCallCommand},
      {"setup", RunSetupCommand},   {"caches", RunCachesCommand},
  };
  const auto found = kCommands.find(command);
  if (found == kCommands.end()) return std::nullopt;
  return found->second(args, home);
}

}  // namespace hoardscope
