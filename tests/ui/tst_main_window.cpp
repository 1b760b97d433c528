// The main window: its menu, the first activation, the menu lock, "Выход", and the
// one-shot commands of "Конфигуратор" against the virtual register.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include "support/window_rig.h"
#include "ui/shell/main_fr.h"

using ptk::Answer;
using ptk::test::Peer;
using ptk::test::PeerOptions;
using ptk::test::UiRig;
using ptk::ui::Tfm_MainFr;

namespace {

const char* const kOk = " 00 - Ошибок нет. Команда выполнена.";

QStringList VisibleCaptions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  }
  return out;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private slots:
  void menuHasEveryItemInOrder();
  void hiddenItemsAreNotVisible();
  void firstActivationOpensPortAndSendsNothing();
  void unavailablePortShowsOnlyPortMessage();
  void secondActivationDoesNothing();
  void menuLockHoldsDuringExchangeAndIsReleased();
  void oneShotItems_data();
  void oneShotItems();
  void cancelReceiptAnsweredNoSendsNothing();
  void cancelReceiptDisablesOnlyMainWindow();
  void exitAnsweredNoKeepsProgramOpen();
  void exitAnsweredYesClosesPort();
  void itemHooksEnableTheirItems();
  void closeDuringExchangeWaitsForIt();
};

void TestMainWindow::menuHasEveryItemInOrder() {
  UiRig rig;
  Tfm_MainFr& m = rig.main();
  QCOMPARE(m.windowTitle(), QStringLiteral("Тестовая программа для ПТК"));
  QStringList top;
  for (QAction* a : m.MainMenu_Fr->actions()) top << a->objectName();
  QCOMPARE(top, (QStringList{"mi_Config", "mi_Zapros", "mi_Program", "mi_Registr", "mi_Reports",
                             "mi_Gash", "mi_FiskPam", "mi_EKLZ", "mi_Help", "mi_Exit"}));
  QStringList lockOrder;
  for (QAction* a : m.TopLevelItems()) lockOrder << a->objectName();
  QCOMPARE(lockOrder, top);

  QCOMPARE(VisibleCaptions(m.mi_ConfigMenu),
           (QStringList{"Настройка ...", "-", "Выход из текущего режима", "Отменить чек", "-",
                        "Печать строки", "Печать заголовка чека", "-", "Отрезать чек",
                        "Звуковой сигнал", "Гудок", "Открыть денежный ящик", "-",
                        "Демонстрационная печать", "Инициализация таблиц"}));
  QCOMPARE(VisibleCaptions(m.mi_ZaprosMenu),
           (QStringList{"Состояние ПТК", "Код состояния ПТК", "Состояние ЭКЛЗ",
                        "Сумма наличных денег в ящике", "Сумма последнего сменного итога",
                        "Тип устройства", "Версия", "Регистры", "Аварийный отчет по ФП"}));
  // Captions of the hidden items, trailing blank included.
  QCOMPARE(m.findChild<QAction*>("mi_TehnolNull")->text(),
           QStringLiteral("Технологическое обнуление "));
  QCOMPARE(m.findChild<QAction*>("mi_PrnEndChek")->text(), QStringLiteral("Печать окончания чека"));
  QCOMPARE(m.findChild<QAction*>("mi_PrnBmp")->text(), QStringLiteral("Печать картинки с ПК"));
  QCOMPARE(m.findChild<QAction*>("mi_Exit")->text(), QStringLiteral("Выход"));
  QCOMPARE(m.findChild<QLabel*>("Label1")->text(), QStringLiteral("Результат"));
  QCOMPARE(m.findChild<QLabel*>("Label2")->text(), QStringLiteral("выполнения команды"));
  QVERIFY(m.findChild<QLineEdit*>("ed_rezult")->isReadOnly());
  QVERIFY(m.findChild<QWidget*>("pn_Animate")->isHidden());
}

void TestMainWindow::hiddenItemsAreNotVisible() {
  UiRig rig;
  rig.Start();
  for (const char* name :
       {"mi_PrnField", "mi_PrnBmp", "mi_PrnEndChek", "mi_TehnolNull", "mi_FiskPam"}) {
    QAction* a = rig.main().findChild<QAction*>(name);
    QVERIFY2(a, name);
    QVERIFY2(!a->isVisible(), name);
  }
  QVERIFY(!rig.main().mi_PrnEndChek->isEnabled());
  // The hidden technological reset still has its handler.
  const uint64_t before = rig.FramesAccepted();
  rig.main().mi_TehnolNull->trigger();
  QCOMPARE(rig.FramesAccepted(), before + 1);
}

