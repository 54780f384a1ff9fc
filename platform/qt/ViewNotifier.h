// The cache-changed notice of the Linux edition: every view of this process, and over the session D-Bus every
// other hoardscope process, which hands the notice to its own views.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "platform/ports/BrowserWindows.h"

namespace hoardscope {

inline constexpr const char* kViewsServicePrefix = "org.hoardscope.Hoardscope.p";
inline constexpr const char* kViewsObjectPath = "/Views";
inline constexpr const char* kViewsInterface = "org.hoardscope.Views";

// The views of this process that show the bar, each by its handler of the cache-changed window message. Offered on
// the session bus (when there is one) under a name of this process.
class TViewNotifier : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.hoardscope.Views")

 public:
  using TSysCommand = std::function<void(int wParam, int lParam)>;

  static TViewNotifier& Instance();

  // Returns a ticket for Remove.
  int Add(TSysCommand handler);
  void Remove(int ticket);

 public slots:
  // Delivers the notice to every view of this process; returns how many were told.
  Q_SCRIPTABLE int Notify(int code);

 private:
  TViewNotifier();
  void OfferOnSessionBus();

  std::vector<std::pair<int, TSysCommand>> FViews;
  int FNextTicket = 1;
  bool FOffered = false;
};

// Sends the notice from a process without views (the command line) to every running hoardscope window; returns
// the number of views told.
int NotifyRunningViews(int code);

// NotifyViews over this process's views and every other hoardscope process on the session bus.
class TDBusBrowserWindows : public IBrowserWindows {
 public:
  int NotifyViews(int code) override;
};

}  // namespace hoardscope
