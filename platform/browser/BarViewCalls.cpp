// Calls into the bar's view by name.
#include "platform/browser/BarViewCalls.h"

#include <QMetaObject>
#include <QTreeView>
#include <QWidget>

namespace hoardscope::BarView {

bool OpenNode(QWidget* view, const QString& name) {
  bool found = false;
  return view && QMetaObject::invokeMethod(view, "OpenNodeNamed", Qt::DirectConnection, Q_RETURN_ARG(bool, found),
                                           Q_ARG(QString, name)) && found;
}

bool SelectNode(QWidget* view, const QString& name) {
  bool found = false;
  return view && QMetaObject::invokeMethod(view, "SelectNodeNamed", Qt::DirectConnection, Q_RETURN_ARG(bool, found),
                                           Q_ARG(QString, name)) && found;
}

bool SelectionPending(QWidget* view) {
  bool pending = false;
  return view && QMetaObject::invokeMethod(view, "SelectionChangePending", Qt::DirectConnection,
                                           Q_RETURN_ARG(bool, pending)) && pending;
}

QString LastUrl(QWidget* view) {
  QString url;
  if (view) QMetaObject::invokeMethod(view, "LastUrl", Qt::DirectConnection, Q_RETURN_ARG(QString, url));
  return url;
}

QTreeView* Tree(QWidget* view) { return view ? view->findChild<QTreeView*>(QStringLiteral("TreeView1")) : nullptr; }

}  // namespace hoardscope::BarView

namespace hoardscope {

TLoadFinishedRelay::TLoadFinishedRelay(QWidget* view, std::function<void()> finished, QObject* parent)
    : QObject(parent), FFinished(std::move(finished)) {
  FConnected = view && connect(view, SIGNAL(LoadFinished()), this, SLOT(Relay()));
}

void TLoadFinishedRelay::Relay() { FFinished(); }

}  // namespace hoardscope
