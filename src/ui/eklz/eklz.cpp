#include "ui/eklz/eklz.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/eklz/eklz_commands.h"
#include "core/eklz/eklz_state.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/wait_panel.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/regcomm.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::Named;
using build::Number;

QFrame* Panel(QWidget* parent, const char* name, const char* title = nullptr) {
  auto* p = Named(new QFrame(parent), name);
  p->setFrameShape(QFrame::StyledPanel);
  if (title) {
    auto* l = new QHBoxLayout(p);
    l->setContentsMargins(2, 2, 2, 2);
    auto* label = new QLabel(QString::fromUtf8(title), p);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    l->addWidget(label, 0, Qt::AlignCenter);
  }
  return p;
}

QWidget* QueryPage(const char* name, TEditNum*& edit, const char* editName, int maxLength) {
  auto* page = Named(new QWidget, name);
  edit = Number(page, editName, maxLength);
  auto* l = new QVBoxLayout(page);
  l->addWidget(new QLabel(maxLength == 8 ? QStringLiteral("ВВЕДИТЕ НОМЕР КПК:")
                                         : QStringLiteral("ВВЕДИТЕ НОМЕР СМЕНЫ:"),
                          page));
  l->addWidget(edit);
  l->addStretch();
  return page;
}

}  // namespace

// ---- the state window ----

Tfm_SostEKLZ::Tfm_SostEKLZ(AppContext& context)
    : TForm(context, "fm_SostEKLZ", QStringLiteral("Состояние ЭКЛЗ")) {
  pn_SostEKLZ = Panel(this, "pn_SostEKLZ");
  mem_SostEKLZ = Named(new QPlainTextEdit(pn_SostEKLZ), "mem_SostEKLZ");
  mem_SostEKLZ->setReadOnly(true);
  mem_SostEKLZ->setFixedSize(201 + 120, 225);
  QPalette palette = mem_SostEKLZ->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, QColor(0, 0x80, 0x80));
  mem_SostEKLZ->setPalette(palette);
  QFont bold = mem_SostEKLZ->font();
  bold.setBold(true);
  mem_SostEKLZ->setFont(bold);
  auto* panel = new QVBoxLayout(pn_SostEKLZ);
  panel->addWidget(mem_SostEKLZ);
  bt_SostEKLZExit = Button(this, "bt_SostEKLZExit", "&Закрыть", "Выйти из режима");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(pn_SostEKLZ);
  layout->addWidget(bt_SostEKLZExit, 0, Qt::AlignBottom);
  FixClientSize(this, sizeHint());
  connect(bt_SostEKLZExit, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_SostEKLZ::Query() {
  Tfm_MainFr* main = context().forms.fm_MainFr;
  if (!main) return;
  int result = 0;
  if (!main->RunUnderMenuLock([&] { result = QueryEklzState(link()); })) return;
  if (result != kExchangeOk) return;
  mem_SostEKLZ->clear();
  for (const std::string& line : ShowEklzState(link())) mem_SostEKLZ->appendPlainText(Qs(line));
  mem_SostEKLZ->moveCursor(QTextCursor::Start);
  mem_SostEKLZ->ensureCursorVisible();
  ShowFromMenu(bt_SostEKLZExit, true);
}

// ---- the ЭКЛЗ window ----

Tfm_EKLZ::Tfm_EKLZ(AppContext& context)
    : TForm(context, "fm_EKLZ", QStringLiteral("РЕЖИМ РАБОТЫ С ЭКЛЗ")) {
  pn_EKLZ1 = Panel(this, "pn_EKLZ1");
  bt_Aktiv = Button(pn_EKLZ1, "bt_Aktiv", "АКТИВИЗАЦИЯ ", "Активизация ЭКЛЗ");
  bt_CloseArhiv = Button(pn_EKLZ1, "bt_CloseArhiv", "ЗАКРЫТИЕ  АРХИВА", "Закрытие архива ЭКЛЗ");
  bt_ItogAktiv =
      Button(pn_EKLZ1, "bt_ItogAktiv", "ИТОГИ  АКТИВИЗАЦИИ", "Печать итогов активизации ЭКЛЗ");
  auto* ops = new QHBoxLayout(pn_EKLZ1);
  for (QPushButton* b : {bt_Aktiv, bt_CloseArhiv, bt_ItogAktiv}) ops->addWidget(b);

  pn_EKLZ4 = Panel(this, "pn_EKLZ4", "ОТЧЕТЫ");
  pn_EKLZ2 = Panel(this, "pn_EKLZ2");
  BuildRangePages(pn_EKLZ2, {QStringLiteral("По датам"), QStringLiteral("По номерам смен"),
                             QStringLiteral("тип отчета"), QStringLiteral("полный"),
                             QStringLiteral("сокращённый")});

  pn_EKLZ5 = Panel(this, "pn_EKLZ5", "ЗАПРОСЫ");
  pn_EKLZ3 = Panel(this, "pn_EKLZ3");
  pg_Zapros = Named(new QTabWidget(pn_EKLZ3), "pg_Zapros");
  pg_Zapros->setUsesScrollButtons(false);
  tbch_KL = QueryPage("tbch_KL", ed_NumSmenKL, "ed_NumSmenKL", 4);
  tbch_Docum = QueryPage("tbch_Docum", ed_KPK, "ed_KPK", 8);
  tbch_ItogSmen = QueryPage("tbch_ItogSmen", ed_NumSm, "ed_NumSm", 4);
  pg_Zapros->addTab(tbch_KL, QStringLiteral("Контрольная лента"));
  pg_Zapros->addTab(tbch_Docum, QStringLiteral("Документ"));
  pg_Zapros->addTab(tbch_ItogSmen, QStringLiteral("Итоги смены"));
  bt_ZaprosOk = Button(pn_EKLZ3, "bt_ZaprosOk", "Запрос", "Получить запрос");
  auto* queries = new QVBoxLayout(pn_EKLZ3);
  queries->addWidget(pg_Zapros);
  queries->addWidget(bt_ZaprosOk, 0, Qt::AlignRight);

  pn_Sleep = new TWaitPanel(this, context.abort);
  pn_Sleep->SetReplaced({pn_EKLZ1, pn_EKLZ2, pn_EKLZ3, pn_EKLZ4, pn_EKLZ5});
  lb_Sleep = pn_Sleep->label;
  bt_StopReport = pn_Sleep->stopButton;
  bt_EKLZClose = Button(this, "bt_EKLZClose", "&Закрыть", "Выйти из режима ЭКЛЗ");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_StopReport);
  buttons->addWidget(bt_EKLZClose);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(pn_EKLZ4);
  left->addWidget(pn_EKLZ2, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(pn_EKLZ5);
  right->addWidget(pn_EKLZ3, 1);
  columns->addLayout(left);
  columns->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pn_EKLZ1);
  layout->addLayout(columns, 1);
  layout->addWidget(pn_Sleep, 1);
  layout->addLayout(buttons);

  connect(bt_Aktiv, &QPushButton::clicked, this, &Tfm_EKLZ::bt_AktivClick);
  connect(bt_ItogAktiv, &QPushButton::clicked, this, &Tfm_EKLZ::bt_ItogAktivClick);
  connect(bt_CloseArhiv, &QPushButton::clicked, this, &Tfm_EKLZ::bt_CloseArhivClick);
  connect(bt_OtchOk, &QPushButton::clicked, this, &Tfm_EKLZ::bt_OtchOkClick);
  connect(bt_ZaprosOk, &QPushButton::clicked, this, &Tfm_EKLZ::bt_ZaprosOkClick);
  connect(bt_EKLZClose, &QPushButton::clicked, this, &Tfm_EKLZ::bt_EKLZCloseClick);
}

