// The bar's quick filter fields.
#include "platform/qt/FilterBar.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace hoardscope {
namespace {

constexpr int kMargin = 2;
constexpr int kWeekDays = 7;
constexpr const char* kSizeTip = "Bytes, or with K, M or G for powers of 1024 (64K, 5M); Enter applies";

QLineEdit* NewLineEdit(QWidget* parent, const char* name, const char* placeholder) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setPlaceholderText(QString::fromUtf8(placeholder));
  return edit;
}

QDateEdit* NewDateEdit(QWidget* parent, const char* name, const QDate& date) {
  auto* edit = new QDateEdit(date, parent);
  edit->setObjectName(QLatin1String(name));
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  edit->setMinimumDate(QDate(1601, 1, 1));
  edit->setCalendarPopup(true);
  return edit;
}

TCalendarDay DayOf(const QDate& date) {
  return {date.year(), static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day())};
}

}  // namespace

TFilterBar::TFilterBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FilterBar"));
  edUrl = NewLineEdit(this, "edFilterUrl", "URL contains");
  btnClear = new QToolButton(this);
  btnClear->setObjectName(QStringLiteral("btnFilterClear"));
  btnClear->setText(QStringLiteral("Clear"));
  btnClear->setToolTip(QStringLiteral("Show every entry again"));
  btnClear->setAutoRaise(true);
  cbCached = new QComboBox(this);
  cbCached->setObjectName(QStringLiteral("cbFilterCached"));
  for (const char* caption : kCachedChoiceCaptions) cbCached->addItem(QString::fromLatin1(caption));
  cbCached->setToolTip(QStringLiteral("When the entries were cached"));
  edMinSize = NewLineEdit(this, "edFilterMinSize", "Min size");
  edMinSize->setToolTip(QString::fromUtf8(kSizeTip));
  edMaxSize = NewLineEdit(this, "edFilterMaxSize", "Max size");
  edMaxSize->setToolTip(QString::fromUtf8(kSizeTip));
  edUrl->setToolTip(QStringLiteral("A part of the entries' URLs, in any letter case; Enter applies"));
  FRange = new QWidget(this);
  const QDate today = QDate::currentDate();
  edFrom = NewDateEdit(FRange, "edFilterFrom", today.addDays(-kWeekDays));
  edTo = NewDateEdit(FRange, "edFilterTo", today);

  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  rows->setSpacing(kMargin);
  auto* urlRow = new QHBoxLayout;
  urlRow->addWidget(edUrl, 1);
  urlRow->addWidget(btnClear);
  rows->addLayout(urlRow);
  auto* choiceRow = new QHBoxLayout;
  choiceRow->addWidget(cbCached, 2);
  choiceRow->addWidget(edMinSize, 1);
  choiceRow->addWidget(edMaxSize, 1);
  rows->addLayout(choiceRow);
  auto* rangeRow = new QHBoxLayout(FRange);
  rangeRow->setContentsMargins(0, 0, 0, 0);
  rangeRow->addWidget(edFrom, 1);
  rangeRow->addWidget(edTo, 1);
  rows->addWidget(FRange);
  ShowRange();

  for (QLineEdit* edit : {edUrl, edMinSize, edMaxSize}) {
    connect(edit, &QLineEdit::returnPressed, this, &TFilterBar::Applied);
  }
  connect(cbCached, &QComboBox::activated, this, [this] {
    ShowRange();
    emit Applied();
  });
  for (QDateEdit* edit : {edFrom, edTo}) {
    connect(edit, &QDateEdit::editingFinished, this, &TFilterBar::Applied);
    // A day picked in the calendar is the edit's once the pick is over.
    connect(edit->calendarWidget(), &QCalendarWidget::clicked, this, &TFilterBar::Applied, Qt::QueuedConnection);
  }
  connect(btnClear, &QToolButton::clicked, this, [this] {
    Clear();
    emit Applied();
  });
}

TFilterBarFields TFilterBar::Fields() const {
  TFilterBarFields fields;
  fields.UrlText = edUrl->text().toStdString();
  fields.Cached = static_cast<TCachedChoice>(std::max(cbCached->currentIndex(), 0));
  fields.From = DayOf(edFrom->date());
  fields.To = DayOf(edTo->date());
  fields.MinSize = edMinSize->text().toStdString();
  fields.MaxSize = edMaxSize->text().toStdString();
  return fields;
}

void TFilterBar::Clear() {
  for (QLineEdit* edit : {edUrl, edMinSize, edMaxSize}) edit->clear();
  cbCached->setCurrentIndex(static_cast<int>(TCachedChoice::AnyTime));
  ShowRange();
}

void TFilterBar::ShowRange() { FRange->setVisible(cbCached->currentIndex() == static_cast<int>(TCachedChoice::Range)); }

}  // namespace hoardscope
