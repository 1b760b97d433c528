#include "ui/reports/registr.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/reports/registers.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/process.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::Named;

QComboBox* List(QWidget* parent, const char* name, std::span<const std::string_view> items) {
  auto* c = Named(new QComboBox(parent), name);
  for (std::string_view item : items) c->addItem(Qs(item));
  return c;
}

// The register manager's designed column widths.
constexpr int kDescriptionWidth = 270;
constexpr int kValueWidth = 181;

}  // namespace

Tfm_MenadgerReg::Tfm_MenadgerReg(AppContext& context)
    : TForm(context, "fm_MenadgerReg", QStringLiteral("Менеджер регистров")) {
  pn_ManadgerReg = Named(new QFrame(this), "pn_ManadgerReg");
  sg_MenadgerReg =
      Named(new QTableWidget(kManagerRows, kManagerColumns, pn_ManadgerReg), "sg_MenadgerReg");
  sg_MenadgerReg->horizontalHeader()->hide();
  sg_MenadgerReg->verticalHeader()->hide();
  // The descriptions' header row and column are drawn as cells of their own.
  sg_MenadgerReg->setProperty("fixedRows", 1);
  sg_MenadgerReg->setProperty("fixedColumns", 1);
  sg_MenadgerReg->setColumnWidth(0, kDescriptionWidth);
  sg_MenadgerReg->setColumnWidth(1, kValueWidth);
  sg_MenadgerReg->setWordWrap(false);
  sg_MenadgerReg->horizontalHeader()->setStretchLastSection(true);
  sg_MenadgerReg->verticalHeader()->setDefaultSectionSize(24);
  sg_MenadgerReg->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* panel = new QVBoxLayout(pn_ManadgerReg);
  panel->addWidget(sg_MenadgerReg);
  bt_MenadgerRegExit = Button(this, "bt_MenadgerRegExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_ManadgerReg, 1);
  layout->addWidget(bt_MenadgerRegExit, 0, Qt::AlignRight);
  FixClientSize(this, QSize(543, 679));
  FitWindowToScreen(this);
  connect(bt_MenadgerRegExit, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_MenadgerReg::Open() {
  ShowFromMenu(bt_MenadgerRegExit);
}

void Tfm_MenadgerReg::ShowGrid(const RegisterGrid& grid) {
  for (int r = 0; r < kManagerRows; ++r) {
    for (int c = 0; c < kManagerColumns; ++c) {
      auto* item = new QTableWidgetItem(Qs(grid.At(r, c)));
      if (r == 0 || c == 0) item->setBackground(palette().button());
      sg_MenadgerReg->setItem(r, c, item);
    }
  }
  // Each column as wide as its longest text (the designed widths at least); the grid asks
  // for the room of both, so that the window grows instead of cutting descriptions.
  QTableWidget* g = sg_MenadgerReg;
  g->resizeColumnsToContents();
  const int description = std::max(kDescriptionWidth, g->columnWidth(0));
  const int value = std::max(kValueWidth, g->columnWidth(1));
  g->setColumnWidth(0, description);
  g->setColumnWidth(1, value);
  g->setMinimumWidth(description + value + 2 * g->frameWidth() +
                     g->verticalScrollBar()->sizeHint().width());
}

Tfm_Registr::Tfm_Registr(AppContext& context)
    : TForm(context, "fm_Registr", QStringLiteral("Регистры")) {
  pn_Registr = Named(new QFrame(this), "pn_Registr");
  Panel1 = Named(new QFrame(pn_Registr), "Panel1");
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setFrameShadow(QFrame::Sunken);
  edn_NumRegistr = build::Number(Panel1, "edn_NumRegistr", 2);
  cb_TypeChek = List(Panel1, "cb_TypeChek", RegisterReceiptTypeItems());
  cb_TypeOpl = List(Panel1, "cb_TypeOpl", RegisterPaymentTypeItems());
  cb_TypeItog = List(Panel1, "cb_TypeItog", RegisterTotalTypeItems());
  auto* fields = new QFormLayout(Panel1);
  fields->addRow(QStringLiteral("Номер регистра"), edn_NumRegistr);
  fields->addRow(QStringLiteral("Тип чека"), cb_TypeChek);
  fields->addRow(QStringLiteral("Тип оплаты"), cb_TypeOpl);
  fields->addRow(QStringLiteral("Тип итога"), cb_TypeItog);
  mem_Registr = Named(new QPlainTextEdit(pn_Registr), "mem_Registr");
  mem_Registr->setReadOnly(true);
  auto* panel = new QHBoxLayout(pn_Registr);
  panel->addWidget(Panel1);
  panel->addWidget(mem_Registr, 1);
  bt_ReadRegistr = Button(this, "bt_ReadRegistr", "Считать регистр", "Считать регистр");
  bt_ReadAllRegistr =
      Button(this, "bt_ReadAllRegistr", "Менеджер регистров", "Считать все регистры");
  bt_RegistrExit = Button(this, "bt_RegistrExit", "&Закрыть", "Выйти из режима");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bt_ReadRegistr);
  buttons->addWidget(bt_ReadAllRegistr);
  buttons->addStretch();
  buttons->addWidget(bt_RegistrExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_Registr, 1);
  layout->addLayout(buttons);
  FixClientSize(this, QSize(783, 352));
  FitWindowToScreen(this);
  SetCommandControls({edn_NumRegistr, cb_TypeChek, cb_TypeOpl, cb_TypeItog, mem_Registr,
                      bt_ReadRegistr, bt_ReadAllRegistr, bt_RegistrExit});
  connect(bt_ReadRegistr, &QPushButton::clicked, this, &Tfm_Registr::bt_ReadRegistrClick);
  connect(bt_ReadAllRegistr, &QPushButton::clicked, this, &Tfm_Registr::bt_ReadAllRegistrClick);
  connect(bt_RegistrExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_Registr::Open() {
  ui().SetResult("");
  edn_NumRegistr->setText(QStringLiteral("1"));
  mem_Registr->clear();
  for (QComboBox* c : {cb_TypeChek, cb_TypeOpl, cb_TypeItog}) c->setCurrentIndex(0);
  ShowFromMenu(bt_ReadRegistr, true);
}

void Tfm_Registr::bt_ReadRegistrClick() {
  Tfm_Process* process = context().forms.fm_Process;
  RunCommand([&] {
    std::vector<std::string> lines;
    const int result = ReadRegisterForWindow(
        link(), context().abort, Std(edn_NumRegistr->text()), cb_TypeChek->currentIndex(),
        cb_TypeOpl->currentIndex(), cb_TypeItog->currentIndex(), lines, [process] {
          if (process) process->cg_Time->setValue(process->cg_Time->value() + 1);
        });
    if (result != kExchangeOk) return;
    mem_Registr->clear();
    for (const std::string& line : lines) mem_Registr->appendPlainText(Qs(line));
  });
}

void Tfm_Registr::bt_ReadAllRegistrClick() {
  Tfm_Process* process = context().forms.fm_Process;
  Tfm_MenadgerReg* manager = context().forms.fm_MenadgerReg;
  if (!process || !manager || busy()) return;
  int result = 0;
  RunCommand([&] {
    ProcessRun run(process, Qs(kTextReadingRegisters));
    run.SetMaximum(kManagerGaugeMax);
    result = RunRegisterManager(link(), context().abort, grid_, [&run] { run.Step(); });
    run.SetValue(kManagerGaugeMax);
  });
  // A stopped or failed run keeps what it read: the rows read again show their new values,
  // the others their previous ones. Only a complete run shows the manager window.
  manager->ShowGrid(grid_);
  if (result != 1) return;
  manager->Open();
}

}  // namespace ptk::ui
