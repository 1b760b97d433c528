#include "ui/settings/config_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/link/card_reader.h"
#include "core/link/port_names.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/table_fields.h"
#include "core/settings/config.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/radio_group.h"

namespace ptk::ui {
namespace {

constexpr int kNoReader = 0;  // "нет", the first entry of the card reader list
constexpr uint8_t kSystemAdministratorRow = 30;

QGroupBox* Group(QWidget* parent, const char* title, QWidget* content) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(content);
  return box;
}

// The password field takes the digits '0' to '9' only: every other typed character,
// Backspace included, is discarded (keys without a character, such as Delete or the
// arrows, keep their editing).
class PasswordEdit : public QLineEdit {
 public:
  PasswordEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString typed = event->text();
    const bool character = !typed.isEmpty() && !(event->modifiers() & Qt::ControlModifier);
    if (event->key() == Qt::Key_Backspace ||
        (character && (typed.size() != 1 || typed[0] < u'0' || typed[0] > u'9'))) {
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
};

}  // namespace

Tfm_Config::Tfm_Config(AppContext& context)
    : TForm(context, "fm_Config", QStringLiteral("Настройка ...")) {
  pg_Config = new QTabWidget(this);
  pg_Config->setUsesScrollButtons(false);
  pg_Config->setObjectName("pg_Config");
  tsh_Connect = new QWidget;
  tsh_Connect->setObjectName("tsh_Connect");
  cbport = new QComboBox(tsh_Connect);
  cbport->setObjectName("cbport");
  rg_BaudeFr = new TRadioGroup("rg_BaudeFr", QStringLiteral(" Скорость обмена "),
                               {"9600", "19200", "38400", "57600", "115200"}, tsh_Connect);
  ed_PassFr = new PasswordEdit(QStringLiteral("7391"), tsh_Connect);
  ed_PassFr->setObjectName("ed_PassFr");
  ed_PassFr->setMaxLength(4);
  ed_PassFr->setContextMenuPolicy(Qt::NoContextMenu);
  ed_PassFr->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ed_PassFr));
  cbmcrport = new QComboBox(tsh_Connect);
  cbmcrport->setObjectName("cbmcrport");
  auto* page = new QVBoxLayout(tsh_Connect);
  page->addWidget(Group(tsh_Connect, "Порт", cbport));
  page->addWidget(rg_BaudeFr);
  page->addWidget(Group(tsh_Connect, " Пароль на связь ", ed_PassFr));
  page->addWidget(Group(tsh_Connect, " Порт считывателя магнитных карт ", cbmcrport));
  pg_Config->addTab(tsh_Connect, QStringLiteral("Настройка связи"));

  bt_ConfigOk = new QPushButton(QStringLiteral("Применить"), this);
  bt_ConfigOk->setObjectName("bt_ConfigOk");
  bt_ConfigOk->setToolTip(QStringLiteral("Применить настройки"));
  bt_ConfigNo = new QPushButton(QStringLiteral("Отменить"), this);
  bt_ConfigNo->setObjectName("bt_ConfigNo");
  bt_ConfigNo->setToolTip(QStringLiteral("Отменить настройки"));
  bt_ConfigExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_ConfigExit->setObjectName("bt_ConfigExit");
  bt_ConfigExit->setToolTip(QStringLiteral("Выйти из режима настройки"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bt_ConfigOk);
  buttons->addWidget(bt_ConfigNo);
  buttons->addStretch();
  buttons->addWidget(bt_ConfigExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pg_Config);
  layout->addLayout(buttons);
  FixClientSize(this, sizeHint().expandedTo(QSize(380, 0)));
  FitWindowToScreen(this);

  SetCommandControls(
      {pg_Config, bt_ConfigOk, bt_ConfigNo, bt_ConfigExit, cbport, ed_PassFr, rg_BaudeFr});
  connect(bt_ConfigOk, &QPushButton::clicked, this, &Tfm_Config::bt_ConfigOkClick);
  connect(bt_ConfigNo, &QPushButton::clicked, this, &Tfm_Config::bt_ConfigNoClick);
  connect(bt_ConfigExit, &QPushButton::clicked, this, &QWidget::close);
  connect(cbport, &QComboBox::currentIndexChanged, this, &Tfm_Config::cbportChange);
  connect(cbmcrport, &QComboBox::currentIndexChanged, this, &Tfm_Config::cbmcrportChange);
}

