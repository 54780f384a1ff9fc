// The bar's public header: all that a host of the Linux edition's bar sees of it. A window handle (HWND, or the
// ports' TWindowHandle) is the address of the Qt widget it stands for, and the bar's view offers its host's scripts
// (the screenshot run, the window tests) the typed interface IBarView. The host and the module live in one process
// and share one Qt, but the module carries a copy of the bar's classes of its own: so nothing here is a class of
// the bar, only an interface of virtual functions over Qt's and the standard library's types, which the view's
// widget hands out through Qt's interface cast (qobject_cast, as Qt's plugins are reached).
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>

#include "com/ComTypes.h"
#include "platform/ports/ViewFactory.h"

class QTreeView;

namespace hoardscope {

inline HWND WindowHandleOf(QWidget* widget) { return reinterpret_cast<HWND>(widget); }
inline QWidget* WidgetOf(HWND window) { return reinterpret_cast<QWidget*>(window); }
inline QWidget* WidgetOf(TWindowHandle window) { return static_cast<QWidget*>(window); }

// The bar's view as a host's scripts drive it. A node is named as the command line names it (a node key, or a
// file's URL); the folders on its way are opened.
class IBarView {
 public:
  // Opens the named node; false when there is none.
  virtual bool OpenNodeNamed(const QString& name) = 0;
  // Selects the named node (the view hears of it once the selection has settled); false when there is none.
  virtual bool SelectNodeNamed(const QString& name) = 0;
  // Whether a selection waits for the tree's change delay before the view hears of it.
  virtual bool SelectionChangePending() const = 0;
  // The URL the view last sent its browser to.
  virtual QString LastUrl() const = 0;
  // The view's tree.
  virtual QTreeView* Tree() const = 0;
  // Calls finished each time a load of the view has ended, until the view or context is destroyed.
  virtual void WhenLoadFinished(QObject* context, std::function<void()> finished) = 0;

 protected:
  ~IBarView() = default;
};

}  // namespace hoardscope

// The interface's name for Qt's interface cast; a changed interface takes a new one.
Q_DECLARE_INTERFACE(hoardscope::IBarView, "org.hoardscope.BarView/1")

namespace hoardscope {

// The bar's view in a window (the band's window), or nullptr when the window is none.
inline IBarView* BarViewOf(QWidget* window) { return qobject_cast<IBarView*>(window); }

}  // namespace hoardscope
