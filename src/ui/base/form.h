// The base of the program's windows: what every window that sends commands does the same
// way. A command clears the result line, disables the window and its group of controls
// and marks the window busy while it runs, and enables everything again however it ended;
// a busy window refuses to close; a window that closes tells the main window, which takes
// the person back.
#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class QLineEdit;

namespace ptk {
class Link;
class UserInterface;
}  // namespace ptk

namespace ptk::ui {

class AppContext;
class TWaitPanel;

class TForm : public QWidget {
  Q_OBJECT
 public:
  // A dialog-like top-level window named name with the caption.
  TForm(AppContext& context, const char* name, const QString& caption);

  // True while a command of this window runs, or any exchange holds the line.
  bool busy() const;
  // The window that takes the person back when this one closes (the main window when
  // none is set).
  void SetOwnerWindow(QWidget* owner) { owner_ = owner; }

 protected:
  AppContext& context() { return context_; }
  Link& link();
  UserInterface& ui();

  // The controls a command disables besides the window itself (and enables again).
  void SetCommandControls(QList<QWidget*> controls) { commandControls_ = std::move(controls); }
  // Runs one command of the window: the result line cleared, the window, its command
  // controls and extra disabled and the window busy while work runs, then everything
  // enabled again. busyView, when given, is called with true before the work and with
  // false by the same guard that enables the controls again, so that a wait panel or a
  // stop button is put back however the work ended. A command asked for while one runs
  // does nothing; false then.
  bool RunCommand(const std::function<void()>& work, const QList<QWidget*>& extra = {},
                  const std::function<void(bool)>& busyView = {});
  // A command that waits with the wait panel shown in place of the window's controls.
  bool RunWaiting(TWaitPanel& wait, const std::function<void()>& work,
                  const QList<QWidget*>& extra = {});
  // A command the person can stop: as RunWaiting, but while the work runs the window is
  // enabled again for the wait panel's stop button (the command controls and extra stay
  // disabled), and the stop flag is cleared on both ends. The work gets what to call once
  // the run can no longer be stopped.
  bool RunStoppable(TWaitPanel& wait,
                    const std::function<void(const std::function<void()>& disableStop)>& work,
                    const QList<QWidget*>& extra = {});
  // Enables or disables the window and its command controls.
  void SetControlsEnabled(bool enabled, const QList<QWidget*>& extra = {});

  // The status line of a window that has one: "Идет выполнение команды ..." while work
  // runs, then "Команда выполнена успешно." or "Ошибочное выполнение команды." by what
  // work returns (true: success), which is returned.
  bool RunWithStatus(QLineEdit* status, const std::function<bool()>& work);

  // Opens the window: its owner (the main window when none is set) disabled until this
  // window closes, the window and its command controls enabled, the window shown (centred
  // on the screen when asked), raised and active, the focus on focus.
  void ShowFromMenu(QWidget* focus, bool centre = false);
  // The same over owner, which becomes the window's owner.
  void ShowOver(QWidget* owner, QWidget* focus, bool centre = false);
  // The close button of a window of a register mode: unless a command runs, exit (which
  // leaves the mode) run as a command, then the window closed.
  void CloseLeavingMode(const std::function<void()>& exit);
  // Escape closes the window.
  void CloseOnEscape();

  // The window's close query: false keeps it open. Not asked while a command runs.
  virtual bool CloseQuery() { return true; }
  // After the window has closed, before the main window takes over again.
  virtual void Closed() {}

  void closeEvent(QCloseEvent* event) override;

 private:
  AppContext& context_;
  QList<QWidget*> commandControls_;
  QWidget* owner_ = nullptr;
  bool busy_ = false;
};

}  // namespace ptk::ui
