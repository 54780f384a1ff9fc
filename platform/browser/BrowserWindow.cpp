// The browser window: menus, address field, the bar's pane and its view, the page pane.
#include "platform/browser/BrowserWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "com/ComSupport.h"
#include "com/Hoardscope_TLB.h"
#include "platform/linux/com/ConnectedState.h"
#include "platform/browser/BandHost.h"
#include "platform/browser/BrowserObject.h"
#include "platform/browser/PagePane.h"

namespace hoardscope {
namespace {

constexpr int kWindowWidth = 1100;
constexpr int kWindowHeight = 760;
// The bar pane's first width.
constexpr int kBarWidth = 330;

const QString kProductName = QStringLiteral("Hoardscope");

// A menu text without the "&" that marks its accelerator ("&&" stands for one "&").
QString WithoutAccelerator(const std::string& menuText) {
  return QString::fromStdString(menuText).replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

}  // namespace

TBrowserWindow::TBrowserWindow(const TBrowserServices& services, QWidget* parent)
    : QMainWindow(parent), FServices(services) {
  setObjectName(QStringLiteral("BrowserWindow"));
  setWindowTitle(kProductName);
  resize(kWindowWidth, kWindowHeight);
  FPagePane = new TPagePane(FServices.Fetches, FServices.Sources, this);
  FPagePane->setObjectName(QStringLiteral("PagePane"));
  setCentralWidget(FPagePane);
  FBrowser = std::make_shared<TBrowserObject>(*FPagePane, [this](const QUrl& url) { emit PageWindowRequested(url); });
  CreateAddressBar();
  CreateBarPane();
  FBands = std::make_unique<TBandHost>(FServices.Registry, *FBarSite, FBrowser);
  CreateMenus();
  FOfflineLabel = new QLabel(tr("Working offline"), this);
  statusBar()->addPermanentWidget(FOfflineLabel);
  connect(FPagePane, &QWebEngineView::titleChanged, this, [this](const QString& title) {
    setWindowTitle(title.isEmpty() ? kProductName : title + QStringLiteral(" - ") + kProductName);
  });
  connect(FPagePane, &QWebEngineView::loadStarted, this, &TBrowserWindow::ShowOfflineState);
  ShowOfflineState();
}

// The page pane goes with the window's widgets, after this object's part of the window; what it signals on its way
// out must no longer reach this window.
TBrowserWindow::~TBrowserWindow() { FPagePane->disconnect(this); }

void TBrowserWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* newWindow = file->addAction(tr("&New Window"), this, &TBrowserWindow::NewWindowRequested);
  newWindow->setShortcut(QKeySequence::New);
  file->addSeparator();
  QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
  close->setShortcut(QKeySequence::Close);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  FExplorerBarMenu = view->addMenu(tr("&Explorer Bar"));
  FExplorerBarMenu->setObjectName(QStringLiteral("ExplorerBarMenu"));
  connect(FExplorerBarMenu, &QMenu::aboutToShow, this, &TBrowserWindow::ListExplorerBars);
  ListExplorerBars();
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
  auto* layout = new QVBoxLayout(FBarSite);
  layout->setContentsMargins(0, 0, 0, 0);
  FBarPane->setWidget(FBarSite);
  addDockWidget(Qt::LeftDockWidgetArea, FBarPane);
  resizeDocks({FBarPane}, {kBarWidth}, Qt::Horizontal);
  FBarPane->hide();
  FBarPane->installEventFilter(this);
}

// Listed anew each time the menu opens, so that each entry shows whether its bar is open. (Never from an entry's
// own signal: clearing the menu deletes its entries.)
void TBrowserWindow::ListExplorerBars() {
  FExplorerBarMenu->clear();
  const std::vector<TExplorerBar> bars = FindExplorerBars(FServices.Registry);
  if (bars.empty()) FExplorerBarMenu->addAction(tr("(no explorer bar is registered)"))->setEnabled(false);
  for (const TExplorerBar& bar : bars) {
    QAction* action = FExplorerBarMenu->addAction(QString::fromStdString(bar.MenuText));
    action->setCheckable(true);
    action->setChecked(FBands->IsOpen() && FBands->OpenBar() == bar.Clsid);
    connect(action, &QAction::triggered, this, [this, bar](bool open) {
      if (open) {
        OpenBar(bar.Clsid, bar.MenuText);
      } else {
        CloseBar();
      }
    });
  }
}

bool TBrowserWindow::OpenBar() {
  for (const TExplorerBar& bar : FindExplorerBars(FServices.Registry)) {
    if (bar.Clsid != CLSID_IECacheBand) continue;
    OpenBar(bar.Clsid, bar.MenuText);
    return FBands->IsOpen();
  }
  statusBar()->showMessage(tr("The Hoardscope bar is not registered: run hoardscope regsvr"));
  return false;
}

void TBrowserWindow::OpenBar(const CLSID& bar, const std::string& menuText) {
  try {
    const QString barName = WithoutAccelerator(menuText);
    FBarPane->setWindowTitle(barName);
    FBarPane->show();
    FBands->Open(bar);
    FBarSite->setMinimumSize(FBands->MinimumSize());
    if (QWidget* window = FBands->BandWindow()) {
      FBarSite->layout()->addWidget(window);  // follows the pane's size
      // The pane's title names what the bar's view shows: the cache source, or the folder selected in it.
      connect(window, &QWidget::windowTitleChanged, FBarPane, [this, barName](const QString& title) {
        FBarPane->setWindowTitle(title.isEmpty() ? barName : barName + QStringLiteral(" \u2014 ") + title);
      });
    }
  } catch (const std::exception& error) {
    ReportBarFailure(QString::fromLocal8Bit(error.what()));
  }
}

void TBrowserWindow::ReportBarFailure(const QString& reason) {
  FBarPane->hide();
  QMessageBox::warning(this, kProductName, tr("The explorer bar cannot be opened:\n%1").arg(reason));
}

void TBrowserWindow::CloseBar() {
  FBarPane->hide();
  FBands->Close();
}

QWidget* TBrowserWindow::View() const { return FBands->IsOpen() ? FBands->BandWindow() : nullptr; }

void TBrowserWindow::closeEvent(QCloseEvent* event) {
  CloseBar();
  event->accept();
  emit Closed();
}

bool TBrowserWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FBarPane && event->type() == QEvent::Close && FBands->IsOpen()) CloseBar();
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
