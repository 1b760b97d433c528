// The "Ждите !!!" panel that a window shows in place of its controls while a command waits
// for the register, with the window's stop button "Прервать" and the stop flag it sets.
#pragma once

#include <QFrame>
#include <QList>
#include <functional>

class QLabel;
class QPushButton;

namespace ptk {
struct UserAbort;
}

namespace ptk::ui {

class TWaitPanel : public QFrame {
  Q_OBJECT
 public:
  enum class Look {
    Plain,   // a plain frame, the label in the window's font
    Sunken,  // a lowered bevel, the label in bold
  };

  // The panel pn_Sleep holding the label lb_Sleep, hidden, and the stop button
  // bt_StopReport, a child of window that the window lays out itself. A click on the stop
  // button sets abort's stop flag and disables the button.
  TWaitPanel(QWidget* window, UserAbort& abort, Look look = Look::Plain);

  // The widgets the panel takes the place of while it is shown.
  void SetReplaced(QList<QWidget*> replaced) { replaced_ = std::move(replaced); }

  // The view of a window at rest: the panel hidden, the replaced widgets shown and the
  // stop button disabled.
  void Reset();
  // The busy view of a command, on or off: the panel shown in place of the replaced
  // widgets; for a stoppable command also the stop button usable while it waits and the
  // stop flag cleared on both ends, so that a stop meant for an earlier run is not seen.
  void SetWaiting(bool waiting, bool stoppable);
  // What a running command calls once it can no longer be stopped.
  std::function<void()> DisableStop();

  QLabel* label;
  QPushButton* stopButton;

 private:
  UserAbort& abort_;
  QList<QWidget*> replaced_;
};

}  // namespace ptk::ui
