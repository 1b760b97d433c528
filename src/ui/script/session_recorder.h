// Records a session as a script while it goes: what the person does in the program's
// windows becomes the steps the script driver would perform to do the same (menu, type,
// key, set, click, close), each box's answer and each dialog's file are written before
// the step that asked for them, and a press made while an earlier step still runs becomes
// a `later` step of that one. Every step is flushed to the file as soon as it is known,
// so that a session that ends in a crash still leaves its steps. It only watches: the
// program does the same with and without it.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/base/application.h"
#include "ui/base/qt_user_interface.h"

class QAbstractButton;
class QAction;
class QTableWidget;
class QWidget;

namespace ptk::ui {

class SessionRecorder final : public QObject,
                              public InputWatcher,
                              public QtUserInterface::Observer {
  Q_OBJECT
 public:
  // header() gives the comment line that opens the file; it is asked for when the first
  // line is written, once the program has read its settings.
  SessionRecorder(const std::string& path, std::function<std::string()> header);
  ~SessionRecorder() override;
  bool ok() const { return file_.good(); }

  // The main window's menu items: choosing one is a `menu` step.
  void WatchMenu(QWidget* mainWindow);
  // Told of each step made while another one ran (written as its `later`), when made.
  void SetLaterHandler(std::function<void(const QString&)> handler) {
    onLater_ = std::move(handler);
  }
  // Writes what is still pending (a field being typed into); the file stays open.
  void Finish();

  // A step of a script being run, performed as the person's action on target (a control,
  // a window or none): what it does is recorded as a person's action would be. A step that
  // only looks (show, state, list, wait) is written as it stands.
  // menuItem: the item a `menu` step chooses; paste: the step puts its value in whole, as
  // `set` does.
  void BeginStep(QWidget* target, QAction* menuItem, bool paste);
  void LookStep(const std::string& text);
  void EndStep();

  bool InputBegins(QObject* receiver, QEvent* event) override;
  void InputEnds() override;
  void BoxAnswered(Buttons buttons, Answer answer) override;
  void FileAnswered(const std::optional<std::string>& path) override;

 private:
  // A control as scripts name it: its window and "W.C" (empty when only the window is
  // known). inner: the input went to a part of it a step cannot name (a drop-down list, a
  // grid cell's editor, a menu).
  struct Named {
    QPointer<QWidget> control;
    QPointer<QAbstractButton> item;  // the radio item or page tab of control, when it is one
    QPointer<QWidget> window;
    QString name;
    bool inner = false;
  };
  // A step made while another one ran, at its time since the session began.
  struct Later {
    qint64 at = 0;
    QString step;
  };
  // One delivery of input (or one script step) that is under way; spans nest while a
  // handler waits for the register and the person goes on pressing.
  struct Span {
    Named target;
    qint64 start = 0;
    QString step;               // the step this input is, once known
    bool confirmed = true;      // false while a click or menu choice awaits its signal
    QAction* item = nullptr;    // the menu item a confirmation is awaited from
    std::vector<Later> laters;  // steps made while this one ran
    bool keyPress = false;
    bool cellTaken = false;  // a grid cell change was taken from this span
  };
  // A control the person is editing: written as one step when another action begins.
  struct Pending {
    enum Kind { Text, Value, Cell } kind = Text;
    QPointer<QWidget> control;
    QString name;
    QString baseline;
    bool pasted = false;  // text put in whole (pasted), not typed through the key filters
    int row = -1;
    int column = -1;
  };

  Named Resolve(QWidget* widget) const;
  void Touch(const Named& target, bool paste);
  void Identify(const QString& step, bool confirmed, QAction* item = nullptr);
  void Emit(Span& span);
  void Write(const QString& line);
  void WriteOut(qint64 start, const std::vector<Later>& laters, const QString& line);
  void Flush(QWidget* except);
  void Watch(QAbstractButton* button);
  void Watch(QTableWidget* grid);
  void TakeCell(QTableWidget* grid, int row, int column);
  Span* OwnerSpan();
  Span* SpanFor(QWidget* control);

  std::ofstream file_;
  std::function<std::string()> header_;
  bool headerWritten_ = false;
  QElapsedTimer clock_;
  std::vector<Span> spans_;
  std::vector<Pending> pending_;
  QStringList answers_;  // answers and files not yet written, in order
  QSet<QObject*> watched_;
  QSet<QAction*> menuItems_;
  std::function<void(const QString&)> onLater_;
};

}  // namespace ptk::ui
