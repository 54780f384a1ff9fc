// THoardscopeMain: the main view's presenter. It owns the entry lists, the tree model, the actions and the status
// panels, and has the handlers that the widgets (or the headless command line) call.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/Actions.h"
#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "operations/ImportCache.h"
#include "platform/ports/Browser.h"
#include "platform/ports/BrowserWindows.h"
#include "platform/ports/CacheSources.h"
#include "platform/ports/Clock.h"
#include "platform/ports/Dialogs.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Report.h"
#include "platform/ports/Shell.h"
#include "platform/ports/ShellMenu.h"
#include "platform/ports/TextConverter.h"
#include "platform/ports/UrlCache.h"
#include "platform/ports/ViewWidgets.h"
#include "search/Search.h"
#include "settings/UnitReg.h"

namespace hoardscope {

// The platform services a view works through. The last six are optional: a view without them (the bar before
// its window offers them) leaves the Options and Search actions, the change notice, the context menu and the
// choice of the cache source without effect. Sources, when given, chooses what Cache reads. Without Converter,
// pages are read in UTF-8 and windows-1252 only and file names are taken as UTF-8.
struct TViewServices {
  IUrlCache& Cache;
  IInternetOptions& Internet;
  IRegistry& Registry;
  IShell& Shell;
  IDesktop& Desktop;
  IReport& Report;
  IDialogs* Dialogs = nullptr;
  IClock* Clock = nullptr;
  IBrowserWindows* Windows = nullptr;
  IShellMenu* ShellMenu = nullptr;
  ICacheSourceChoice* Sources = nullptr;
  ITextConverter* Converter = nullptr;
};

inline constexpr std::size_t kIconSlots = 512;
inline constexpr int kTimerInterval = 1000;

// Images of ImageList1.
inline constexpr int kImageFolderClosed = 0;
inline constexpr int kImageFolderOpen = 1;
inline constexpr int kImageRoot = 2;
inline constexpr int kImageSearch = 3;

class THoardscopeMain {
 public:
  // Creates the view's state (FormCreate runs here).
  THoardscopeMain(const TViewServices& services, IViewWidgets& widgets);
  THoardscopeMain(const THoardscopeMain&) = delete;
  THoardscopeMain& operator=(const THoardscopeMain&) = delete;

  // Form and timer events.
  void FormShow();
  void Timer1Timer();

  // The load, and the clearing step that precedes every reload. Both do nothing while a load runs.
  void Button1Click();
  void ClearView();
  bool Loading() const { return FLoading; }
  // A load, a deletion or a context menu is running and letting messages run: the lists must not be cleared or
  // rebuilt, and the nodes they work on must stay.
  bool Busy() const { return FLoading || FDeleting || FMenuOpen; }

  // Tree events.
  void TreeView1Expanded(TTreeNode* node);
  void TreeView1Collapsed(TTreeNode* node);
  void TreeView1Change(TTreeNode* node);
  // A right-click on node (nullptr: on no node) opens the shell's context menu of its cached file, or of the
  // save folder filled with copies of the files below it.
  void TreeView1ContextPopup(TTreeNode* node);

  // Change notification: the view's handler of WM_SYSCOMMAND, its activation, and the notice to every view.
  void SysCommand(int wParam, int lParam);
  void FormActivate();
  void NotifyViews(int code);

  // Runs an action's handler when the action is enabled. Actions that clear, reload or change the lists wait
  // until a running load is over.
  void Execute(TActionId action);
  void alAboutExecute();
  void alOptionExecute();
  void alSearchExecute();
  void alClearSearchExecute();
  void alImportExecute();
  void alExportExecute();
  void aLVCopyURLExecute();
  void alHelpExecute();
  // treeFocused: whether the tree holds the keyboard focus; the action deletes nothing otherwise.
  void aLVDeleteExecute(bool treeFocused);
  // Whether the last Delete was refused (its browser runs, or it keeps the entries in shared files) or left entries
  // behind; both are reported.
  bool LastDeleteFailed() const { return FLastDeleteFailed; }

  // The cache source: the names to offer, the one shown, and the choices of the Files menu's "Cache" submenu,
  // each of which keeps the choice in the settings and reloads the view. OpenSavedCacheSource makes the bar show
  // the source its settings name, before its first load.
  std::vector<std::string> CacheSourceNames();
  std::string CurrentCacheSource() const;
  // How the source on show is named to the user: "Platform cache", "Chromium — Default", a cache folder.
  std::string CurrentCacheSourceCaption() const;
  void SelectCacheSource(const std::string& name);
  void SetShowSecure(bool showSecure);
  void OpenSavedCacheSource();

  std::vector<std::size_t> ExportSet;  // indices into EntryList, filled right before an export

  // Whether the last export was refused or left entries out because their copy failed (both are reported), or
  // exported nothing because the files of an existing export folder were kept (LastExportKeptFolder).
  bool LastExportFailed = false;
  bool LastExportKeptFolder = false;

  // What the last import returned (Count: the records whose copy existed, or -1 for a missing export file).
  TImportResult LastImport;

  // The tree's selected node, as the widgets report it (nullptr: none).
  TTreeNode* Selected = nullptr;

