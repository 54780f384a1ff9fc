// The main view's handlers: creation and start-up, the load and the host level, lazy expansion with captions and
// icons, selection with navigation and totals.
#include "presenter/HoardscopeMain.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/PageTitle.h"
#include "core/Tools.h"
#include "core/TreeRules.h"
#include "operations/ImportCache.h"
#include "search/Search.h"
#include "search/SearchPipeline.h"
#include "settings/Filter.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

constexpr const char* kEmptySlot = " ";
constexpr std::string_view kHttpPrefix = "http://";
constexpr const char* kMimeDatabaseKey = "\\MIME\\Database\\Content Type\\";
// Between a folder's key and the source's caption in the window's title.
constexpr const char* kCaptionSeparator = " \u2014 ";

std::string FormatTotals(std::size_t count, std::int64_t amount, const char* unit) {
  char text[96];
  std::snprintf(text, sizeof text, "Total  %zu  Files  %lld  %s Used", count, static_cast<long long>(amount), unit);
  return text;
}

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
    : FServices(services), FWidgets(widgets) {
  FormCreate();
}

void THoardscopeMain::FormCreate() {
  ReloadPending = false;
  IconKeys.assign(kIconSlots, kEmptySlot);
  RootNode = TreeView1.AddChild(nullptr, TNodeKind::Root, "Hoardscope", kImageRoot);
  SaveFolder = LoadSettings(FServices.Registry, Settings, FServices.Report);
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
  FStatusText.at(static_cast<std::size_t>(panel)) = text;
  FWidgets.SetStatusText(panel, text);
}

// ---- The load -------------------------------------------------------------------------------------------------

void THoardscopeMain::Button1Click() {
  if (Busy()) return;
  const TLoadScope scope(FLoading, FWidgets, FServices.Desktop);
  CacheEntryRecord record;
  std::unique_ptr<IUrlCacheWalk> walk = FServices.Cache.FindFirst(record);
  if (walk) {
    ListRecord(std::move(record));
    do {
      FServices.Desktop.ProcessMessages();
    } while (ReadNextEntry(*walk));
    EntryList.Sort();
    walk.reset();
    BuildHostLevel();
    ShowTotals(TotalsUnder(EntryList, std::string()));
    TreeView1.SetExpanded(RootNode, true);
  }
  ShowSource();
  ReloadPending = false;
}

void THoardscopeMain::ShowSource() {
  const std::string caption = CurrentCacheSourceCaption();
  const std::string failure = FServices.Cache.ReadFailure();
  const std::uint64_t skipped = FServices.Cache.SkippedEntries();
  if (!failure.empty()) {
    SetStatusText(0, caption + " (" + failure + ")");
  } else {
    SetStatusText(0, skipped ? caption + " (skipped " + std::to_string(skipped) + " damaged entries)" : caption);
  }
  FWidgets.SetWindowText(caption);
}

bool THoardscopeMain::ReadNextEntry(IUrlCacheWalk& walk) {
  CacheEntryRecord record;
  if (!walk.FindNext(record)) return false;
  ListRecord(std::move(record));
  return true;
}

void THoardscopeMain::ListRecord(CacheEntryRecord record) {
  // A browser's cache is almost all https; the platform cache lists https entries only when the user asks.
  const bool secureShown = Settings.ShowSecure || FServices.Cache.Description().Kind == UrlCacheKind::Browser;
  const std::size_t scheme = WebSchemeLength(record.SourceUrl);
  if (scheme == 0 || (scheme > kHttpPrefix.size() && !secureShown)) return;
  std::string key = EntryKeyOf(record.SourceUrl);
  TURLInfo info;
  FillURLInfo(std::move(record), info);
  if (Settings.UseFilter && !PassesFilter(Settings, Settings.FilterClasses, info.ContentType, info.LocalFile)) {
    return;
  }
  EntryList.Add(std::move(key), std::move(info));
}