void TestMainWindow::firstActivationOpensPortAndSendsNothing() {
  UiRig rig;
  rig.Start();
  QVERIFY(rig.main().activated());
  QVERIFY(rig.context->port.IsOpen());
  QVERIFY(rig.ui.rec.boxes.empty());
  QCOMPARE(rig.context->settings.AccessPassword, std::string("7391"));
  QCOMPARE(rig.context->settings.BaudIndex, 4);
  QCOMPARE(rig.FramesAccepted(), uint64_t{0});
  QVERIFY(rig.main().isEnabled());
  QVERIFY(rig.main().mi_Config->isEnabled());
  QVERIFY(rig.main().findChild<QWidget*>("pn_Animate")->isHidden());
}

void TestMainWindow::unavailablePortShowsOnlyPortMessage() {
  UiRig rig(PeerOptions(Peer::Missing));
  rig.Start();
  QCOMPARE(rig.ui.rec.BoxTexts(), std::vector<std::string>{"Порт недоступен!"});
  QCOMPARE(rig.ui.rec.boxes[0].caption, std::string("Ошибка"));
  QVERIFY(rig.ui.rec.boxes[0].icon == ptk::Icon::Error);
  // The password is loaded only when the port is ready.
  QVERIFY(rig.context->settings.AccessPassword.empty());
  QVERIFY(rig.main().isEnabled());
  QVERIFY(rig.main().mi_Zapros->isEnabled());
}

void TestMainWindow::secondActivationDoesNothing() {
  UiRig rig(PeerOptions(Peer::Missing));
  rig.Start();
  QCOMPARE(rig.ui.rec.boxes.size(), size_t{1});
  rig.main().FormActivate();
  rig.main().FormActivate();
  QCOMPARE(rig.ui.rec.boxes.size(), size_t{1});
}

void TestMainWindow::menuLockHoldsDuringExchangeAndIsReleased() {
  UiRig rig;
  rig.Start();
  Tfm_MainFr& m = rig.main();
  int probes = 0;
  bool allLocked = true;
  rig.ui.onPump = [&] {
    ++probes;
    allLocked = allLocked && !m.isEnabled();
    for (QAction* a : m.TopLevelItems()) allLocked = allLocked && !a->isEnabled();
  };
  m.mi_DemoPrn->trigger();
  rig.ui.onPump = nullptr;
  QVERIFY(probes > 0);
  QVERIFY(allLocked);
  QVERIFY(m.isEnabled());
  for (const char* name : {"mi_Config", "mi_Zapros", "mi_Help", "mi_Exit"}) {
    QVERIFY2(m.findChild<QAction*>(name)->isEnabled(), name);
  }
  QCOMPARE(QString::fromStdString(rig.ui.rec.result), QString::fromUtf8(kOk));
}

void TestMainWindow::oneShotItems_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("result");
  // The beep decodes no answer: the result line stays empty on success.
  QTest::newRow("Гудок") << "mi_Gudok"
                         << "";
  QTest::newRow("ящик") << "mi_OpenManeyBox" << kOk;
  QTest::newRow("демо") << "mi_DemoPrn" << kOk;
  QTest::newRow("таблицы") << "mi_InitTable" << kOk;
  QTest::newRow("заголовок") << "mi_PrnTitleChek" << kOk;
}

void TestMainWindow::oneShotItems() {
  QFETCH(QString, item);
  QFETCH(QString, result);
  UiRig rig;
  rig.Start();
  rig.ui.SetResult("старый текст");
  const uint64_t before = rig.FramesAccepted();
  rig.main().findChild<QAction*>(item)->trigger();
  QCOMPARE(rig.FramesAccepted(), before + 1);
  QCOMPARE(QString::fromStdString(rig.ui.rec.result), result);
  QVERIFY(rig.ui.rec.boxes.empty());
  QVERIFY(rig.main().isEnabled());
}

