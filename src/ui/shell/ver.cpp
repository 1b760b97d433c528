#include "ui/shell/ver.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/shell/version.h"
#include "ui/controls/radio_group.h"
#include "ui/shell/app_context.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/qt_user_interface.h"
#include "ui/shell/wndfit.h"

namespace ptk::ui {

Tfm_Ver::Tfm_Ver(AppContext& context) : QWidget(nullptr), context_(context) {
  setObjectName("fm_Ver");
  setWindowTitle(QStringLiteral("Получение версии"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  rg_Istoch = new TRadioGroup(
      "rg_Istoch", QStringLiteral("ИСТОЧНИК"),
      {QStringLiteral("процессор с внутренним ПО ПТК"), QStringLiteral("процессор управления ФП")},
      this);
  mem_Ver = new QPlainTextEdit(this);
  mem_Ver->setObjectName("mem_Ver");
  mem_Ver->setReadOnly(true);
  mem_Ver->setFixedHeight(80);
  bt_VerOk = new QPushButton(QStringLiteral("Выполнить"), this);
  bt_VerOk->setObjectName("bt_VerOk");
  bt_VerOk->setToolTip(QStringLiteral("Получить версию"));
  bt_VerExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_VerExit->setObjectName("bt_VerExit");
  bt_VerExit->setToolTip(QStringLiteral("Выйти из режима"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rg_Istoch);
  layout->addWidget(mem_Ver);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_VerOk);
  buttons->addWidget(bt_VerExit);
  layout->addLayout(buttons);
  setFixedSize(360, sizeHint().height());

  connect(bt_VerOk, &QPushButton::clicked, this, &Tfm_Ver::bt_VerOkClick);
  connect(bt_VerExit, &QPushButton::clicked, this, &QWidget::close);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void Tfm_Ver::Open() {
  rg_Istoch->setItemIndex(0);
  mem_Ver->clear();
  CentreOnScreen(this);
  show();
  raise();
  activateWindow();
  bt_VerOk->setFocus();
}

void Tfm_Ver::SetControlsEnabled(bool enabled) {
  setEnabled(enabled);
  rg_Istoch->setEnabled(enabled);
  mem_Ver->setEnabled(enabled);
  bt_VerOk->setEnabled(enabled);
  bt_VerExit->setEnabled(enabled);
}

void Tfm_Ver::bt_VerOkClick() {
  if (running_) return;
  running_ = true;
  context_.ui.SetResult("");
  SetControlsEnabled(false);
  const auto source = static_cast<uint8_t>(rg_Istoch->itemIndex() + 1);
  if (QueryVersion(context_.link, source) == 1) {
    mem_Ver->clear();
    for (const std::string& line : ShowVersion(context_.link)) mem_Ver->appendPlainText(Qs(line));
  }
  SetControlsEnabled(true);
  running_ = false;
}

void Tfm_Ver::closeEvent(QCloseEvent* event) {
  // The window cannot go away under a running query.
  if (running_) {
    event->ignore();
    return;
  }
  if (context_.forms.fm_MainFr) context_.forms.fm_MainFr->ChildWindowClosed();
  event->accept();
}

}  // namespace ptk::ui
