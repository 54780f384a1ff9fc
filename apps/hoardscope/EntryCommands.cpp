// hoardscope delete and export: the Delete and Export actions run headless on a selected node.
//
//   delete NODE [--force]              selects NODE with the tree focused, runs Delete; prints events and the tree;
//                                      exits with 1 when the deletion was refused or left entries behind. --force
//                                      deletes from a browser's cache that no profile was found to own, which is
//                                      refused otherwise since nothing tells whether the browser uses it
//   export NODE FILE.hef [--yes|--no]  selects NODE, runs Export with FILE.hef as the dialog's answer and the
//                                      folder question answered as told (no by default); prints the events; exits
//                                      with 1 when the export was refused, a copy failed or, answered no, it
//                                      exported nothing
#include <iostream>

#include "Commands.h"
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

int RunExportCommand(const TArguments& args, const THomePaths& home) {
  const bool answered = args.size() == 3 && (args[2] == "--yes" || args[2] == "--no");
  if (args.size() != 2 && !answered) {
    std::cerr << "usage: hoardscope export NODE FILE.hef [--yes | --no]\n";
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.ShowAndLoad();
  if (!headless.SelectNode(args[0])) return THeadlessView::UnknownNode(args[0]);
  headless.Answers.FileName = args[1];
  headless.Desktop().AnswerYes = answered && args[2] == "--yes";
  headless.View().Execute(TActionId::alExport);
  if (headless.View().State().LastExportKeptFolder) {
    std::cerr << "hoardscope: nothing was exported: the export folder of " << args[1]
              << " holds files, which were kept (--yes replaces them)\n";
  }
  return headless.View().State().LastExportFailed ? 1 : 0;
}

}  // namespace hoardscope
