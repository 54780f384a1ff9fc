// TRequestInterceptor: sees every request of a page pane before it leaves, and keeps the pane off the network:
// http and https go to the cache schemes (and so through the HTTP layer), everything that needs no network passes,
// local files only below a folder the pane was told to show (the installed help), the rest is blocked.
#pragma once

#include <QString>
#include <QWebEngineUrlRequestInterceptor>
#include <mutex>

namespace hoardscope {

class TRequestInterceptor : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  // Lets the pane read the local files below folder (an absolute, clean path).
  void AllowLocalFolder(const QString& folder);

 private:
  bool IsAllowedLocalFile(const QUrl& url);

  std::mutex FLock;  // the engine may ask from a thread of its own
  QString FLocalFolder;
};

}  // namespace hoardscope
