// The view's entry operations: deleting entries, exporting them with an export file, copying a URL, the help.
// They are members of the presenter and build with it (presenter/CMakeLists.txt).
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Tools.h"
#include "core/TreeRules.h"
#include "operations/ExportFile.h"
#include "presenter/HoardscopeMain.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

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

// The refusal of a cache that has no deleting half.
std::string NothingDeletedFrom(const std::string& caption) { return "Nothing is deleted from " + caption + "."; }

}  // namespace

// ---- Delete ---------------------------------------------------------------------------------------------------

void THoardscopeMain::aLVDeleteExecute(bool treeFocused) {
  TTreeNode* node = treeFocused ? Selected : nullptr;
  if (!node || Busy() || IsInSearchResult(node) || node == RootNode || node == SearchNode) return;
  const std::string refusal = DeleteRefusalFor(node);
  FLastDeleteFailed = !refusal.empty();
  if (FLastDeleteFailed) {
    FServices.Desktop.ShowMessage(refusal, MessageButtons::Ok);
    return;
  }
  FDeleteFailures.clear();
  TTreeNode* parent = node->Parent();
  if (node->HasChildren()) {
    DeleteEntriesUnder(node->Key());
  } else if (node->Kind() == TNodeKind::File && node->EntryIndex() < EntryList.Count()) {
    const std::shared_ptr<TURLInfo>& info = EntryList[node->EntryIndex()].Info;
    if (info && !DeleteCacheEntry(info->SourceUrl)) {
      ShowDeleteFailures();  // the file stays, and so does its node
      return;
    }
    EntryList.MarkDeleted(node->EntryIndex());
  }
  Selected = nullptr;
  TreeView1.Delete(node);
  PruneEmptyParents(parent);
  NotifyViews(kCacheChangedCode);
  ShowDeleteFailures();
}

void THoardscopeMain::ShowDeleteFailures() {
  if (FDeleteFailures.empty()) return;
  FLastDeleteFailed = true;
  std::string text = FDeleteFailures.front();
  if (FDeleteFailures.size() > 1) {
    text = std::to_string(FDeleteFailures.size()) + " entries were not deleted:";
    for (const std::string& failure : FDeleteFailures) text += "\r\n" + failure;
  }
  FDeleteFailures.clear();
  FServices.Desktop.ShowMessage(text, MessageButtons::Ok);
}

std::string THoardscopeMain::DeleteRefusalFor(const TTreeNode* node) {
  IUrlCacheDeleter* deleter = FServices.Cache.Deleter();
  if (!deleter) return NothingDeletedFrom(CurrentCacheSourceCaption());
  if (!node->HasChildren()) {
    const bool listed = node->Kind() == TNodeKind::File && node->EntryIndex() < EntryList.Count() &&
                        EntryList[node->EntryIndex()].Info;
    return listed ? deleter->DeleteRefusal(EntryList[node->EntryIndex()].Info->SourceUrl) : std::string();
  }
  for (const TEntryItem& item : EntryList.Items()) {
    if (!item.Info || !IsUnderNodeKey(node->Key(), item.Key)) continue;
    if (std::string refusal = deleter->DeleteRefusal(item.Info->SourceUrl); !refusal.empty()) return refusal;
  }
  return std::string();
}

bool THoardscopeMain::DeleteCacheEntry(const std::string& url) {
  IUrlCacheDeleter* deleter = FServices.Cache.Deleter();
  if (deleter && deleter->DeleteEntry(url)) return true;
  std::string failure = deleter ? deleter->LastDeleteFailure() : NothingDeletedFrom(CurrentCacheSourceCaption());
  if (failure.empty()) return true;  // nothing of it was there to remove
  FDeleteFailures.push_back(std::move(failure));
  return false;
}

void THoardscopeMain::DeleteEntriesUnder(const std::string& nodeKey) {
  FDeleting = true;
  try {
    for (std::size_t i = 0; i < EntryList.Count(); ++i) {
      if (EntryList[i].Info && IsUnderNodeKey(nodeKey, EntryList[i].Key) &&
          DeleteCacheEntry(EntryList[i].Info->SourceUrl)) {
        EntryList.MarkDeleted(i);
      }
      FServices.Desktop.ProcessMessages();
    }
  } catch (...) {
    // A failure ends the walk; what was deleted so far stays deleted.
  }
  FDeleting = false;
}

void THoardscopeMain::PruneEmptyParents(TTreeNode* node) {
  while (node && node != RootNode && !node->HasChildren()) {
    TTreeNode* parent = node->Parent();
    if (node == SearchNode) SearchNode = nullptr;
    TreeView1.Delete(node);
    node = parent;
  }
}

// ---- Export ---------------------------------------------------------------------------------------------------

