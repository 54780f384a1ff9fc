// The main view's handlers: creation and start-up, the load, expansion, selection, the change notice, the
// actions, the search and the cache source. Each hands its work to a use case and keeps the view's state.
#include "presenter/HoardscopeMain.h"

#include <exception>
#include <optional>

#include "core/TreeRules.h"
#include "search/SearchPipeline.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

// Between a folder's key and the source's caption in the window's title.
constexpr const char* kCaptionSeparator = " \u2014 ";

// Marks the view as loading for the life of one load, and undoes the load's user-interface state on every path.
class TLoadScope {
 public:
  TLoadScope(bool& loading, IViewWidgets& widgets, IDesktop& desktop)
      : FLoading(loading), FWidgets(widgets), FDesktop(desktop) {
    FLoading = true;
    FWidgets.SetToolBarEnabled(false);
    FDesktop.SetCursor(CursorShape::Hourglass);
  }
  ~TLoadScope() {
    FWidgets.SetToolBarEnabled(true);
    FDesktop.SetCursor(CursorShape::Default);
    FLoading = false;
  }
  TLoadScope(const TLoadScope&) = delete;
  TLoadScope& operator=(const TLoadScope&) = delete;

 private:
  bool& FLoading;
  IViewWidgets& FWidgets;
  IDesktop& FDesktop;
};

}  // namespace

THoardscopeMain::THoardscopeMain(const TViewServices& services, IViewWidgets& widgets)
    : FServices(services),
      FWidgets(widgets),
      FLoader(services.Cache),
      FIcons(services.Shell, services.Registry, FState.IconKeys),
      FExpansion(services.Cache, services.Converter, FIcons, FState.TreeView1),
      FNavigation(services.Cache, services.Internet, services.Desktop),
      FSource(services.Sources, services.Registry, services.Desktop),
      FDeletion(services.Cache, services.Desktop, [this] { return FSource.Caption(); }),
      FExport(services.Cache, services.Shell, services.Desktop) {
  FormCreate();
}

void THoardscopeMain::FormCreate() {
  FState.ReloadPending = false;
  FState.RootNode = FState.TreeView1.AddChild(nullptr, TNodeKind::Root, "Hoardscope", kImageRoot);
  FState.SaveFolder = LoadSettings(FServices.Registry, FState.Settings, FServices.Report);
}

void THoardscopeMain::FormShow() {
  if (FShown) return;  // only the first showing starts the deferred load
  FShown = true;
  FServices.Desktop.SetCursor(CursorShape::Hourglass);
  FServices.Desktop.StartTimer(kTimerInterval, [this] { Timer1Timer(); });
}

void THoardscopeMain::Timer1Timer() {
  FServices.Desktop.SetCursor(CursorShape::Default);
  FServices.Desktop.StopTimer();
  Button1Click();
}

void THoardscopeMain::SetStatusText(int panel, const std::string& text) {
  FState.StatusText.at(static_cast<std::size_t>(panel)) = text;
  FWidgets.SetStatusText(panel, text);
}

// ---- The load -------------------------------------------------------------------------------------------------

void THoardscopeMain::Button1Click() {
  if (Busy()) return;
  const TLoadScope scope(FLoading, FWidgets, FServices.Desktop);
  FLoaded = true;
  TLoadEnd end = TLoadEnd::NoWalk;
  {
    TWorkProgress progress(FWidgets, FServices.Desktop, FWork, "Loading");
    end = FLoader.Load(FState.Settings, FState.QuickFilter, FState.EntryList, progress);
  }
  if (end != TLoadEnd::NoWalk) {
    FState.TreeView1.BeginUpdate();
    FExpansion.AddHostNodes(FState.EntryList, FState.RootNode);
    FState.TreeView1.EndUpdate();
    FState.TreeView1.SortAll(NodeLess);
    ShowTotals(TotalsUnder(FState.EntryList, std::string()));
    FState.TreeView1.SetExpanded(FState.RootNode, true);
  }
  ShowSource();
  if (end == TLoadEnd::Stopped) SetStatusText(0, "Load stopped: " + FState.StatusText[0]);
  FState.ReloadPending = false;
}

void THoardscopeMain::StopWork() {
  if (FWork.Running) FWork.StopRequested = true;
}

void THoardscopeMain::ShowSource() {
  const std::string caption = FSource.Caption();
  SetStatusText(0, FLoader.SourceStatus(caption) + (FState.QuickFilter.Empty() ? "" : kFilteredStatus));
  FWidgets.SetWindowText(caption);
}

