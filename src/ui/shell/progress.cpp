#include "ui/shell/progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/shell/progress_math.h"
#include "ui/base/app_context.h"
#include "ui/base/wndfit.h"
#include "ui/shell/main_fr.h"

namespace ptk::ui {

Tprogress::Tprogress(AppContext& context)
    : TForm(context, "progress", QStringLiteral("Выполнение команды")) {
  // Shown over a run of another window, which it gives back itself when it closes.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  bar = new QProgressBar(this);
  bar->setObjectName("bar");
  bar->setRange(0, 1);
  bar->setValue(0);
  bar->setTextVisible(false);
  btncancel = new QPushButton(QStringLiteral("Отмена"), this);
  btncancel->setObjectName("btncancel");
  tmrblitz = new QTimer(this);
  tmrblitz->setObjectName("tmrblitz");
  tmrblitz->setSingleShot(false);
  tmrblitz->setInterval(kProgressShowDelayMs);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btncancel);
  buttons->addStretch();
  layout->addLayout(buttons);
  FixClientSize(this, QSize(360, 90));

  connect(tmrblitz, &QTimer::timeout, this, &Tprogress::tmrblitzTimer);
  connect(btncancel, &QPushButton::clicked, this, &Tprogress::btncancelClick);
}

void Tprogress::ProgressStart(QWidget* owner, int total, const QString* caption, int flags) {
  if (!owner) owner = context().forms.fm_MainFr;
  owner_ = owner;
  if (owner_) {
    owner_->setEnabled(false);
    const QRect o = owner_->frameGeometry();
    const QSize s = frameGeometry().size();
    // Integer division truncating toward zero, as for any window placement.
    move(o.left() + (o.width() - s.width()) / 2, o.top() + (o.height() - s.height()) / 2);
  }
  finished_ = false;
  cancelled_ = false;
  total_ = total < 0 ? 0 : total;
  position_ = 0;
  cancellable_ = (flags & kProgressCancellable) != 0;
  keepOpen_ = (flags & kProgressKeepOpen) != 0;
  if (caption) setWindowTitle(*caption);
  bar->setRange(0, total_);
  bar->setValue(0);
  btncancel->setText(QStringLiteral("Отмена"));
  btncancel->setEnabled(cancellable_);
  tmrblitz->start(kProgressShowDelayMs);
}

void Tprogress::tmrblitzTimer() {
  tmrblitz->stop();
  if (!finished_) {
    show();
    raise();
  }
}

void Tprogress::ProgressSetTotal(int newTotal) {
  if (newTotal < 0) newTotal = 0;
  position_ = ProgressRescale(position_, total_, newTotal);
  total_ = newTotal;
  bar->setMaximum(total_);
  bar->setValue(ProgressClamp(position_, total_));
}

bool Tprogress::ProgressStep(qint64 position) {
  if (finished_) return true;
  position_ = ProgressClamp(position, total_);
  bar->setValue(position_);
  QCoreApplication::processEvents();
  if (finished_) return true;  // closed while the messages were processed
  if (position_ < total_) return false;
  finished_ = true;
  if (keepOpen_) {
    btncancel->setText(QStringLiteral("OK"));
    btncancel->setEnabled(false);
  } else {
    CloseWindow();
  }
  return true;
}

bool Tprogress::ProgressIncrement() {
  return ProgressStep(static_cast<qint64>(position_) + 1);
}

bool Tprogress::ProgressFinish() {
  return ProgressStep(2147483647);
}

void Tprogress::ProgressClose() {
  CloseWindow();
  owner_ = nullptr;
}

void Tprogress::btncancelClick() {
  if (!finished_) cancelled_ = true;
  ProgressClose();
}

void Tprogress::CloseWindow() {
  tmrblitz->stop();
  if (owner_) {
    owner_->setEnabled(true);
    owner_->activateWindow();
    owner_->setFocus();
  }
  hide();
}

void Tprogress::closeEvent(QCloseEvent* event) {
  // While an operation that cannot be cancelled runs, the frame does not close the
  // window: that would enable the owner in the middle of the operation. Otherwise the
  // frame ends the window as "Отмена" does.
  if (!finished_ && !cancellable_) {
    event->ignore();
    return;
  }
  if (!finished_) cancelled_ = true;
  CloseWindow();
  event->accept();
}

}  // namespace ptk::ui
