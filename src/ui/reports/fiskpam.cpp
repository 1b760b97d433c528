#include "ui/reports/fiskpam.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/reports/report_commands.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/page_control.h"
#include "ui/controls/wait_panel.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/regcomm.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::Named;
using build::Number;

QLineEdit* ReadOnly(QWidget* parent, const char* name) {
  auto* e = Named(new QLineEdit(parent), name);
  e->setReadOnly(true);
  return e;
}

}  // namespace

Tfm_FiskPam::Tfm_FiskPam(AppContext& context)
    : TForm(context, "fm_FiskPam", QStringLiteral("РЕЖИМ РАБОТЫ С ФП")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // Button-style tabs, all four in one row.
  pg_FiskPam = new TPageControl("pg_FiskPam", 4, this);

  tbch_ZavNum = Named(new QWidget, "tbch_ZavNum");
  ed_ZavNum = Number(tbch_ZavNum, "ed_ZavNum", 6);
  bt_ZavNumOk =
      Button(tbch_ZavNum, "bt_ZavNumOk", "Программирование", "Запрограммировать заводской номер");
  auto* zav = new QVBoxLayout(tbch_ZavNum);
  zav->addWidget(new QLabel(QStringLiteral("ВВЕДИТЕ ЗАВОДСКОЙ НОМЕР ПТК:"), tbch_ZavNum));
  zav->addWidget(ed_ZavNum);
  zav->addWidget(bt_ZavNumOk, 0, Qt::AlignRight);
  zav->addStretch();
  pg_FiskPam->addPage(tbch_ZavNum, QStringLiteral("Прогр. заводского номера"));

  tbch_Registr = Named(new QWidget, "tbch_Registr");
  ed_RegNum = Number(tbch_Registr, "ed_RegNum", 10);
  ed_INN = Number(tbch_Registr, "ed_INN", 12);
  ed_PassNew = Number(tbch_Registr, "ed_PassNew", 8);
  ed_PassNew->setEchoMode(QLineEdit::Password);
  bt_Registr = Button(tbch_Registr, "bt_Registr", "Регистрация", "Провести регистрацию");
  auto* reg = new QFormLayout(tbch_Registr);
  reg->addRow(new QLabel(QStringLiteral("ВВЕДИТЕ РЕКВИЗИТЫ:"), tbch_Registr));
  reg->addRow(QStringLiteral("Регистрационный номер "), ed_RegNum);
  reg->addRow(QStringLiteral("ИНН"), ed_INN);
  reg->addRow(QStringLiteral("Пароль"), ed_PassNew);
  reg->addRow(bt_Registr);
  pg_FiskPam->addPage(tbch_Registr, QStringLiteral("Фискализация/перерегистрация"));

  tbch_Otch = Named(new QWidget, "tbch_Otch");
  BuildRangePages(tbch_Otch, {QStringLiteral("По дате"), QStringLiteral("По номеру смены"),
                              QStringLiteral("вид информации"), QStringLiteral("полная"),
                              QStringLiteral("сокращённая"), "gb_OtchDateVid", "gb_OtchNSmVid"});
  pg_FiskPam->addPage(tbch_Otch, QStringLiteral("Отчеты"));

  tbch_Diapazon = Named(new QWidget, "tbch_Diapazon");
  bt_ZaprosOk = Button(tbch_Diapazon, "bt_ZaprosOk", "Запрос", "Получить запрос диапазонов");
  ed_DDateFirst = ReadOnly(tbch_Diapazon, "ed_DDateFirst");
  ed_DDateLast = ReadOnly(tbch_Diapazon, "ed_DDateLast");
  ed_DNSmFirst = ReadOnly(tbch_Diapazon, "ed_DNSmFirst");
  ed_DNSmLast = ReadOnly(tbch_Diapazon, "ed_DNSmLast");
  auto* ranges = new QGridLayout(tbch_Diapazon);
  ranges->addWidget(new QLabel(QStringLiteral("ДИАПАЗОНЫ ДАТ:"), tbch_Diapazon), 0, 0);
  ranges->addWidget(ed_DDateFirst, 0, 1);
  ranges->addWidget(new QLabel(QStringLiteral("__"), tbch_Diapazon), 0, 2);
  ranges->addWidget(ed_DDateLast, 0, 3);
  ranges->addWidget(new QLabel(QStringLiteral("ДИАПАЗОНЫ СМЕН:"), tbch_Diapazon), 1, 0);
  ranges->addWidget(ed_DNSmFirst, 1, 1);
  ranges->addWidget(new QLabel(QStringLiteral("__"), tbch_Diapazon), 1, 2);
  ranges->addWidget(ed_DNSmLast, 1, 3);
  ranges->addWidget(bt_ZaprosOk, 2, 3);
  pg_FiskPam->addPage(tbch_Diapazon, QStringLiteral("Диапазон"));

  bt_FiskPamClose = Button(this, "bt_FiskPamClose", "&Закрыть", "Выйти из режима ФП");
  pn_Sleep = new TWaitPanel(this, context.abort);
  pn_Sleep->SetReplaced({pg_FiskPam});
  lb_Sleep = pn_Sleep->label;
  bt_StopReport = pn_Sleep->stopButton;
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_StopReport);
  buttons->addWidget(bt_FiskPamClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pg_FiskPam, 1);
  layout->addWidget(pn_Sleep, 1);
  layout->addLayout(buttons);
  FixClientSize(this, QSize(545, 257));
  FitWindowToScreen(this);

  connect(bt_ZavNumOk, &QPushButton::clicked, this, &Tfm_FiskPam::bt_ZavNumOkClick);
  connect(bt_Registr, &QPushButton::clicked, this, &Tfm_FiskPam::bt_RegistrClick);
  connect(bt_OtchOk, &QPushButton::clicked, this, &Tfm_FiskPam::bt_OtchOkClick);
  connect(bt_ZaprosOk, &QPushButton::clicked, this, &Tfm_FiskPam::bt_ZaprosOkClick);
  connect(bt_FiskPamClose, &QPushButton::clicked, this, &Tfm_FiskPam::bt_FiskPamCloseClick);
  connect(pg_FiskPam, &TPageControl::currentChanged, this, &Tfm_FiskPam::pg_FiskPamChange);
}

