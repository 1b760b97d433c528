// The number edits as the operator uses them: typed keys filtered with the locale's
// separator, pasted text taken as it is, normalisation when the field is left.
#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>

#include "ui/controls/number_edits.h"

using ptk::ui::TEditCount;
using ptk::ui::TEditMoney;
using ptk::ui::TEditNum;
using ptk::ui::TNumberEdit;

namespace {

// A window with the field under test and a second field to move the focus to.
struct Form {
  QWidget window;
  TNumberEdit* edit;
  QLineEdit* other;
  explicit Form(TNumberEdit* e, int maxLength = 11) : edit(e) {
    auto* layout = new QVBoxLayout(&window);
    edit->setParent(&window);
    edit->setMaxLength(maxLength);
    other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
  }
  void Leave() {
    other->setFocus();
    QCoreApplication::processEvents();
  }
};

}  // namespace

class TestEditNumbers : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { QLocale::setDefault(QLocale::c()); }
  void typing_data();
  void typing();
  void separatorFollowsLocale();
  void pasteIsNotFiltered();
  void leavingNormalises_data();
  void leavingNormalises();
  void backspaceAndNavigation();
  void typingReplacesTheSelection();
};

void TestEditNumbers::typing_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<int>("kind");  // 0 money, 1 count, 2 number
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QString>("text");
  for (const char* loc : {"ru_RU", "en_US"}) {
    const QString sep = QLocale(loc).decimalPoint();
    auto s = [&](QString t) { return t.replace(',', sep); };
    QTest::addRow("%s money nines", loc) << loc << 0 << "9999999999.999" << s("99999999,99");
    QTest::addRow("%s count nines", loc) << loc << 1 << "9999999999,9999" << s("9999999,999");
    QTest::addRow("%s money letters", loc) << loc << 0 << "1a#$%'2" << s("12");
    QTest::addRow("%s money second sep", loc) << loc << 0 << "1.2.3" << s("1,23");
    QTest::addRow("%s money sep first", loc) << loc << 0 << ".5" << s("5");
    QTest::addRow("%s money minus", loc) << loc << 0 << "-5-" << s("-5");
    QTest::addRow("%s number free", loc) << loc << 2 << "1,2-3.x" << s("1,2-3,");
  }
}

void TestEditNumbers::typing() {
  QFETCH(QString, locale);
  QFETCH(int, kind);
  QFETCH(QString, keys);
  QFETCH(QString, text);
  QLocale::setDefault(QLocale(locale));
  TNumberEdit* e = kind == 0   ? static_cast<TNumberEdit*>(new TEditMoney)
                   : kind == 1 ? static_cast<TNumberEdit*>(new TEditCount)
                               : static_cast<TNumberEdit*>(new TEditNum);
  Form f(e, kind == 2 ? 10 : 11);
  QTest::keyClicks(f.edit, keys);
  QCOMPARE(f.edit->text(), text);
}

void TestEditNumbers::separatorFollowsLocale() {
  Form f(new TEditMoney);
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  QTest::keyClicks(f.edit, "1.");
  QCOMPARE(f.edit->text(), QString("1,"));
  // Read at every key press: the next key sees the new locale.
  f.edit->clear();
  QLocale::setDefault(QLocale::c());
  QTest::keyClicks(f.edit, "1,");
  QCOMPARE(f.edit->text(), QString("1."));
}

void TestEditNumbers::pasteIsNotFiltered() {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  Form f(new TEditMoney);
  QApplication::clipboard()->setText("abc-1");
  QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(f.edit->text(), QString("abc-1"));
  f.Leave();
  QCOMPARE(f.edit->text(), QString("abc-1,00"));  // padded all the same
}

void TestEditNumbers::leavingNormalises_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("left");
  for (const char* loc : {"ru_RU", "en_US"}) {
    const QString sep = QLocale(loc).decimalPoint();
    auto s = [&](QString t) { return t.replace(',', sep); };
    QTest::addRow("%s money empty", loc) << loc << 0 << "" << s("0,00");
    QTest::addRow("%s money 12", loc) << loc << 0 << "12" << s("12,00");
    QTest::addRow("%s money 12,5", loc) << loc << 0 << "12,5" << s("12,50");
    QTest::addRow("%s money minus", loc) << loc << 0 << "-" << s("0,00");
    QTest::addRow("%s money minus five", loc) << loc << 0 << "-5" << s("-5,00");
    QTest::addRow("%s count 2", loc) << loc << 1 << "2" << s("2,000");
    QTest::addRow("%s count 0,5", loc) << loc << 1 << "0,5" << s("0,500");
    QTest::addRow("%s number kept", loc) << loc << 2 << "-"
                                         << "-";
  }
}

void TestEditNumbers::leavingNormalises() {
  QFETCH(QString, locale);
  QFETCH(int, kind);
  QFETCH(QString, typed);
  QFETCH(QString, left);
  QLocale::setDefault(QLocale(locale));
  TNumberEdit* e = kind == 0   ? static_cast<TNumberEdit*>(new TEditMoney)
                   : kind == 1 ? static_cast<TNumberEdit*>(new TEditCount)
                               : static_cast<TNumberEdit*>(new TEditNum);
  Form f(e);
  QSignalSpy exited(f.edit, &TNumberEdit::exited);
  QTest::keyClicks(f.edit, typed);
  f.Leave();
  QCOMPARE(f.edit->text(), left);
  QCOMPARE(exited.count(), 1);
}

void TestEditNumbers::backspaceAndNavigation() {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  Form f(new TEditMoney);
  QTest::keyClicks(f.edit, "12,34");
  QTest::keyClicks(f.edit, "5");  // decimals full
  QCOMPARE(f.edit->text(), QString("12,34"));
  QTest::keyClick(f.edit, Qt::Key_Backspace);
  QCOMPARE(f.edit->text(), QString("12,3"));
  QTest::keyClick(f.edit, Qt::Key_Home);
  QTest::keyClicks(f.edit, "7");  // in front of the 1 a digit is accepted
  QCOMPARE(f.edit->text(), QString("712,3"));
}

void TestEditNumbers::typingReplacesTheSelection() {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // A full field (integer part and decimals) selected whole takes new digits and a new
  // separator: the rules judge the text that the key leaves.
  Form f(new TEditMoney, 7);
  QTest::keyClicks(f.edit, "1234,56");
  QCOMPARE(f.edit->text(), QString("1234,56"));
  f.edit->selectAll();
  QTest::keyClicks(f.edit, "10,5");
  QCOMPARE(f.edit->text(), QString("10,5"));
  // Part of the text selected: the key goes where the selection was.
  f.edit->setSelection(0, 2);
  QTest::keyClicks(f.edit, "7");
  QCOMPARE(f.edit->text(), QString("7,5"));
}

QTEST_MAIN(TestEditNumbers)
#include "tst_editnumbers.moc"
