// The application's default exception box: an exception escaping a handler is shown in
// an error box and the message loop goes on.
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "support/recording_ui.h"
#include "ui/base/application.h"

class TestApplication : public QObject {
  Q_OBJECT
 private slots:
  void exceptionIsShownAndLoopContinues();
};

void TestApplication::exceptionIsShownAndLoopContinues() {
  auto* app = qobject_cast<ptk::ui::TApplication*>(QCoreApplication::instance());
  QVERIFY(app);
  ptk::test::RecordingUi ui;
  app->SetUserInterface(&ui);
  bool after = false;
  QTimer::singleShot(0, [] { throw std::runtime_error("Неверное значение"); });
  QTimer::singleShot(5, [&] { after = true; });
  QTRY_VERIFY_WITH_TIMEOUT(after, 2000);
  app->SetUserInterface(nullptr);
  QCOMPARE(ui.BoxTexts(), std::vector<std::string>{"Неверное значение"});
  QCOMPARE(ui.boxes[0].caption, std::string("Ошибка"));
}

int main(int argc, char** argv) {
  ptk::ui::TApplication app(argc, argv);
  TestApplication test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
