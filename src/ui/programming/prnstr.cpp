#include "ui/programming/prnstr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/programming/print_commands.h"
#include "ui/base/qt_user_interface.h"

namespace ptk::ui {

Tfm_PrnStr::Tfm_PrnStr(AppContext& context)
    : TForm(context, "fm_PrnStr", QStringLiteral("Печать строки")) {
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

  SetCommandControls({ed_PrnStr, bt_PrnStr, bt_SostEKLZExit});
  connect(bt_PrnStr, &QPushButton::clicked, this, &Tfm_PrnStr::bt_PrnStrClick);
  connect(bt_SostEKLZExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_PrnStr::Open() {
  ui().SetResult("");
  ed_PrnStr->clear();
  ShowFromMenu(ed_PrnStr);
}

void Tfm_PrnStr::bt_PrnStrClick() {
  RunCommand([this] { PrintString(link(), Std(ed_PrnStr->text()), kCmdPrintString); });
  ed_PrnStr->setFocus();
}

}  // namespace ptk::ui
