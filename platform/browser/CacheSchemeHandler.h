// TCacheSchemeHandler answers a page pane's cache-scheme requests through the HTTP layer: online from the network
// (the response is stored in the cache first), offline from the cache store alone; or, while the pane shows a
// browser's cache, from that cache alone. TFetchQueue runs the HTTP layer's work on worker threads, so that pages
// load while the window stays responsive.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <QWebEngineUrlSchemeHandler>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/HttpClient.h"
#include "platform/browser/PageSource.h"

class QWebEngineUrlRequestJob;

namespace hoardscope {

class TFetchQueue : public QObject {
  Q_OBJECT

 public:
  explicit TFetchQueue(THttpClient& http, QObject* parent = nullptr);
  // Cancels the transfers in flight and waits for the workers.
  ~TFetchQueue() override;

  // Runs fetch on a worker thread, then done with its response on this object's thread, unless receiver is gone
  // by then. An error that fetch raises becomes a Failed response.
  void Run(std::function<THttpResponse(THttpClient&)> fetch, QObject* receiver,
           std::function<void(const THttpResponse&)> done);

 private:
  THttpClient& FHttp;
  QThreadPool FPool;
};

class TCacheSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT

 public:
  // isOffline and shownSource are asked at the start of every request; cacheKeys gives the keys under which the
  // cache may hold a web URL when offline, best first.
  TCacheSchemeHandler(TFetchQueue& fetches, std::function<bool()> isOffline,
                      std::function<std::vector<std::string>(const QUrl& webUrl)> cacheKeys,
                      std::function<TShownSource()> shownSource, QObject* parent = nullptr);

  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  // Runs fetch on a worker and replies to the job with its response, unless the job is gone by then.
  void Answer(QWebEngineUrlRequestJob* job, const QUrl& webUrl, std::function<THttpResponse(THttpClient&)> fetch);
  void Reply(QWebEngineUrlRequestJob* job, const QUrl& webUrl, const THttpResponse& response);

  TFetchQueue& FFetches;
  std::function<bool()> FIsOffline;
  std::function<std::vector<std::string>(const QUrl&)> FCacheKeys;
  std::function<TShownSource()> FShownSource;
};

}  // namespace hoardscope
