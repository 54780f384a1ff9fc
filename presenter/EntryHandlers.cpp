// The view's handlers of its entry operations: Delete, Export, Import, the shell's context menu of a node, Copy
// URL and the help. The operations themselves are those of operations/; these keep the tree and the lists.
#include <stdexcept>

#include "core/Tools.h"
#include "core/TreeRules.h"
#include "operations/EntryImport.h"
#include "presenter/HoardscopeMain.h"
#include "settings/SettingsStore.h"

namespace hoardscope {

// ---- Delete ---------------------------------------------------------------------------------------------------

void THoardscopeMain::aLVDeleteExecute(bool treeFocused) {
  TTreeNode* node = treeFocused ? FState.Selected : nullptr;
  if (!node || Busy() || FState.IsInSearchResult(node) || node == FState.RootNode || node == FState.SearchNode) {
    return;
  }
  const std::string refusal = FDeletion.RefusalFor(FState.EntryList, *node);
  FState.LastDeleteFailed = !refusal.empty();
  if (FState.LastDeleteFailed) {
    FServices.Desktop.ShowMessage(refusal, MessageButtons::Ok);
    return;
  }
  FDeletion.ForgetFailures();
  if (node->HasChildren()) {
    FDeletion.DeleteUnder(FState.EntryList, node->Key());
  } else if (node->Kind() == TNodeKind::File && node->EntryIndex() < FState.EntryList.Count() &&
             !FDeletion.DeleteEntry(FState.EntryList, node->EntryIndex())) {
    FState.LastDeleteFailed = FDeletion.ShowFailures();  // the file stays, and so does its node
    return;
  }
  FState.Selected = nullptr;
  DeleteNode(node);
  FillDetails(FState.Selected);
  NotifyViews(kCacheChangedCode);
  if (FDeletion.ShowFailures()) FState.LastDeleteFailed = true;
}

void THoardscopeMain::DeleteNode(TTreeNode* node) {
  TTreeNode* parent = node->Parent();
  if (FState.Selected == node) FState.Selected = nullptr;
  FState.TreeView1.Delete(node);
  PruneEmptyParents(parent);
}

void THoardscopeMain::PruneEmptyParents(TTreeNode* node) {
  while (node && node != FState.RootNode && !node->HasChildren()) {
    TTreeNode* parent = node->Parent();
    if (node == FState.SearchNode) FState.SearchNode = nullptr;
    if (node == FState.Selected) FState.Selected = nullptr;
    FState.TreeView1.Delete(node);
    node = parent;
  }
}

// ---- Export ---------------------------------------------------------------------------------------------------

bool THoardscopeMain::StageExportSet(const TTreeNode* node) {
  std::optional<std::vector<std::size_t>> staged;
  bool stopped = false;
  {
    TWorkProgress progress(FWidgets, FServices.Desktop, FWork, "Preparing");
    staged = FExport.Stage(FState.EntryList, *node, FState.SaveFolder, progress);
    stopped = progress.StopRequested();
  }
  if (stopped) SetStatusText(0, "Stopped while preparing the copies");
  FExportSet = staged ? std::move(*staged) : std::vector<std::size_t>();
  return staged.has_value();
}

void THoardscopeMain::alExportExecute() {
  if (FState.Selected && StageExportSet(FState.Selected)) ExportEntries(FState.EntryList, FExportSet);
}

void THoardscopeMain::ExportEntries(const TEntryList& list, const std::vector<std::size_t>& exportSet) {
  FState.LastExportFailed = false;
  FState.LastExportKeptFolder = false;
  if (!FServices.Dialogs) return;
  TExportOutcome outcome;
  {
    TWorkProgress progress(FWidgets, FServices.Desktop, FWork, "Exporting");
    outcome = FExport.Export(*FServices.Dialogs, list, exportSet, progress);
  }
  FState.LastExportFailed = outcome.Failed;
  FState.LastExportKeptFolder = outcome.KeptFolder;
  if (outcome.Stopped) {
    SetStatusText(0, "Export stopped: " + std::to_string(outcome.Exported) + " of " + std::to_string(outcome.Given) +
                         " files exported");
  }
}

// ---- Import ---------------------------------------------------------------------------------------------------

void THoardscopeMain::alImportExecute() {
  if (!FServices.Dialogs || !FServices.Clock) return;
  if (!FServices.Cache.Writer()) {
    if (!FSource.CanChoose() ||
        FServices.Desktop.ShowMessage("Import always goes into the platform cache.\r\nShow the platform cache?",
                                      MessageButtons::YesNo) != MessageAnswer::Yes) {
      return;
    }
    SelectCacheSource(kPlatformSource);
    if (!FServices.Cache.Writer()) return;
  }
  std::optional<TImportResult> result;
  {
    TWorkProgress progress(FWidgets, FServices.Desktop, FWork, "Importing");
    result = ImportChosenFile(*FServices.Cache.Writer(), *FServices.Clock, *FServices.Dialogs, FServices.Desktop,
                              progress);
  }
  if (!result) return;
  FState.LastImport = *result;
  if (result->Count > 0) Reload();
  if (result->Stopped) {
    SetStatusText(0, "Import stopped: " + std::to_string(result->Count - result->Failed) + " entries imported");
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
  if (FState.IsInSearchResult(node)) {
    FServices.Desktop.ShowMessage("A context menu can not popup under a search node", MessageButtons::Ok);
    return;
  }
  if (node == FState.RootNode || !FServices.ShellMenu || Busy()) return;
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
    ShowShellMenu(FState.SaveFolder, std::string(), nullptr);
  } catch (const std::exception& error) {
    FServices.Desktop.ShowMessage(error.what(), MessageButtons::Ok);
  }
  if (!FolderExists(FState.SaveFolder)) {
    // The shell deleted, moved or renamed the copies' folder: the node's entries go the same way.
    FState.Selected = node;
    aLVDeleteExecute(true);
  }
}

void THoardscopeMain::FileContextPopup(TTreeNode* node) {
  TEntryList& list = FState.EntryList;
  if (node->Kind() != TNodeKind::File || node->EntryIndex() >= list.Count()) return;
  const std::size_t index = node->EntryIndex();
  if (!list[index].Info) return;
  const std::string url = list[index].Key;
  const std::shared_ptr<TURLInfo> entry = list[index].Info;  // kept while the menu runs its own messages
  const std::string sourceUrl = entry->SourceUrl;
  const std::string path = entry->CacheFile;
  try {
    if (const std::string failure = PrepareLocalFile(FServices.Cache, *list[index].Info); !failure.empty()) {
      FServices.Desktop.ShowMessage(failure, MessageButtons::Ok);
      return;
    }
    bool fileStillExists = true;
    {
      TMenuOpenScope menu(FMenuOpen);
      if (ShowShellMenu(path, url, entry.get())) fileStillExists = PathExists(path);
    }
    if (fileStillExists) return;
    // The shell removed the cached file: its entry, the page on show and the node go too, without a notice.
    if (FState.FBrowser) FState.FBrowser->Navigate("about:blank");
    FDeletion.DeleteUrl(sourceUrl);
    list.MarkDeleted(index);
    DeleteNode(node);
    FillDetails(FState.Selected);
  } catch (...) {
    // A file's menu ends silently on any failure.
  }
}

bool THoardscopeMain::ShowShellMenu(const std::string& path, const std::string& url, const TURLInfo* entry) {
  std::vector<TOwnMenuItem> ownItems;
  if (entry) {
    ownItems.push_back({kCopyURLCommand, "Copy URL"});
    ownItems.push_back({kEntryPropertiesCommand, "Entry Properties"});
  } else {
    ownItems.push_back({kExportFilesCommand, "Export Files"});
  }
  const TShellMenuChoice choice = FServices.ShellMenu->TrackContextMenu(path, ownItems);
  if (choice.Kind == TShellMenuChoice::TKind::OwnItem) {
    if (choice.Command == kCopyURLCommand && FServices.Dialogs) FServices.Dialogs->CopyTextToClipboard(url);
    if (choice.Command == kEntryPropertiesCommand && entry) ShowEntryProperties(*entry);
    if (choice.Command == kExportFilesCommand) ExportEntries(FState.EntryList, FExportSet);
  }
  return choice.Kind == TShellMenuChoice::TKind::ShellCommand;
}

// ---- Copy URL and help ----------------------------------------------------------------------------------------

void THoardscopeMain::aLVCopyURLExecute() {
  const TTreeNode* selected = FState.Selected;
  if (!selected || selected->HasChildren() || selected->Kind() != TNodeKind::File || !FServices.Dialogs) return;
  const TEntryList& list = FState.ListOf(selected);
  if (selected->EntryIndex() < list.Count()) FServices.Dialogs->CopyTextToClipboard(list[selected->EntryIndex()].Key);
}

void THoardscopeMain::alHelpExecute() {
  if (FServices.Dialogs) FServices.Dialogs->ShowHelp(ReadAppFolder(FServices.Registry) + "Hoardscope.chm");
}

}  // namespace hoardscope
