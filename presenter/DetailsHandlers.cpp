// The view's handlers of the details list: its sort, its selection, the actions on the selected rows, whether it
// is shown, and the properties of a cached file.
#include "core/TreeRules.h"
#include "presenter/HoardscopeMain.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

// Between the URLs Copy URL puts on the clipboard: the platform's line break.
#ifdef _WIN32
constexpr const char* kClipboardLineBreak = "\r\n";
#else
constexpr const char* kClipboardLineBreak = "\n";
#endif

std::string DeleteQuestion(std::size_t count) {
  return "Delete " + std::to_string(count) + (count == 1 ? " cached file?" : " cached files?");
}

}  // namespace

void THoardscopeMain::DetailsColumnClick(TDetailsColumn column, bool shift) {
  FState.Details.ClickColumn(column, shift);
  FWidgets.DetailsChanged();
}

void THoardscopeMain::DetailsSelectionChanged(const std::vector<std::size_t>& rows) {
  FState.Details.Select(rows);
  if (FState.Selected) UpdateActionStates(FState.Selected, FState.IsInSearchResult(FState.Selected));
}

void THoardscopeMain::DetailsCopyURLsExecute() {
  if (!FServices.Dialogs) return;
  std::string text;
  for (const TDetailsRow& row : FState.Details.Rows()) {
    if (row.Selected) text += (text.empty() ? "" : kClipboardLineBreak) + row.Info->SourceUrl;
  }
  if (!text.empty()) FServices.Dialogs->CopyTextToClipboard(text);
}

void THoardscopeMain::DetailsExportExecute() {
  const std::vector<std::size_t> exportSet = FState.Details.SelectedIndexes();
  if (exportSet.empty() || Busy()) return;
  ExportEntries(FState.ListOfDetails(), exportSet);
}

void THoardscopeMain::DetailsDeleteExecute() {
  const std::vector<std::size_t> indexes = FState.Details.SelectedIndexes();
  TTreeNode* node = FState.Selected;  // the node whose files the rows are
  if (indexes.empty() || !node || FState.Details.FromSearch() || Busy()) return;
  const std::string refusal = FDeletion.RefusalFor(FState.EntryList, indexes);
  FState.LastDeleteFailed = !refusal.empty();
  if (FState.LastDeleteFailed) {
    FServices.Desktop.ShowMessage(refusal, MessageButtons::Ok);
    return;
  }
  if (FServices.Desktop.ShowMessage(DeleteQuestion(indexes.size()), MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  FDeletion.ForgetFailures();
  FDeletion.DeleteEntries(FState.EntryList, indexes);
  RemoveEmptiedNodes(node);
  FillDetails(FState.Selected);
  NotifyViews(kCacheChangedCode);
  if (FDeletion.ShowFailures()) FState.LastDeleteFailed = true;
}

void THoardscopeMain::RemoveEmptiedNodes(TTreeNode* node) {
  const TEntryList& list = FState.EntryList;
  const auto showsNothing = [&list](const TTreeNode& below) {
    if (below.Kind() == TNodeKind::File) return below.EntryIndex() < list.Count() && !list[below.EntryIndex()].Info;
    return below.HasNodeKey() && !below.Key().empty() && EntryIndexesUnder(list, below.Key()).empty();
  };
  std::vector<TTreeNode*> emptied;
  const auto collect = [&](TTreeNode& below, const auto& self) -> void {
    if (showsNothing(below)) {
      emptied.push_back(&below);  // and everything below it
      return;
    }
    for (std::size_t i = 0; i < below.ChildCount(); ++i) self(*below.Child(i), self);
  };
  collect(*node, collect);
  // None of them lies below another, and the folders pruned on the way are empty: no node is deleted twice.
  for (TTreeNode* gone : emptied) DeleteNode(gone);
}

void THoardscopeMain::DetailsPropertiesExecute() {
  for (const TDetailsRow& row : FState.Details.Rows()) {
    if (!row.Selected) continue;
    ShowEntryProperties(*row.Info);
    return;
  }
}

void THoardscopeMain::ShowEntryProperties(const TURLInfo& info) {
  FServices.Desktop.ShowMessage(EntryPropertiesText(info, StoredHeadersOf(FServices.Cache, info.SourceUrl)),
                                MessageButtons::Ok);
}

void THoardscopeMain::SetShowDetails(bool shown) {
  FState.Settings.ShowDetails = shown;
  WriteShowDetails(FServices.Registry, shown);
  FillDetails(FState.Selected);
}

}  // namespace hoardscope
