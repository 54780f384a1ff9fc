// TRequestInterceptor: sees every request of a page pane before it leaves, and keeps the pane off the network:
// http and https go to the cache schemes (and so through the HTTP layer), everything that needs no network passes,
// the rest is blocked.
#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace hoardscope {

class TRequestInterceptor : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

}  // namespace hoardscope
