#include "ui/shell/process.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/base/app_context.h"
#include "ui/base/wndfit.h"

namespace ptk::ui {

Tfm_Process::Tfm_Process(AppContext& context)
    : TForm(context, "fm_Process", QStringLiteral("ВНИМАНИЕ !!!  Идет чтение ПО.")) {
  // Shown over a run of another window, which it does not give back when it closes.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  pn_Time = new QFrame(this);
  pn_Time->setObjectName("pn_Time");
  pn_Time->setFrameShape(QFrame::StyledPanel);
  cg_Time = new QProgressBar(pn_Time);
  cg_Time->setObjectName("cg_Time");
  cg_Time->setRange(0, 100);
  cg_Time->setValue(0);
  auto* timeLayout = new QVBoxLayout(pn_Time);
  timeLayout->addWidget(cg_Time);

  pn_Cancel = new QFrame(this);
  pn_Cancel->setObjectName("pn_Cancel");
  bt_Cancel = new QPushButton(QStringLiteral("Прервать"), pn_Cancel);
  bt_Cancel->setObjectName("bt_Cancel");
  auto* cancelLayout = new QHBoxLayout(pn_Cancel);
  cancelLayout->setContentsMargins(0, 0, 0, 0);
  cancelLayout->addStretch();
  cancelLayout->addWidget(bt_Cancel);
  cancelLayout->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_Time);
  layout->addWidget(pn_Cancel);
  FixClientSize(this, QSize(380, 110));

  connect(bt_Cancel, &QPushButton::clicked, this, &Tfm_Process::bt_CancelClick);
}

void Tfm_Process::bt_CancelClick() {
  context().abort.stopRequested = true;
}

void Tfm_Process::closeEvent(QCloseEvent* event) {
  context().abort.stopRequested = false;
  event->accept();
}

ProcessRun::ProcessRun(Tfm_Process* process, const QString& caption) : process_(process) {
  if (!process_) return;
  design_ = process_->windowTitle();
  process_->setWindowTitle(caption);
  process_->cg_Time->setValue(0);
  process_->show();
  process_->raise();
}

ProcessRun::~ProcessRun() {
  if (!process_) return;
  process_->close();
  process_->cg_Time->setValue(0);
  process_->setWindowTitle(design_);
}

void ProcessRun::SetMaximum(int maximum) {
  if (process_) process_->cg_Time->setRange(0, maximum);
}

void ProcessRun::SetValue(uint64_t value) {
  if (!process_) return;
  QProgressBar* gauge = process_->cg_Time;
  gauge->setValue(
      static_cast<int>(std::min<uint64_t>(value, static_cast<uint64_t>(gauge->maximum()))));
}

void ProcessRun::Step() {
  if (process_) process_->cg_Time->setValue(process_->cg_Time->value() + 1);
}

}  // namespace ptk::ui