std::string THoardscopeMain::EntryKeyOf(const std::string& sourceUrl) {
  const std::size_t schemeColon = sourceUrl.find(':');
  if (schemeColon == std::string::npos || sourceUrl.find(':', schemeColon + 1) == std::string::npos) {
    return sourceUrl;
  }
  const std::optional<UrlParts> parts = FServices.Cache.SplitURL(sourceUrl);
  const std::string scheme = WebSchemeLength(sourceUrl) > kHttpPrefix.size() ? "https://" : std::string(kHttpPrefix);
  return scheme + (parts ? parts->Host + parts->Path : std::string());
}

void THoardscopeMain::BuildHostLevel() {
  TreeView1.BeginUpdate();
  NameList.Clear();
  for (const TEntryItem& item : EntryList.Items()) AddHostNode(item.Key, RootNode);
  TreeView1.EndUpdate();
  SortTree();
}

void THoardscopeMain::AddHostNode(const std::string& url, TTreeNode* parent) {
  if (!parent || url.size() <= std::max(kHttpPrefix.size(), WebSchemeLength(url))) return;
  const std::optional<UrlParts> parts = FServices.Cache.SplitURL(url);
  const std::string host = parts ? parts->Host : std::string();
  if (NameList.Contains(host)) return;
  NameList.Add(host);
  TTreeNode* hostNode = TreeView1.AddFolderChild(parent, TNodeKind::Host, host, host);
  // A host without a name (none in its URL, or a URL that could not be split) is never expanded: an empty node
  // key yields no children, so it gets no placeholder.
  if (!host.empty()) TreeView1.AddChild(hostNode, TNodeKind::Placeholder, kPlaceholderCaption, kImageFolderClosed);
}

void THoardscopeMain::SortTree() { TreeView1.SortAll(NodeLess); }

void THoardscopeMain::ClearView() {
  if (Busy()) return;
  if (Selected && Selected != RootNode && !IsInSearchResult(Selected) && Selected != SearchNode) Selected = nullptr;
  TreeView1.DeleteChildren(RootNode);
  EntryList.Clear();
  NameList.Clear();
}

std::string THoardscopeMain::PrepareLocalFile(const TURLInfo& info) {
  return info.LocalFile.empty() ? std::string() : FServices.Cache.PrepareLocalFile(info.LocalFile);
}

// ---- Cache sources --------------------------------------------------------------------------------------------

std::vector<std::string> THoardscopeMain::CacheSourceNames() {
  return FServices.Sources ? FServices.Sources->SourceNames() : std::vector<std::string>{kPlatformSource};
}

std::string THoardscopeMain::CurrentCacheSource() const {
  return FServices.Sources ? FServices.Sources->CurrentSource() : std::string(kPlatformSource);
}

std::string THoardscopeMain::CurrentCacheSourceCaption() const {
  return FServices.Sources ? FServices.Sources->CurrentCaption() : std::string(kPlatformCaption);
}

void THoardscopeMain::Reload() {
  ClearView();
  Button1Click();
}

void THoardscopeMain::SelectCacheSource(const std::string& name) {
  if (!FServices.Sources || Busy()) return;
  if (const std::string failure = FServices.Sources->SelectSource(name); !failure.empty()) {
    FServices.Desktop.ShowMessage(failure, MessageButtons::Ok);
    return;
  }
  WriteCacheSource(FServices.Registry, name);
  LastURL.clear();
  Reload();
}

void THoardscopeMain::SetShowSecure(bool showSecure) {
  if (Busy()) return;
  Settings.ShowSecure = showSecure;
  WriteShowSecure(FServices.Registry, showSecure);
  Reload();
}

void THoardscopeMain::OpenSavedCacheSource() {
  if (!FServices.Sources) return;
  const std::string saved = ReadCacheSource(FServices.Registry);
  // A source that is gone (its browser removed) leaves the platform cache on show; the setting stays for later.
  if (saved != kPlatformSource) FServices.Sources->SelectSource(saved);
}

// ---- Expansion ------------------------------------------------------------------------------------------------

bool THoardscopeMain::IsInSearchResult(const TTreeNode* node) const {
  if (!SearchNode || !node) return false;
  for (const TTreeNode* parent = node->Parent(); parent; parent = parent->Parent()) {
    if (parent == SearchNode) return true;
  }
  return false;
}