std::vector<std::string> THoardscopeMain::CollectExportSet(const TTreeNode* node) {
  ExportSet.clear();
  std::vector<std::string> files;
  if (!node || !node->HasNodeKey()) return files;
  for (std::size_t i = 0; i < EntryList.Count(); ++i) {
    const TEntryItem& item = EntryList[i];
    if (!item.Info || ClassifyEntry(node->Key(), item.Key) == TEntryPlace::epOutside) continue;
    ExportSet.push_back(i);
    PrepareLocalFile(*item.Info);  // a body that cannot be had leaves no copy, which the copy step names
    files.push_back(item.Info->CacheFile);
  }
  return files;
}

bool THoardscopeMain::StageFiles(const std::vector<std::string>& files) {
  if (IsFolder(SaveFolder)) {
    FServices.Shell.DeleteFilesIn(SaveFolder);
  } else {
    std::error_code error;
    if (!std::filesystem::create_directory(SaveFolder, error)) return false;
  }
  for (const std::string& file : files) {
    std::error_code ignored;  // a single copy that fails is not reported
    std::filesystem::copy_file(file, SaveFolder + FileNameOf(file, false),
                               std::filesystem::copy_options::overwrite_existing, ignored);
  }
  return true;
}

bool THoardscopeMain::StageExportSet(const TTreeNode* node) {
  FServices.Desktop.SetCursor(CursorShape::Hourglass);
  const std::vector<std::string> files = CollectExportSet(node);
  const bool staged = node->HasNodeKey() && StageFiles(files);
  FServices.Desktop.SetCursor(CursorShape::Default);
  return staged;
}

void THoardscopeMain::alExportExecute() {
  if (Selected && StageExportSet(Selected)) ExportEntries();
}

std::string THoardscopeMain::ExportCopyName(const std::string& folder, const std::string& source) {
  std::string target = folder + FileNameOf(source, false);
  const std::string extension = PathFindExtension(source);
  for (unsigned number = 1; Exists(target); ++number) target = folder + "hstemp" + std::to_string(number) + extension;
  return target;
}

std::string THoardscopeMain::CopyIntoExportFolder(const std::string& folder, const std::string& source,
                                                  std::error_code& error) {
  const std::string target = ExportCopyName(folder, source);
  std::filesystem::copy_file(source, target, error);
  if (error && error != std::errc::file_exists) {
    // What a copy that broke off part-way (a full disk) wrote must not pass for the file.
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
  }
  return target;
}

std::string THoardscopeMain::GetHeaderText(const std::string& url) {
  const std::optional<CacheEntryRecord> record = FServices.Cache.GetEntryInfo(url);
  if (!record || !record->HeaderInfo) return std::string();
  return record->HeaderInfo->substr(0, record->HeaderInfo->find('\0'));
}

void THoardscopeMain::ExportEntries() {
  LastExportFailed = false;
  LastExportKeptFolder = false;
  if (!FServices.Dialogs) return;
  const std::optional<std::string> chosen =
      FServices.Dialogs->AskSaveFileName({"Hoardscope Export File|*.hef", "hef", true});
  if (!chosen) return;
  const std::string exportFile = ExportFilePath(*chosen);
  const std::string folder = exportFile.substr(0, exportFile.size() - kExportExtension.size());
  if (NamesNoFolderOfItsOwn(folder)) {
    LastExportFailed = true;
    FServices.Desktop.ShowMessage("Cannot export to " + exportFile +
                                      ": the export folder is named after the file without \".hef\", which leaves "
                                      "no name of its own. Choose a name such as export.hef.",
                                  MessageButtons::Ok);
    return;
  }
  if (IsFolder(folder)) {
    const std::string question = "All files under " + folder + " will be delete!\r\nare you sure to delete them?";
    if (FServices.Desktop.ShowMessage(question, MessageButtons::YesNo) != MessageAnswer::Yes) {
      LastExportFailed = LastExportKeptFolder = true;  // nothing was exported
      return;
    }
    FServices.Shell.MoveFilesToTrash(folder);
  }
  std::error_code ignored;
  std::filesystem::create_directory(folder, ignored);
  std::ofstream out(exportFile, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Cannot create file " + exportFile);
  const std::string folderWithSeparator = folder + kPathSeparator;
  std::size_t leftOut = 0;
  std::vector<std::string> failedCopies;
  for (const std::size_t index : ExportSet) {
    const TEntryItem& item = EntryList[index];
    if (!item.Info) continue;
    const TURLInfo& info = *item.Info;
    if (!FitsField(ExportCopyName(folderWithSeparator, info.CacheFile), kFileNameField) ||
        !FitsField(info.SourceUrl, kUrlField)) {
      ++leftOut;  // its record could not hold the path or the URL
      continue;
    }
    if (const std::string failure = PrepareLocalFile(info); !failure.empty()) {
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
                               FitHeaders(GetHeaderText(info.SourceUrl))};
    const TExportRecordBytes bytes = EncodeExportRecord(record);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
      throw std::runtime_error("Cannot write to file " + exportFile);
    }
  }
  out.close();
  if (!out) throw std::runtime_error("Cannot write to file " + exportFile);
  if (leftOut > 0) {
    FServices.Desktop.ShowMessage(std::to_string(leftOut) +
                                      " entries were left out of the export: the path of their copy or their URL "
                                      "is 256 characters or longer and does not fit the export file.",
                                  MessageButtons::Ok);
  }
  if (!failedCopies.empty()) {
    LastExportFailed = true;
    FServices.Desktop.ShowMessage(FailedCopiesMessage(folder, failedCopies), MessageButtons::Ok);
  }
}

