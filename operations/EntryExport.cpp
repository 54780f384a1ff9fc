// Exporting listed entries: staging their copies, and the export file with its folder of copies.
#include "operations/EntryExport.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/Tools.h"
#include "core/TreeRules.h"
#include "core/URLInfo.h"
#include "operations/ExportFile.h"

namespace hoardscope {
namespace {

// The export file's name with the ".hef" ending the dialog would have added, so that cutting it off always leaves
// the name of the export folder beside it.
std::string WithExportExtension(const std::string& fileName) {
  return HasExportExtension(fileName) ? fileName : fileName + std::string(kExportExtension);
}

// The export file the user chose, with its ".hef" ending, as a path from the root: the records name their copies
// in the folder beside it by that path, whatever the current folder of a later import.
std::string ExportFilePath(const std::string& chosen) {
  const std::filesystem::path path = WithExportExtension(chosen);
  if (path.has_root_directory()) return path.string();  // on Windows \folder\x.hef stays on the current drive
  return std::filesystem::absolute(path).make_preferred().string();
}

// Whether the export folder, the export file's path without ".hef", has no name of its own: "DIR/.hef" would make
// DIR itself the export folder, "DIR/..hef" the same, "DIR/...hef" the folder above it. Windows drops the dots
// and blanks that end a name, so a name of nothing else counts as none.
bool NamesNoFolderOfItsOwn(const std::string& folder) {
  const std::string name = std::filesystem::path(folder).filename().string();  // after either separator on Windows
  return name.find_first_not_of(". ") == std::string::npos;
}

// The message that names the entries whose copy failed and that were left out of the export file.
std::string FailedCopiesMessage(const std::string& folder, const std::vector<std::string>& failures) {
  std::string text = std::to_string(failures.size()) + " files could not be copied into " + folder +
                     " and were left out of the export file:";
  for (const std::string& failure : failures) text += "\r\n" + failure;
  return text;
}

// The path CopyIntoExportFolder would give the copy now.
std::string ExportCopyName(const std::string& folder, const std::string& source) {
  std::string target = folder + FileNameOf(source, false);
  const std::string extension = PathFindExtension(source);
  for (unsigned number = 1; PathExists(target); ++number) target = folder + "hstemp" + std::to_string(number) + extension;
  return target;
}

// Copies source into folder (which ends with the path separator) under its own name, or under a free "hstemp"
// name in the folder when that one is taken; returns the copy's path. A copy that fails sets error and leaves
// nothing behind.
std::string CopyIntoExportFolder(const std::string& folder, const std::string& source, std::error_code& error) {
  const std::string target = ExportCopyName(folder, source);
  std::filesystem::copy_file(source, target, error);
  if (error && error != std::errc::file_exists) {
    // What a copy that broke off part-way (a full disk) wrote must not pass for the file.
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
  }
  return target;
}

}  // namespace

std::optional<std::vector<std::size_t>> TEntryExport::Stage(const TEntryList& list, const TTreeNode& node,
                                                            const std::string& saveFolder, IProgress& progress) {
  if (!node.HasNodeKey()) return std::nullopt;
  std::vector<std::size_t> exportSet;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TEntryItem& item = list[i];
    if (item.Info && ClassifyEntry(node.Key(), item.Key) != TEntryPlace::epOutside) exportSet.push_back(i);
  }
  FDesktop.SetCursor(CursorShape::Hourglass);
  bool staged = RenewSaveFolder(saveFolder);
  for (std::size_t done = 0; staged && done < exportSet.size(); ++done) {
    progress.Step(done, exportSet.size());
    if (progress.StopRequested()) {
      staged = false;
      break;
    }
    const TURLInfo& info = *list[exportSet[done]].Info;
    PrepareLocalFile(FCache, info);  // a body that cannot be had leaves no copy, which the export's copy step names
    std::error_code ignored;         // a single copy that fails is not reported
    std::filesystem::copy_file(info.CacheFile, saveFolder + FileNameOf(info.CacheFile, false),
                               std::filesystem::copy_options::overwrite_existing, ignored);
  }
  FDesktop.SetCursor(CursorShape::Default);
  if (!staged) return std::nullopt;
  return exportSet;
}

