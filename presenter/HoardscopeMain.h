// THoardscopeMain: the main view's presenter. It owns the view's state (the entry lists, the tree model, the
// actions, the status panels), which the widgets and the command line read, and has the handlers they call; the
// work is done by the use cases it holds, each over the ports it needs.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "operations/EntryDeletion.h"
#include "operations/EntryExport.h"
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
#include "presenter/CurrentSource.h"
#include "presenter/DetailsList.h"
#include "presenter/DetailsReport.h"
#include "presenter/EntryLoader.h"
#include "presenter/EntryNavigation.h"
#include "presenter/FolderExpansion.h"
#include "presenter/ViewState.h"
#include "presenter/WorkProgress.h"

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

inline constexpr int kTimerInterval = 1000;
// What follows the source's name in status panel 0 while a quick filter narrows the view.
inline constexpr const char* kFilteredStatus = " (filtered)";

class THoardscopeMain {
 public:
  // Creates the view's state (FormCreate runs here).
  THoardscopeMain(const TViewServices& services, IViewWidgets& widgets);
  THoardscopeMain(const THoardscopeMain&) = delete;
  THoardscopeMain& operator=(const THoardscopeMain&) = delete;

  // What the view shows and keeps; only the handlers change it.
  const TViewState& State() const { return FState; }
  const std::string& StatusText(int panel) const { return FState.StatusText.at(static_cast<std::size_t>(panel)); }
  // The tip a file node shows under the pointer: its URL, and the status of a cached error response on a line
  // of its own. Empty for other nodes.
  std::string ToolTipOf(const TTreeNode* node) const;
  // The key an entry of this cache is listed under (see TEntryLoader::EntryKeyOf).
  std::string EntryKeyOf(const std::string& sourceUrl) const { return FLoader.EntryKeyOf(sourceUrl); }
  // A load, a search, an export, an import, a deletion or a context menu is running and letting messages run: the
  // lists must not be cleared or rebuilt, and the nodes they work on must stay.
  bool Busy() const { return FLoading || FWork.Running || FDeletion.Running() || FMenuOpen; }
  // The user's Stop (the status bar's button, Esc): the running load, search, export or import ends before its
  // next step, keeping what it did, and says so. Nothing happens while none runs.
  void StopWork();

  // The browser the view's files are shown in (none: they are not shown).
  void SetBrowser(std::shared_ptr<IBrowser> browser) { FState.FBrowser = std::move(browser); }

  // Form and timer events.
  void FormShow();
  void Timer1Timer();

  // The load, and the clearing step that precedes every reload. Both do nothing while a load runs.
  void Button1Click();
  void ClearView();

  // Tree events. An expansion or a collapse is told once the tree control has opened or closed the node; the
  // model records it.
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
  // Asks for a file and writes the report of the selected node (the root when none is) into it, in the format its
  // extension names (see WriteReport).
  void alSaveReportExecute();
  void aLVCopyURLExecute();
  void alHelpExecute();
  // treeFocused: whether the tree holds the keyboard focus; the action deletes nothing otherwise.
  void aLVDeleteExecute(bool treeFocused);

  // The cache source: the names to offer, the one shown, and the choices of the Files menu's "Cache" submenu,
  // each of which keeps the choice in the settings and reloads the view. OpenSavedCacheSource makes the bar show
  // the source its settings name, before its first load.
  std::vector<std::string> CacheSourceNames() { return FSource.Names(); }
  std::string CurrentCacheSource() const { return FSource.Current(); }
  void SelectCacheSource(const std::string& name);
  void SetShowSecure(bool showSecure);
  void OpenSavedCacheSource() { FSource.OpenSaved(); }

