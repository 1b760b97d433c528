#include "ui/shell/regcomm.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "core/link/direct_command.h"
#include "core/link/result_codes.h"
#include "core/receipts/money.h"
#include "core/reports/device_state.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/widget_build.h"
#include "ui/programming/prnfield.h"
#include "ui/programming/prnstr.h"
#include "ui/shell/main_fr.h"

namespace ptk::ui {
namespace {

constexpr int kModePasswordLength = 8;
constexpr int kModeFiscalMemory = 5;
constexpr int kModeProgramming = 4;

}  // namespace

Tfm_RegComm::Tfm_RegComm(AppContext& context)
    : TForm(context, "fm_RegComm", QStringLiteral("Вход в режим")) {
  lb_Pass = build::Named(new QLabel(QStringLiteral("Введите пароль доступа :"), this), "lb_Pass");
  ed_Pass = build::Named(new QLineEdit(this), "ed_Pass");
  ed_Pass->setMaxLength(kModePasswordLength);
  ed_Pass->setEchoMode(QLineEdit::Password);
  ed_Pass->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
  // Mode passwords are eight decimal digits; anything else would be packed by its low
  // four bits into a password the operator did not mean.
  ed_Pass->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ed_Pass));
  lb_Pass->setBuddy(ed_Pass);
  bt_RegCommOk = build::Button(this, "bt_RegCommOk", "Применить", "Применить настройки");
  // Kept the default button: Enter on it applies the password.
  bt_RegCommOk->setDefault(true);
  bt_RegCommNo = build::Button(this, "bt_RegCommNo", "Отменить", "Отменить настройки");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_RegCommOk);
  buttons->addWidget(bt_RegCommNo);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lb_Pass);
  layout->addWidget(ed_Pass);
  layout->addLayout(buttons);
  setMinimumWidth(340);

  SetCommandControls({ed_Pass, bt_RegCommOk, bt_RegCommNo});
  connect(bt_RegCommOk, &QPushButton::clicked, this, &Tfm_RegComm::bt_RegCommOkClick);
  connect(bt_RegCommNo, &QPushButton::clicked, this, &Tfm_RegComm::bt_RegCommNoClick);
}

void Tfm_RegComm::SetModeWindowOpener(int mode, Opener opener) {
  if (mode >= 1 && mode <= 6) openers_[static_cast<size_t>(mode)] = std::move(opener);
}

void Tfm_RegComm::OpenModeWindow(int mode) {
  if (mode >= 1 && mode <= 6 && openers_[static_cast<size_t>(mode)]) {
    openers_[static_cast<size_t>(mode)]();
    return;
  }
  // No window for this mode yet: the register is in the mode; say so and give the main
  // window back.
  ui().SetResult(ResultCodeText(0x00));
  if (Tfm_MainFr* main = context().forms.fm_MainFr) main->ChildWindowClosed();
}

void Tfm_RegComm::ModeItemClick(int mode) {
  const ModeInfo* info = FindMode(mode);
  Tfm_MainFr* main = context().forms.fm_MainFr;
  if (!info || !main || main->busy() || busy()) return;
  UserInterface& ui = this->ui();
  Link& link = this->link();

  ui.SetResult("");
  main->SetMenuLock(true);
  RequestedMode = mode;
  const int result = QueryStateCode(link);
  const int current = CurrentMode(link);
  // The model is identified under the same lock: its wait pumps messages, and nothing
  // else may start on the line meanwhile.
  int identifyError = direct_error::kOk;
  if (result == kExchangeOk && mode == kModeProgramming) identifyError = IdentifyModel(link);
  main->SetMenuLock(false);
  if (result != kExchangeOk) return;
  if (identifyError != direct_error::kOk) {
    ShowDirectError(ui, identifyError);
    return;
  }

  ui.SetResult("");
  main->setEnabled(false);
  if (current == mode) {
    hide();
    OpenModeWindow(mode);
    return;
  }
  setWindowTitle(Qs(info->regCommTitle));
  ed_Pass->clear();
  ShowFromMenu(ed_Pass);
}

void Tfm_RegComm::bt_RegCommOkClick() {
  if (busy()) return;
  if (ed_Pass->text().size() < kModePasswordLength) {
    ed_Pass->setFocus();
    ed_Pass->selectAll();
    return;
  }
  // Letters can reach the field by pasting past its key filter: refused, nothing sent.
  if (!IsDigitPassword(Std(ed_Pass->text()))) {
    ShowError(ui(), kTextBadFormat);
    ed_Pass->setFocus();
    ed_Pass->selectAll();
    return;
  }
  const int mode = RequestedMode;
  bool ok = false;
  RunCommand([&] {
    // The fiscal-memory mode is entered without leaving the current mode first.
    ok = mode == kModeFiscalMemory || ExitMode(link()) == kExchangeOk;
    if (ok) ok = EnterMode(link(), mode, Std(ed_Pass->text())) == kExchangeOk;
  });
  if (!ok) {
    // The exchange has shown the reason; the window stays for another attempt.
    ed_Pass->setFocus();
    ed_Pass->selectAll();
    return;
  }
  ui().SetResult("");
  hide();
  OpenModeWindow(mode);
}

void Tfm_RegComm::bt_RegCommNoClick() {
  close();
}

// Enter is the default button "Применить" and Escape the cancel button "Отменить"; the
// password edit passes both keys on to the window.
void Tfm_RegComm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    bt_RegCommNoClick();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    bt_RegCommOkClick();
    return;
  }
  QWidget::keyPressEvent(event);
}

ModeAndPrintWindows InstallModeEntryAndPrinting(AppContext& context) {
  ModeAndPrintWindows w;
  w.fm_PrnField = context.Adopt(std::make_unique<Tfm_PrnField>(context));
  w.fm_PrnStr = context.Adopt(std::make_unique<Tfm_PrnStr>(context));
  w.fm_RegComm = context.Adopt(std::make_unique<Tfm_RegComm>(context));
  context.forms.fm_RegComm = w.fm_RegComm;
  context.forms.fm_PrnStr = w.fm_PrnStr;
  context.forms.fm_PrnField = w.fm_PrnField;
  if (Tfm_MainFr* main = context.forms.fm_MainFr) {
    Tfm_RegComm* regComm = w.fm_RegComm;
    main->SetModeEntry([regComm](int mode) { regComm->ModeItemClick(mode); });
    Tfm_PrnStr* prnStr = w.fm_PrnStr;
    main->SetItemHandler(main->mi_PrnStr, [prnStr] { prnStr->Open(); });
    Tfm_PrnField* prnField = w.fm_PrnField;
    main->SetItemHandler(main->mi_PrnField, [prnField] { prnField->Open(); });
  }
  return w;
}

}  // namespace ptk::ui
