// The three state queries of "Запросы" with fm_SostFR, the version and about windows,
// the stop window and the tape window, against the virtual register.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support/window_rig.h"
#include "ui/controls/radio_group.h"
#include "ui/reports/sostfr.h"
#include "ui/shell/help.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/process.h"
#include "ui/shell/tape.h"
#include "ui/shell/ver.h"

using ptk::test::Peer;
using ptk::test::PeerOptions;
using ptk::test::UiRig;
using ptk::ui::Tfm_MainFr;
using ptk::ui::Tfm_SostFR;

class TestStateWindows : public QObject {
  Q_OBJECT
 private slots:
  void stateItemsOpenTheirWindow_data();
  void stateItemsOpenTheirWindow();
  void stateWindowLayout();
  void decodingHappensUnderTheLock();
  void silentRegisterShowsNoLinkAndNoWindow_data();
  void silentRegisterShowsNoLinkAndNoWindow();
  void versionWindow();
  void versionFailureKeepsMemo();
  void aboutWindow();
  void processStopButton();
  void tapeShowsWhatThePrinterPrinted();
};

void TestStateWindows::stateItemsOpenTheirWindow_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("firstLine");
  QTest::addColumn<int>("lineCount");
  QTest::newRow("state") << "mi_SostKKM"
                         << "Состояние ПТК"
                         << "Кассир: " << 25;
  QTest::newRow("code") << "mi_KodSostKKM"
                        << "Код состояния ПТК"
                        << "Режим: выбор" << 7;
  QTest::newRow("type") << "mi_TypeUstr"
                        << "Тип устройства"
                        << "Версия: " << 4;
}

void TestStateWindows::stateItemsOpenTheirWindow() {
  QFETCH(QString, item);
  QFETCH(QString, caption);
  QFETCH(QString, firstLine);
  QFETCH(int, lineCount);
  UiRig rig;
  rig.Start();
  Tfm_MainFr& m = rig.main();
  Tfm_SostFR* window = rig.context->forms.fm_SostFR;
  m.findChild<QAction*>(item)->trigger();
  QVERIFY(rig.ui.rec.boxes.empty());
  QVERIFY(window->isVisible());
  QCOMPARE(window->windowTitle(), caption);
  const QStringList lines = window->Lines();
  QCOMPARE(lines.size(), lineCount);
  QVERIFY2(lines[0].startsWith(firstLine), qPrintable(lines[0]));
  QCOMPARE(window->focusWidget(), static_cast<QWidget*>(window->bt_SostFRExit));
  // The main window stays disabled while the window is open, and is enabled by closing it.
  QVERIFY(!m.isEnabled());
  QTest::mouseClick(window->bt_SostFRExit, Qt::LeftButton);
  QVERIFY(!window->isVisible());
  QVERIFY(m.isEnabled());
  QVERIFY(m.mi_Zapros->isEnabled());
}

void TestStateWindows::stateWindowLayout() {
  UiRig rig;
  Tfm_SostFR* w = rig.context->forms.fm_SostFR;
  QCOMPARE(w->size(), QSize(450, 371));
  QCOMPARE(w->minimumSize(), w->maximumSize());
  QCOMPARE(w->mem_SostFR->size(), QSize(241, 337));
  QVERIFY(w->mem_SostFR->isReadOnly());
  QVERIFY(w->mem_SostFR->font().bold());
  QCOMPARE(w->mem_SostFR->palette().color(QPalette::Text), QColor(Qt::white));
  QCOMPARE(w->mem_SostFR->palette().color(QPalette::Base), ptk::ui::DesktopColour());
  QCOMPARE(w->Lines(), (QStringList{"", QString(42, '-')}));
  QCOMPARE(w->bt_SostFRExit->text(), QStringLiteral("&Закрыть"));
  QCOMPARE(w->bt_SostFRExit->toolTip(), QStringLiteral("Выйти из режима"));
}

void TestStateWindows::decodingHappensUnderTheLock() {
  UiRig rig;
  rig.Start();
  Tfm_MainFr& m = rig.main();
  bool lockedWhilePumping = true;
  rig.ui.onPump = [&] { lockedWhilePumping = lockedWhilePumping && !m.mi_Zapros->isEnabled(); };
  m.mi_KodSostKKM->trigger();
  rig.ui.onPump = nullptr;
  QVERIFY(lockedWhilePumping);
  // The released lock leaves the items enabled, the open window keeps the main window off.
  QVERIFY(m.mi_Zapros->isEnabled());
  QVERIFY(!m.isEnabled());
  QCOMPARE(rig.context->forms.fm_SostFR->Lines().value(2), QString(42, '-'));
}

void TestStateWindows::silentRegisterShowsNoLinkAndNoWindow_data() {
  QTest::addColumn<QString>("item");
  QTest::newRow("state") << "mi_SostKKM";
  QTest::newRow("code") << "mi_KodSostKKM";
  QTest::newRow("type") << "mi_TypeUstr";
}

