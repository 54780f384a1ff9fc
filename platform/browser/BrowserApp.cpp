// The browser application: process set-up, the session of shared stores and windows, the screenshot run.
#include "platform/browser/BrowserApp.h"

#include <unistd.h>

#include <QApplication>
#include <QLoggingCategory>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <stdexcept>

#include "platform/browser/PagePane.h"
#include "platform/browser/PagePaneUrls.h"
#include "platform/qt/BarView.h"

namespace hoardscope {
namespace {

// A screenshot run that has not finished by then gives up.
constexpr int kScreenshotTimeoutMs = 60000;
// How often the run looks whether the tree has reported the selection.
constexpr int kSelectionPollMs = 20;
// Time the page pane gets to draw a page that has finished loading.
constexpr int kPaintSettleMs = 500;

void AppendChromiumFlag(QByteArray& flags, const QByteArray& flag) {
  if (!flags.split(' ').contains(flag)) flags += ' ' + flag;
}

// Opens a window's bar nodes and selects one, waits for the page pane, and saves a picture of the window.
class TScreenshotRun : public QObject {
 public:
  TScreenshotRun(TBrowserWindow& window, TScreenshotRequest request)
      : FWindow(window), FRequest(std::move(request)) {}

  void Start() {
    QTimer::singleShot(kScreenshotTimeoutMs, this, [this] { Finish(1, "timed out before the window was ready"); });
    IBarView* view = BarViewOf(FWindow.View());
    if (!view) return Finish(1, "the Hoardscope bar could not be opened");
    FLoaded = new QObject(this);
    view->WhenLoadFinished(FLoaded, [this] { ApplyTreeRequest(); });
    connect(FWindow.PagePane(), &QWebEngineView::loadFinished, this, [this] {
      FPageLoaded = true;
      if (FAwaitingPage) Settle();
    });
  }

 private:
  void ApplyTreeRequest() {
    if (!FLoaded) return;  // the first load is the one to wait for
    FLoaded->deleteLater();
    FLoaded = nullptr;
    IBarView* view = BarViewOf(FWindow.View());
    if (!view) return Finish(1, "the Hoardscope bar has gone");
    for (const std::string& name : FRequest.Expand) {
      if (!view->OpenNodeNamed(QString::fromStdString(name))) return Finish(1, "no node '" + name + "' in the tree");
    }
    if (!FRequest.Select) return Settle();
    FUrlBefore = view->LastUrl();
    if (!view->SelectNodeNamed(QString::fromStdString(*FRequest.Select))) {
      return Finish(1, "no node '" + *FRequest.Select + "' in the tree");
    }
    WaitForSelection();
  }

  // The tree reports a selection once it has settled; a file's selection then sends the page pane to it.
  void WaitForSelection() {
    IBarView* view = BarViewOf(FWindow.View());
    if (view && view->SelectionChangePending()) {
      QTimer::singleShot(kSelectionPollMs, this, &TScreenshotRun::WaitForSelection);
      return;
    }
    const bool navigated = view && view->LastUrl() != FUrlBefore;
    if (!navigated || FPageLoaded) return Settle();
    FAwaitingPage = true;
  }

  void Settle() { QTimer::singleShot(kPaintSettleMs, this, &TScreenshotRun::Capture); }

  void Capture() {
    const QString file = QString::fromStdString(FRequest.File.string());
    if (!FWindow.grab().save(file, "PNG")) return Finish(1, "cannot save the screenshot to " + FRequest.File.string());
    Finish(0);
  }

  void Finish(int exitCode, const std::string& error = {}) {
    if (FFinished) return;
    FFinished = true;
    if (!error.empty()) std::cerr << "hoardscope: " << error << "\n";
    // Queued, so that it ends the event loop even when the run finishes before the loop has started.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
  }

