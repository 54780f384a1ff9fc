// hoardscope import: runs the view headless and its Import action with FILE.hef as the dialog's answer; prints
// the events and the number of records whose copy existed. Exit code 1 when the export file is missing or
// truncated, or the cache did not take a record.
//
//   import FILE.hef
//
// With --cache naming a browser's cache it says so and imports into the platform cache all the same.
#include <iostream>

#include "Commands.h"
#include "HeadlessView.h"

namespace hoardscope {

int RunImportCommand(const TArguments& args, const THomePaths& home) {
  if (args.size() != 1) {
    std::cerr << "usage: hoardscope import FILE.hef\n";
    return 2;
  }
  THomePaths platformHome = home;
  if (IsBrowserSource(home)) {
    std::cerr << "hoardscope: Import always goes into the platform cache\n";
    platformHome.CacheSource.clear();
  }
  THeadlessView headless(platformHome, std::cout);
  headless.ShowAndLoad();
  headless.Answers.FileName = args[0];
  headless.View().alImportExecute();
  const TImportResult& result = headless.View().State().LastImport;
  if (result.Count < 0) std::cerr << "hoardscope: cannot import " << args[0] << ": " << result.Unreadable << "\n";
  std::cout << "imported: " << result.Count << "\n";
  return result.Count < 0 || result.Failed > 0 || result.Truncated ? 1 : 0;
}

}  // namespace hoardscope