void THoardscopeMain::ClearView() {
  if (Busy()) return;
  TTreeNode* selected = FState.Selected;
  if (selected && selected != FState.RootNode && !FState.IsInSearchResult(selected) && selected != FState.SearchNode) {
    FState.Selected = nullptr;
  }
  FState.TreeView1.DeleteChildren(FState.RootNode);
  FState.EntryList.Clear();
  if (!FState.Details.FromSearch()) FillDetails(FState.Selected);
}

void THoardscopeMain::Reload() {
  ClearView();
  Button1Click();
}

// ---- Cache sources --------------------------------------------------------------------------------------------

void THoardscopeMain::SelectCacheSource(const std::string& name) {
  if (!FSource.CanChoose() || Busy()) return;
  if (!FSource.Select(name)) return;
  FState.LastURL.clear();
  Reload();
}

void THoardscopeMain::SetShowSecure(bool showSecure) {
  if (Busy()) return;
  FState.Settings.ShowSecure = showSecure;
  WriteShowSecure(FServices.Registry, showSecure);
  Reload();
}

// ---- Quick filter ---------------------------------------------------------------------------------------------

void THoardscopeMain::SetQuickFilter(const TQuickFilter& filter) {
  if (Busy() || filter == FState.QuickFilter) return;
  FState.QuickFilter = filter;
  if (FLoaded) Reload();
}

void THoardscopeMain::ApplyFilterBar(const TFilterBarFields& fields) {
  const TFilterBarReading reading = ReadFilterBar(fields, FServices.Clock ? FServices.Clock->NowUtc() : 0);
  if (!reading.Error.empty()) {
    FServices.Desktop.ShowMessage(reading.Error, MessageButtons::Ok);
    return;
  }
  SetQuickFilter(reading.Filter);
}

// ---- Expansion ------------------------------------------------------------------------------------------------

void THoardscopeMain::TreeView1Expanded(TTreeNode* node) {
  if (!node) return;
  FState.TreeView1.SetExpanded(node, true);
  try {
    if (!node->HasNodeKey() || node->Key().empty()) return;
    TTreeNode* topRow = FWidgets.TopVisibleNode();
    FState.TreeView1.SetImageIndex(node, kImageFolderOpen);
    FExpansion.ExpandFolder(FState.ListOf(node), node);
    // Only the expanded node's children and its own place among its siblings can have changed order.
    FState.TreeView1.SortChildren(node, NodeLess);
    FState.TreeView1.SortChildren(node->Parent(), NodeLess);
    FWidgets.SetTopVisibleNode(topRow);
  } catch (...) {
    // Tree events keep whatever was built so far and leave the view usable.
  }
}

void THoardscopeMain::TreeView1Collapsed(TTreeNode* node) {
  if (!node) return;
  FState.TreeView1.SetExpanded(node, false);
  if (node == FState.RootNode || node == FState.SearchNode) return;
  FState.TreeView1.SetImageIndex(node, kImageFolderClosed);
}

// ---- Selection ------------------------------------------------------------------------------------------------

void THoardscopeMain::UpdateActionStates(TTreeNode* node, bool belowSearch) {
  TActionList& actions = FState.Actions;
  if (node == FState.RootNode || node == FState.SearchNode) {
    actions.SetEnabled(TActionId::alExport, false);
    actions.SetEnabled(TActionId::aLVDelete, false);
    // The root searches the whole cache; the result branch is searched from nowhere.
    actions.SetEnabled(TActionId::alSearch, node == FState.RootNode);
  } else {
    actions.SetEnabled(TActionId::aLVDelete, !belowSearch);
    actions.SetEnabled(TActionId::alSearch, !belowSearch && node->HasChildren());
    actions.SetEnabled(TActionId::alExport, !belowSearch && node->HasChildren());
    actions.SetEnabled(TActionId::aLVCopyURL, !node->HasChildren());
  }
  if (!FState.Details.SelectedIndexes().empty()) {
    // Selected rows of the details list: what these act on while the list has the focus.
    actions.SetEnabled(TActionId::aLVCopyURL, true);
    actions.SetEnabled(TActionId::alExport, !FState.Details.FromSearch());
    actions.SetEnabled(TActionId::aLVDelete, !FState.Details.FromSearch());
  }
  FWidgets.ActionsChanged();
}

