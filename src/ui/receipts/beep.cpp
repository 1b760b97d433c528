#include "ui/receipts/beep.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/receipts/money.h"
#include "core/receipts/receipt_extras.h"
#include "core/shell/service_commands.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {

using build::Named;

Tfm_Beep::Tfm_Beep(AppContext& context)
    : TForm(context, "fm_Beep", QStringLiteral("Звуковой сигнал")) {
  pn_Beep = Named(new QFrame(this), "pn_Beep");
  pn_Beep->setFrameShape(QFrame::StyledPanel);
  edn_Len = build::Number(pn_Beep, "edn_Len", 4);
  edn_Count = build::Number(pn_Beep, "edn_Count", 3);
  auto* grid = new QGridLayout(pn_Beep);
  grid->addWidget(new QLabel(QStringLiteral("Длительность"), pn_Beep), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("(1 - 6535)"), pn_Beep), 0, 1);
  grid->addWidget(edn_Len, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Количество"), pn_Beep), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("(1 - 255)"), pn_Beep), 1, 1);
  grid->addWidget(edn_Count, 1, 2);
  bt_BeepOk = build::Button(this, "bt_BeepOk", "Выполнить", "Выполнить звуковой сигнал");
  bt_BeepExit = build::Button(this, "bt_BeepExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_Beep);
  layout->addLayout(build::ButtonRow({bt_BeepOk, bt_BeepExit}));
  FixClientSize(this, sizeHint());
  SetCommandControls({edn_Len, edn_Count, bt_BeepOk, bt_BeepExit});
  connect(bt_BeepOk, &QPushButton::clicked, this, &Tfm_Beep::bt_BeepOkClick);
  connect(bt_BeepExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_Beep::Open() {
  ui().SetResult("");
  edn_Len->setText(QStringLiteral("100"));
  edn_Count->setText(QStringLiteral("1"));
  ShowFromMenu(bt_BeepOk, true);
}

void Tfm_Beep::bt_BeepOkClick() {
  RunCommand([this] {
    const std::optional<uint32_t> count = ParseBeepField(Std(edn_Count->text()));
    const std::optional<uint32_t> duration = ParseBeepField(Std(edn_Len->text()));
    // A field that holds no whole number sends nothing.
    if (!count || !duration) {
      ShowError(ui(), kTextBadFormat);
      return;
    }
    SoundSignal(link(), *duration, *count);
  });
}

}  // namespace ptk::ui