const TEntryList& THoardscopeMain::ListOf(const TTreeNode* node) const {
  return IsInSearchResult(node) ? SearchList : EntryList;
}

void THoardscopeMain::TreeView1Expanded(TTreeNode* node) {
  try {
    if (!node || !node->HasNodeKey() || node->Key().empty()) return;
    TTreeNode* topRow = FWidgets.TopVisibleNode();
    TreeView1.SetImageIndex(node, kImageFolderOpen);
    ExpandFolder(ListOf(node), node->Key(), node);
    // Only the expanded node's children and its own place among its siblings can have changed order.
    TreeView1.SortChildren(node, NodeLess);
    TreeView1.SortChildren(node->Parent(), NodeLess);
    FWidgets.SetTopVisibleNode(topRow);
  } catch (...) {
    // Tree events keep whatever was built so far and leave the view usable.
  }
}

void THoardscopeMain::TreeView1Collapsed(TTreeNode* node) {
  if (!node || node == RootNode || node == SearchNode) return;
  TreeView1.SetImageIndex(node, kImageFolderClosed);
}

void THoardscopeMain::ExpandFolder(const TEntryList& list, const std::string& key, TTreeNode* node) {
  NameList.Clear();
  if (!node->HasChildren() || node->Child(0)->Kind() != TNodeKind::Placeholder) return;
  TreeView1.Delete(node->Child(0));
  if (list.Empty()) return;
  const std::string prefix = NodePrefix(key);
  TreeView1.BeginUpdate();
  for (std::size_t i = FindFirstIndex(key, list); i < list.Count(); ++i) {
    const TEntryItem& item = list[i];
    if (!item.Info) continue;  // a deleted entry keeps its place in the list but lies under no node
    const TEntryPlace place = ClassifyEntry(key, item.Key);
    if (place == TEntryPlace::epOutside) break;
    if (place == TEntryPlace::epInFolder) {
      AddFileNode(list, i, node);
      continue;
    }
    const std::string name = SubfolderName(prefix, item.Key);
    if (NameList.Contains(name)) continue;
    NameList.Add(name);
    TTreeNode* folder = TreeView1.AddFolderChild(node, TNodeKind::Folder, name, prefix + name);
    TreeView1.AddChild(folder, TNodeKind::Placeholder, kPlaceholderCaption, kImageFolderClosed);
  }
  TreeView1.EndUpdate();
}

void THoardscopeMain::AddFileNode(const TEntryList& list, std::size_t index, TTreeNode* node) {
  TURLInfo& info = *list[index].Info;
  if (info.DisplayName.empty()) {
    if (std::optional<std::string> caption = FileCaptionOf(FServices.Cache, info, FServices.Converter)) {
      info.DisplayName = std::move(*caption);
    }
  }
  const int image = GetIconIndex(ExtensionForContentType(info.ContentType));
  TreeView1.AddFileChild(node, info.DisplayName, index, image);
}

int THoardscopeMain::GetIconIndex(const std::string& extension) {
  const std::string folded = LowerAscii(extension);
  if (const auto found = FIconSlotOf.find(folded); found != FIconSlotOf.end()) return found->second;
  if (IconKeys.back() != kEmptySlot) {
    // Every slot is in use: reuse the icon of files without type rather than grow past the list.
    const auto untyped = FIconSlotOf.find(std::string());
    return untyped == FIconSlotOf.end() ? -1 : untyped->second;
  }
  const int index = FServices.Shell.AddFileTypeIcon(extension);
  if (index >= 0 && static_cast<std::size_t>(index) < IconKeys.size()) {
    IconKeys[static_cast<std::size_t>(index)] = extension;
    FIconSlotOf.emplace(folded, index);
  }
  return index;
}

std::string THoardscopeMain::ExtensionForContentType(const std::string& contentType) {
  const std::unique_ptr<IRegistryKey> key =
      FServices.Registry.OpenKey(RegistryRoot::ClassesRoot, kMimeDatabaseKey + contentType, false);
  if (!key) return std::string();
  const std::optional<RegistryValue> value = key->ReadValue("Extension");
  return value ? StringOf(*value).value_or(std::string()) : std::string();
}

