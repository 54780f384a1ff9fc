// The browser window: menus, address field, the bar's pane and its view, the page pane.
#include "platform/qt/BrowserWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/linux/ConnectedState.h"
#include "platform/qt/BrowserObject.h"
#include "platform/qt/MainView.h"
#include "platform/qt/PagePane.h"

namespace hoardscope {
namespace {

constexpr int kWindowWidth = 1100;
constexpr int kWindowHeight = 760;
// The bar's smallest and its first width; the band asks for at least 180 x 200.
constexpr int kBarMinimumWidth = 180;
constexpr int kBarMinimumHeight = 200;
constexpr int kBarWidth = 330;
// How often a view closed while busy is looked at again.
constexpr int kRetiredViewCheckMs = 50;

const QString kProductName = QStringLiteral("Hoardscope");

}  // namespace

TBrowserWindow::TBrowserWindow(const TBrowserServices& services, QWidget* parent)
    : QMainWindow(parent), FServices(services) {
  setObjectName(QStringLiteral("BrowserWindow"));
  setWindowTitle(kProductName);
  resize(kWindowWidth, kWindowHeight);
  FPagePane = new TPagePane(FServices.Fetches, this);
  FPagePane->setObjectName(QStringLiteral("PagePane"));
  setCentralWidget(FPagePane);
  FBrowser = std::make_shared<TBrowserObject>(*FPagePane);
  CreateAddressBar();
  CreateBarPane();
  CreateMenus();
  FRetiredViewCheck.setInterval(kRetiredViewCheckMs);
  connect(&FRetiredViewCheck, &QTimer::timeout, this, &TBrowserWindow::DestroyIdleViews);
  FOfflineLabel = new QLabel(tr("Working offline"), this);
  statusBar()->addPermanentWidget(FOfflineLabel);
  connect(FPagePane, &QWebEngineView::titleChanged, this, [this](const QString& title) {
    setWindowTitle(title.isEmpty() ? kProductName : title + QStringLiteral(" - ") + kProductName);
  });
  connect(FPagePane, &QWebEngineView::loadStarted, this, &TBrowserWindow::ShowOfflineState);
  ShowOfflineState();
}

TBrowserWindow::~TBrowserWindow() = default;

void TBrowserWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* newWindow = file->addAction(tr("&New Window"), this, &TBrowserWindow::NewWindowRequested);
  newWindow->setShortcut(QKeySequence::New);
  file->addSeparator();
  QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
  close->setShortcut(QKeySequence::Close);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QMenu* explorerBar = view->addMenu(tr("&Explorer Bar"));
  FBarAction = explorerBar->addAction(tr("Hoard&scope"));
  FBarAction->setObjectName(QStringLiteral("HoardscopeBarAction"));
  FBarAction->setCheckable(true);
  connect(FBarAction, &QAction::triggered, this, [this](bool open) { open ? OpenBar() : CloseBar(); });
  FWorkOfflineAction = view->addAction(tr("&Work Offline"));
  FWorkOfflineAction->setObjectName(QStringLiteral("WorkOfflineAction"));
  FWorkOfflineAction->setCheckable(true);
  connect(FWorkOfflineAction, &QAction::triggered, this, [this](bool offline) {
    FPagePane->SetWorkOffline(offline);
    ShowOfflineState();
  });
  connect(view, &QMenu::aboutToShow, this, &TBrowserWindow::ShowOfflineState);

  QMenu* go = menuBar()->addMenu(tr("&Go"));
  QAction* back = FPagePane->pageAction(QWebEnginePage::Back);
  back->setText(tr("&Back"));
  back->setShortcut(QKeySequence::Back);
  go->addAction(back);
  QAction* forward = FPagePane->pageAction(QWebEnginePage::Forward);
  forward->setText(tr("&Forward"));
  forward->setShortcut(QKeySequence::Forward);
  go->addAction(forward);
}

