// hoardscope: the Linux edition's executable. Without arguments it opens the browser window with the bar; with a
// subcommand it runs the view and the stores headless.
#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "platform/qt/BrowserApp.h"
#include "platform/qt/ViewNotifier.h"

namespace {

constexpr const char* kUsage =
    "usage: hoardscope\n"
    "       hoardscope --screenshot FILE [--expand NODE]... [--select NODE]\n"
    "       hoardscope tree [--all] [--long] [--expand NODE]... [--select NODE]\n"
    "       hoardscope search TEXT [--case] [--age today|week|month] [--in NODE | --whole] [--long]\n"
    "       hoardscope delete NODE\n"
    "       hoardscope export NODE FILE.hef [--yes | --no]\n"
    "       hoardscope import FILE.hef\n"
    "       hoardscope notify\n"
    "       hoardscope regsvr [/u] [/s] [MODULE]\n"
    "       hoardscope call PROGID [--folder DIR | --cancel] CALL...\n"
    "       hoardscope cache add|fetch|list|info|delete|clear ...\n"
    "       hoardscope reg query|add|delete KEY [/v NAME | /ve | /va] [/t TYPE] [/d DATA] [/f] [/s]\n";

// --screenshot FILE [--expand NODE]... [--select NODE], the arguments after --screenshot.
std::optional<hoardscope::TScreenshotRequest> ParseScreenshotRequest(const hoardscope::TArguments& args) {
  if (args.empty() || args[0].starts_with("--")) return std::nullopt;
  hoardscope::TScreenshotRequest request{args[0], {}, std::nullopt};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--expand" && hasValue) {
      request.Expand.push_back(args[++i]);
    } else if (args[i] == "--select" && hasValue && !request.Select) {
      request.Select = args[++i];
    } else {
      return std::nullopt;
    }
  }
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace hoardscope;
  const std::string command = argc < 2 ? "" : argv[1];
  const TArguments args(argv + std::min(argc, 2), argv + argc);
  try {
    const THomePaths home = ResolveHome();
    // The window gets none of the arguments: Qt would take some of them for its own.
    if (argc < 2) return RunBrowserApp(1, argv, home.CacheRoot, home.RegistryFile, std::nullopt);
    if (command == "--screenshot") {
      const std::optional<TScreenshotRequest> request = ParseScreenshotRequest(args);
      if (!request) {
        std::cerr << kUsage;
        return 2;
      }
      return RunBrowserApp(1, argv, home.CacheRoot, home.RegistryFile, request);
    }
    if (command == "cache") return RunCacheCommand(args, home);
    if (command == "reg") return RunRegCommand(args, home);
    if (command == "tree") return RunTreeCommand(args, home);
    if (command == "search") return RunSearchCommand(args, home);
    if (command == "delete") return RunDeleteCommand(args, home);
    if (command == "export") return RunExportCommand(args, home);
    if (command == "import") return RunImportCommand(args, home);
    if (command == "regsvr") return RunRegsvrCommand(args, home);
    if (command == "call") return RunCallCommand(args, home);
    if (command == "notify" && args.empty()) {
      std::cout << "notified: " << NotifyRunningViews(kCacheChangedCode) << "\n";
      return 0;
    }
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return 1;
  }
  std::cerr << "hoardscope: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