void THoardscopeMain::TreeView1Change(TTreeNode* node) {
  FState.Selected = node;
  try {
    FillDetails(node);
  } catch (...) {
    // A file whose caption cannot be had keeps the one it has; the rest of the selection goes on.
  }
  if (!node) return;
  try {
    const bool belowSearch = FState.IsInSearchResult(node);
    UpdateActionStates(node, belowSearch);
    if (node == FState.RootNode || node == FState.SearchNode) {
      ShowTotals(TotalsUnder(node == FState.RootNode ? FState.EntryList : FState.SearchList, std::string()));
      return;
    }
    const TEntryList& list = FState.ListOf(node);
    if (!node->HasChildren() || node->ImageIndex() > kImageFolderOpen) {
      if (node->Kind() == TNodeKind::File) {
        ShowTotals(TotalsOfFile(list, *node));
        NavigateToEntry(node, list);
      } else if (node->HasNodeKey()) {
        ShowTotals(TotalsUnder(list, node->Key()));  // a host or folder whose expansion found nothing
      }
    } else {
      FWidgets.SetWindowText(node->Key() + kCaptionSeparator + FSource.Caption());
      ShowTotals(TotalsUnder(list, node->Key()));
    }
  } catch (...) {
    // Selection errors leave the states set so far and the view usable.
  }
}

void THoardscopeMain::FillDetails(const TTreeNode* node) {
  const bool shown = FState.Settings.ShowDetails && node && node != FState.RootNode && node != FState.SearchNode;
  if (shown) {
    FState.Details.Fill(DetailsRowsOf(*node), FState.IsInSearchResult(node));
  } else {
    FState.Details.Clear();
  }
  FWidgets.DetailsChanged();
}

void THoardscopeMain::NavigateToEntry(const TTreeNode* node, const TEntryList& list) {
  if (!FState.FBrowser || node->EntryIndex() >= list.Count() || !list[node->EntryIndex()].Info) return;
  if (FNavigation.Navigate(*FState.FBrowser, *list[node->EntryIndex()].Info, FSource.Current(), FState.LastURL)) {
    FWidgets.FocusTree();
  }
}

std::string THoardscopeMain::ToolTipOf(const TTreeNode* node) const {
  if (!node || node->Kind() != TNodeKind::File) return std::string();
  const TEntryList& list = FState.ListOf(node);
  if (node->EntryIndex() >= list.Count() || !list[node->EntryIndex()].Info) return std::string();
  const TURLInfo& info = *list[node->EntryIndex()].Info;
  return info.ErrorStatus.empty() ? info.SourceUrl : info.SourceUrl + "\n" + info.ErrorStatus;
}

// ---- Change notification --------------------------------------------------------------------------------------

void THoardscopeMain::SysCommand(int wParam, int lParam) {
  if (wParam == kCacheChangedCommand && lParam == kCacheChangedCode) FState.ReloadPending = true;
}

void THoardscopeMain::FormActivate() {
  if (!FState.ReloadPending || Busy()) return;
  FState.ReloadPending = false;  // an activation while the message box is up must not start a second reload
  FServices.Desktop.ShowMessage("IE Cache have been midified. \r\nApplicatio will reload Cache file list",
                                MessageButtons::Ok);
  Reload();
}

void THoardscopeMain::NotifyViews(int code) {
  if (FServices.Windows) FServices.Windows->NotifyViews(code);
}

// ---- Actions --------------------------------------------------------------------------------------------------

namespace {

// Actions that clear, rebuild or change the lists; they wait while a load or a deletion lets messages run.
bool ChangesLists(TActionId action) {
  return action == TActionId::alOption || action == TActionId::alSearch || action == TActionId::alClearSearch ||
         action == TActionId::alImport || action == TActionId::alExport || action == TActionId::aLVDelete;
}

}  // namespace

void THoardscopeMain::Execute(TActionId action) {
  if (FWidgets.DetailsHaveFocus() && ExecuteOnDetails(action)) return;
  if (!FState.Actions[action].Enabled || (ChangesLists(action) && Busy())) return;
  switch (action) {
    case TActionId::alAbout: alAboutExecute(); break;
    case TActionId::alOption: alOptionExecute(); break;
    case TActionId::alSearch: alSearchExecute(); break;
    case TActionId::alClearSearch: alClearSearchExecute(); break;
    case TActionId::alImport: alImportExecute(); break;
    case TActionId::alExport: alExportExecute(); break;
    case TActionId::alSaveReport: alSaveReportExecute(); break;
    case TActionId::aLVCopyURL: aLVCopyURLExecute(); break;
    case TActionId::alHelp: alHelpExecute(); break;
    case TActionId::aLVDelete: aLVDeleteExecute(FWidgets.TreeHasFocus()); break;
  }
}