void Tfm_FiskPam::Open() {
  pn_Sleep->Reset();
  for (QLineEdit* e : {static_cast<QLineEdit*>(ed_ZavNum), static_cast<QLineEdit*>(ed_RegNum),
                       static_cast<QLineEdit*>(ed_INN), static_cast<QLineEdit*>(ed_PassNew),
                       ed_DDateFirst, ed_DDateLast, ed_DNSmFirst, ed_DNSmLast})
    e->clear();
  ResetRangePages();
  pg_FiskPam->setCurrentWidget(tbch_ZavNum);
  ShowFromMenu(ed_ZavNum, true);
}

void Tfm_FiskPam::bt_ZavNumOkClick() {
  std::string digits;
  if (!ConfirmFactoryNumber(ui(), Std(ed_ZavNum->text()), digits)) return;
  RunCommand([&] { ProgramFactoryNumber(link(), digits); },
             {pg_FiskPam, ed_ZavNum, bt_ZavNumOk, bt_FiskPamClose});
}

void Tfm_FiskPam::bt_RegistrClick() {
  FiscalFields fields{Std(ed_RegNum->text()), Std(ed_INN->text()), Std(ed_PassNew->text())};
  const FiscalClick click = dialogue_.Click(ui(), fields);
  ed_RegNum->setText(Qs(fields.regNumber));
  ed_INN->setText(Qs(fields.inn));
  ed_PassNew->setText(Qs(fields.password));
  if (click != FiscalClick::Confirmed) return;
  RunWaiting(*pn_Sleep, [&] { Fiscalize(link(), fields.regNumber, fields.inn, fields.password); },
             {bt_FiskPamClose});
}

void Tfm_FiskPam::bt_OtchOkClick() {
  if (RangeEntered(ui()))
    RunStoppable(*pn_Sleep, RangeReport(link(), context().abort, ReportKind::FiscalMemory),
                 {bt_FiskPamClose});
}

void Tfm_FiskPam::bt_ZaprosOkClick() {
  int result = 0;
  RunWaiting(*pn_Sleep, [&] { result = QueryRanges(link()); }, {bt_FiskPamClose});
  if (result != kExchangeOk) return;
  const FmRanges ranges = ShowRanges(link());
  ed_DDateFirst->setText(Qs(ranges.dateFirst));
  ed_DDateLast->setText(Qs(ranges.dateLast));
  ed_DNSmFirst->setText(Qs(ranges.shiftFirst));
  ed_DNSmLast->setText(Qs(ranges.shiftLast));
}

void Tfm_FiskPam::pg_FiskPamChange() {
  QWidget* page = pg_FiskPam->currentWidget();
  if (page == tbch_ZavNum) ed_ZavNum->setFocus();
  if (page == tbch_Registr) ed_RegNum->setFocus();
  bt_StopReport->setEnabled(page == tbch_Otch);
}

void Tfm_FiskPam::bt_FiskPamCloseClick() {
  CloseLeavingMode([this] { ExitFiscalMemoryMode(link()); });
}

void Tfm_FiskPam::Closed() {
  RunCommand([this] { ExitFiscalMemoryMode(link()); });
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
}

}  // namespace ptk::ui
