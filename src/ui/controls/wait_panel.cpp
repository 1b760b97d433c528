#include "ui/controls/wait_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "core/shell/user_abort.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {

TWaitPanel::TWaitPanel(QWidget* window, UserAbort& abort, Look look)
    : QFrame(window), abort_(abort) {
  setObjectName("pn_Sleep");
  setFrameShape(QFrame::StyledPanel);
  label = build::Named(new QLabel(QStringLiteral("Ждите !!!"), this), "lb_Sleep");
  if (look == Look::Sunken) {
    setFrameShadow(QFrame::Sunken);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
  }
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(label, 0, Qt::AlignCenter);
  hide();
  stopButton = build::Button(window, "bt_StopReport", "Прервать", "Прервать отчет");
  connect(stopButton, &QPushButton::clicked, this, [this] {
    abort_.stopRequested = true;
    stopButton->setEnabled(false);
  });
}

void TWaitPanel::Reset() {
  SetWaiting(false, false);
  stopButton->setEnabled(false);
}

void TWaitPanel::SetWaiting(bool waiting, bool stoppable) {
  setVisible(waiting);
  for (QWidget* w : replaced_) w->setVisible(!waiting);
  if (stoppable) {
    stopButton->setEnabled(waiting);
    abort_.stopRequested = false;
  }
}

std::function<void()> TWaitPanel::DisableStop() {
  return [this] { stopButton->setEnabled(false); };
}

}  // namespace ptk::ui
