#include "ui/receipts/nalmoney.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/receipts/cash_commands.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/shell/main_fr.h"

namespace ptk::ui {

Tfm_NalMoney::Tfm_NalMoney(AppContext& context)
    : TForm(context, "fm_NalMoney", Qs(kCaptionCashInDrawer)) {
  pn_NalMoney = new QFrame(this);
  pn_NalMoney->setObjectName("pn_NalMoney");
  pn_NalMoney->setFrameShape(QFrame::StyledPanel);
  ed_SummaNal = new QLineEdit(pn_NalMoney);
  ed_SummaNal->setObjectName("ed_SummaNal");
  ed_SummaNal->setReadOnly(true);
  ed_SummaNal->setAlignment(Qt::AlignRight);
  QFont big = ed_SummaNal->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  ed_SummaNal->setFont(big);
  auto* panel = new QHBoxLayout(pn_NalMoney);
  panel->addWidget(ed_SummaNal);
  bt_NalMoneyExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_NalMoneyExit->setObjectName("bt_NalMoneyExit");
  bt_NalMoneyExit->setToolTip(QStringLiteral("Выйти из режима"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_NalMoneyExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_NalMoney);
  layout->addLayout(buttons);
  FixClientSize(this, QSize(360, sizeHint().height()));
  connect(bt_NalMoneyExit, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_NalMoney::Query(bool lastShift) {
  Tfm_MainFr* main = context().forms.fm_MainFr;
  if (!main) return;
  std::string amount;
  int result = 0;
  const bool done = main->RunUnderMenuLock([&] {
    result = lastShift ? QueryLastShiftTotal(link(), amount) : QueryCashInDrawer(link(), amount);
  });
  if (!done || result != kExchangeOk) return;
  ed_SummaNal->setText(Qs(amount));
  setWindowTitle(Qs(lastShift ? kCaptionLastShiftTotal : kCaptionCashInDrawer));
  ShowFromMenu(bt_NalMoneyExit, true);
}

}  // namespace ptk::ui
