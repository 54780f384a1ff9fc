// hoardscope-browser: the Linux edition's browser window with the bar, its screenshot run and the notice to the
// running views. The hoardscope command starts it for these commands, so that the command line itself never loads
// Qt WebEngine.
#include <exception>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "HomeSetup.h"
#include "platform/browser/BrowserApp.h"
#include "platform/qt/ViewNotifier.h"

namespace {

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
  try {
    const std::optional<TCommandLine> line = ReadCommandLine(argc, argv);
    if (!line) return 2;
    if (line->Command == "notify" && line->Args.empty()) {
      std::cout << "notified: " << NotifyRunningViews(kCacheChangedCode) << "\n";
      return 0;
    }
    if (!line->Command.empty() && line->Command != "--screenshot") return UnknownCommand(line->Command);
    std::optional<TScreenshotRequest> request;
    if (line->Command == "--screenshot") {
      request = ParseScreenshotRequest(line->Args);
      if (!request) {
        std::cerr << kWindowUsage << kSubcommandUsage;
        return 2;
      }
    }
    // The window gets none of the arguments: Qt would take some of them for its own. It shows the source --cache
    // names from now on, as if chosen in its menu.
    SetUpHomeWhenNeeded(line->Home);
    RememberCacheSource(line->Home);
    return RunBrowserApp(1, argv, line->Home.CacheRoot, line->Home.RegistryFile, line->Home.CopiesRoot, request);
  } catch (const std::exception& error) {
    std::cerr << "hoardscope: " << error.what() << "\n";
    return 1;
  }
}
