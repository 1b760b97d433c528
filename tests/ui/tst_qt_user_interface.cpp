// The program's person-facing interface with real Qt message boxes: captions, icons,
// buttons and answers, the result line and the message pump.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/base/qt_user_interface.h"

using ptk::Answer;
using ptk::Buttons;
using ptk::Icon;
using ptk::ui::QtUserInterface;

namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Waits (with a deadline) for the modal box, records it and clicks the button with the
// given text. A bare singleShot(0) could run before the box is up.
void AnswerBox(const QString& buttonText, SeenBox& seen) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [=, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      if (clock->elapsed() > 5000) {
        timer->stop();
        qFatal("no message box appeared");
      }
      return;
    }
    timer->stop();
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == buttonText) {
        b->click();
        break;
      }
    }
    timer->deleteLater();
    delete clock;
  });
  timer->start(10);
}

}  // namespace

class TestQtUserInterface : public QObject {
  Q_OBJECT
 private slots:
  void boxes_data();
  void boxes();
  void resultLine();
  void pumpStopsWhenQuitting();
};

void TestQtUserInterface::boxes_data() {
  QTest::addColumn<int>("icon");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<QString>("press");
  QTest::addColumn<int>("answer");
  QTest::addColumn<int>("boxIcon");
  QTest::addColumn<QStringList>("texts");
  QTest::newRow("error") << int(Icon::Error) << int(Buttons::Ok) << "OK" << int(Answer::Ok)
                         << int(QMessageBox::Critical) << QStringList{"OK"};
  QTest::newRow("info") << int(Icon::Information) << int(Buttons::Ok) << "OK" << int(Answer::Ok)
                        << int(QMessageBox::Information) << QStringList{"OK"};
  QTest::newRow("warning") << int(Icon::Warning) << int(Buttons::Ok) << "OK" << int(Answer::Ok)
                           << int(QMessageBox::Warning) << QStringList{"OK"};
  QTest::newRow("yes") << int(Icon::Question) << int(Buttons::YesNo) << "Да" << int(Answer::Yes)
                       << int(QMessageBox::Question) << QStringList{"Да", "Нет"};
  QTest::newRow("no") << int(Icon::Question) << int(Buttons::YesNo) << "Нет" << int(Answer::No)
                      << int(QMessageBox::Question) << QStringList{"Да", "Нет"};
  QTest::newRow("ok") << int(Icon::Question) << int(Buttons::OkCancel) << "OK" << int(Answer::Ok)
                      << int(QMessageBox::Question) << QStringList{"OK", "Отмена"};
  QTest::newRow("cancel") << int(Icon::Question) << int(Buttons::OkCancel) << "Отмена"
                          << int(Answer::Cancel) << int(QMessageBox::Question)
                          << QStringList{"OK", "Отмена"};
}

void TestQtUserInterface::boxes() {
  QFETCH(int, icon);
  QFETCH(int, buttons);
  QFETCH(QString, press);
  QFETCH(int, answer);
  QFETCH(int, boxIcon);
  QFETCH(QStringList, texts);
  QtUserInterface ui;
  SeenBox seen;
  AnswerBox(press, seen);
  const Answer got = ui.ShowBox("Вопрос", "Отменить текущий чек?", static_cast<Icon>(icon),
                                static_cast<Buttons>(buttons));
  QCOMPARE(int(got), answer);
  QCOMPARE(seen.caption, QStringLiteral("Вопрос"));
  QCOMPARE(seen.text, QStringLiteral("Отменить текущий чек?"));
  QCOMPARE(int(seen.icon), boxIcon);
  seen.buttons.sort();
  texts.sort();
  QCOMPARE(seen.buttons, texts);
}

void TestQtUserInterface::resultLine() {
  QtUserInterface ui;
  ui.SetResult(" 00 - Ошибок нет. Команда выполнена.");
  QLineEdit line;
  ui.AttachResultLine(&line);
  // Attaching shows what was already there.
  QCOMPARE(line.text(), QStringLiteral(" 00 - Ошибок нет. Команда выполнена."));
  ui.SetResult("");
  QVERIFY(line.text().isEmpty());
  QCOMPARE(ui.Result(), std::string());
}

void TestQtUserInterface::pumpStopsWhenQuitting() {
  QtUserInterface ui;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  QVERIFY(ui.PumpMessages());
  QVERIFY(ran);
  ui.SetQuitting();
  QVERIFY(!ui.PumpMessages());
}

QTEST_MAIN(TestQtUserInterface)
#include "tst_qt_user_interface.moc"