// ---- Selection ------------------------------------------------------------------------------------------------

void THoardscopeMain::SetActionEnabled(TActionId action, bool enabled) { Actions.SetEnabled(action, enabled); }

void THoardscopeMain::UpdateActionStates(TTreeNode* node, bool belowSearch) {
  if (node == RootNode || node == SearchNode) {
    SetActionEnabled(TActionId::alExport, false);
    SetActionEnabled(TActionId::aLVDelete, false);
  } else {
    SetActionEnabled(TActionId::aLVDelete, !belowSearch);
    SetActionEnabled(TActionId::alSearch, !belowSearch && node->HasChildren());
    SetActionEnabled(TActionId::alExport, !belowSearch && node->HasChildren());
    SetActionEnabled(TActionId::aLVCopyURL, !node->HasChildren());
  }
  FWidgets.ActionsChanged();
}

void THoardscopeMain::TreeView1Change(TTreeNode* node) {
  Selected = node;
  if (!node) return;
  try {
    const bool belowSearch = IsInSearchResult(node);
    UpdateActionStates(node, belowSearch);
    if (node == RootNode || node == SearchNode) {
      ShowTotals(TotalsUnder(node == RootNode ? EntryList : SearchList, std::string()));
      return;
    }
    const TEntryList& list = belowSearch ? SearchList : EntryList;
    if (!node->HasChildren() || node->ImageIndex() > kImageFolderOpen) {
      if (node->Kind() == TNodeKind::File) {
        ShowTotals(TotalsOfFile(node, list));
        NavigateToEntry(node, list);
      } else if (node->HasNodeKey()) {
        ShowTotals(TotalsUnder(list, node->Key()));  // a host or folder whose expansion found nothing
      }
    } else {
      FWidgets.SetWindowText(node->Key() + kCaptionSeparator + CurrentCacheSourceCaption());
      ShowTotals(TotalsUnder(list, node->Key()));
    }
  } catch (...) {
    // Selection errors leave the states set so far and the view usable.
  }
}

void THoardscopeMain::NavigateToEntry(const TTreeNode* node, const TEntryList& list) {
  if (!FBrowser || node->EntryIndex() >= list.Count() || !list[node->EntryIndex()].Info) return;
  const TURLInfo& info = *list[node->EntryIndex()].Info;
  // A file of a cache that serves no page requests (a browser's) is known by its decoded copy, which names its
  // entry whatever its URL.
  const bool servedByUrl = FServices.Cache.Description().ServesPageRequests;
  const std::string& shown = servedByUrl ? info.SourceUrl : info.LocalFile;
  if (shown == LastURL) return;
  // A browser that can read the browser's cache itself shows the page whole from there, under its own URL; any
  // other is sent to a copy whose links lead to the copies of what the cache holds.
  const bool fromSource = !servedByUrl && FBrowser->NavigatesFromSources();
  std::string target = info.SourceUrl;
  if (!servedByUrl) {
    std::string failure = PrepareLocalFile(info);
    if (failure.empty() && !fromSource) failure = FServices.Cache.PrepareShownFile(info.LocalFile, target);
    if (!failure.empty()) {
      FServices.Desktop.ShowMessage(failure, MessageButtons::Ok);
      return;
    }
  }
  LastURL = shown;
  if (!FBrowser->IsOffline()) GoOffline();
  if (fromSource) {
    FBrowser->NavigateFromSource(target, CurrentCacheSource());
  } else {
    FBrowser->Navigate(target);
  }
  FWidgets.FocusTree();
}

THoardscopeMain::TTotals THoardscopeMain::TotalsUnder(const TEntryList& list, const std::string& nodeKey) const {
  TTotals totals;
  const std::size_t first = nodeKey.empty() ? 0 : FindFirstIndex(nodeKey, list);
  for (std::size_t i = first; i < list.Count(); ++i) {
    const TEntryItem& item = list[i];
    if (!item.Info) continue;
    // The node's entries form one run of the sorted list.
    if (!nodeKey.empty() && !IsUnderNodeKey(nodeKey, item.Key)) break;
    ++totals.Count;
    totals.Bytes += item.Info->Size;
  }
  return totals;
}

