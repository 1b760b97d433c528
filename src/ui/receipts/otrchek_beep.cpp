// The cut and beep windows: one command each.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/receipts/money.h"
#include "core/receipts/receipt_extras.h"
#include "core/shell/service_commands.h"
#include "ui/controls/number_edits.h"
#include "ui/receipts/beep.h"
#include "ui/receipts/otrchek.h"
#include "ui/shell/qt_user_interface.h"
#include "ui/shell/wndfit.h"

namespace ptk::ui {
namespace {

constexpr uint8_t kFullCut = 0;

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
  b->setToolTip(QString::fromUtf8(hint));
  return b;
}

QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* exit) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(exit);
  return row;
}

}  // namespace

Tfm_OtrChek::Tfm_OtrChek(AppContext& context)
    : TForm(context, "fm_OtrChek", QStringLiteral("Отрезать чек")) {
  bt_OtrChekOk = Button(this, "bt_OtrChekOk", "Выполнить", "Отрезать чек");
  bt_OtrChekExit = Button(this, "bt_OtrChekExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(ButtonRow(bt_OtrChekOk, bt_OtrChekExit));
  FixClientSize(this, sizeHint().expandedTo(QSize(280, 0)));
  SetCommandControls({bt_OtrChekOk, bt_OtrChekExit});
  connect(bt_OtrChekOk, &QPushButton::clicked, this, &Tfm_OtrChek::bt_OtrChekOkClick);
  connect(bt_OtrChekExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_OtrChek::Open() {
  ui().SetResult("");
  SetControlsEnabled(true);
  ShowFromMenu(bt_OtrChekOk, true);
}

void Tfm_OtrChek::bt_OtrChekOkClick() {
  RunCommand([this] { CutReceipt(link(), kFullCut); });
}

Tfm_Beep::Tfm_Beep(AppContext& context)
    : TForm(context, "fm_Beep", QStringLiteral("Звуковой сигнал")) {
  pn_Beep = new QFrame(this);
  pn_Beep->setObjectName("pn_Beep");
  pn_Beep->setFrameShape(QFrame::StyledPanel);
  edn_Len = new TEditNum(pn_Beep);
  edn_Len->setObjectName("edn_Len");
  edn_Len->setMaxLength(4);
  edn_Count = new TEditNum(pn_Beep);
  edn_Count->setObjectName("edn_Count");
  edn_Count->setMaxLength(3);
  auto* grid = new QGridLayout(pn_Beep);
  grid->addWidget(new QLabel(QStringLiteral("Длительность"), pn_Beep), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("(1 - 6535)"), pn_Beep), 0, 1);
  grid->addWidget(edn_Len, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Количество"), pn_Beep), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("(1 - 255)"), pn_Beep), 1, 1);
  grid->addWidget(edn_Count, 1, 2);
  bt_BeepOk = Button(this, "bt_BeepOk", "Выполнить", "Выполнить звуковой сигнал");
  bt_BeepExit = Button(this, "bt_BeepExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_Beep);
  layout->addLayout(ButtonRow(bt_BeepOk, bt_BeepExit));
  FixClientSize(this, sizeHint());
  SetCommandControls({edn_Len, edn_Count, bt_BeepOk, bt_BeepExit});
  connect(bt_BeepOk, &QPushButton::clicked, this, &Tfm_Beep::bt_BeepOkClick);
  connect(bt_BeepExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_Beep::Open() {
  ui().SetResult("");
  edn_Len->setText(QStringLiteral("100"));
  edn_Count->setText(QStringLiteral("1"));
  SetControlsEnabled(true);
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
