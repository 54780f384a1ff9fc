// What the browser window's own scripts (the screenshot run, the window tests) ask of the bar's view. The view
// comes from the bar's module, which has its own copy of the view's classes, so it is reached through the names
// its meta-object publishes and through the widgets the user sees.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QTreeView;
class QWidget;

namespace hoardscope {

namespace BarView {

// Opens the named node (a node key or a file's URL) and the folders on its way; false when there is none.
bool OpenNode(QWidget* view, const QString& name);
// Selects the named node, opening the folders on its way; false when there is none.
bool SelectNode(QWidget* view, const QString& name);
// Whether a selection waits for the tree's change delay before the view hears of it.
bool SelectionPending(QWidget* view);
// The URL the view last sent its browser to.
QString LastUrl(QWidget* view);
// The view's tree.
QTreeView* Tree(QWidget* view);

}  // namespace BarView

// Calls back each time the view's load has finished (its LoadFinished signal), for as long as it lives.
class TLoadFinishedRelay : public QObject {
  Q_OBJECT

 public:
  TLoadFinishedRelay(QWidget* view, std::function<void()> finished, QObject* parent = nullptr);
  // Whether the view has the signal, so that the relay can ever call back.
  bool Connected() const { return FConnected; }

 private slots:
  void Relay();

 private:
  std::function<void()> FFinished;
  bool FConnected = false;
};

}  // namespace hoardscope
