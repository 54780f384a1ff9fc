// Support of the bar's widget tests: answering the modal dialog or popup menu that the code under test opens,
// catching the item-model checker's complaints, and where a test leaves pictures for people to look at.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtMessageHandler>
#include <functional>

class QWidget;

namespace hoardscope {

// While alive, calls answer with the next modal dialog or popup menu to open, from inside its event loop, once;
// answer must close it. Gone, it answers nothing more.
class TModalAnswer {
 public:
  explicit TModalAnswer(std::function<void(QWidget*)> answer);
  TModalAnswer(const TModalAnswer&) = delete;
  TModalAnswer& operator=(const TModalAnswer&) = delete;
  bool Answered() const { return FAnswered; }

 private:
  std::function<void(QWidget*)> FAnswer;
  QTimer FPoll;
  bool FAnswered = false;
};

// Collects what QAbstractItemModelTester reports (it reports as warnings of its logging category) while alive.
class TModelCheckLog {
 public:
  TModelCheckLog();
  ~TModelCheckLog();
  TModelCheckLog(const TModelCheckLog&) = delete;
  TModelCheckLog& operator=(const TModelCheckLog&) = delete;
  const QStringList& Failures() const { return FFailures; }

 private:
  static void Record(QtMsgType type, const QMessageLogContext& context, const QString& message);
  QStringList FFailures;
  QtMessageHandler FPrevious;
};

// The parent of the folder the build puts the test programs in: where screenshots of the tests go.
QString BuildFolder();

}  // namespace hoardscope
