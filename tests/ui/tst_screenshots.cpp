// Writes a PNG of every window of the program into <build>/screenshots for review
// (scripts/screenshots.sh runs it and lists the files). Taken on the offscreen platform,
// so that shots of different runs compare with each other.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "support/window_rig.h"
#include "ui/reports/sostfr.h"
#include "ui/shell/main_fr.h"

using ptk::test::UiRig;

class TestScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void everyWindow();

 private:
  QString Save(QWidget* w, const QString& name);
  QDir dir_;
};

QString TestScreenshots::Save(QWidget* w, const QString& name) {
  QTest::qWait(20);
  const QString path = dir_.filePath(name + ".png");
  if (!w->grab().save(path, "PNG")) return {};
  return path;
}

void TestScreenshots::everyWindow() {
  const QByteArray bin = qgetenv("PTK_BIN_DIR");
  dir_ = QDir(bin.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(bin));
  QVERIFY(dir_.mkpath("screenshots"));
  QVERIFY(dir_.cd("screenshots"));

  UiRig rig;
  rig.Start();
  ptk::ui::Tfm_MainFr& m = rig.main();
  m.ed_rezult->setText(QStringLiteral(" 00 - Ошибок нет. Команда выполнена."));
  QVERIFY(!Save(&m, "fm_MainFr").isEmpty());

  for (QMenu* menu : {m.mi_ConfigMenu, m.mi_ZaprosMenu}) {
    menu->popup(m.mapToGlobal(QPoint(0, 0)));
    QVERIFY(!Save(menu, "menu_" + menu->objectName()).isEmpty());
    menu->hide();
  }

  // The state window with a real answer in it.
  m.mi_SostKKM->trigger();
  QVERIFY(!Save(rig.context->forms.fm_SostFR, "fm_SostFR").isEmpty());
  rig.context->forms.fm_SostFR->close();

  // Something on the tape.
  m.mi_PrnTitleChek->trigger();
  m.mi_DemoPrn->trigger();

  int saved = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    const QString name = w->objectName();
    if (name == "fm_MainFr" || name == "fm_SostFR") continue;
    if (!name.startsWith("fm_") && name != "progress" && name != "frmimgman") continue;
    w->show();
    QVERIFY2(!Save(w, name).isEmpty(), qPrintable(name));
    w->hide();
    ++saved;
  }
  QVERIFY(saved >= 4);
}

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
