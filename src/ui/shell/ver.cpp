#include "ui/shell/ver.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/shell/version.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/radio_group.h"

namespace ptk::ui {

Tfm_Ver::Tfm_Ver(AppContext& context)
    : TForm(context, "fm_Ver", QStringLiteral("Получение версии")) {
  rg_Istoch = new TRadioGroup(
      "rg_Istoch", QStringLiteral("ИСТОЧНИК"),
      {QStringLiteral("процессор с внутренним ПО ПТК"), QStringLiteral("процессор управления ФП")},
      this);
  mem_Ver = new QPlainTextEdit(this);
  mem_Ver->setObjectName("mem_Ver");
  mem_Ver->setReadOnly(true);
  mem_Ver->setFixedHeight(80);
  bt_VerOk = new QPushButton(QStringLiteral("Выполнить"), this);
  bt_VerOk->setObjectName("bt_VerOk");
  bt_VerOk->setToolTip(QStringLiteral("Получить версию"));
  bt_VerExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_VerExit->setObjectName("bt_VerExit");
  bt_VerExit->setToolTip(QStringLiteral("Выйти из режима"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rg_Istoch);
  layout->addWidget(mem_Ver);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_VerOk);
  buttons->addWidget(bt_VerExit);
  layout->addLayout(buttons);
  FixClientSize(this, QSize(360, sizeHint().height()));

  SetCommandControls({rg_Istoch, mem_Ver, bt_VerOk, bt_VerExit});
  connect(bt_VerOk, &QPushButton::clicked, this, &Tfm_Ver::bt_VerOkClick);
  connect(bt_VerExit, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_Ver::Open() {
  rg_Istoch->setItemIndex(0);
  mem_Ver->clear();
  ShowFromMenu(bt_VerOk, true);
}

void Tfm_Ver::bt_VerOkClick() {
  RunCommand([this] {
    const auto source = static_cast<uint8_t>(rg_Istoch->itemIndex() + 1);
    if (QueryVersion(link(), source) != 1) return;
    mem_Ver->clear();
    for (const std::string& line : ShowVersion(link())) mem_Ver->appendPlainText(Qs(line));
  });
}

}  // namespace ptk::ui