void Tfm_Config::FillPorts() {
  syncing_ = true;
  cbport->clear();
  cbmcrport->clear();
  cbmcrport->addItem(QStringLiteral("нет"));
  QStringList ports;
  for (const std::string& name : EnumerateSerialPorts()) ports << Qs(name);
  // The ports in use stay choosable even when they are device paths (a USB adapter by
  // its id, the virtual register's pseudo-terminal).
  const Settings& s = context().settings;
  for (const std::string& inUse : {s.portName, s.cardReaderName}) {
    if (!inUse.empty() && !ports.contains(Qs(inUse))) ports << Qs(inUse);
  }
  cbport->addItems(ports);
  cbmcrport->addItems(ports);
  cbmcrport->setCurrentIndex(kNoReader);
  syncing_ = false;
}

void Tfm_Config::Open() {
  ui().SetResult("");
  FillPorts();
  ShowFromMenu(bt_ConfigOk, true);
  LoadStored();
  const Settings& s = context().settings;
  const std::string reader = CardReaderPortName(s);
  const int readerItem = reader.empty() ? kNoReader : cbmcrport->findText(Qs(reader));
  cbmcrport->setCurrentIndex(readerItem < 0 ? kNoReader : readerItem);
}

void Tfm_Config::LoadStored() {
  Settings& s = context().settings;
  const std::string port = s.portName;
  for (int which = 1; which <= 3; ++which) LoadSetting(s, which, ui());
  // A port given for this run (the command line, the virtual register) stays in use.
  if (!context().portOverride.empty()) s.portName = port;
  for (int which = 1; which <= 3; ++which) ShowSetting(which);
}

void Tfm_Config::ShowSetting(int which) {
  const Settings& s = context().settings;
  switch (which) {
    case 1:
      cbport->setCurrentIndex(cbport->findText(Qs(s.portName)));
      break;
    case 2:
      for (int i = 0; i < 5; ++i)
        if (s.baudName == kBaudNames[i]) rg_BaudeFr->setItemIndex(i);
      break;
    case 3:
      ed_PassFr->setText(Qs(s.AccessPassword));
      break;
    default:
      break;
  }
}

void Tfm_Config::TakeSetting(int which) {
  Settings& s = context().settings;
  switch (which) {
    case 1:
      // No port chosen keeps the port in use.
      if (cbport->currentIndex() >= 0) {
        s.portName = Std(cbport->currentText());
        s.PortIndex = ComNumber(s.portName).value_or(1) - 1;
      }
      break;
    case 2:
      if (rg_BaudeFr->itemIndex() >= 0) {
        s.BaudIndex = rg_BaudeFr->itemIndex();
        s.baudName = kBaudNames[s.BaudIndex];
      }
      break;
    case 3:
      s.pendingPassword = Std(ed_PassFr->text());
      break;
    default:
      break;
  }
}

void Tfm_Config::cbportChange() {
  if (syncing_) return;
  if (cbmcrport->currentIndex() == cbport->currentIndex() + 1)
    cbmcrport->setCurrentIndex(kNoReader);
}

void Tfm_Config::cbmcrportChange() {
  if (syncing_) return;
  if (cbmcrport->currentIndex() > kNoReader &&
      cbmcrport->currentIndex() == cbport->currentIndex() + 1)
    cbmcrport->setCurrentIndex(-1);
}

void Tfm_Config::bt_ConfigNoClick() {
  LoadStored();
}

void Tfm_Config::bt_ConfigOkClick() {
  RunCommand([this] {
    Settings& s = context().settings;
    // The card reader: a port of the list, or none (nothing chosen counts as none).
    const int reader = cbmcrport->currentIndex();
    const std::string readerName = reader > kNoReader ? Std(cbmcrport->currentText()) : "";
    s.CardReaderPort = ComNumber(readerName).value_or(0);
    s.cardReaderName = readerName;
    for (int which = 1; which <= 3; ++which) TakeSetting(which);
    for (int which = 1; which <= 3; ++which) SaveSetting(s, which, ui());
    for (int which = 1; which <= 3; ++which) LoadSetting(s, which, ui());
    context().portOverride.clear();
    SerialPort& port = context().port;
    port.ClosePort();
    if (!port.OpenPort(s.portName)) {
      ShowError(ui(), "Порт недоступен!");
      return;
    }
    if (!port.ConfigurePort(s.BaudIndex)) {
      ShowError(ui(), "Нет связи!");
      return;
    }
    // The password the register is configured with becomes the program's, in memory.
    Link& l = link();
    if (ExitMode(l) != kExchangeOk) return;
    if (ReadTableField(l, context().abort, kUsersTable, kSystemAdministratorRow, 1) != kExchangeOk)
      return;
    const std::string admin = DecodePacked(ClassicAnswerData(l).first(4));
    if (EnterMode(l, 4, admin) != kExchangeOk) return;
    if (ReadTableField(l, context().abort, kSettingsTable, 1, settings_field::kCommPassword) !=
        kExchangeOk)
      return;
    s.AccessPassword = DecodePacked(ClassicAnswerData(l).first(2));
    ExitMode(l);
  });
}

}  // namespace ptk::ui
