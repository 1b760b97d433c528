#include "ui/receipts/otrchek.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "core/shell/service_commands.h"
#include "ui/base/wndfit.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {
namespace {

constexpr uint8_t kFullCut = 0;

}  // namespace

Tfm_OtrChek::Tfm_OtrChek(AppContext& context)
    : TForm(context, "fm_OtrChek", QStringLiteral("Отрезать чек")) {
  bt_OtrChekOk = build::Button(this, "bt_OtrChekOk", "Выполнить", "Отрезать чек");
  bt_OtrChekExit = build::Button(this, "bt_OtrChekExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(build::ButtonRow({bt_OtrChekOk, bt_OtrChekExit}));
  FixClientSize(this, sizeHint().expandedTo(QSize(280, 0)));
  SetCommandControls({bt_OtrChekOk, bt_OtrChekExit});
  connect(bt_OtrChekOk, &QPushButton::clicked, this, &Tfm_OtrChek::bt_OtrChekOkClick);
  connect(bt_OtrChekExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_OtrChek::Open() {
  ui().SetResult("");
  ShowFromMenu(bt_OtrChekOk, true);
}

void Tfm_OtrChek::bt_OtrChekOkClick() {
  RunCommand([this] { CutReceipt(link(), kFullCut); });
}

}  // namespace ptk::ui
