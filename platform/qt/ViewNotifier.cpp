// Delivering the cache-changed notice inside this process and to other hoardscope processes over D-Bus.
#include "platform/qt/ViewNotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <optional>

namespace hoardscope {
namespace {

constexpr int kCallTimeoutMs = 3000;

QString OwnServiceName() { return QString(kViewsServicePrefix) + QString::number(QCoreApplication::applicationPid()); }

}  // namespace

TViewNotifier& TViewNotifier::Instance() {
  static TViewNotifier notifier;
  return notifier;
}

TViewNotifier::TViewNotifier() = default;

int TViewNotifier::Add(TSysCommand handler) {
  OfferOnSessionBus();
  FViews.emplace_back(FNextTicket, std::move(handler));
  return FNextTicket++;
}

void TViewNotifier::Remove(int ticket) {
  std::erase_if(FViews, [ticket](const auto& view) { return view.first == ticket; });
}

int TViewNotifier::Notify(int code) {
  const auto views = FViews;  // a handler may close a view
  for (const auto& view : views) view.second(kCacheChangedCommand, code);
  return static_cast<int>(views.size());
}

void TViewNotifier::OfferOnSessionBus() {
  if (FOffered) return;
  FOffered = true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;  // no session bus: the views of this process still hear each other
  bus.registerObject(kViewsObjectPath, this, QDBusConnection::ExportScriptableSlots);
  bus.registerService(OwnServiceName());
}

int NotifyRunningViews(int code) {
  std::optional<QCoreApplication> application;
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "hoardscope";
    static char* argv[] = {name, nullptr};
    application.emplace(argc, argv);
  }
  return TDBusBrowserWindows().NotifyViews(code);
}

int TDBusBrowserWindows::NotifyViews(int code) {
  int told = TViewNotifier::Instance().Notify(code);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return told;
  const QStringList names = bus.interface()->registeredServiceNames().value();
  const QString own = OwnServiceName();
  for (const QString& name : names) {
    if (!name.startsWith(kViewsServicePrefix) || name == own) continue;
    QDBusInterface views(name, kViewsObjectPath, kViewsInterface, bus);
    views.setTimeout(kCallTimeoutMs);
    const QDBusReply<int> reply = views.call("Notify", code);
    if (reply.isValid()) told += reply.value();  // a process that is gone or hangs is passed over
  }
  return told;
}

}  // namespace hoardscope
