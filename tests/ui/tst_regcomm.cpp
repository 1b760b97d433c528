// Mode entry from the main menu against the virtual register: the state query first,
// the password window when the register is elsewhere, ExitMode and EnterMode, the model
// identification before programming, refusals, and the window's own rules.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/link/direct_command.h"
#include "core/link/result_codes.h"
#include "core/shell/modes.h"
#include "support/register_app_rig.h"
#include "ui/eklz/eklz.h"
#include "ui/programming/program.h"
#include "ui/receipts/chek.h"
#include "ui/reports/fiskpam.h"
#include "ui/reports/reports.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/regcomm.h"

using ptk::test::RegisterAppRig;
using Codes = std::vector<uint8_t>;

namespace {

// The mode passwords of the virtual register's default tables.
QString PasswordFor(int mode) {
  switch (mode) {
    case 1:
      return "00000001";  // cashier 1
    case 2:
    case 3:
      return "00000029";  // administrator
    case 5:
      return "00000000";  // fiscal memory
    default:
      return "00000030";  // system administrator
  }
}

QAction* ItemFor(ptk::ui::Tfm_MainFr& m, int mode) {
  QAction* items[] = {nullptr,      m.mi_Registr, m.mi_Reports, m.mi_Gash,
                      m.mi_Program, m.mi_FiskPam, m.mi_EKLZ};
  return items[mode];
}

}  // namespace

class TestRegComm : public QObject {
  Q_OBJECT
 private slots:
  void modeItemsAreEnabled();
  void passwordWindowPerMode_data();
  void passwordWindowPerMode();
  void everyModeCanBeEntered();
  void alreadyInModeOpensWithoutPassword();
  void sevenCharactersSendNothing();
  void wrongPasswordKeepsTheWindow();
  void fiscalMemoryModeWithoutExitMode();
  void programmingIdentifiesTheModelFirst();
  void failedQueryStopsTheEntry();
  void cancelAndFrameCloseEnableTheMainWindow();
  void modeWindowOpenerIsCalled();
  void enterAppliesOnceEscapeCancels();
  void exitCurrentModeAsksFirst();
};

void TestRegComm::modeItemsAreEnabled() {
  RegisterAppRig rig;
  // The hidden "ФП" item cannot be chosen; its handler is checked below.
  for (int mode : {1, 2, 3, 4, 6})
    QVERIFY2(ItemFor(rig.main(), mode)->isEnabled(), qPrintable(QString::number(mode)));
  QVERIFY(!rig.main().mi_FiskPam->isVisible());
}

void TestRegComm::passwordWindowPerMode_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("caption");
  QTest::newRow("1") << 1 << "ВХОД В РЕЖИМ РЕГИСТРАЦИЙ";
  QTest::newRow("2") << 2 << "ВХОД В РЕЖИМ ОТЧЕТОВ";
  QTest::newRow("3") << 3 << "ВХОД В РЕЖИМ ГАШЕНИЙ";
  QTest::newRow("4") << 4 << "ВХОД В РЕЖИМ ПРОГРАММИРОВАНИЯ";
  QTest::newRow("5") << 5 << "ВХОД В РЕЖИМ ДОСТУПА К ФП";
  QTest::newRow("6") << 6 << "ВХОД В РЕЖИМ ДОСТУПА К ЭКЛЗ";
}

void TestRegComm::passwordWindowPerMode() {
  QFETCH(int, mode);
  QFETCH(QString, caption);
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  w->ed_Pass->setText("123");  // left from an earlier attempt
  ItemFor(rig.main(), mode)->trigger();
  QVERIFY(w->isVisible());
  QCOMPARE(w->windowTitle(), caption);
  QVERIFY(w->ed_Pass->text().isEmpty());
  QCOMPARE(w->ed_Pass->maxLength(), 8);
  QCOMPARE(w->ed_Pass->echoMode(), QLineEdit::Password);
  QVERIFY(!rig.main().isEnabled());
  QCOMPARE(ptk::RequestedMode, mode);
  QVERIFY(rig.ui.boxes.empty());
}

