// The cache schemes' handler and the worker threads of the HTTP layer.
#include "platform/browser/CacheSchemeHandler.h"

#include <QBuffer>
#include <QFile>
#include <QMimeDatabase>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <memory>

#include "platform/browser/PagePaneUrls.h"

namespace hoardscope {
namespace {

// Transfers at once, as many as a browser opens to one host.
constexpr int kFetchWorkers = 6;
constexpr char kHtmlType[] = "text/html; charset=utf-8";

void ReplyBytes(QWebEngineUrlRequestJob* job, const QByteArray& contentType, const QByteArray& bytes) {
  auto buffer = std::make_unique<QBuffer>();
  buffer->setData(bytes);
  buffer->open(QIODevice::ReadOnly);
  buffer->setParent(job);  // the engine deletes the job, and with it the body, when it is done
  job->reply(contentType, buffer.release());
}

void ReplyPage(QWebEngineUrlRequestJob* job, const std::string& html) {
  ReplyBytes(job, kHtmlType, QByteArray::fromStdString(html));
}

// The content type of the response, or one guessed from the cached file (its extension, else its content) for
// entries stored without one.
QByteArray ContentTypeFor(const THttpResponse& response) {
  if (!response.ContentType.empty()) return QByteArray::fromStdString(response.ContentType);
  return QMimeDatabase().mimeTypeForFile(QString::fromStdString(response.LocalFile)).name().toUtf8();
}

bool IsRedirect(const THttpResponse& response) {
  return response.Status >= 300 && response.Status < 400 && !response.Location.empty();
}

}  // namespace

TFetchQueue::TFetchQueue(THttpClient& http, QObject* parent) : QObject(parent), FHttp(http) {
  FPool.setMaxThreadCount(kFetchWorkers);
}

TFetchQueue::~TFetchQueue() {
  FHttp.Abort();
  FPool.waitForDone();
}

void TFetchQueue::Run(std::function<THttpResponse(THttpClient&)> fetch, QObject* receiver,
                      std::function<void(const THttpResponse&)> done) {
  const QPointer<QObject> target(receiver);
  FPool.start([this, fetch = std::move(fetch), target, done = std::move(done)] {
    THttpResponse response;
    try {
      response = fetch(FHttp);
    } catch (const std::exception& error) {
      response = THttpResponse{};
      response.Error = error.what();
    } catch (...) {
      response = THttpResponse{};
      response.Error = "the fetch failed";
    }
    QMetaObject::invokeMethod(
        this, [target, done, response = std::move(response)] {
          if (target) done(response);
        },
        Qt::QueuedConnection);
  });
}

TCacheSchemeHandler::TCacheSchemeHandler(TFetchQueue& fetches, std::function<bool()> isOffline,
                                         std::function<std::vector<std::string>(const QUrl&)> cacheKeys,
                                         std::function<TShownSource()> shownSource, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), FFetches(fetches), FIsOffline(std::move(isOffline)),
      FCacheKeys(std::move(cacheKeys)), FShownSource(std::move(shownSource)) {}

void TCacheSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QUrl webUrl = ToWebUrl(job->requestUrl());
  if (const TShownSource shown = FShownSource(); shown.Source) {
    // The page the bar sent the pane to is read anew when missing: the bar lists it, so the browser has stored it.
    const bool navigated = CacheKeyOf(webUrl) == shown.NavigatedKey;
    return Answer(job, webUrl, [source = shown.Source, webUrl, navigated](THttpClient&) {
      return source->Read(webUrl, navigated);
    });
  }
  const bool offline = FIsOffline();
  // A form's data cannot be passed on, so only what a browser may fetch again is fetched online.
  if (!offline && job->requestMethod() != "GET") {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  const std::vector<std::string> keys =
      offline ? FCacheKeys(webUrl) : std::vector<std::string>{CacheKeyOf(webUrl).toStdString()};
  Answer(job, webUrl, [offline, keys](THttpClient& http) {
    if (!offline) return http.Download(keys.front());
    THttpResponse response;
    response.Source = TFetchSource::NotCached;
    for (const std::string& key : keys) {
      response = http.ReadCached(key);
      if (response.Source != TFetchSource::NotCached) break;
    }
    return response;
  });
}

void TCacheSchemeHandler::Answer(QWebEngineUrlRequestJob* job, const QUrl& webUrl,
                                 std::function<THttpResponse(THttpClient&)> fetch) {
  const QPointer<QWebEngineUrlRequestJob> pending(job);
  FFetches.Run(std::move(fetch), this, [this, pending, webUrl](const THttpResponse& response) {
    if (pending) Reply(pending, webUrl, response);
  });
}

void TCacheSchemeHandler::Reply(QWebEngineUrlRequestJob* job, const QUrl& webUrl, const THttpResponse& response) {
  const std::string url = webUrl.toString().toStdString();
  if (response.Source == TFetchSource::NotCached) return ReplyPage(job, OfflinePage(url));
  if (response.Source == TFetchSource::Failed) return ReplyPage(job, FetchFailedPage(url, response.Error));
  if (IsRedirect(response)) {
    const QUrl target = webUrl.resolved(QUrl(QString::fromStdString(response.Location)));
    if (IsWebUrl(target)) return job->redirect(ToCacheUrl(target));
  }
  if (response.LocalFile.empty()) return ReplyBytes(job, ContentTypeFor(response), {});
  auto body = std::make_unique<QFile>(QString::fromStdString(response.LocalFile));
  if (!body->open(QIODevice::ReadOnly)) {
    return ReplyPage(job, FetchFailedPage(url, "The cached copy " + response.LocalFile + " cannot be read."));
  }
  body->setParent(job);
  job->reply(ContentTypeFor(response), body.release());
}

}  // namespace hoardscope
