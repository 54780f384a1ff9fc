// Exporting listed entries: the copies of a node's files staged in the save folder, and the export file with the
// export folder of copies beside it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/Dialogs.h"
#include "platform/ports/Progress.h"
#include "platform/ports/Shell.h"
#include "platform/ports/UrlCacheReader.h"

namespace hoardscope {

// How an export ended: refused, or with entries left out because their copy failed (both are reported), or with
// nothing exported because the files of an existing export folder were kept; how many records it wrote of how
// many entries it was given, and whether the user stopped it before the end.
struct TExportOutcome {
  bool Failed = false;
  bool KeptFolder = false;
  bool Stopped = false;
  std::size_t Exported = 0;
  std::size_t Given = 0;
};

class TEntryExport {
 public:
  TEntryExport(IUrlCacheReader& cache, IShell& shell, IDesktop& desktop) : FCache(cache), FShell(shell), FDesktop(desktop) {}

  // Renews saveFolder with copies of the files of list's entries below node, under the hourglass, telling
  // progress of each copy, and returns those entries' indexes; nullopt when the node has no key, the folder
  // cannot be made or the progress asked to stop.
  std::optional<std::vector<std::size_t>> Stage(const TEntryList& list, const TTreeNode& node,
                                                const std::string& saveFolder, IProgress& progress);
  // Asks for the export file and writes it with the export folder of copies beside it, for the entries of list
  // at the indexes of exportSet, telling progress of each entry. Stopped, the export file holds a whole record for
  // each copy made, and only for those. Raises std::runtime_error when the export file cannot be written.
  TExportOutcome Export(IDialogs& dialogs, const TEntryList& list, const std::vector<std::size_t>& exportSet,
                        IProgress& progress);

 private:
  // Empties the save folder, or makes it; false when it cannot be made.
  bool RenewSaveFolder(const std::string& saveFolder);

  IUrlCacheReader& FCache;
  IShell& FShell;
  IDesktop& FDesktop;
};

}  // namespace hoardscope