THoardscopeMain::TTotals THoardscopeMain::TotalsOfFile(const TTreeNode* node, const TEntryList& list) const {
  if (node->EntryIndex() >= list.Count() || !list[node->EntryIndex()].Info) return {};
  return {1, list[node->EntryIndex()].Info->Size};
}

void THoardscopeMain::ShowTotals(const TTotals& totals) {
  SetStatusText(1, totals.Bytes > 1000 ? FormatTotals(totals.Count, (totals.Bytes + 500) / 1000, "KB")
                                       : FormatTotals(totals.Count, totals.Bytes, "Byte"));
}

std::string THoardscopeMain::ToolTipOf(const TTreeNode* node) const {
  if (!node || node->Kind() != TNodeKind::File) return std::string();
  const TEntryList& list = ListOf(node);
  if (node->EntryIndex() >= list.Count() || !list[node->EntryIndex()].Info) return std::string();
  const TURLInfo& info = *list[node->EntryIndex()].Info;
  return info.ErrorStatus.empty() ? info.SourceUrl : info.SourceUrl + "\n" + info.ErrorStatus;
}

void THoardscopeMain::GoOffline() { FServices.Internet.ForceOffline(); }

// ---- Change notification --------------------------------------------------------------------------------------

void THoardscopeMain::SysCommand(int wParam, int lParam) {
  if (wParam == kCacheChangedCommand && lParam == kCacheChangedCode) ReloadPending = true;
}

void THoardscopeMain::FormActivate() {
  if (!ReloadPending || Busy()) return;
  ReloadPending = false;  // an activation while the message box is up must not start a second reload
  FServices.Desktop.ShowMessage("IE Cache have been midified. \r\nApplicatio will reload Cache file list",
                                MessageButtons::Ok);
  ClearView();
  Button1Click();
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
  if (!Actions[action].Enabled || (ChangesLists(action) && Busy())) return;
  switch (action) {
    case TActionId::alAbout: alAboutExecute(); break;
    case TActionId::alOption: alOptionExecute(); break;
    case TActionId::alSearch: alSearchExecute(); break;
    case TActionId::alClearSearch: alClearSearchExecute(); break;
    case TActionId::alImport: alImportExecute(); break;
    case TActionId::alExport: alExportExecute(); break;
    case TActionId::aLVCopyURL: aLVCopyURLExecute(); break;
    case TActionId::alHelp: alHelpExecute(); break;
    case TActionId::aLVDelete: aLVDeleteExecute(FWidgets.TreeHasFocus()); break;
  }
}

void THoardscopeMain::alAboutExecute() { FServices.Desktop.ShowAbout(); }

void THoardscopeMain::alOptionExecute() {
  if (!FServices.Dialogs) return;
  TfrmOptions dialog(Settings, FServices.Registry);
  std::optional<std::string> failure;
  try {
    FServices.Dialogs->ShowOptions(dialog);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) FServices.Desktop.ShowMessage(*failure, MessageButtons::Ok);
  if (dialog.Changed) {
    ClearView();
    Button1Click();
  }
}

