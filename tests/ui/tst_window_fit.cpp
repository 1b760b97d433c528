// Every window in the states a person meets it (see window_states.h), with the system
// font and with a font 1.25 times as large: no text of a label, button, check box, radio
// button, group title, tab, grid header or grid cell is wider than the room its control
// gives it, and no such control is cut by its parent.
#include <QTest>

#include "fit_measure.h"
#include "window_states.h"

using namespace ptk::test;

class TestWindowFit : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void texts_data();
  void texts();

 private:
  QFont systemFont_;
};

void TestWindowFit::initTestCase() {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  systemFont_ = QApplication::font();
}

void TestWindowFit::texts_data() {
  QTest::addColumn<int>("state");
  QTest::addColumn<double>("scale");
  for (int i = 0; i < static_cast<int>(WindowStates().size()); ++i) {
    for (double scale : {1.0, 1.25}) {
      QTest::addRow("%s@%d", WindowStates()[i].name, static_cast<int>(scale * 100)) << i << scale;
    }
  }
}

namespace {

QStringList Describe(const QString& view, const QList<Cut>& cuts) {
  QStringList lines;
  for (const Cut& cut : cuts) {
    lines << QStringLiteral("%1: %2 \"%3\" needs %4 px, has %5 px")
                 .arg(view, cut.control, cut.text)
                 .arg(cut.needs)
                 .arg(cut.has);
  }
  return lines;
}

}  // namespace

void TestWindowFit::texts() {
  QFETCH(int, state);
  QFETCH(double, scale);
  const WindowState& s = WindowStates()[state];
  ScriptedProgram program(ScaledFont(systemFont_, scale));
  const std::string transcript = program.Run(s.steps);
  QVERIFY2(transcript.find("error:") == std::string::npos, transcript.c_str());
  QWidget* window = program.Window(QString::fromLatin1(s.window));
  QVERIFY2(window && window->isVisible(), transcript.c_str());

  QStringList failures = Describe(QString::fromLatin1(s.window), MeasureWindow(window));
  for (const QString& control : s.pageControls) {
    QObject* pages = window->findChild<QObject*>(control);
    QVERIFY2(pages, qPrintable(control));
    for (QWidget* page : PagesOf(pages)) {
      const QString view = QStringLiteral("%1.%2 %3").arg(s.window, control, page->objectName());
      const std::string step =
          QStringLiteral("set %1.%2 %3\n").arg(s.window, control, page->objectName()).toStdString();
      const std::string shown = program.Run(step);
      if (shown.find("error:") != std::string::npos) {
        failures << view + QStringLiteral(": not reached: ") + QString::fromStdString(shown);
        continue;
      }
      failures << Describe(view, MeasureWindow(window));
    }
  }
  failures.removeDuplicates();
  // Every cut on its own line: a failure message is cut short by the test library.
  for (const QString& failure : failures) qInfo("%s", qPrintable(failure));
  QVERIFY2(failures.isEmpty(),
           qPrintable(QStringLiteral("%1 texts do not fit (listed above)").arg(failures.size())));
}

int main(int argc, char** argv) {
  UseDesktopScreen();
  QApplication app(argc, argv);
  TestWindowFit test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_window_fit.moc"