void TBrowserWindow::CreateAddressBar() {
  QToolBar* bar = addToolBar(tr("Address"));
  bar->setObjectName(QStringLiteral("AddressBar"));
  bar->setMovable(false);
  bar->addWidget(new QLabel(tr("Address "), bar));
  FAddress = new QLineEdit(bar);
  FAddress->setObjectName(QStringLiteral("AddressField"));
  bar->addWidget(FAddress);
  connect(FAddress, &QLineEdit::returnPressed, this, [this] { FPagePane->LoadTyped(FAddress->text()); });
  connect(FPagePane, &TPagePane::WebUrlChanged, this, [this](const QUrl& url) { FAddress->setText(url.toString()); });
}

void TBrowserWindow::CreateBarPane() {
  FBarPane = new QDockWidget(kProductName, this);
  FBarPane->setObjectName(QStringLiteral("ExplorerBar"));
  FBarPane->setFeatures(QDockWidget::DockWidgetClosable);
  FBarPane->setAllowedAreas(Qt::LeftDockWidgetArea);
  FBarSite = new QWidget(FBarPane);
  FBarSite->setObjectName(QStringLiteral("ExplorerBarSite"));
  FBarSite->setMinimumSize(kBarMinimumWidth, kBarMinimumHeight);
  auto* layout = new QVBoxLayout(FBarSite);
  layout->setContentsMargins(0, 0, 0, 0);
  FBarPane->setWidget(FBarSite);
  addDockWidget(Qt::LeftDockWidgetArea, FBarPane);
  resizeDocks({FBarPane}, {kBarWidth}, Qt::Horizontal);
  FBarPane->hide();
  FBarPane->installEventFilter(this);
}

void TBrowserWindow::OpenBar() {
  if (!FView) {
    try {
      auto view = std::make_unique<TMainView>(FServices.Cache, FServices.Registry, FServices.Internet,
                                              FServices.CacheFolder);
      FBarPane->show();
      view->setParent(FBarSite);
      FBarSite->layout()->addWidget(view.get());
      view->setGeometry(FBarSite->contentsRect());
      view->show();
      view->Presenter().FBrowser = FBrowser;
      FView = std::move(view);
    } catch (const std::exception& error) {
      ReportBarFailure(QString::fromLocal8Bit(error.what()));
    } catch (...) {
      ReportBarFailure(tr("unknown error"));
    }
  }
  FBarAction->setChecked(FView != nullptr);
}

void TBrowserWindow::ReportBarFailure(const QString& reason) {
  FBarPane->hide();
  QMessageBox::warning(this, kProductName, tr("The Hoardscope bar cannot be opened:\n%1").arg(reason));
}

void TBrowserWindow::CloseBar() {
  FBarAction->setChecked(false);
  FBarPane->hide();
  std::unique_ptr<TMainView> view = std::move(FView);
  if (!view || !view->Presenter().Busy()) return;  // an idle view goes here and now
  view->hide();
  FRetiredViews.push_back(std::move(view));
  FRetiredViewCheck.start();
}

void TBrowserWindow::DestroyIdleViews() {
  std::erase_if(FRetiredViews, [](const std::unique_ptr<TMainView>& view) { return !view->Presenter().Busy(); });
  if (!FRetiredViews.empty()) return;
  FRetiredViewCheck.stop();
  if (FClosePending) close();
}

void TBrowserWindow::closeEvent(QCloseEvent* event) {
  CloseBar();
  if (!FRetiredViews.empty()) {
    event->ignore();
    hide();
    FClosePending = true;
    return;
  }
  event->accept();
  emit Closed();
}

bool TBrowserWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FBarPane && event->type() == QEvent::Close) CloseBar();
  return QMainWindow::eventFilter(watched, event);
}

void TBrowserWindow::ShowOfflineState() {
  // Once a view has forced the process offline, this window works offline whatever its own setting says.
  const bool forced = TConnectedState::ForcedOffline();
  FWorkOfflineAction->setChecked(forced || FPagePane->WorkOffline());
  FWorkOfflineAction->setEnabled(!forced);
  FWorkOfflineAction->setStatusTip(forced ? tr("The Hoardscope bar has switched this program to working offline")
                                          : QString());
  FOfflineLabel->setVisible(FPagePane->IsOffline());
}

}  // namespace hoardscope
