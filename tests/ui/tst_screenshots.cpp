// Writes a PNG of every window of the program into <build>/screenshots for review
// (scripts/screenshots.sh runs it and lists the files): each window in the states a
// person meets it (window_states.h, every page of its page controls), with the system
// font (NAME@100.png) and with a font 1.25 times as large (NAME@125.png). Taken on the
// offscreen platform, so that shots of different runs compare with each other.
#include <QDir>
#include <QMenu>
#include <QTest>

#include "window_states.h"

using namespace ptk::test;

class TestScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void everyWindow_data();
  void everyWindow();

 private:
  bool Save(QWidget* w, const QString& name);
  QDir dir_;
  QFont systemFont_;
};

void TestScreenshots::initTestCase() {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  systemFont_ = QApplication::font();
  const QByteArray bin = qgetenv("PTK_BIN_DIR");
  dir_ = QDir(bin.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(bin));
  QVERIFY(dir_.mkpath("screenshots"));
  QVERIFY(dir_.cd("screenshots"));
}

bool TestScreenshots::Save(QWidget* w, const QString& name) {
  QTest::qWait(20);
  return w->grab().save(dir_.filePath(name + ".png"), "PNG");
}

void TestScreenshots::everyWindow_data() {
  QTest::addColumn<int>("state");
  QTest::addColumn<double>("scale");
  for (int i = 0; i < static_cast<int>(WindowStates().size()); ++i) {
    for (double scale : {1.0, 1.25}) {
      QTest::addRow("%s@%d", WindowStates()[i].name, static_cast<int>(scale * 100)) << i << scale;
    }
  }
}

void TestScreenshots::everyWindow() {
  QFETCH(int, state);
  QFETCH(double, scale);
  const WindowState& s = WindowStates()[state];
  const QString suffix = QStringLiteral("@%1").arg(static_cast<int>(scale * 100));
  ScriptedProgram program(ScaledFont(systemFont_, scale));
  program.Run(s.steps);
  QWidget* window = program.Window(QString::fromLatin1(s.window));
  QVERIFY2(window && window->isVisible(), s.name);
  QVERIFY(Save(window, QString::fromLatin1(s.name) + suffix));
  for (const QString& control : s.pageControls) {
    QObject* pages = window->findChild<QObject*>(control);
    QVERIFY2(pages, qPrintable(control));
    for (QWidget* page : PagesOf(pages)) {
      program.Run(QStringLiteral("set %1.%2 %3\n")
                      .arg(s.window, control, page->objectName())
                      .toStdString());
      QVERIFY(Save(window, QStringLiteral("%1.%2").arg(s.name, page->objectName()) + suffix));
    }
  }
  if (s.name == QLatin1String("fm_MainFr")) {
    auto* main = qobject_cast<ptk::ui::Tfm_MainFr*>(window);
    for (QMenu* menu : {main->mi_ConfigMenu, main->mi_ZaprosMenu}) {
      menu->popup(main->mapToGlobal(QPoint(0, 0)));
      QVERIFY(Save(menu, "menu_" + menu->objectName() + suffix));
      menu->hide();
    }
  }
}

int main(int argc, char** argv) {
  UseDesktopScreen();
  QApplication app(argc, argv);
  TestScreenshots test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_screenshots.moc"