void TestStateWindows::silentRegisterShowsNoLinkAndNoWindow() {
  QFETCH(QString, item);
  // A pty nobody answers, with time running 50 times faster than real time.
  UiRig rig(PeerOptions(Peer::Silent, 50));
  rig.Start();
  QVERIFY(rig.ui.rec.boxes.empty());
  Tfm_MainFr& m = rig.main();
  m.findChild<QAction*>(item)->trigger();
  QCOMPARE(rig.ui.rec.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  QVERIFY(!rig.context->forms.fm_SostFR->isVisible());
  QVERIFY(m.isEnabled());
  for (QAction* a : m.TopLevelItems()) {
    // A hidden action never reports itself enabled.
    if (a->isVisible()) QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
  }
}

void TestStateWindows::versionWindow() {
  UiRig rig;
  rig.Start();
  ptk::ui::Tfm_Ver* ver = rig.context->forms.fm_Ver;
  QCOMPARE(ver->windowTitle(), QStringLiteral("Получение версии"));
  QCOMPARE(ver->rg_Istoch->title(), QStringLiteral("ИСТОЧНИК"));
  QCOMPARE(ver->rg_Istoch->item(0)->text(), QStringLiteral("процессор с внутренним ПО ПТК"));
  QCOMPARE(ver->rg_Istoch->item(1)->text(), QStringLiteral("процессор управления ФП"));
  // Whatever was left from before, opening resets the source and empties the memo.
  ver->rg_Istoch->setItemIndex(1);
  ver->mem_Ver->setPlainText("старое");
  rig.main().mi_Ver->trigger();
  QVERIFY(ver->isVisible());
  QCOMPARE(ver->rg_Istoch->itemIndex(), 0);
  QVERIFY(ver->mem_Ver->toPlainText().isEmpty());
  QVERIFY(!rig.main().isEnabled());

  for (int source = 0; source < 2; ++source) {
    ver->rg_Istoch->setItemIndex(source);
    QTest::mouseClick(ver->bt_VerOk, Qt::LeftButton);
    const QStringList lines = ver->mem_Ver->toPlainText().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("Версия: ")));
    QVERIFY(lines[1].startsWith(QStringLiteral("Подверсия: ")));
    QVERIFY(lines[2].startsWith(QStringLiteral("Код языка: ")));
    QVERIFY(ver->bt_VerOk->isEnabled());
  }
  QCOMPARE(QString::fromStdString(rig.ui.rec.result),
           QStringLiteral(" 00 - Ошибок нет. Команда выполнена."));
  QTest::mouseClick(ver->bt_VerExit, Qt::LeftButton);
  QVERIFY(!ver->isVisible());
  QVERIFY(rig.main().isEnabled());
}

void TestStateWindows::versionFailureKeepsMemo() {
  UiRig rig(PeerOptions(Peer::Silent, 50));
  rig.Start();
  ptk::ui::Tfm_Ver* ver = rig.context->forms.fm_Ver;
  rig.main().mi_Ver->trigger();
  ver->mem_Ver->setPlainText("до запроса");
  QTest::mouseClick(ver->bt_VerOk, Qt::LeftButton);
  QCOMPARE(rig.ui.rec.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  QCOMPARE(ver->mem_Ver->toPlainText(), QStringLiteral("до запроса"));
  QVERIFY(ver->isEnabled());
  ver->close();
  QVERIFY(rig.main().isEnabled());
}

void TestStateWindows::aboutWindow() {
  UiRig rig;
  rig.Start();
  ptk::ui::Tfm_Help* help = rig.context->forms.fm_Help;
  rig.main().mi_Help->trigger();
  QVERIFY(help->isVisible());
  QCOMPARE(help->windowTitle(), QStringLiteral("О программе"));
  QCOMPARE(help->lb_Title->text(), QStringLiteral("Тестовая программа для ПТК"));
  QCOMPARE(help->lb_Version->text(), QStringLiteral("версия 1.0"));
  QVERIFY(help->lb_Project->text().contains("ptk-tester"));
  QCOMPARE(help->bt_Close->text(), QStringLiteral("Закрыть"));
  QVERIFY(!rig.main().isEnabled());
  QTest::mouseClick(help->bt_Close, Qt::LeftButton);
  QVERIFY(!help->isVisible());
  QVERIFY(rig.main().isEnabled());
  // Nothing was sent for the about box.
  QCOMPARE(rig.FramesAccepted(), uint64_t{0});
}

void TestStateWindows::processStopButton() {
  UiRig rig;
  ptk::ui::Tfm_Process* p = rig.context->forms.fm_Process;
  QCOMPARE(p->windowTitle(), QStringLiteral("ВНИМАНИЕ !!!  Идет чтение ПО."));
  QCOMPARE(p->bt_Cancel->text(), QStringLiteral("Прервать"));
  p->show();
  // The stop button works while the main window is disabled by the running operation.
  rig.main().setEnabled(false);
  QVERIFY(p->bt_Cancel->isEnabled());
  QVERIFY(!rig.context->abort.stopRequested);
  QTest::mouseClick(p->bt_Cancel, Qt::LeftButton);
  QVERIFY(rig.context->abort.stopRequested);
  p->close();
  QVERIFY(!rig.context->abort.stopRequested);
}

void TestStateWindows::tapeShowsWhatThePrinterPrinted() {
  UiRig rig;
  rig.Start();
  ptk::ui::Tfm_Tape* tape = rig.context->forms.fm_Tape;
  QVERIFY(tape);
  QVERIFY(rig.main().bt_Tape->isVisibleTo(&rig.main()));
  QTest::mouseClick(rig.main().bt_Tape, Qt::LeftButton);
  QVERIFY(tape->isVisible());
  QCOMPARE(tape->windowTitle(), QStringLiteral("Лента ПТК"));
  const int before = tape->shownLines();
  rig.main().mi_DemoPrn->trigger();
  // The window polls the tape on its timer.
  QTRY_VERIFY_WITH_TIMEOUT(tape->shownLines() > before, 3000);
  QCOMPARE(tape->shownLines(), static_cast<int>(rig.emulator()->TapeLines().size()));
  // The tape window leaves the main window usable.
  QVERIFY(rig.main().isEnabled());
}

QTEST_MAIN(TestStateWindows)
#include "tst_state_windows.moc"
