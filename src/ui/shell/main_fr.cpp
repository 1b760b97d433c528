#include "ui/shell/main_fr.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "core/link/port_names.h"
#include "core/reports/device_state.h"
#include "core/settings/config.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/reports/sostfr.h"
#include "ui/shell/animate.h"
#include "ui/shell/help.h"
#include "ui/shell/tape.h"
#include "ui/shell/ver.h"

namespace ptk::ui {
namespace {

constexpr int kClientWidth = 640;

}  // namespace

Tfm_MainFr::Tfm_MainFr(AppContext& context) : QMainWindow(nullptr), context_(context) {
  setObjectName("fm_MainFr");
  setWindowTitle(QStringLiteral("Тестовая программа для ПТК"));
  BuildMenu();
  BuildClient();
  // Fixed border: the window keeps the size of its content.
  // Wide enough for the whole menu bar on one line, so that no item hides behind the
  // bar's overflow button.
  adjustSize();
  const int width = std::max(kClientWidth, MainMenu_Fr->sizeHint().width() + 8);
  FixClientSize(this, sizeHint().expandedTo(QSize(width, 0)));
  CentreOnScreen(this);
  FitWindowToScreen(this);
}

Tfm_MainFr::~Tfm_MainFr() {
  // The menu bar and the two items refer to the submenus, which go before them.
  delete MainMenu_Fr;
  mi_Config->setMenu(static_cast<QMenu*>(nullptr));
  mi_Zapros->setMenu(static_cast<QMenu*>(nullptr));
}

QAction* Tfm_MainFr::AddItem(QWidget* menu, const char* name, const char* caption) {
  auto* action = new QAction(QString::fromUtf8(caption), this);
  action->setObjectName(name);
  menu->addAction(action);
  return action;
}

void Tfm_MainFr::BuildMenu() {
  MainMenu_Fr = menuBar();
  MainMenu_Fr->setObjectName("MainMenu_Fr");
  MainMenu_Fr->setNativeMenuBar(false);

  configMenu_ = std::make_unique<QMenu>(QStringLiteral("Конфигуратор"));
  mi_ConfigMenu = configMenu_.get();
  mi_ConfigMenu->setObjectName("mi_Config");
  mi_Config = new QAction(mi_ConfigMenu->title(), this);
  mi_Config->setObjectName("mi_Config");
  mi_Config->setMenu(mi_ConfigMenu);
  MainMenu_Fr->addAction(mi_Config);
  QMenu* c = mi_ConfigMenu;
  mi_Nastr = AddItem(c, "mi_Nastr", "Настройка ...");
  c->addSeparator();
  mi_ExitRegim = AddItem(c, "mi_ExitRegim", "Выход из текущего режима");
  mi_IgnoreChek = AddItem(c, "mi_IgnoreChek", "Отменить чек");
  c->addSeparator();
  mi_PrnStr = AddItem(c, "mi_PrnStr", "Печать строки");
  mi_PrnField = AddItem(c, "mi_PrnField", "Печать поля");
  mi_PrnBmp = AddItem(c, "mi_PrnBmp", "Печать картинки с ПК");
  mi_PrnTitleChek = AddItem(c, "mi_PrnTitleChek", "Печать заголовка чека");
  mi_PrnEndChek = AddItem(c, "mi_PrnEndChek", "Печать окончания чека");
  c->addSeparator();
  mi_OtrChek = AddItem(c, "mi_OtrChek", "Отрезать чек");
  mi_Beep = AddItem(c, "mi_Beep", "Звуковой сигнал");
  mi_Gudok = AddItem(c, "mi_Gudok", "Гудок");
  mi_OpenManeyBox = AddItem(c, "mi_OpenManeyBox", "Открыть денежный ящик");
  c->addSeparator();
  mi_DemoPrn = AddItem(c, "mi_DemoPrn", "Демонстрационная печать");
  mi_TehnolNull = AddItem(c, "mi_TehnolNull", "Технологическое обнуление ");
  mi_InitTable = AddItem(c, "mi_InitTable", "Инициализация таблиц");

  zaprosMenu_ = std::make_unique<QMenu>(QStringLiteral("Запросы"));
  mi_ZaprosMenu = zaprosMenu_.get();
  mi_ZaprosMenu->setObjectName("mi_Zapros");
  mi_Zapros = new QAction(mi_ZaprosMenu->title(), this);
  mi_Zapros->setObjectName("mi_Zapros");
  mi_Zapros->setMenu(mi_ZaprosMenu);
  MainMenu_Fr->addAction(mi_Zapros);
  QMenu* z = mi_ZaprosMenu;
  mi_SostKKM = AddItem(z, "mi_SostKKM", "Состояние ПТК");
  mi_KodSostKKM = AddItem(z, "mi_KodSostKKM", "Код состояния ПТК");
  mi_SostEKLZ = AddItem(z, "mi_SostEKLZ", "Состояние ЭКЛЗ");
  mi_NalMoney = AddItem(z, "mi_NalMoney", "Сумма наличных денег в ящике");
  mi_LastSmenItog = AddItem(z, "mi_LastSmenItog", "Сумма последнего сменного итога");
  mi_TypeUstr = AddItem(z, "mi_TypeUstr", "Тип устройства");
  mi_Ver = AddItem(z, "mi_Ver", "Версия");
  mi_Reg = AddItem(z, "mi_Reg", "Регистры");
  mi_AvarReport = AddItem(z, "mi_AvarReport", "Аварийный отчет по ФП");

  mi_Program = AddItem(MainMenu_Fr, "mi_Program", "Программирование");
  mi_Registr = AddItem(MainMenu_Fr, "mi_Registr", "Регистрации");
  mi_Reports = AddItem(MainMenu_Fr, "mi_Reports", "Отчеты");
  mi_Gash = AddItem(MainMenu_Fr, "mi_Gash", "Гашения");
  mi_FiskPam = AddItem(MainMenu_Fr, "mi_FiskPam", "ФП");
  mi_EKLZ = AddItem(MainMenu_Fr, "mi_EKLZ", "ЭКЛЗ");
  mi_Help = AddItem(MainMenu_Fr, "mi_Help", "О программе");
  mi_Exit = AddItem(MainMenu_Fr, "mi_Exit", "Выход");

  // Hidden items cannot be chosen; their handlers exist all the same.
  for (QAction* hidden : {mi_PrnField, mi_PrnBmp, mi_PrnEndChek, mi_TehnolNull, mi_FiskPam}) {
    hidden->setVisible(false);
  }
  mi_PrnEndChek->setEnabled(false);

  // Items whose windows are added later: present, disabled until they get a handler.
  for (QAction* later : {mi_Nastr, mi_PrnStr, mi_PrnField, mi_PrnBmp, mi_OtrChek, mi_Beep,
                         mi_SostEKLZ, mi_NalMoney, mi_LastSmenItog, mi_Reg, mi_AvarReport}) {
    later->setEnabled(false);
  }
  for (QAction* mode : {mi_Program, mi_Registr, mi_Reports, mi_Gash, mi_FiskPam, mi_EKLZ}) {
    mode->setEnabled(false);
    unavailable_.insert(mode);
  }

  const struct {
    QAction* item;
    ServiceCommandId id;
  } oneShots[] = {
      {mi_Gudok, ServiceCommandId::Beep},
      {mi_OpenManeyBox, ServiceCommandId::OpenDrawer},
      {mi_DemoPrn, ServiceCommandId::DemoPrint},
      {mi_TehnolNull, ServiceCommandId::TechReset},
      {mi_InitTable, ServiceCommandId::InitTables},
      {mi_PrnTitleChek, ServiceCommandId::PrintHeader},
      {mi_PrnEndChek, ServiceCommandId::PrintEnding},
  };
  for (const auto& row : oneShots) {
    const ServiceCommandId id = row.id;
    connect(row.item, &QAction::triggered, this, [this, id] { RunOneShot(id); });
  }
  connect(mi_IgnoreChek, &QAction::triggered, this, &Tfm_MainFr::mi_IgnoreChekClick);
  connect(mi_ExitRegim, &QAction::triggered, this, &Tfm_MainFr::mi_ExitRegimClick);
  connect(mi_SostKKM, &QAction::triggered, this, &Tfm_MainFr::mi_SostKKMClick);
  connect(mi_KodSostKKM, &QAction::triggered, this, &Tfm_MainFr::mi_KodSostKKMClick);
  connect(mi_TypeUstr, &QAction::triggered, this, &Tfm_MainFr::mi_TypeUstrClick);
  connect(mi_Ver, &QAction::triggered, this, &Tfm_MainFr::mi_VerClick);
  connect(mi_Help, &QAction::triggered, this, &Tfm_MainFr::mi_HelpClick);
  connect(mi_Exit, &QAction::triggered, this, &Tfm_MainFr::mi_ExitClick);
  const struct {
    QAction* item;
    int mode;
  } modes[] = {{mi_Registr, 1}, {mi_Reports, 2}, {mi_Gash, 3},
               {mi_Program, 4}, {mi_FiskPam, 5}, {mi_EKLZ, 6}};
  for (const auto& row : modes) {
    const int mode = row.mode;
    connect(row.item, &QAction::triggered, this, [this, mode] { mi_ModeClick(mode); });
  }
}

void Tfm_MainFr::BuildClient() {
  auto* client = new QWidget(this);
  client->setObjectName("client");
  auto* grid = new QGridLayout(client);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(10);

  Label1 = new QLabel(QStringLiteral("Результат"), client);
  Label1->setObjectName("Label1");
  Label2 = new QLabel(QStringLiteral("выполнения команды"), client);
  Label2->setObjectName("Label2");
  auto* labels = new QVBoxLayout;
  labels->setSpacing(0);
  labels->addWidget(Label1);
  labels->addWidget(Label2);

  Panel1 = new QFrame(client);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setFrameShadow(QFrame::Sunken);
  ed_rezult = new QLineEdit(Panel1);
  ed_rezult->setObjectName("ed_rezult");
  ed_rezult->setReadOnly(true);
  auto* panelLayout = new QHBoxLayout(Panel1);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  panelLayout->addWidget(ed_rezult);

  grid->addLayout(labels, 0, 0);
  grid->addWidget(Panel1, 0, 1);
  grid->setColumnStretch(1, 1);

  pn_Animate = new QFrame(client);
  pn_Animate->setObjectName("pn_Animate");
  pn_Animate->setFrameShape(QFrame::StyledPanel);
  lb_Animate = new QLabel(QStringLiteral("Идет настройка оборудования..."), pn_Animate);
  lb_Animate->setObjectName("lb_Animate");
  an_Animate = new TAnimate(pn_Animate);
  an_Animate->setObjectName("an_Animate");
  auto* animLayout = new QHBoxLayout(pn_Animate);
  animLayout->addWidget(an_Animate);
  animLayout->addWidget(lb_Animate, 1);
  pn_Animate->hide();
  lb_Animate->hide();
  an_Animate->hide();
  grid->addWidget(pn_Animate, 1, 0, 1, 2);

  // The paper tape of the virtual register; not part of the register's menu.
  bt_Tape = new QPushButton(QStringLiteral("Лента ПТК"), client);
  bt_Tape->setObjectName("bt_Tape");
  bt_Tape->setToolTip(QStringLiteral("Показать ленту виртуального ПТК (Ctrl+L)"));
  bt_Tape->setVisible(context_.emulator() != nullptr);
  grid->addWidget(bt_Tape, 0, 2);
  connect(bt_Tape, &QPushButton::clicked, this, &Tfm_MainFr::ShowTape);
  auto* tapeShortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+L")), this);
  connect(tapeShortcut, &QShortcut::activated, this, &Tfm_MainFr::ShowTape);

  setCentralWidget(client);
  if (auto* qui = dynamic_cast<QtUserInterface*>(&context_.ui)) qui->AttachResultLine(ed_rezult);
}

QList<QAction*> Tfm_MainFr::TopLevelItems() const {
  return {mi_Config, mi_Zapros,  mi_Program, mi_Registr, mi_Reports,
          mi_Gash,   mi_FiskPam, mi_EKLZ,    mi_Help,    mi_Exit};
}

void Tfm_MainFr::SetMenuLock(bool locked) {
  setEnabled(!locked);
  for (QAction* item : TopLevelItems()) item->setEnabled(!locked && !unavailable_.contains(item));
}

void Tfm_MainFr::SetItemHandler(QAction* item, Handler handler) {
  if (!item || !handler) return;
  connect(item, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
  unavailable_.remove(item);
  if (item != mi_PrnEndChek) item->setEnabled(true);
}

void Tfm_MainFr::SetModeEntry(ModeEntry entry) {
  modeEntry_ = std::move(entry);
  for (QAction* mode : {mi_Program, mi_Registr, mi_Reports, mi_Gash, mi_FiskPam, mi_EKLZ}) {
    if (modeEntry_) {
      unavailable_.remove(mode);
    } else {
      unavailable_.insert(mode);
    }
    mode->setEnabled(static_cast<bool>(modeEntry_) && isEnabled());
  }
}

void Tfm_MainFr::BeginCommand() {
  busy_ = true;
  SetMenuLock(true);
}

void Tfm_MainFr::EndCommand() {
  SetMenuLock(false);
  busy_ = false;
  if (closePending_) {
    closePending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

template <class F>
void Tfm_MainFr::Locked(F&& work) {
  BeginCommand();
  work();
  EndCommand();
}

bool Tfm_MainFr::busy() const {
  return busy_ || context_.port.LineBusy();
}

bool Tfm_MainFr::RunUnderMenuLock(const std::function<void()>& work) {
  if (busy()) return false;
  context_.ui.SetResult("");
  Locked(work);
  return !closePending_;
}

bool Tfm_MainFr::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return QMainWindow::event(e);
}

void Tfm_MainFr::FormActivate() {
  // The boxes shown below activate the window again when they close.
  if (activated_ || activating_) return;
  activating_ = true;
  Settings& s = context_.settings;
  UserInterface& ui = context_.ui;
  LoadSetting(s, 1, ui);
  LoadSetting(s, 2, ui);
  if (!context_.portOverride.empty()) {
    s.portName = context_.portOverride;
    const std::optional<int> n = ComNumber(s.portName);
    s.PortIndex = n ? *n - 1 : 0;
  }
  if (!context_.port.OpenPort(s.portName)) {
    ShowError(ui, "Порт недоступен!");
  } else if (!context_.port.ConfigurePort(s.BaudIndex)) {
    ShowError(ui, "Нет связи!");
  } else {
    LoadSetting(s, 3, ui);
  }
  ui.SetResult("");
  SetMenuLock(true);
  pn_Animate->show();
  lb_Animate->show();
  an_Animate->show();
  an_Animate->Start();
  SetMenuLock(false);
  pn_Animate->hide();
  lb_Animate->hide();
  an_Animate->Stop();
  an_Animate->hide();
  ui.SetResult("");
  activated_ = true;
  activating_ = false;
}

void Tfm_MainFr::closeEvent(QCloseEvent* e) {
  if (busy()) {
    // An exchange is waiting inside this handler's caller: let it give up, then close.
    closePending_ = true;
    if (auto* qui = dynamic_cast<QtUserInterface*>(&context_.ui)) qui->SetQuitting();
    e->ignore();
    return;
  }
  context_.port.ClosePort();
  e->accept();
  emit closed();
}

void Tfm_MainFr::ChildWindowClosed() {
  setEnabled(true);
  activateWindow();
}

void Tfm_MainFr::RunOneShot(ServiceCommandId id) {
  if (busy()) return;
  context_.ui.SetResult("");
  Locked([&] { RunServiceCommand(context_.link, id); });
}

void Tfm_MainFr::mi_IgnoreChekClick() {
  if (busy()) return;
  context_.ui.SetResult("");
  if (!ConfirmServiceCommand(context_.ui, ServiceCommandId::CancelReceipt)) return;
  // Only the main window is disabled here; the menu items stay as they are.
  busy_ = true;
  setEnabled(false);
  RunServiceCommand(context_.link, ServiceCommandId::CancelReceipt);
  setEnabled(true);
  busy_ = false;
  if (closePending_) {
    closePending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void Tfm_MainFr::mi_ExitRegimClick() {
  if (busy()) return;
  context_.ui.SetResult("");
  if (!AskYesNo(context_.ui, kExitModeQuestion)) return;
  Locked([&] { ExitMode(context_.link); });
}

void Tfm_MainFr::RunStateQuery(int which, const QString& caption) {
  if (busy() || !context_.forms.fm_SostFR) return;
  context_.ui.SetResult("");
  Tfm_SostFR* window = context_.forms.fm_SostFR;
  int result = 0;
  Locked([&] {
    Link& link = context_.link;
    switch (which) {
      case 0:
        result = QueryDeviceState(link);
        if (result == 1) window->SetLines(ShowDeviceState(link));
        break;
      case 1:
        result = QueryStateCode(link);
        if (result == 1) {
          DecodeStateCode(link);
          window->SetLines(ShowStateCode(link));
        }
        break;
      default:
        result = QueryDeviceType(link);
        if (result == 1) window->SetLines(ShowDeviceType(link));
        break;
    }
  });
  if (result != 1 || closePending_) return;
  setEnabled(false);
  window->setWindowTitle(caption);
  window->Open();
}

void Tfm_MainFr::mi_SostKKMClick() {
  RunStateQuery(0, QStringLiteral("Состояние ПТК"));
}
void Tfm_MainFr::mi_KodSostKKMClick() {
  RunStateQuery(1, QStringLiteral("Код состояния ПТК"));
}
void Tfm_MainFr::mi_TypeUstrClick() {
  RunStateQuery(2, QStringLiteral("Тип устройства"));
}

void Tfm_MainFr::mi_VerClick() {
  if (busy() || !context_.forms.fm_Ver) return;
  context_.ui.SetResult("");
  setEnabled(false);
  context_.forms.fm_Ver->Open();
}

void Tfm_MainFr::mi_HelpClick() {
  if (busy() || !context_.forms.fm_Help) return;
  context_.ui.SetResult("");
  setEnabled(false);
  context_.forms.fm_Help->Open();
}

void Tfm_MainFr::mi_ExitClick() {
  if (busy()) return;
  if (AskYesNo(context_.ui, "Вы действительно хотите выйти из программы?")) close();
}

void Tfm_MainFr::mi_ModeClick(int mode) {
  if (busy() || !modeEntry_) return;
  context_.ui.SetResult("");
  modeEntry_(mode);
}

void Tfm_MainFr::ShowTape() {
  if (context_.forms.fm_Tape) context_.forms.fm_Tape->Open();
}

}  // namespace ptk::ui
