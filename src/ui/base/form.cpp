#include "ui/base/form.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QShortcut>

#include "ui/base/app_context.h"
#include "ui/base/wndfit.h"
#include "ui/controls/wait_panel.h"
#include "ui/shell/main_fr.h"

namespace ptk::ui {

TForm::TForm(AppContext& context, const char* name, const QString& caption)
    : QWidget(nullptr), context_(context) {
  setObjectName(name);
  setWindowTitle(caption);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

Link& TForm::link() {
  return context_.link;
}

UserInterface& TForm::ui() {
  return context_.ui;
}

void TForm::SetControlsEnabled(bool enabled, const QList<QWidget*>& extra) {
  setEnabled(enabled);
  for (QWidget* w : commandControls_) w->setEnabled(enabled);
  for (QWidget* w : extra) w->setEnabled(enabled);
}

bool TForm::busy() const {
  return busy_ || context_.port.LineBusy();
}

bool TForm::RunCommand(const std::function<void()>& work, const QList<QWidget*>& extra,
                       const std::function<void(bool)>& busyView) {
  // A click while an exchange holds the line (this window's or another's) is ignored.
  if (busy()) return false;
  context_.ui.SetResult("");
  SetControlsEnabled(false, extra);
  busy_ = true;
  // An exception from the work (shown by the application's exception box) must not leave
  // the window busy and its controls disabled for good.
  struct Restore {
    TForm* form;
    const QList<QWidget*>& extra;
    const std::function<void(bool)>& busyView;
    ~Restore() {
      if (busyView) busyView(false);
      form->busy_ = false;
      form->SetControlsEnabled(true, extra);
    }
  } restore{this, extra, busyView};
  if (busyView) busyView(true);
  work();
  return true;
}

bool TForm::RunWaiting(TWaitPanel& wait, const std::function<void()>& work,
                       const QList<QWidget*>& extra) {
  return RunCommand(work, extra, [&wait](bool on) { wait.SetWaiting(on, false); });
}

bool TForm::RunStoppable(TWaitPanel& wait,
                         const std::function<void(const std::function<void()>&)>& work,
                         const QList<QWidget*>& extra) {
  return RunCommand(
      [&] {
        // The stop button sits in the window: the window alone is enabled again.
        setEnabled(true);
        work(wait.DisableStop());
      },
      extra, [&wait](bool on) { wait.SetWaiting(on, true); });
}

bool TForm::RunWithStatus(QLineEdit* status, const std::function<bool()>& work) {
  status->setText(QStringLiteral("Идет выполнение команды ..."));
  const bool ok = work();
  status->setText(ok ? QStringLiteral("Команда выполнена успешно.")
                     : QStringLiteral("Ошибочное выполнение команды."));
  return ok;
}

void TForm::ShowFromMenu(QWidget* focus, bool centre) {
  if (owner_) {
    owner_->setEnabled(false);
  } else if (Tfm_MainFr* main = context_.forms.fm_MainFr) {
    main->setEnabled(false);
  }
  SetControlsEnabled(true);
  if (centre) CentreOnScreen(this);
  show();
  raise();
  activateWindow();
  if (focus) focus->setFocus();
}

void TForm::ShowOver(QWidget* owner, QWidget* focus, bool centre) {
  SetOwnerWindow(owner);
  ShowFromMenu(focus, centre);
}

void TForm::CloseLeavingMode(const std::function<void()>& exit) {
  if (busy()) return;
  RunCommand(exit);
  close();
}

void TForm::CloseOnEscape() {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void TForm::closeEvent(QCloseEvent* event) {
  // Closing under a running command would give the main window back in the middle of it.
  if (busy_ || !CloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  Closed();
  if (owner_) {
    owner_->setEnabled(true);
    owner_->activateWindow();
  } else if (Tfm_MainFr* main = context_.forms.fm_MainFr) {
    main->ChildWindowClosed();
  }
}

}  // namespace ptk::ui
