// The widget tests' application object and their helpers.
#include "tests/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace hoardscope {
namespace {

constexpr int kPollIntervalMs = 10;
constexpr const char* kModelTesterCategory = "qt.modeltest";

// One application object for the whole test program, made before the first test and gone after the last.
class TApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!QApplication::instance()) FApplication = std::make_unique<QApplication>(FArgc, FArgv);
  }
  void TearDown() override { FApplication.reset(); }

 private:
  int FArgc = 1;
  char FName[9] = "qt_tests";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);  // GoogleTest takes ownership

TModelCheckLog* CurrentLog = nullptr;

}  // namespace

TModalAnswer::TModalAnswer(std::function<void(QWidget*)> answer) : FAnswer(std::move(answer)) {
  QObject::connect(&FPoll, &QTimer::timeout, &FPoll, [this] {
    QWidget* modal = QApplication::activePopupWidget();
    if (!modal) modal = QApplication::activeModalWidget();
    if (!modal) return;
    FPoll.stop();
    FAnswered = true;
    FAnswer(modal);
  });
  FPoll.start(kPollIntervalMs);
}

TModelCheckLog::TModelCheckLog() : FPrevious(qInstallMessageHandler(&TModelCheckLog::Record)) { CurrentLog = this; }

TModelCheckLog::~TModelCheckLog() {
  CurrentLog = nullptr;
  qInstallMessageHandler(FPrevious);
}

void TModelCheckLog::Record(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (CurrentLog && context.category && QLatin1String(context.category) == QLatin1String(kModelTesterCategory)) {
    CurrentLog->FFailures.append(message);
    return;
  }
  if (CurrentLog && CurrentLog->FPrevious) CurrentLog->FPrevious(type, context, message);
}

QString BuildFolder() { return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath(); }

}  // namespace hoardscope
