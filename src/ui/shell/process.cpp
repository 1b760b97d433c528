#include "ui/shell/process.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/shell/app_context.h"
#include "ui/shell/wndfit.h"

namespace ptk::ui {

Tfm_Process::Tfm_Process(AppContext& context) : QWidget(nullptr), context_(context) {
  setObjectName("fm_Process");
  setWindowTitle(QStringLiteral("ВНИМАНИЕ !!!  Идет чтение ПО."));
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
  context_.abort.stopRequested = true;
}

void Tfm_Process::closeEvent(QCloseEvent* event) {
  context_.abort.stopRequested = false;
  event->accept();
}

}  // namespace ptk::ui