void THoardscopeMain::alSearchExecute() {
  if (!Selected || !FServices.Dialogs) return;
  if (!Selected->HasChildren()) {
    FServices.Desktop.ShowMessage("Please select a folder first.", MessageButtons::Ok);
    return;
  }
  std::string folderPath = Selected->HasNodeKey() ? Selected->Key() : std::string();
  TfrmSearch dialog(FServices.Registry, SearchRequest);
  FServices.Dialogs->ShowSearch(dialog);
  const TSearchRequest& request = SearchRequest;
  if (!request.Accepted) return;
  if (request.WholeCache) folderPath.clear();
  FServices.Desktop.SetCursor(CursorShape::Hourglass);
  ClearSearchResult();
  RunSearch(folderPath, request.Text, request.CaseSensitive);
  if (!LastSearchUnreadable.empty()) {
    std::string text = std::to_string(LastSearchUnreadable.size()) + " files could not be read and were not searched:";
    for (std::size_t i = 0; i < LastSearchUnreadable.size() && i < 10; ++i) text += "\r\n" + LastSearchUnreadable[i];
    FServices.Desktop.ShowMessage(text, MessageButtons::Ok);
  }
  if (SearchList.Empty()) {
    FServices.Desktop.ShowMessage(request.Text + " not found", MessageButtons::Ok);
  } else {
    SetStatusText(0, "Found " + std::to_string(SearchList.Count()) + " items");
  }
  FServices.Desktop.SetCursor(CursorShape::Default);
  SetActionEnabled(TActionId::alClearSearch, true);
  FWidgets.ActionsChanged();
}

void THoardscopeMain::alImportExecute() {
  if (!FServices.Dialogs || !FServices.Clock) return;
  if (!FServices.Cache.Writer()) {
    if (!FServices.Sources ||
        FServices.Desktop.ShowMessage("Import always goes into the platform cache.\r\nShow the platform cache?",
                                      MessageButtons::YesNo) != MessageAnswer::Yes) {
      return;
    }
    SelectCacheSource(kPlatformSource);
    if (!FServices.Cache.Writer()) return;
  }
  const std::optional<std::string> fileName =
      FServices.Dialogs->AskOpenFileName({"Hoardscope Cache File(*.hef)|*.hef", "", false});
  if (!fileName) return;
  TCacheImporter importer(*FServices.Cache.Writer(), *FServices.Clock);
  LastImport = TImportResult();
  try {
    LastImport = importer.ImportExportFile(*fileName);
  } catch (const std::exception& error) {
    LastImport.Failed = 1;
    LastImport.FirstFailure = error.what();
    FServices.Desktop.ShowMessage(error.what(), MessageButtons::Ok);
    return;
  }
  if (LastImport.Truncated) {
    FServices.Desktop.ShowMessage("The export file " + *fileName +
                                      " is truncated: its last record is incomplete and was not imported.",
                                  MessageButtons::Ok);
  }
  for (const std::string& message : {SkippedRecordsMessage(LastImport), FailedRecordsMessage(LastImport)}) {
    if (!message.empty()) FServices.Desktop.ShowMessage(message, MessageButtons::Ok);
  }
  if (LastImport.Count > 0) {
    ClearView();
    Button1Click();
  }
}

void THoardscopeMain::alClearSearchExecute() {
  ClearSearchResult();
  SetActionEnabled(TActionId::alClearSearch, false);
  FWidgets.ActionsChanged();
}

void THoardscopeMain::ClearSearchResult() {
  if (SearchNode) {
    if (Selected == SearchNode || IsInSearchResult(Selected)) Selected = nullptr;
    TreeView1.Delete(SearchNode);
  }
  SearchList.Clear();
  SearchNode = nullptr;
}

void THoardscopeMain::RunSearch(const std::string& folderPath, const std::string& text, bool caseSensitive) {
  SearchList.Clear();
  LastSearchUnreadable.clear();
  const TSearchSink sink{
      [this](const TEntryItem& item) { SearchList.Add(item.Key, item.Info); },
      [this](const TEntryItem& item, const std::string& why) {
        LastSearchUnreadable.push_back(item.Info->SourceUrl + ": " + why);
      }};
  TSearchPipeline(FServices.Cache, FServices.Clock)
      .Run(EntryList.Items(), {text, caseSensitive, folderPath, SearchRequest.DateChoice}, sink);
  SearchList.Sort();
  if (!SearchList.Empty() && !SearchNode) {
    SearchNode = TreeView1.AddChild(nullptr, TNodeKind::Search, "Search Result", kImageSearch);
  }
  NameList.Clear();
  for (const TEntryItem& item : SearchList.Items()) AddHostNode(item.Key, SearchNode);
  if (SearchNode) TreeView1.SortChildren(SearchNode, NodeLess);
}

}  // namespace hoardscope
