// Growing coordinate-placed controls to their texts, from the innermost out.
#include "platform/qt/FitToText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>

namespace hoardscope {
namespace {

// Between the controls a box holds and its edge.
constexpr int kMargin = 8;

bool ShowsText(const QWidget& widget) {
  return qobject_cast<const QLabel*>(&widget) || qobject_cast<const QAbstractButton*>(&widget);
}

QSize AtLeast(const QSize& size, const QSize& wanted) {
  return {std::max(size.width(), wanted.width()), std::max(size.height(), wanted.height())};
}

// The size that holds the widget's children with a margin.
QSize Holding(const QWidget& widget) {
  const QRect held = widget.childrenRect();
  return {held.right() + 1 + kMargin, held.bottom() + 1 + kMargin};
}

// A tab widget sizes its pages itself: it grows by as much as its most wanting page lacks.
void FitPages(QTabWidget& tabs) {
  QSize lacking(0, 0);
  for (int index = 0; index < tabs.count(); ++index) {
    const QWidget& page = *tabs.widget(index);
    const QSize wanted = Holding(page);
    lacking = AtLeast(lacking, {wanted.width() - page.width(), wanted.height() - page.height()});
  }
  tabs.resize(tabs.size() + lacking);
}

void Fit(QWidget& widget) {
  for (QWidget* child : widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) Fit(*child);
  if (ShowsText(widget)) {
    widget.resize(AtLeast(widget.size(), widget.sizeHint()));
  } else if (qobject_cast<QGroupBox*>(&widget)) {
    widget.resize(AtLeast(widget.size(), Holding(widget)));
  } else if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
    FitPages(*tabs);
  }
}

}  // namespace

void FitToText(QWidget& window) {
  Fit(window);
  const QSize size = AtLeast(window.size(), Holding(window) + QSize(kMargin, 0));
  if (window.minimumSize() == window.maximumSize()) {
    window.setFixedSize(size);  // a dialog of fixed size keeps one, the one its texts need
  } else {
    window.resize(size);
  }
}

}  // namespace hoardscope