void TestRegComm::everyModeCanBeEntered() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  for (int mode : {1, 2, 3, 4, 6}) {
    rig.device->Clear();
    ItemFor(rig.main(), mode)->trigger();
    QVERIFY2(w->isVisible(), qPrintable(QString::number(mode)));
    w->ed_Pass->setText(PasswordFor(mode));
    QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
    QVERIFY2(!w->isVisible(), qPrintable(QString::number(mode)));
    QVERIFY(rig.ui.boxes.empty());
    QCOMPARE(rig.RegisterMode(), mode);
    // The mode's window opens over the disabled main window; closing it gives the main
    // window back and leaves the mode (the receipt window can stay in it).
    QWidget* window = nullptr;
    switch (mode) {
      case 1:
        window = rig.context->forms.fm_Chek;
        break;
      case 2:
        window = static_cast<QWidget*>(rig.context->forms.fm_Reports);
        break;
      case 3:
        window = static_cast<QWidget*>(rig.context->forms.fm_Gash);
        break;
      case 4:
        window = rig.context->forms.fm_Program;
        break;
      case 6:
        window = static_cast<QWidget*>(rig.context->forms.fm_EKLZ);
        break;
      default:
        break;
    }
    if (window) {
      QVERIFY2(window->isVisible(), qPrintable(QString::number(mode)));
      QVERIFY(!rig.main().isEnabled());
      if (mode == 1) rig.context->forms.fm_Chek->cnotreallyquit->setChecked(true);
      window->close();
      QVERIFY(!window->isVisible());
      QCOMPARE(rig.RegisterMode(), mode == 1 ? 1 : 0);
    } else {
      // A mode without its window yet ends the entry with the success on the result line.
      QCOMPARE(QString::fromStdString(rig.ui.result), QString::fromUtf8(ptk::ResultCodeText(0)));
    }
    QVERIFY(rig.main().isEnabled());
  }
  // The fiscal-memory mode is entered from the choice state.
  rig.main().mi_ExitRegimClick();
  QCOMPARE(rig.RegisterMode(), 0);
  ItemFor(rig.main(), 5)->trigger();
  w->ed_Pass->setText(PasswordFor(5));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(rig.RegisterMode(), 5);
  QVERIFY(static_cast<QWidget*>(rig.context->forms.fm_FiskPam)->isVisible());
}

void TestRegComm::alreadyInModeOpensWithoutPassword() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Gash->trigger();
  w->ed_Pass->setText(PasswordFor(3));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(rig.RegisterMode(), 3);

  rig.device->Clear();
  int opened = 0;
  w->SetModeWindowOpener(3, [&] { ++opened; });
  rig.main().mi_Gash->trigger();
  QVERIFY(!w->isVisible());
  QCOMPARE(opened, 1);
  QCOMPARE(rig.device->Codes(), (Codes{0x45}));  // the state query only
  QVERIFY(!rig.main().isEnabled());              // the mode window has it now
}

void TestRegComm::sevenCharactersSendNothing() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Reports->trigger();
  rig.device->Clear();
  QTest::keyClicks(w->ed_Pass, "1234567");
  QCOMPARE(w->ed_Pass->text(), QString("1234567"));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QVERIFY(rig.device->Commands().empty());
  QVERIFY(w->isVisible());
  QCOMPARE(w->ed_Pass->selectedText(), QString("1234567"));
  // Letters are not taken; the eighth digit completes the password.
  QTest::keyClick(w->ed_Pass, Qt::Key_End);
  QTest::keyClicks(w->ed_Pass, "x9");
  QCOMPARE(w->ed_Pass->text(), QString("12345679"));
}

void TestRegComm::wrongPasswordKeepsTheWindow() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Program->trigger();
  rig.device->Clear();
  w->ed_Pass->setText("12345678");
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(rig.device->Codes(), (Codes{0x52, 0x56}));
  const std::vector<uint8_t> enter = rig.device->Commands().back();
  QCOMPARE(enter, (std::vector<uint8_t>{0x73, 0x91, 0x56, 0x04, 0x12, 0x34, 0x56, 0x78}));
  QCOMPARE(rig.ui.boxes.size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.boxes[0].caption), QString("Ошибка"));
  QCOMPARE(QString::fromStdString(rig.ui.boxes[0].text),
           QString::fromUtf8(ptk::ResultCodeText(0x8C)));
  QVERIFY(w->isVisible());
  QVERIFY(w->isEnabled());
  QVERIFY(w->bt_RegCommOk->isEnabled());
  QVERIFY(!rig.main().isEnabled());
  QCOMPARE(rig.RegisterMode(), 0);
  // Another attempt with the right password succeeds.
  w->ed_Pass->setText(PasswordFor(4));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QVERIFY(!w->isVisible());
  QCOMPARE(rig.RegisterMode(), 4);
}

void TestRegComm::fiscalMemoryModeWithoutExitMode() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_FiskPam->trigger();  // hidden in the menu, but its handler works
  QVERIFY(w->isVisible());
  rig.device->Clear();
  w->ed_Pass->setText(PasswordFor(5));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(rig.device->Codes(), (Codes{0x56}));
  QCOMPARE(rig.RegisterMode(), 5);
}

