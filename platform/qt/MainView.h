// TMainView: the bar of the Linux edition, the main view's widgets (tool bar, filter bar, tree, details list,
// status bar, actions and their menus) over the portable presenter THoardscopeMain.
#pragma once

#include <QPersistentModelIndex>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/linux/IconvConverter.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/StderrReport.h"
#include "platform/linux/SystemClock.h"
#include "platform/qt/BarView.h"
#include "platform/qt/DetailsItemModel.h"
#include "platform/qt/FileManagerMenu.h"
#include "platform/qt/FilterBar.h"
#include "platform/qt/ImageLists.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/TreeItemModel.h"
#include "platform/qt/ViewNotifier.h"
#include "presenter/HoardscopeMain.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeView;

namespace hoardscope {

// The tree reports a selection once it has stayed this long.
inline constexpr int kSelectionChangeDelayMs = 50;

class TMainView : public QWidget, public IViewWidgets, public IBarView {
  Q_OBJECT
  Q_INTERFACES(hoardscope::IBarView)

 public:
  // The view of one browser window over the process's shared stores. cacheFolder is the cache store's root.
  // Object name "HoardscopeMain"; showing it the first time starts the deferred first load. The view hears the
  // cache-changed notice of every view (TViewNotifier) from its creation on and reloads at its next activation.
  // The view lets events run during a load or a deletion: a host that closes it meanwhile hides it and destroys
  // it only once Presenter().Busy() is false again (deleteLater() is not enough: the nested event loop of the
  // load would run the deletion).
  // sources, when given, chooses what cache reads: the Files menu's "Cache" submenu offers its sources.
  TMainView(IUrlCache& cache, IRegistry& registry, IInternetOptions& internet, const std::filesystem::path& cacheFolder,
            QWidget* parent = nullptr, ICacheSourceChoice* sources = nullptr);
  ~TMainView() override;
  TMainView(const TMainView&) = delete;
  TMainView& operator=(const TMainView&) = delete;

  THoardscopeMain& Presenter() { return *FPresenter; }

  // The widgets, for the host window and the tests.
  QWidget* ToolBar() const { return ToolBar1; }
  QToolButton* FilesButton() const { return tbFile; }
  QToolButton* HelpButton() const { return tbHelp; }
  TFilterBar* FilterBar() const { return FFilterBar; }
  QTreeView* Tree() const override { return TreeView1; }
  // The details list below the tree, its Files menu item that shows or hides it, and its context menu (built
  // afresh each time it opens).
  QTreeView* Details() const { return DetailsView1; }
  QAction* ShowDetailsItem() const { return mnuShowDetails; }
  TDetailsItemModel& DetailsModel() { return *FDetailsModel; }
  QStatusBar* StatusBar() const { return sbMain; }
  QLabel* StatusPanel(int panel) const { return FPanels.at(static_cast<std::size_t>(panel)); }
  // What the status bar shows instead of its panels while long work runs: its caption and count, its bar and Stop.
  QLabel* ProgressText() const { return FProgressText; }
  QProgressBar* ProgressBar() const { return FProgressBar; }
  QPushButton* StopButton() const { return FStopButton; }
  QMenu* FilesMenu() const { return pmenuLV; }
  QMenu* HelpMenu() const { return pmenuHelp; }
  QMenu* CacheMenu() const { return mnuCache; }
  QAction* Action(TActionId id) const { return FActions[static_cast<std::size_t>(id)]; }
  TTreeItemModel& Model() { return *FModel; }
  TFileManagerMenu& ShellMenu() { return FShellMenu; }

  // Opens a node in the tree, as the user does (the presenter builds its children); selects a node (the presenter
  // hears of it once the selection has settled).
  void ExpandNode(const TTreeNode* node);
  void SelectNode(const TTreeNode* node);

  // IBarView, the view as a host's scripts reach it (platform/qt/BarView.h)
  bool OpenNodeNamed(const QString& name) override;
  bool SelectNodeNamed(const QString& name) override;
  bool SelectionChangePending() const override { return FChangeTimer.isActive(); }
  QString LastUrl() const override;
  void WhenLoadFinished(QObject* context, std::function<void()> finished) override;

  // IViewWidgets
  void SetToolBarEnabled(bool enabled) override;
  void SetStatusText(int panel, const std::string& text) override;
  void SetWindowText(const std::string& text) override;
  TTreeNode* TopVisibleNode() override;
  void SetTopVisibleNode(TTreeNode* node) override;
  void FocusTree() override;
  bool TreeHasFocus() override;
  void ActionsChanged() override;
  void DetailsChanged() override;
  bool DetailsHaveFocus() override;
  void ShowProgress(const TProgressState& progress) override;
  void HideProgress() override;

 signals:
  // A load has ended (the presenter enables the tool bar again when it is done).
  void LoadFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  void OnFocusChanged(QWidget* previous, QWidget* current);
  void Activate();

 private:
  void CreateActions();
  QMenu* CreateMenu(const char* name, std::span<const TMenuEntry> entries);
  void CreateCacheMenu();
  void FillCacheMenu();
  void CreateToolBar();
  void CreateFilterBar();
  void CreateTree();
  void CreateDetails();
  void ReportDetailsSelection();
  void DetailsContextPopup(const QPoint& position);
  void CreateStatusBar();
  void CreateProgressWidgets();
  // The status bar shows the panels, or the progress of long work in their place.
  void ShowPanelsOrProgress(bool progress);
  void OnExpansionChanged(const QModelIndex& index, bool expanded);
  void ReportSelection();
  TTreeNode* FindNamed(const QString& name);

  TLinuxShell FShell;
  TQtDesktop FDesktop;
  TQtDialogs FDialogs;
  TFileManagerMenu FShellMenu;
  TSystemClock FClock;
  TDBusBrowserWindows FWindows;
  TStderrReport FReport;
  TIconvConverter FConverter;
  std::unique_ptr<THoardscopeMain> FPresenter;
  TImageLists FImages;
  // Not a child object: it observes the presenter's tree and has to go before the presenter does.
  std::unique_ptr<TTreeItemModel> FModel;
  std::unique_ptr<TDetailsItemModel> FDetailsModel;
  bool FSelectingDetails = false;  // the details' selection is being set from the presenter's
  QTimer FChangeTimer;
  // The row TopVisibleNode last gave, followed through reorders; invalid once its node is gone.
  QPersistentModelIndex FTopRow;
  const TTreeNode* FTopNode = nullptr;
  int FNoticeTicket = 0;

  std::array<QAction*, kActionCount> FActions{};
  QMenu* pmenuLV = nullptr;
  QMenu* pmenuHelp = nullptr;
  QMenu* mnuCache = nullptr;
  QWidget* ToolBar1 = nullptr;
  QToolButton* tbFile = nullptr;
  QToolButton* tbHelp = nullptr;
  TFilterBar* FFilterBar = nullptr;
  QTreeView* TreeView1 = nullptr;
  QTreeView* DetailsView1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QAction* mnuShowDetails = nullptr;
  QStatusBar* sbMain = nullptr;
  std::array<QLabel*, 2> FPanels{};
  QLabel* FProgressText = nullptr;
  QProgressBar* FProgressBar = nullptr;
  QPushButton* FStopButton = nullptr;
  QAction* FStopAction = nullptr;  // Esc, while long work runs
};

}  // namespace hoardscope