void TestMainWindow::cancelReceiptAnsweredNoSendsNothing() {
  UiRig rig;
  rig.Start();
  rig.ui.rec.answers.push_back(Answer::No);
  rig.main().mi_IgnoreChek->trigger();
  QCOMPARE(rig.ui.rec.BoxTexts(), std::vector<std::string>{"Отменить текущий чек?"});
  QCOMPARE(rig.ui.rec.boxes[0].caption, std::string("Вопрос"));
  QVERIFY(rig.ui.rec.boxes[0].buttons == ptk::Buttons::YesNo);
  QCOMPARE(rig.FramesAccepted(), uint64_t{0});
}

void TestMainWindow::cancelReceiptDisablesOnlyMainWindow() {
  UiRig rig;
  rig.Start();
  Tfm_MainFr& m = rig.main();
  bool windowDisabled = true;
  bool itemsUntouched = true;
  rig.ui.onPump = [&] {
    windowDisabled = windowDisabled && !m.isEnabled();
    itemsUntouched = itemsUntouched && m.mi_Config->isEnabled() && m.mi_Exit->isEnabled();
  };
  rig.ui.rec.answers.push_back(Answer::Yes);
  m.mi_IgnoreChek->trigger();
  rig.ui.onPump = nullptr;
  QVERIFY(windowDisabled);
  QVERIFY(itemsUntouched);
  QVERIFY(m.isEnabled());
  QCOMPARE(rig.FramesAccepted(), uint64_t{1});
}

void TestMainWindow::exitAnsweredNoKeepsProgramOpen() {
  UiRig rig;
  rig.Start();
  QSignalSpy closed(&rig.main(), &Tfm_MainFr::closed);
  rig.ui.rec.answers.push_back(Answer::No);
  rig.main().mi_Exit->trigger();
  QCOMPARE(rig.ui.rec.BoxTexts(),
           std::vector<std::string>{"Вы действительно хотите выйти из программы?"});
  QVERIFY(rig.main().isVisible());
  QVERIFY(rig.context->port.IsOpen());
  QCOMPARE(closed.count(), 0);
}

void TestMainWindow::exitAnsweredYesClosesPort() {
  UiRig rig;
  rig.Start();
  QSignalSpy closed(&rig.main(), &Tfm_MainFr::closed);
  rig.ui.rec.answers.push_back(Answer::Yes);
  rig.main().mi_Exit->trigger();
  QVERIFY(!rig.main().isVisible());
  QVERIFY(!rig.context->port.IsOpen());
  QCOMPARE(closed.count(), 1);
}

void TestMainWindow::itemHooksEnableTheirItems() {
  UiRig rig;
  // A main window of its own, without the windows that install their items.
  Tfm_MainFr m(*rig.context);
  QVERIFY(!m.mi_PrnStr->isEnabled());
  QVERIFY(!m.mi_Registr->isEnabled());
  m.SetMenuLock(true);
  m.SetMenuLock(false);
  QVERIFY2(!m.mi_Registr->isEnabled(), "the lock enables no item without its function");
  int opened = 0;
  m.SetItemHandler(m.mi_PrnStr, [&] { ++opened; });
  QVERIFY(m.mi_PrnStr->isEnabled());
  m.mi_PrnStr->trigger();
  QCOMPARE(opened, 1);

  int requested = 0;
  m.SetModeEntry([&](int mode) { requested = mode; });
  QVERIFY(m.mi_Registr->isEnabled());
  m.mi_Gash->trigger();
  QCOMPARE(requested, 3);
  // Mode items take part in the menu lock once they have their function.
  m.SetMenuLock(true);
  QVERIFY(!m.mi_Registr->isEnabled());
  m.SetMenuLock(false);
  QVERIFY(m.mi_Registr->isEnabled());
  QVERIFY(!m.mi_FiskPam->isVisible());
}

void TestMainWindow::closeDuringExchangeWaitsForIt() {
  UiRig rig;
  rig.Start();
  Tfm_MainFr& m = rig.main();
  QSignalSpy closed(&m, &Tfm_MainFr::closed);
  bool refused = false;
  bool tried = false;
  rig.ui.onPump = [&] {
    if (tried) return;
    tried = true;
    refused = !m.close();
  };
  m.mi_OpenManeyBox->trigger();
  rig.ui.onPump = nullptr;
  QVERIFY(tried);
  QVERIFY(refused);
  // The command ended normally; then the window closes and takes the port with it.
  QCOMPARE(QString::fromStdString(rig.ui.rec.result), QString::fromUtf8(kOk));
  QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 2000);
  QVERIFY(!m.isVisible());
  QVERIFY(!rig.context->port.IsOpen());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
