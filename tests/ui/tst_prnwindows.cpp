// The string and field printing windows against the virtual register: their opening
// from the menu, the frames they send, and the main window around them.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "support/register_app_rig.h"
#include "ui/controls/radio_group.h"
#include "ui/programming/prnfield.h"
#include "ui/programming/prnstr.h"
#include "ui/shell/main_fr.h"

using ptk::test::RegisterAppRig;
using Bytes = std::vector<uint8_t>;

namespace {

// On the indicator: a radio button only reacts to clicks on its indicator and text.
void ClickRadio(QRadioButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace

class TestPrnWindows : public QObject {
  Q_OBJECT
 private slots:
  void stringWindowOpensEmpty();
  void stringFrames_data();
  void stringFrames();
  void stringRefusalKeepsTheWindowUsable();
  void fieldItemHiddenButItsHandlerWorks();
  void fieldFrames_data();
  void fieldFrames();
};

void TestPrnWindows::stringWindowOpensEmpty() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_PrnStr;
  w->ed_PrnStr->setText("старое");
  rig.ui.SetResult("прошлый результат");
  QVERIFY(rig.main().mi_PrnStr->isVisible());
  rig.main().mi_PrnStr->trigger();
  QVERIFY(w->isVisible());
  QCOMPARE(w->windowTitle(), QString("Печать строки"));
  QVERIFY(w->ed_PrnStr->text().isEmpty());
  QCOMPARE(w->ed_PrnStr->maxLength(), 42);
  QVERIFY(rig.ui.result.empty());
  QVERIFY(!rig.main().isEnabled());
  QVERIFY(rig.device->Commands().empty());  // opening sends nothing
  QTest::mouseClick(w->bt_SostEKLZExit, Qt::LeftButton);
  QVERIFY(!w->isVisible());
  QVERIFY(rig.main().isEnabled());
}

void TestPrnWindows::stringFrames_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<Bytes>("params");
  QTest::addColumn<QString>("tape");
  QTest::newRow("№1") << "№1" << Bytes{0xFC, 0x31} << "№1";
  QTest::newRow("empty") << "" << Bytes{} << "";
  QTest::newRow("cyrillic") << "Итог: 5" << Bytes{0x88, 0xE2, 0xAE, 0xA3, 0x3A, 0x20, 0x35}
                            << "Итог: 5";
}

void TestPrnWindows::stringFrames() {
  QFETCH(QString, text);
  QFETCH(Bytes, params);
  QFETCH(QString, tape);
  RegisterAppRig rig;
  auto* w = rig.windows.fm_PrnStr;
  rig.main().mi_PrnStr->trigger();
  const size_t linesBefore = rig.context->emulator()->TapeLines().size();
  w->ed_PrnStr->insert(text);  // as typed (QTest types ASCII only)
  QTest::mouseClick(w->bt_PrnStr, Qt::LeftButton);
  Bytes expected{0x73, 0x91, 0x5E};
  expected.insert(expected.end(), params.begin(), params.end());
  QCOMPARE(rig.device->Commands(), std::vector<Bytes>{expected});
  QCOMPARE(QString::fromStdString(rig.ui.result), QString(" 00 - Ошибок нет. Команда выполнена."));
  QVERIFY(rig.ui.boxes.empty());
  const std::vector<std::string> lines = rig.context->emulator()->TapeLines();
  QCOMPARE(lines.size(), linesBefore + 1);
  QCOMPARE(QString::fromStdString(lines.back()), tape);
  QVERIFY(w->isVisible());
  QVERIFY(w->bt_PrnStr->isEnabled());
  QVERIFY(!rig.main().isEnabled());
}

void TestPrnWindows::stringRefusalKeepsTheWindowUsable() {
  RegisterAppRig rig(0, "code=5E:6B");  // the register refuses to print
  auto* w = rig.windows.fm_PrnStr;
  rig.main().mi_PrnStr->trigger();
  w->ed_PrnStr->setText("1");
  QTest::mouseClick(w->bt_PrnStr, Qt::LeftButton);
  QCOMPARE(rig.ui.boxes.size(), size_t{1});  // the result code's own message, nothing more
  QCOMPARE(QString::fromStdString(rig.ui.boxes[0].text), QString::fromStdString(rig.ui.result));
  QVERIFY(w->isVisible());
  QVERIFY(w->isEnabled());
  QVERIFY(w->ed_PrnStr->isEnabled());
  QVERIFY(w->bt_PrnStr->isEnabled());
  w->close();
  QVERIFY(rig.main().isEnabled());
}