void Tfm_EKLZ::Open() {
  pn_Sleep->Reset();
  ResetRangePages();
  for (TEditNum* e : {ed_NumSmenKL, ed_KPK, ed_NumSm}) e->clear();
  pg_Zapros->setCurrentWidget(tbch_ItogSmen);
  ShowFromMenu(bt_EKLZClose, true);
}

void Tfm_EKLZ::Operation(int operation) {
  const auto op = static_cast<EklzOperation>(operation);
  if (!AskYesNo(ui(), EklzQuestion(op))) return;
  RunWaiting(*pn_Sleep, [&] { RunEklzOperation(link(), op); }, {bt_EKLZClose});
}

void Tfm_EKLZ::bt_AktivClick() {
  Operation(static_cast<int>(EklzOperation::Activate));
}
void Tfm_EKLZ::bt_ItogAktivClick() {
  Operation(static_cast<int>(EklzOperation::ActivationTotals));
}
void Tfm_EKLZ::bt_CloseArhivClick() {
  Operation(static_cast<int>(EklzOperation::CloseArchive));
}

void Tfm_EKLZ::bt_OtchOkClick() {
  if (RangeEntered(ui()))
    RunStoppable(*pn_Sleep, RangeReport(link(), context().abort, ReportKind::Eklz), {bt_EKLZClose});
}

void Tfm_EKLZ::bt_ZaprosOkClick() {
  QWidget* page = pg_Zapros->currentWidget();
  const EklzQuery query = page == tbch_KL      ? EklzQuery::ShiftTape
                          : page == tbch_Docum ? EklzQuery::Document
                                               : EklzQuery::ShiftTotals;
  const TEditNum* field = page == tbch_KL ? ed_NumSmenKL : page == tbch_Docum ? ed_KPK : ed_NumSm;
  const std::string text = Std(field->text());
  if (!EklzQueryEntered(ui(), query, text)) return;
  RunStoppable(*pn_Sleep,
               [&](const std::function<void()>& disableStop) {
                 RunEklzQuery(link(), context().abort, query, text, disableStop);
               },
               {bt_EKLZClose});
}

void Tfm_EKLZ::bt_EKLZCloseClick() {
  close();
}

void Tfm_EKLZ::Closed() {
  RunCommand([this] { ExitEklzMode(link()); });
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
}

}  // namespace ptk::ui
