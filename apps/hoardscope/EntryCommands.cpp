// hoardscope delete and export: the Delete and Export actions run headless on a selected node.
//
//   delete NODE [--force]              selects NODE with the tree focused, runs Delete; prints events and the tree;
//                                      exits with 1 when the deletion was refused or left entries behind. --force
//                                      deletes from a browser's cache that no profile was found to own, which is
//                                      refused otherwise since nothing tells whether the browser uses it
//   export NODE FILE.hef [--yes|--no] [FILTER]
//                                      selects NODE, runs Export with FILE.hef as the dialog's answer and the
//                                      folder question answered as told (no by default); prints the events; exits
//                                      with 1 when the export was refused, a copy failed or, answered no, it
//                                      exported nothing. FILTER (FilterOptions.h) narrows what is loaded, and so
//                                      what is exported
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "FilterOptions.h"
#include "HeadlessView.h"

namespace hoardscope {
int RunDeleteCommand(const TArguments& args, const THomePaths& home) {
  const bool force = args.size() == 2 && args[1] == "--force";
  if (args.size() != 1 && !force) {
    std::cerr << "usage: hoardscope delete NODE [--force]\n";
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.ShowAndLoad();
  if (force && headless.Sources().Browser()) headless.Sources().Browser()->DeleteWithoutOwner();
  if (!headless.SelectNode(args[0])) return THeadlessView::UnknownNode(args[0]);
  headless.View().Execute(TActionId::aLVDelete);
  headless.PrintTree(std::cout, {});
  return headless.View().State().LastDeleteFailed ? 1 : 0;
}

namespace {

struct TExportOptions {
  std::vector<std::string> Positional;  // NODE and FILE.hef
  bool Yes = false;
  TQuickFilter Filter;
};

std::optional<TExportOptions> ParseExportOptions(const TArguments& args) {
  TExportOptions options;
  for (TOptionReader reader(args); reader.Next();) {
    if (!reader.IsOption()) {
      options.Positional.push_back(reader.Current());
    } else if (reader.Is("--yes") || reader.Is("--no")) {
      options.Yes = reader.Is("--yes");
    } else if (ReadFilterOption(reader, options.Filter) != TFilterOption::Read) {
      return std::nullopt;
    }
  }
  if (options.Positional.size() != 2) return std::nullopt;
  return options;
}

}  // namespace

int RunExportCommand(const TArguments& args, const THomePaths& home) {
  const std::optional<TExportOptions> options = ParseExportOptions(args);
  if (!options) {
    std::cerr << "usage: hoardscope export NODE FILE.hef [--yes | --no] [FILTER]\n" << kFilterUsage;
    return 2;
  }
  const std::string& node = options->Positional[0];
  const std::string& file = options->Positional[1];
  THeadlessView headless(home, std::cout);
  headless.View().SetQuickFilter(options->Filter);
  headless.ShowAndLoad();
  if (!headless.SelectNode(node)) return THeadlessView::UnknownNode(node);
  headless.Answers.FileName = file;
  headless.Desktop().AnswerYes = options->Yes;
  headless.View().Execute(TActionId::alExport);
  if (headless.View().State().LastExportKeptFolder) {
    std::cerr << "hoardscope: nothing was exported: the export folder of " << file
              << " holds files, which were kept (--yes replaces them)\n";
  }
  return headless.View().State().LastExportFailed ? 1 : 0;
}

}  // namespace hoardscope
