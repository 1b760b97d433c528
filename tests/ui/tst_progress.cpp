// The shared progress window and the fitting of windows to the screen.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include "support/window_rig.h"
#include "ui/base/wndfit.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/progress.h"

using ptk::test::Peer;
using ptk::test::PeerOptions;
using ptk::test::UiRig;
using ptk::ui::Tprogress;

class TestProgress : public QObject {
  Q_OBJECT
 private slots:
  void shortOperationNeverShows();
  void longOperationShowsAfterDelay();
  void setTotalRescalesPosition();
  void startDisablesOwnerAndCentres();
  void finishClosesAndEnablesOwner();
  void keepOpenTurnsButtonIntoDisabledOk();
  void cancelOnlyWhenCancellable();
  void frameCannotCloseRunningOperation();
  void fitCutsWideWindowToWorkArea();
  void fitMovesWindowInside();
  void fitLeavesFittingWindow();
};

namespace {

void Spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

void TestProgress::shortOperationNeverShows() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  bool everShown = false;
  p->ProgressStart(nullptr, 1);
  p->ProgressSetTotal(10);
  for (int i = 0; i < 10; ++i) {
    Spin(5);
    everShown = everShown || p->isVisible();
    p->ProgressIncrement();
  }
  QVERIFY(p->finished());
  // The 300 ms timer was stopped with the window: it never appears afterwards either.
  Spin(400);
  QVERIFY(!everShown);
  QVERIFY(!p->isVisible());
  QVERIFY(!p->tmrblitz->isActive());
  QVERIFY(rig.main().isEnabled());
}

void TestProgress::longOperationShowsAfterDelay() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  p->ProgressStart(nullptr, 5);
  QVERIFY(!p->isVisible());
  QCOMPARE(p->tmrblitz->interval(), 300);
  QTRY_VERIFY_WITH_TIMEOUT(p->isVisible(), 2000);
  QVERIFY(!p->tmrblitz->isActive());
  QVERIFY(!p->ProgressIncrement());
  QCOMPARE(p->bar->value(), 1);
  QVERIFY(p->ProgressFinish());
  QVERIFY(!p->isVisible());
}

void TestProgress::setTotalRescalesPosition() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  p->ProgressStart(nullptr, 100);
  QVERIFY(!p->ProgressStep(5));
  p->ProgressSetTotal(200);
  QCOMPARE(p->position(), 11);
  QCOMPARE(p->bar->value(), 11);
  QCOMPARE(p->bar->maximum(), 200);
  // A position of 0 stays 0.
  p->ProgressStart(nullptr, 1);
  p->ProgressSetTotal(37);
  QCOMPARE(p->position(), 0);
  // Positions are held within 0..total.
  QVERIFY(!p->ProgressStep(-4));
  QCOMPARE(p->bar->value(), 0);
  p->ProgressClose();
}

void TestProgress::startDisablesOwnerAndCentres() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  QWidget owner;
  owner.setGeometry(100, 120, 601, 401);
  owner.show();
  const QString caption = QStringLiteral("Чтение таблиц");
  p->ProgressStart(&owner, 3, &caption, 0);
  QVERIFY(!owner.isEnabled());
  QVERIFY(rig.main().isEnabled());
  QCOMPARE(p->windowTitle(), caption);
  const QRect o = owner.frameGeometry();
  const QSize s = p->frameGeometry().size();
  QCOMPARE(p->pos(),
           QPoint(o.left() + (o.width() - s.width()) / 2, o.top() + (o.height() - s.height()) / 2));
  QCOMPARE(p->btncancel->text(), QStringLiteral("Отмена"));
  QVERIFY(!p->btncancel->isEnabled());
  // No caption: the last one stays.
  p->ProgressClose();
  p->ProgressStart(&owner, 3);
  QCOMPARE(p->windowTitle(), caption);
  p->ProgressClose();
  QVERIFY(owner.isEnabled());
}

void TestProgress::finishClosesAndEnablesOwner() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  p->ProgressStart(nullptr, 2);
  QVERIFY(!rig.main().isEnabled());
  QVERIFY(!p->ProgressIncrement());
  QVERIFY(p->ProgressIncrement());
  QVERIFY(p->finished());
  QVERIFY(rig.main().isEnabled());
  // Once finished every step reports the end.
  QVERIFY(p->ProgressStep(0));
}

void TestProgress::keepOpenTurnsButtonIntoDisabledOk() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  p->ProgressStart(nullptr, 1, nullptr, ptk::ui::kProgressKeepOpen | ptk::ui::kProgressCancellable);
  p->show();
  QVERIFY(p->ProgressFinish());
  QVERIFY(p->isVisible());
  QCOMPARE(p->btncancel->text(), QStringLiteral("OK"));
  QVERIFY(!p->btncancel->isEnabled());
  QVERIFY(!rig.main().isEnabled());
  QVERIFY(p->close());
  QVERIFY(!p->isVisible());
  QVERIFY(rig.main().isEnabled());
}

void TestProgress::cancelOnlyWhenCancellable() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  p->ProgressStart(nullptr, 10, nullptr, ptk::ui::kProgressCancellable);
  p->show();
  QVERIFY(p->btncancel->isEnabled());
  QTest::mouseClick(p->btncancel, Qt::LeftButton);
  QVERIFY(!p->isVisible());
  QVERIFY(p->cancelled());
  QVERIFY(rig.main().isEnabled());
}

void TestProgress::frameCannotCloseRunningOperation() {
  UiRig rig(PeerOptions(Peer::Missing));
  Tprogress* p = rig.context->forms.progress;
  rig.Start();
  p->ProgressStart(nullptr, 10);
  p->show();
  // Closing by the frame would enable the main window under the running operation.
  QVERIFY(!p->close());
  QVERIFY(p->isVisible());
  QVERIFY(!rig.main().isEnabled());
  p->ProgressClose();
  QVERIFY(rig.main().isEnabled());
}

void TestProgress::fitCutsWideWindowToWorkArea() {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QMainWindow w;
  w.setCentralWidget(new QWidget);
  w.setGeometry(area.left() - 50, area.top() + 10, area.width() + 176, 200);
  ptk::ui::FitWindowToScreen(&w);
  QCOMPARE(w.frameGeometry().width(), area.width());
  QCOMPARE(w.pos().x(), area.left());
  QCOMPARE(w.pos().y(), area.top() + 10);
  QVERIFY(w.testAttribute(Qt::WA_Moved));
  // The content gained scroll bars.
  QVERIFY(qobject_cast<QScrollArea*>(w.centralWidget()));
}

void TestProgress::fitMovesWindowInside() {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QWidget w;
  w.setGeometry(area.right() - 100, area.bottom() - 50, 300, 200);
  ptk::ui::FitWindowToScreen(&w);
  QCOMPARE(w.frameGeometry().right(), area.right());
  QCOMPARE(w.frameGeometry().bottom(), area.bottom());
  QCOMPARE(w.size(), QSize(300, 200));
}

void TestProgress::fitLeavesFittingWindow() {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QWidget w;
  w.setGeometry(area.left() + 20, area.top() + 30, 200, 100);
  w.setAttribute(Qt::WA_Moved, false);
  ptk::ui::FitWindowToScreen(&w);
  QCOMPARE(w.geometry(), QRect(area.left() + 20, area.top() + 30, 200, 100));
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