bool THoardscopeMain::ExecuteOnDetails(TActionId action) {
  if (FState.Details.SelectedIndexes().empty()) return false;  // nothing selected there: the tree's node it is
  switch (action) {
    case TActionId::aLVCopyURL: DetailsCopyURLsExecute(); return true;
    case TActionId::alExport: DetailsExportExecute(); return true;
    case TActionId::aLVDelete: DetailsDeleteExecute(); return true;
    default: return false;
  }
}

void THoardscopeMain::alAboutExecute() { FServices.Desktop.ShowAbout(); }

void THoardscopeMain::alOptionExecute() {
  if (!FServices.Dialogs) return;
  TfrmOptions dialog(FState.Settings, FServices.Registry);
  std::optional<std::string> failure;
  try {
    FServices.Dialogs->ShowOptions(dialog);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) FServices.Desktop.ShowMessage(*failure, MessageButtons::Ok);
  if (dialog.Changed) Reload();
}

// ---- Search ---------------------------------------------------------------------------------------------------

void THoardscopeMain::alSearchExecute() {
  const TTreeNode* selected = FState.Selected;
  if (!selected || !FServices.Dialogs) return;
  if (!selected->HasChildren()) {
    FServices.Desktop.ShowMessage("Please select a folder first.", MessageButtons::Ok);
    return;
  }
  std::string folderPath = selected->HasNodeKey() ? selected->Key() : std::string();
  TfrmSearch dialog(FServices.Registry, FState.SearchRequest);
  FServices.Dialogs->ShowSearch(dialog);
  const TSearchRequest& request = FState.SearchRequest;
  if (!request.Accepted) return;
  if (request.WholeCache) folderPath.clear();
  FServices.Desktop.SetCursor(CursorShape::Hourglass);
  ClearSearchResult();
  const bool finished = RunSearch(folderPath, request.Text, request.CaseSensitive);
  const std::vector<std::string>& unreadable = FState.LastSearchUnreadable;
  if (!unreadable.empty()) {
    std::string text = std::to_string(unreadable.size()) + " files could not be read and were not searched:";
    for (std::size_t i = 0; i < unreadable.size() && i < 10; ++i) text += "\r\n" + unreadable[i];
    FServices.Desktop.ShowMessage(text, MessageButtons::Ok);
  }
  if (!finished) {
    SetStatusText(0, "Search stopped: found " + std::to_string(FState.SearchList.Count()) + " items");
  } else if (FState.SearchList.Empty()) {
    FServices.Desktop.ShowMessage(request.Text + " not found", MessageButtons::Ok);
  } else {
    SetStatusText(0, "Found " + std::to_string(FState.SearchList.Count()) + " items");
  }
  FServices.Desktop.SetCursor(CursorShape::Default);
  FState.Actions.SetEnabled(TActionId::alClearSearch, true);
  FWidgets.ActionsChanged();
}

void THoardscopeMain::alClearSearchExecute() {
  ClearSearchResult();
  FState.Actions.SetEnabled(TActionId::alClearSearch, false);
  FWidgets.ActionsChanged();
}

void THoardscopeMain::ClearSearchResult() {
  if (FState.SearchNode) {
    if (FState.Selected == FState.SearchNode || FState.IsInSearchResult(FState.Selected)) FState.Selected = nullptr;
    FState.TreeView1.Delete(FState.SearchNode);
  }
  FState.SearchList.Clear();
  FState.SearchNode = nullptr;
  if (FState.Details.FromSearch()) FillDetails(FState.Selected);
}

bool THoardscopeMain::RunSearch(const std::string& folderPath, const std::string& text, bool caseSensitive) {
  TEntryList& found = FState.SearchList;
  found.Clear();
  FState.LastSearchUnreadable.clear();
  const TSearchSink sink{[&found](const TEntryItem& item) { found.Add(item.Key, item.Info); },
                         [this](const TEntryItem& item, const std::string& why) {
                           FState.LastSearchUnreadable.push_back(item.Info->SourceUrl + ": " + why);
                         }};
  bool finished = true;
  {
    TWorkProgress progress(FWidgets, FServices.Desktop, FWork, "Searching");
    finished = TSearchPipeline(FServices.Cache, FServices.Clock)
                   .Run(FState.EntryList.Items(), {text, caseSensitive, folderPath, FState.SearchRequest.DateChoice},
                        sink, &progress);
  }
  found.Sort();
  if (!found.Empty() && !FState.SearchNode) {
    FState.SearchNode = FState.TreeView1.AddChild(nullptr, TNodeKind::Search, "Search Result", kImageSearch);
  }
  FExpansion.AddHostNodes(found, FState.SearchNode);
  if (FState.SearchNode) FState.TreeView1.SortChildren(FState.SearchNode, NodeLess);
  return finished;
}

}  // namespace hoardscope