  TBrowserWindow& FWindow;
  TScreenshotRequest FRequest;
  QObject* FLoaded = nullptr;  // the first load's listener, while it waits
  QString FUrlBefore;
  bool FPageLoaded = false;
  bool FAwaitingPage = false;
  bool FFinished = false;
};

}  // namespace

void PrepareBrowserProcess() {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  AppendChromiumFlag(flags, "--disable-gpu");
  // Peer connections of the pages shown get no UDP of their own: no STUN request, no local address announced by
  // mDNS, nothing that passes by the HTTP layer (and its Work Offline) the way the pages' other traffic goes.
  AppendChromiumFlag(flags, "--force-webrtc-ip-handling-policy=disable_non_proxied_udp");
  if (::geteuid() == 0) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    AppendChromiumFlag(flags, "--no-sandbox");
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The engine's description of its set-up on every start is left out (QT_LOGGING_RULES can bring it back).
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  RegisterCacheSchemes();
}

TBrowserSession::TBrowserSession(const std::filesystem::path& cacheRoot, const std::filesystem::path& registryFile,
                                 const std::filesystem::path& copiesRoot)
    : FCacheRoot(cacheRoot), FCache(cacheRoot), FRegistry(registryFile), FHttpCache(cacheRoot), FHttp(FHttpCache),
      FFetches(FHttp), FSources(copiesRoot.string()) {}

TBrowserSession::~TBrowserSession() = default;

TBrowserWindow& TBrowserSession::OpenWindow() {
  TBrowserWindow& window = AddWindow();
  window.OpenBar();
  return window;
}

TBrowserWindow& TBrowserSession::OpenPageWindow(const QUrl& url) {
  TBrowserWindow& window = AddWindow();
  window.PagePane()->Open(url);
  return window;
}

TBrowserWindow& TBrowserSession::AddWindow() {
  auto window = std::make_unique<TBrowserWindow>(TBrowserServices{FCache, FRegistry, FInternet, FCacheRoot, FFetches, FSources});
  TBrowserWindow* shown = window.get();
  FWindows.push_back(std::move(window));
  connect(shown, &TBrowserWindow::NewWindowRequested, this, [this] { OpenWindow(); });
  // Opened from the event loop: the request may come from inside the work of a bar.
  connect(shown, &TBrowserWindow::PageWindowRequested, this, [this](const QUrl& url) { OpenPageWindow(url); },
          Qt::QueuedConnection);
  // Destroyed from the event loop, not from inside its own close.
  connect(shown, &TBrowserWindow::Closed, this, [this, shown] { ReleaseWindow(shown); }, Qt::QueuedConnection);
  shown->show();
  return *shown;
}

void TBrowserSession::ReleaseWindow(TBrowserWindow* window) {
  std::erase_if(FWindows, [window](const std::unique_ptr<TBrowserWindow>& held) { return held.get() == window; });
  if (FWindows.empty()) emit LastWindowClosed();
}

int RunBrowserApp(int argc, char** argv, const std::filesystem::path& cacheRoot,
                  const std::filesystem::path& registryFile, const std::filesystem::path& copiesRoot,
                  const std::optional<TScreenshotRequest>& screenshot) {
  // Without a display Qt gives up by aborting the process; say what is missing instead.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    throw std::runtime_error("no display to open the window on (DISPLAY is not set); run it under xvfb-run -a, "
                             "or use one of the subcommands");
  }
  PrepareBrowserProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Hoardscope"));
  QApplication::setQuitOnLastWindowClosed(false);  // the session says when the last window has gone
  TBrowserSession session(cacheRoot, registryFile, copiesRoot);
  QObject::connect(&session, &TBrowserSession::LastWindowClosed, &app, &QCoreApplication::quit);
  TBrowserWindow& window = session.OpenWindow();
  std::optional<TScreenshotRun> run;
  if (screenshot) {
    run.emplace(window, *screenshot);
    run->Start();
  }
  return QApplication::exec();
}

}  // namespace hoardscope
