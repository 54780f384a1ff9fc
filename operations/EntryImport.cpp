// The import of the export file the user picks.
#include "operations/EntryImport.h"

#include <exception>
#include <string>

namespace hoardscope {

std::optional<TImportResult> ImportChosenFile(IUrlCacheWriter& cache, IClock& clock, IDialogs& dialogs,
                                              IDesktop& desktop, IProgress& progress) {
  const std::optional<std::string> fileName =
      dialogs.AskOpenFileName({"Hoardscope Cache File(*.hef)|*.hef", "", false});
  if (!fileName) return std::nullopt;
  TImportResult result;
  try {
    result = TCacheImporter(cache, clock).ImportExportFile(*fileName, &progress);
  } catch (const std::exception& error) {
    result = TImportResult();
    result.Failed = 1;
    result.FirstFailure = error.what();
    desktop.ShowMessage(error.what(), MessageButtons::Ok);
    return result;
  }
  if (result.Truncated) {
    desktop.ShowMessage("The export file " + *fileName +
                            " is truncated: its last record is incomplete and was not imported.",
                        MessageButtons::Ok);
  }
  for (const std::string& message : {SkippedRecordsMessage(result), FailedRecordsMessage(result)}) {
    if (!message.empty()) desktop.ShowMessage(message, MessageButtons::Ok);
  }
  return result;
}

}  // namespace hoardscope