// ---- Shell context menu ---------------------------------------------------------------------------------------

namespace {

// Marks the context menu as open for as long as it lives.
class TMenuOpenScope {
 public:
  explicit TMenuOpenScope(bool& open) : FOpen(open) { FOpen = true; }
  ~TMenuOpenScope() { FOpen = false; }
  TMenuOpenScope(const TMenuOpenScope&) = delete;
  TMenuOpenScope& operator=(const TMenuOpenScope&) = delete;

 private:
  bool& FOpen;
};

}  // namespace

void THoardscopeMain::TreeView1ContextPopup(TTreeNode* node) {
  if (!node) return;
  if (IsInSearchResult(node)) {
    FServices.Desktop.ShowMessage("A context menu can not popup under a search node", MessageButtons::Ok);
    return;
  }
  if (node == RootNode || !FServices.ShellMenu || Busy()) return;
  if (node->HasChildren()) {
    FolderContextPopup(node);
  } else {
    FileContextPopup(node);
  }
}

void THoardscopeMain::FolderContextPopup(TTreeNode* node) {
  if (!StageExportSet(node)) return;
  try {
    TMenuOpenScope menu(FMenuOpen);
    ShowShellMenu(SaveFolder, std::string(), true);
  } catch (const std::exception& error) {
    FServices.Desktop.ShowMessage(error.what(), MessageButtons::Ok);
  }
  if (!IsFolder(SaveFolder)) {
    // The shell deleted, moved or renamed the copies' folder: the node's entries go the same way.
    Selected = node;
    aLVDeleteExecute(true);
  }
}

void THoardscopeMain::FileContextPopup(TTreeNode* node) {
  if (node->Kind() != TNodeKind::File || node->EntryIndex() >= EntryList.Count()) return;
  const std::size_t index = node->EntryIndex();
  if (!EntryList[index].Info) return;
  const std::string url = EntryList[index].Key;
  const std::string sourceUrl = EntryList[index].Info->SourceUrl;
  const std::string path = EntryList[index].Info->CacheFile;
  try {
    if (const std::string failure = PrepareLocalFile(*EntryList[index].Info); !failure.empty()) {
      FServices.Desktop.ShowMessage(failure, MessageButtons::Ok);
      return;
    }
    bool fileStillExists = true;
    {
      TMenuOpenScope menu(FMenuOpen);
      if (ShowShellMenu(path, url, false)) fileStillExists = Exists(path);
    }
    if (fileStillExists) return;
    // The shell removed the cached file: its entry, the page on show and the node go too, without a notice.
    if (FBrowser) FBrowser->Navigate("about:blank");
    DeleteCacheEntry(sourceUrl);
    EntryList.MarkDeleted(index);
    TTreeNode* parent = node->Parent();
    if (Selected == node) Selected = nullptr;
    TreeView1.Delete(node);
    PruneEmptyParents(parent);
  } catch (...) {
    // A file's menu ends silently on any failure.
  }
}

bool THoardscopeMain::ShowShellMenu(const std::string& path, const std::string& url, bool offerExport) {
  std::vector<TOwnMenuItem> ownItems;
  if (!url.empty()) ownItems.push_back({kCopyURLCommand, "Copy URL"});
  if (offerExport) ownItems.push_back({kExportFilesCommand, "Export Files"});
  const TShellMenuChoice choice = FServices.ShellMenu->TrackContextMenu(path, ownItems);
  if (choice.Kind == TShellMenuChoice::TKind::OwnItem) {
    if (choice.Command == kCopyURLCommand && FServices.Dialogs) FServices.Dialogs->CopyTextToClipboard(url);
    if (choice.Command == kExportFilesCommand) ExportEntries();
  }
  return choice.Kind == TShellMenuChoice::TKind::ShellCommand;
}

// ---- Copy URL and help ----------------------------------------------------------------------------------------

void THoardscopeMain::aLVCopyURLExecute() {
  if (!Selected || Selected->HasChildren() || Selected->Kind() != TNodeKind::File || !FServices.Dialogs) return;
  const TEntryList& list = IsInSearchResult(Selected) ? SearchList : EntryList;
  if (Selected->EntryIndex() < list.Count()) FServices.Dialogs->CopyTextToClipboard(list[Selected->EntryIndex()].Key);
}

void THoardscopeMain::alHelpExecute() {
  if (FServices.Dialogs) FServices.Dialogs->ShowHelp(ReadAppFolder(FServices.Registry) + "Hoardscope.chm");
}

}  // namespace hoardscope