  // Steps of the handlers, open to the tests.
  bool ReadNextEntry(IUrlCacheWalk& walk);
  void AddHostNode(const std::string& url, TTreeNode* parent);
  void ExpandFolder(const TEntryList& list, const std::string& key, TTreeNode* node);
  bool IsInSearchResult(const TTreeNode* node) const;
  int GetIconIndex(const std::string& extension);
  std::string ExtensionForContentType(const std::string& contentType);
  void GoOffline();
  // The key an entry is listed under: its URL, or "http://" + host + path when a ":" follows the scheme's.
  std::string EntryKeyOf(const std::string& sourceUrl);
  void ClearSearchResult();

  // Entry operations.
  // Deletes the URL's entries; false, with the cache's reason kept for ShowDeleteFailures, when it left some behind.
  bool DeleteCacheEntry(const std::string& url);
  // Says which entries the last Delete left behind, and why.
  void ShowDeleteFailures();
  void DeleteEntriesUnder(const std::string& nodeKey);
  void PruneEmptyParents(TTreeNode* node);
  // Fills ExportSet with the entries below the node and returns their cached files, in the same order.
  std::vector<std::string> CollectExportSet(const TTreeNode* node);
  // Renews SaveFolder with copies of the files; false when the folder cannot be made.
  bool StageFiles(const std::vector<std::string>& files);
  void ExportEntries();
  // Copies source into folder (which ends with the path separator) under its own name, or under a free
  // "hstemp" name in the folder when that one is taken; returns the copy's path. A copy that fails sets error and
  // leaves nothing behind.
  std::string CopyIntoExportFolder(const std::string& folder, const std::string& source, std::error_code& error);
  // The path CopyIntoExportFolder would give the copy now.
  std::string ExportCopyName(const std::string& folder, const std::string& source);
  std::string GetHeaderText(const std::string& url);
  // Opens the shell's menu of path with "Copy URL" (when url is not empty) and "Export Files" (when offered)
  // appended, and carries out the choice. True when a shell command ran.
  bool ShowShellMenu(const std::string& path, const std::string& url, bool offerExport);
  // Fills SearchList with the entries below folderPath ("" for all) whose cached text holds text, and builds the
  // "Search Result" branch from it. The bodies that could not be had are named in LastSearchUnreadable.
  void RunSearch(const std::string& folderPath, const std::string& text, bool caseSensitive);
  std::vector<std::string> LastSearchUnreadable;
  // Has the cache make the record's local file ready to be read; empty on success, else why not.
  std::string PrepareLocalFile(const TURLInfo& info);

  // The tip a file node shows under the pointer: its URL, and the status of a cached error response on a line
  // of its own. Empty for other nodes.
  std::string ToolTipOf(const TTreeNode* node) const;

  const std::string& StatusText(int panel) const { return FStatusText.at(static_cast<std::size_t>(panel)); }
  void SetStatusText(int panel, const std::string& text);

  std::vector<std::string> IconKeys;
  TEntryList EntryList;
  TEntryList SearchList;
  TNameList NameList;
  TTreeModel TreeView1;
  TTreeNode* RootNode = nullptr;
  TTreeNode* SearchNode = nullptr;
  std::string SaveFolder;
  TSettings Settings;            // this view's own, loaded when it is created
  TSearchRequest SearchRequest;  // what this view's Search dialog handed back last
  bool ReloadPending = false;
  std::string LastURL;
  std::shared_ptr<IBrowser> FBrowser;
  TActionList Actions;

 private:
  void FormCreate();
  void ListRecord(CacheEntryRecord record);
  void BuildHostLevel();
  void SortTree();
  void SetActionEnabled(TActionId action, bool enabled);
  void UpdateActionStates(TTreeNode* node, bool belowSearch);
  void NavigateToEntry(const TTreeNode* node, const TEntryList& list);
  // How many entries and how many bytes a selection holds, shown as the totals of status panel 1.
  struct TTotals {
    std::size_t Count = 0;
    std::int64_t Bytes = 0;
  };
  // The entries of list below nodeKey; all of them for an empty key.
  TTotals TotalsUnder(const TEntryList& list, const std::string& nodeKey) const;
  TTotals TotalsOfFile(const TTreeNode* node, const TEntryList& list) const;
  void ShowTotals(const TTotals& totals);
  // Names the source on show in status panel 0 (with the damaged entries the load passed over) and in the
  // window's title.
  void ShowSource();
  void AddFileNode(const TEntryList& list, std::size_t index, TTreeNode* node);
  const TEntryList& ListOf(const TTreeNode* node) const;
  // Fills ExportSet and SaveFolder for the node, under the hourglass; false when there is nothing to stage.
  bool StageExportSet(const TTreeNode* node);
  void FolderContextPopup(TTreeNode* node);
  // Why the entries to delete below node (or node's own) cannot be deleted; empty when they all can.
  std::string DeleteRefusalFor(const TTreeNode* node);
  void Reload();
  void FileContextPopup(TTreeNode* node);

  TViewServices FServices;
  IViewWidgets& FWidgets;
  std::array<std::string, 2> FStatusText;
  std::unordered_map<std::string, int> FIconSlotOf;  // IconKeys' extensions, folded, to their slots
  bool FLoading = false;
  bool FDeleting = false;  // a deletion lets messages run: nothing may clear or rebuild the lists meanwhile
  bool FMenuOpen = false;  // the context menu and its shell command run their own message loops
  bool FShown = false;
  bool FLastDeleteFailed = false;
  std::vector<std::string> FDeleteFailures;  // of the Delete running: why entries stayed
};

}  // namespace hoardscope
