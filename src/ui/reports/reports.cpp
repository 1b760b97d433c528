#include "ui/reports/reports.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/reports/report_commands.h"
#include "core/reports/report_dialogues.h"
#include "core/reports/report_wait.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/radio_group.h"
#include "ui/controls/wait_panel.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/regcomm.h"

namespace ptk::ui {
namespace {

using build::Button;

QStringList XItems() {
  QStringList items;
  for (const XReportItem& item : XReportItems()) items << Qs(item.text);
  return items;
}

QStringList ClearingItems() {
  QStringList items;
  for (std::string_view item : ClearingReportItems()) items << Qs(item);
  return items;
}

}  // namespace

TModeReportForm::TModeReportForm(AppContext& context, const char* name, const QString& caption,
                                 const char* panelName, const QStringList& items,
                                 const char* closeName, const char* closeCaption,
                                 std::function<void(int item)> report)
    : TForm(context, name, caption), report_(std::move(report)) {
  pn_Report = new QFrame(this);
  pn_Report->setObjectName(panelName);
  pn_Report->setFrameShape(QFrame::StyledPanel);
  pn_Report->setFrameShadow(QFrame::Sunken);
  rg_TypeOtch = new TRadioGroup("rg_TypeOtch", QStringLiteral("ТИП ОТЧЕТА"), items, pn_Report);
  auto* panel = new QVBoxLayout(pn_Report);
  panel->addWidget(rg_TypeOtch);
  // A report cannot be undone: Enter and Esc never start one (the buttons are never
  // default buttons).
  bt_Otch = Button(this, "bt_Otch", "Отчет", "Печатать отчет ");
  bt_Close = Button(this, closeName, closeCaption, "Выйти из режима");
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(bt_Otch);
  buttons->addWidget(bt_Close);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(pn_Report, 1);
  layout->addLayout(buttons);
  FixClientSize(this, QSize(377, 166));
  SetCommandControls({pn_Report, rg_TypeOtch, bt_Otch, bt_Close});
  connect(bt_Otch, &QPushButton::clicked, this, &TModeReportForm::bt_OtchClick);
}

void TModeReportForm::Open() {
  rg_TypeOtch->setItemIndex(0);
  ShowFromMenu(bt_Otch, true);
}

void TModeReportForm::bt_OtchClick() {
  RunCommand([this] { report_(rg_TypeOtch->itemIndex()); });
}

void TModeReportForm::Closed() {
  // Leaving the window leaves the mode; the result shows on the result line only.
  RunCommand([this] { ExitMode(link()); });
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
}

Tfm_Reports::Tfm_Reports(AppContext& context)
    : TModeReportForm(context, "fm_Reports", QStringLiteral("РЕЖИМ ОТЧЕТОВ"), "pn_Reports",
                      XItems(), "bt_ReportsClose", "&Закрыть",
                      [this](int item) { PrintReport(link(), XReportTypeByte(item)); }) {
  connect(bt_Close, &QPushButton::clicked, this, &Tfm_Reports::bt_ReportsCloseClick);
}

void Tfm_Reports::bt_ReportsCloseClick() {
  CloseLeavingMode([this] { ExitMode(link()); });
}

Tfm_Gash::Tfm_Gash(AppContext& context)
    : TModeReportForm(context, "fm_Gash", QStringLiteral("РЕЖИМ ГАШЕНИЙ"), "pn_Gash",
                      ClearingItems(), "bt_GashClose", "Закрыть", [this](int item) {
                        PrintClearingReport(
                            link(), item == 1 ? ClearingKind::General : ClearingKind::Daily);
                      }) {
  FixClientSize(this, QSize(377, 169));
  connect(bt_Close, &QPushButton::clicked, this, &Tfm_Gash::bt_GashCloseClick);
}

void Tfm_Gash::bt_GashCloseClick() {
  CloseLeavingMode([this] { ExitModeWithMessage(link()); });
}

Tfm_AvarReport::Tfm_AvarReport(AppContext& context)
    : TForm(context, "fm_AvarReport", QStringLiteral("Аварийный отчет по ФП")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  bt_Otch = Button(this, "bt_Otch", "Отчет", "Печатать отчет ");
  bt_Close = Button(this, "bt_Close", "&Закрыть", "Выйти из режима");
  pn_Sleep = new TWaitPanel(this, context.abort, TWaitPanel::Look::Sunken);
  lb_Sleep = pn_Sleep->label;
  bt_StopReport = pn_Sleep->stopButton;
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bt_Otch);
  buttons->addWidget(bt_StopReport);
  buttons->addWidget(bt_Close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_Sleep);
  layout->addStretch();
  layout->addLayout(buttons);
  FixClientSize(this, QSize(385, 103));
  connect(bt_Otch, &QPushButton::clicked, this, &Tfm_AvarReport::bt_OtchClick);
  connect(bt_Close, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_AvarReport::Open() {
  ui().SetResult("");
  pn_Sleep->Reset();
  ShowFromMenu(bt_Otch, true);
}

void Tfm_AvarReport::bt_OtchClick() {
  RunStoppable(*pn_Sleep,
               [this](const std::function<void()>& disableStop) {
                 RunEmergencyReport(link(), context().abort, disableStop);
               },
               {bt_Otch, bt_Close});
}

}  // namespace ptk::ui