void TestPrnWindows::fieldItemHiddenButItsHandlerWorks() {
  RegisterAppRig rig;
  auto* w = rig.windows.fm_PrnField;
  QVERIFY(!rig.main().mi_PrnField->isVisible());
  // Left from an earlier use.
  w->rg_HeightFont->setItemIndex(1);
  w->rg_WidthFont->setItemIndex(1);
  w->rg_VidOper->setItemIndex(1);
  w->cb_IntensivFont->setCurrentIndex(5);
  w->ed_Text->setText("старое");
  rig.main().mi_PrnField->trigger();
  QVERIFY(w->isVisible());
  QCOMPARE(w->windowTitle(), QString("Печать поля"));
  QCOMPARE(w->rg_HeightFont->itemIndex(), 0);
  QCOMPARE(w->rg_WidthFont->itemIndex(), 0);
  QCOMPARE(w->rg_VidOper->itemIndex(), 0);
  QCOMPARE(w->cb_IntensivFont->currentText(), QString("0"));
  QCOMPARE(w->cb_IntensivFont->count(), 9);
  QVERIFY(w->ed_Text->text().isEmpty());
  QCOMPARE(w->ed_Text->maxLength(), 42);
  QVERIFY(!rig.main().isEnabled());
  QTest::mouseClick(w->bt_PrnFieldExit, Qt::LeftButton);
  QVERIFY(rig.main().isEnabled());
}

void TestPrnWindows::fieldFrames_data() {
  QTest::addColumn<int>("height");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("brightness");
  QTest::addColumn<int>("operation");
  QTest::addColumn<Bytes>("format");
  QTest::addColumn<QString>("tape");  // empty: nothing printed
  QTest::newRow("stretched double 3 check-only")
      << 1 << 1 << 3 << 1 << Bytes{0x01, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x00, 0x10, 0x00, 0x00}
      << "";
  QTest::newRow("defaults") << 0 << 0 << 0 << 0 << Bytes(11, 0x00)
                            << "[поле: высота единичная, ширина обычная, яркость 0] Ай1";
  QTest::newRow("stretched double 8 print")
      << 1 << 1 << 8 << 0 << Bytes{0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x10, 0x00, 0x00}
      << "[поле: высота растянутая, ширина двойная, яркость 8] Ай1";
}

void TestPrnWindows::fieldFrames() {
  QFETCH(int, height);
  QFETCH(int, width);
  QFETCH(int, brightness);
  QFETCH(int, operation);
  QFETCH(Bytes, format);
  QFETCH(QString, tape);
  RegisterAppRig rig;
  auto* w = rig.windows.fm_PrnField;
  rig.main().mi_PrnField->trigger();
  const size_t linesBefore = rig.context->emulator()->TapeLines().size();
  w->ed_Text->insert(QStringLiteral("Ай1"));
  ClickRadio(w->rg_HeightFont->item(height));
  ClickRadio(w->rg_WidthFont->item(width));
  ClickRadio(w->rg_VidOper->item(operation));
  w->cb_IntensivFont->setCurrentIndex(brightness);
  QTest::mouseClick(w->bt_PrnField, Qt::LeftButton);
  Bytes expected{0x73, 0x91, 0x87};
  expected.insert(expected.end(), format.begin(), format.end());
  expected.insert(expected.end(), {0x80, 0xA9, 0x31});
  QCOMPARE(rig.device->Commands(), std::vector<Bytes>{expected});
  QVERIFY(rig.ui.boxes.empty());
  const std::vector<std::string> lines = rig.context->emulator()->TapeLines();
  if (tape.isEmpty()) {
    QCOMPARE(lines.size(), linesBefore);
  } else {
    QCOMPARE(lines.size(), linesBefore + 1);
    QCOMPARE(QString::fromStdString(lines.back()), tape);
  }
  QVERIFY(w->bt_PrnField->isEnabled());
}

QTEST_MAIN(TestPrnWindows)
#include "tst_prnwindows.moc"
