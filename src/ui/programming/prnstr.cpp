#include "ui/programming/prnstr.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/programming/print_commands.h"
#include "ui/shell/app_context.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/qt_user_interface.h"

namespace ptk::ui {

Tfm_PrnStr::Tfm_PrnStr(AppContext& context) : QWidget(nullptr), context_(context) {
  setObjectName("fm_PrnStr");
  setWindowTitle(QStringLiteral("Печать строки"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  Label1 = new QLabel(QStringLiteral("ВВЕДИТЕ СТРОКУ:"), this);
  Label1->setObjectName("Label1");
  ed_PrnStr = new QLineEdit(this);
  ed_PrnStr->setObjectName("ed_PrnStr");
  ed_PrnStr->setMaxLength(kPrintTextMaxLength);
  Label1->setBuddy(ed_PrnStr);
  bt_PrnStr = new QPushButton(QStringLiteral("Печать"), this);
  bt_PrnStr->setObjectName("bt_PrnStr");
  bt_PrnStr->setToolTip(QStringLiteral("Печать строки"));
  bt_SostEKLZExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_SostEKLZExit->setObjectName("bt_SostEKLZExit");
  bt_SostEKLZExit->setToolTip(QStringLiteral("Выйти из режима"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_PrnStr);
  buttons->addWidget(bt_SostEKLZExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ed_PrnStr);
  layout->addLayout(buttons);
  // Room for 42 characters.
  ed_PrnStr->setMinimumWidth(ed_PrnStr->fontMetrics().horizontalAdvance(QString(44, 'W')));

  connect(bt_PrnStr, &QPushButton::clicked, this, &Tfm_PrnStr::bt_PrnStrClick);
  connect(bt_SostEKLZExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_PrnStr::Open() {
  context_.ui.SetResult("");
  ed_PrnStr->clear();
  if (Tfm_MainFr* main = context_.forms.fm_MainFr) main->setEnabled(false);
  SetControlsEnabled(true);
  show();
  raise();
  activateWindow();
  ed_PrnStr->setFocus();
}

void Tfm_PrnStr::SetControlsEnabled(bool enabled) {
  setEnabled(enabled);
  ed_PrnStr->setEnabled(enabled);
  bt_PrnStr->setEnabled(enabled);
  bt_SostEKLZExit->setEnabled(enabled);
}

void Tfm_PrnStr::bt_PrnStrClick() {
  if (busy_) return;
  context_.ui.SetResult("");
  SetControlsEnabled(false);
  busy_ = true;
  PrintString(context_.link, Std(ed_PrnStr->text()), kCmdPrintString);
  busy_ = false;
  SetControlsEnabled(true);
  ed_PrnStr->setFocus();
}

void Tfm_PrnStr::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  event->accept();
  if (Tfm_MainFr* main = context_.forms.fm_MainFr) main->ChildWindowClosed();
}

}  // namespace ptk::ui