void TestRegComm::programmingIdentifiesTheModelFirst() {
  for (int model : {0, int{ptk::kModelCodeFirst}}) {
    RegisterAppRig rig(model);
    ptk::CurrentModel() = {};
    rig.main().mi_Program->trigger();
    QCOMPARE(rig.device->Codes(), (Codes{0x45, 0xA5}));
    QVERIFY(rig.windows.fm_RegComm->isVisible());
    QVERIFY(rig.ui.boxes.empty());
    const uint16_t expected = model == 0 ? ptk::kModelCodeThird : ptk::kModelCodeFirst;
    QCOMPARE(ptk::CurrentModel().modelCode, expected);
    QCOMPARE(ptk::CurrentModel().caps.pictures, model == 0 ? 1u : 0u);
    // Other modes do not identify the model.
    rig.windows.fm_RegComm->close();
    rig.device->Clear();
    rig.main().mi_Reports->trigger();
    QCOMPARE(rig.device->Codes(), (Codes{0x45}));
  }
}

void TestRegComm::failedQueryStopsTheEntry() {
  RegisterAppRig rig(0, "badcheck=1000");  // every answer broken: the exchange gives up
  rig.main().mi_Registr->trigger();
  QVERIFY(!rig.windows.fm_RegComm->isVisible());
  QVERIFY(!rig.ui.boxes.empty());
  QVERIFY(rig.main().isEnabled());
  for (QAction* item : rig.main().TopLevelItems())
    QVERIFY(item->isEnabled() || item == rig.main().mi_FiskPam);
}

void TestRegComm::cancelAndFrameCloseEnableTheMainWindow() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Registr->trigger();
  QVERIFY(!rig.main().isEnabled());
  rig.device->Clear();
  QTest::mouseClick(w->bt_RegCommNo, Qt::LeftButton);
  QVERIFY(!w->isVisible());
  QVERIFY(rig.main().isEnabled());
  QVERIFY(rig.device->Commands().empty());

  rig.main().mi_EKLZ->trigger();
  QVERIFY(w->isVisible());
  w->close();  // the window's frame
  QVERIFY(rig.main().isEnabled());
}

void TestRegComm::modeWindowOpenerIsCalled() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  int opened = 0;
  w->SetModeWindowOpener(1, [&] { ++opened; });
  rig.main().mi_Registr->trigger();
  w->ed_Pass->setText(PasswordFor(1));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(opened, 1);
  QVERIFY(!w->isVisible());
  QVERIFY(!rig.main().isEnabled());  // until the mode window closes
  QVERIFY(rig.ui.result.empty());
}

void TestRegComm::enterAppliesOnceEscapeCancels() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Reports->trigger();
  QVERIFY(QTest::qWaitForWindowActive(w));
  rig.device->Clear();
  QTest::keyClicks(w->ed_Pass, "00000029");
  QTest::keyClick(w->ed_Pass, Qt::Key_Return);
  QCOMPARE(rig.device->Codes(), (Codes{0x52, 0x56}));
  QVERIFY(!w->isVisible());
  QCOMPARE(rig.RegisterMode(), 2);

  rig.main().mi_Registr->trigger();
  QVERIFY(w->isVisible());
  rig.device->Clear();
  QTest::keyClick(w->ed_Pass, Qt::Key_Escape);
  QVERIFY(!w->isVisible());
  QVERIFY(rig.main().isEnabled());
  QVERIFY(rig.device->Commands().empty());
}

void TestRegComm::exitCurrentModeAsksFirst() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_RegComm;
  rig.main().mi_Gash->trigger();
  w->ed_Pass->setText(PasswordFor(3));
  QTest::mouseClick(w->bt_RegCommOk, Qt::LeftButton);
  QCOMPARE(rig.RegisterMode(), 3);

  rig.device->Clear();
  rig.ui.answers = {ptk::Answer::No};
  rig.main().mi_ExitRegim->trigger();
  QCOMPARE(rig.ui.boxes.size(), size_t{1});
  QCOMPARE(QString::fromStdString(rig.ui.boxes[0].caption), QString("Вопрос"));
  QCOMPARE(QString::fromStdString(rig.ui.boxes[0].text),
           QString("Выйти из текущего режима и \nвернуться в состояние <<Выбор>> ?"));
  QVERIFY(rig.ui.boxes[0].icon == ptk::Icon::Question);
  QVERIFY(rig.ui.boxes[0].buttons == ptk::Buttons::YesNo);
  QVERIFY(rig.device->Commands().empty());

  rig.ui.answers = {ptk::Answer::Yes};
  rig.main().mi_ExitRegim->trigger();
  QCOMPARE(rig.device->Codes(), (Codes{0x52}));
  QCOMPARE(QString::fromStdString(rig.ui.result), QString::fromUtf8(ptk::ResultCodeText(0)));
  QVERIFY(rig.main().isEnabled());
  QCOMPARE(rig.RegisterMode(), 0);
}

QTEST_MAIN(TestRegComm)
#include "tst_regcomm.moc"