bool TEntryExport::RenewSaveFolder(const std::string& saveFolder) {
  if (FolderExists(saveFolder)) {
    FShell.DeleteFilesIn(saveFolder);
    return true;
  }
  std::error_code error;
  return std::filesystem::create_directory(saveFolder, error);
}

TExportOutcome TEntryExport::Export(IDialogs& dialogs, const TEntryList& list,
                                    const std::vector<std::size_t>& exportSet, IProgress& progress) {
  TExportOutcome outcome;
  outcome.Given = exportSet.size();
  const std::optional<std::string> chosen = dialogs.AskSaveFileName({"Hoardscope Export File|*.hef", "hef", true});
  if (!chosen) return outcome;
  const std::string exportFile = ExportFilePath(*chosen);
  const std::string folder = exportFile.substr(0, exportFile.size() - kExportExtension.size());
  if (NamesNoFolderOfItsOwn(folder)) {
    outcome.Failed = true;
    FDesktop.ShowMessage("Cannot export to " + exportFile +
                             ": the export folder is named after the file without \".hef\", which leaves no name "
                             "of its own. Choose a name such as export.hef.",
                         MessageButtons::Ok);
    return outcome;
  }
  if (FolderExists(folder)) {
    const std::string question = "All files under " + folder + " will be delete!\r\nare you sure to delete them?";
    if (FDesktop.ShowMessage(question, MessageButtons::YesNo) != MessageAnswer::Yes) {
      outcome.Failed = outcome.KeptFolder = true;  // nothing was exported
      return outcome;
    }
    FShell.MoveFilesToTrash(folder);
  }
  std::error_code ignored;
  std::filesystem::create_directory(folder, ignored);
  std::ofstream out(exportFile, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Cannot create file " + exportFile);
  const std::string folderWithSeparator = folder + kPathSeparator;
  std::size_t leftOut = 0;
  std::vector<std::string> failedCopies;
  for (std::size_t done = 0; done < exportSet.size(); ++done) {
    // Between two entries the export file holds a whole record for every copy made so far, and no other.
    progress.Step(done, exportSet.size());
    if (progress.StopRequested()) {
      outcome.Stopped = true;
      break;
    }
    const TEntryItem& item = list[exportSet[done]];
    if (!item.Info) continue;
    const TURLInfo& info = *item.Info;
    if (!FitsField(ExportCopyName(folderWithSeparator, info.CacheFile), kFileNameField) ||
        !FitsField(info.SourceUrl, kUrlField)) {
      ++leftOut;  // its record could not hold the path or the URL
      continue;
    }
    if (const std::string failure = PrepareLocalFile(FCache, info); !failure.empty()) {
      failedCopies.push_back(info.SourceUrl + ": " + failure);
      continue;
    }
    std::error_code copyError;
    const std::string copy = CopyIntoExportFolder(folderWithSeparator, info.CacheFile, copyError);
    if (copyError) {
      failedCopies.push_back(info.SourceUrl + " (" + info.CacheFile + "): " + copyError.message());
      continue;
    }
    const TExportRecord record{copy, info.SourceUrl, DateTimeFromSystemTime(info.SyncTime),
                               FitHeaders(StoredHeadersOf(FCache, info.SourceUrl))};
    const TExportRecordBytes bytes = EncodeExportRecord(record);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
      throw std::runtime_error("Cannot write to file " + exportFile);
    }
    ++outcome.Exported;
  }
  out.close();
  if (!out) throw std::runtime_error("Cannot write to file " + exportFile);
  if (leftOut > 0) {
    FDesktop.ShowMessage(std::to_string(leftOut) +
                             " entries were left out of the export: the path of their copy or their URL is 256 "
                             "characters or longer and does not fit the export file.",
                         MessageButtons::Ok);
  }
  if (!failedCopies.empty()) {
    outcome.Failed = true;
    FDesktop.ShowMessage(FailedCopiesMessage(folder, failedCopies), MessageButtons::Ok);
  }
  return outcome;
}

}  // namespace hoardscope
