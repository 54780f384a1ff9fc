// hoardscope import: runs the view headless and its Import action with FILE.hef as the dialog's answer; prints
// the events and the number of records whose copy existed.
//
//   import FILE.hef
#include <iostream>

#include "Commands.h"
#include "HeadlessView.h"

namespace hoardscope {

int RunImportCommand(const TArguments& args, const THomePaths& home) {
  if (args.size() != 1) {
    std::cerr << "usage: hoardscope import FILE.hef\n";
    return 2;
  }
  THeadlessView headless(home, std::cout);
  headless.ShowAndLoad();
  headless.Answers.FileName = args[0];
  headless.View().alImportExecute();
  std::cout << "imported: " << headless.View().LastImportCount << "\n";
  return 0;
}

}  // namespace hoardscope