  // The details list (State().Details): the files below the selected node, filled on each selection while it is
  // shown (the root and the "Search Result" branch show none). A click on a column's header sorts it (shift: held;
  // see TDetailsList::ClickColumn); the view tells the rows the user selected, by their positions. While the
  // details list has the focus, Copy URL, Export and Delete act on its selected rows.
  void DetailsColumnClick(TDetailsColumn column, bool shift);
  void DetailsSelectionChanged(const std::vector<std::size_t>& rows);
  // Copies the selected rows' URLs, one a line.
  void DetailsCopyURLsExecute();
  // Exports the selected rows' entries, as Export does a node's.
  void DetailsExportExecute();
  // Asks "Delete N cached files?" and deletes the selected rows' entries, and their file nodes with them. Rows of
  // the search's list are not deleted, as the nodes below "Search Result" are not.
  void DetailsDeleteExecute();
  // Shows the properties of the first selected row's entry (see ShowEntryProperties).
  void DetailsPropertiesExecute();
  // Shows or hides the details list, and keeps the choice in the settings.
  void SetShowDetails(bool shown);
  // The rows the details list shows of a node, every entry of its list for the root or the "Search Result"
  // branch: what a report of the node writes.
  std::vector<TDetailsRow> DetailsRowsOf(const TTreeNode& node) {
    return DetailsRowsUnder(FState.ListOf(&node), node, FExpansion);
  }
  // Writes the report of node: one row per file below it, as the details list shows them, in the list's order.
  // The number of rows written.
  std::size_t WriteReport(const TTreeNode& node, TReportFormat format, std::ostream& out);
  // A message with what the cache keeps of a file beyond its local copy: URL, times, status, server and the
  // stored response headers.
  void ShowEntryProperties(const TURLInfo& info);

  // The quick filter: a change narrows (or widens) the tree, the totals and the search's scope by reloading a view
  // that has loaded; before the first load it only sets what that load admits. Nothing while the view is busy or
  // when the filter is the one in force.
  // Status panel 0 then names the source followed by kFilteredStatus. ApplyFilterBar reads a filter bar's fields
  // at the clock's time and applies them, or shows why a field cannot be read and keeps the filter as it was.
  void SetQuickFilter(const TQuickFilter& filter);
  void ApplyFilterBar(const TFilterBarFields& fields);

  // The steps of the Search action after its dialog: fills SearchList with the entries below folderPath ("" for
  // all) whose cached text holds text and builds the "Search Result" branch from it, false when the user stopped
  // it (the branch then holds what it found so far); and the branch's removal.
  bool RunSearch(const std::string& folderPath, const std::string& text, bool caseSensitive);
  void ClearSearchResult();

 private:
  void FormCreate();
  void Reload();
  void SetStatusText(int panel, const std::string& text);
  void ShowTotals(const TTotals& totals) { SetStatusText(1, TotalsText(totals)); }
  // Names the source on show in status panel 0 (with the damaged entries the load passed over) and in the
  // window's title.
  void ShowSource();
  void UpdateActionStates(TTreeNode* node, bool belowSearch);
  // Fills the details list with the rows of node (none for nullptr, the root, the search branch, or while the list
  // is hidden) and tells the widgets.
  void FillDetails(const TTreeNode* node);
  // Runs the action on the details list's selected rows when it acts on them; false when it does not, or when no
  // row is selected.
  bool ExecuteOnDetails(TActionId action);
  // Deletes the nodes at every depth below node (or node itself) that show no entry any more: file nodes whose
  // entries are gone, hosts and folders below which none is left, and the folders that leaves empty.
  void RemoveEmptiedNodes(TTreeNode* node);
  void NavigateToEntry(const TTreeNode* node, const TEntryList& list);
  void DeleteNode(TTreeNode* node);
  void PruneEmptyParents(TTreeNode* node);
  // Stages the copies of the node's files in the save folder for an export or a folder's menu; false when there
  // is nothing to stage.
  bool StageExportSet(const TTreeNode* node);
  void ExportEntries(const TEntryList& list, const std::vector<std::size_t>& exportSet);
  void FolderContextPopup(TTreeNode* node);
  void FileContextPopup(TTreeNode* node);
  // Opens the shell's menu of path with "Copy URL" of url and "Entry Properties" of entry (when there is one)
  // or "Export Files" (otherwise) appended, and carries out the choice. True when a shell command ran.
  bool ShowShellMenu(const std::string& path, const std::string& url, const TURLInfo* entry);

  TViewServices FServices;
  IViewWidgets& FWidgets;
  TViewState FState;
  TEntryLoader FLoader;
  TFileIcons FIcons;
  TFolderExpansion FExpansion;
  TEntryNavigation FNavigation;
  TCurrentSource FSource;
  TEntryDeletion FDeletion;
  TEntryExport FExport;
  std::vector<std::size_t> FExportSet;  // indices into EntryList, staged right before an export
  TWorkFlags FWork;
  bool FLoading = false;
  bool FLoaded = false;  // the first load has run
  bool FMenuOpen = false;  // the context menu and its shell command run their own message loops
  bool FShown = false;
};

}  // namespace hoardscope
