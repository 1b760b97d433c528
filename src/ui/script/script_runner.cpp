#include "ui/script/script_runner.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "core/link/trace_replay.h"
#include "ui/base/app_context.h"
#include "ui/script/script_controls.h"
#include "ui/script/session_recorder.h"
#include "ui/shell/main_fr.h"

namespace ptk::ui {
namespace {

// How long the run waits for the main window's first activation before it runs the
// activation itself (a window system without a window manager never activates it).
constexpr int kActivationPollMs = 10;
constexpr int kActivationAttempts = 300;

std::string Utf8(const QString& text) {
  return text.toStdString();
}

// Whether a menu item is enabled as its own setting says: the toolkit disables hidden
// items, but the handler of a hidden item can still be reached.
bool ItemEnabled(QAction* item) {
  if (item->isVisible()) return item->isEnabled();
  const QSignalBlocker quiet(item);
  item->setVisible(true);
  const bool enabled = item->isEnabled();
  item->setVisible(false);
  return enabled;
}

}  // namespace

ScriptRunner::ScriptRunner(AppContext& context, QtUserInterface& ui, std::vector<ScriptStep> steps,
                           std::ostream& out)
    : context_(context), ui_(ui), steps_(std::move(steps)), out_(out) {
  ui_.SetResponder(this);
}

ScriptRunner::~ScriptRunner() {
  ui_.SetResponder(nullptr);
}

void ScriptRunner::Print(const std::string& line) {
  out_ << line << '\n';
  out_.flush();
}

void ScriptRunner::Start() {
  endsProgram_ = true;
  if (Tfm_MainFr* main = context_.forms.fm_MainFr) {
    connect(main, &Tfm_MainFr::closed, this, [this] { mainClosed_ = true; });
  }
  QTimer::singleShot(0, this, [this] { WaitForActivation(0); });
}

void ScriptRunner::WaitForActivation(int attempt) {
  Tfm_MainFr* main = context_.forms.fm_MainFr;
  if (main && !main->activated()) {
    if (attempt < kActivationAttempts) {
      QTimer::singleShot(kActivationPollMs, this,
                         [this, attempt] { WaitForActivation(attempt + 1); });
      return;
    }
    main->FormActivate();
  }
  Run();
}

void ScriptRunner::Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

void ScriptRunner::RunFor(int ms) {
  bool due = false;
  QTimer::singleShot(ms, this, [&due] { due = true; });
  while (!due)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool ScriptRunner::ReadStep() {
  if (!input_) return false;
  std::string line;
  while (std::getline(*input_, line)) {
    if (std::optional<ScriptStep> step = ParseScriptLine(line, ++inputLine_)) {
      steps_.push_back(std::move(*step));
      return true;
    }
  }
  return false;
}

void ScriptRunner::Run() {
  running_ = true;
  bool failed = false;
  for (size_t index = 0;; ++index) {
    if (index == steps_.size() && !ReadStep()) break;
    const ScriptStep& step = steps_[index];
    Print("> " + step.text);
    std::optional<std::string> error;
    if (mainClosed_) {
      error = "программа завершена";
    } else if (step.kind == StepKind::Later) {
      unarmed_.push_back({step.inner, step.line, step.ms});
      continue;
    } else {
      const uint64_t writes = ui_.resultWrites();
      ArmLaterSteps();
      error = Perform(step);
      Settle();
      // A later step due after this one ended still belongs to it.
      while (pendingLater_ > 0 && !mainClosed_)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      if (ui_.resultWrites() != writes) Print("rezult: " + ui_.Result());
    }
    if (!error && laterError_) {
      Print("error: " + std::to_string(laterError_->first) + ": " + laterError_->second);
      laterError_.reset();
      failed = true;
    }
    if (error) {
      Print("error: " + std::to_string(step.line) + ": " + *error);
      failed = true;
    }
    if (failed && (!keepGoing_ || mainClosed_)) {
      Finish(kScriptFailed);
      return;
    }
  }
  Print("end");
  Finish(failed ? kScriptFailed : kScriptPerformed);
}

void ScriptRunner::Finish(int code) {
  exitCode_ = code;
  running_ = false;
  // The program ends at once: nothing more goes to the register, no close query runs.
  ui_.SetQuitting();
  if (endsProgram_) QCoreApplication::exit(code);
}

void ScriptRunner::ArmLaterSteps() {
  for (const Later& later : unarmed_) {
    ++pendingLater_;
    auto armed = std::make_shared<Later>(later);
    armed_.push_back(armed);
    QTimer::singleShot(later.ms, this, [this, armed] { FireLater(armed); });
  }
  unarmed_.clear();
}

void ScriptRunner::FireLater(const std::shared_ptr<Later>& later) {
  const auto it = std::find(armed_.begin(), armed_.end(), later);
  if (it == armed_.end()) return;  // made already, where its replay's trace placed it
  armed_.erase(it);
  PerformLater(*later);
  --pendingLater_;
}

void ScriptRunner::PerformLaterNow(const std::string& text) {
  for (const std::shared_ptr<Later>& later : armed_) {
    if (later->step->text == text) {
      FireLater(std::shared_ptr<Later>(later));
      return;
    }
  }
}

void ScriptRunner::PerformLater(const Later& later) {
  if (laterError_ || mainClosed_ || !running_) return;
  Print("> " + later.step->text);
  // The trace notes where among the exchanges the step was made, so that a replay of it
  // makes the step at the same place (a recorded session notes its own later steps).
  if (!recorder_) context_.TraceNote(std::string(kLaterNote) + later.step->text);
  if (std::optional<std::string> error = Perform(*later.step)) laterError_ = {later.line, *error};
}

std::optional<std::string> ScriptRunner::Perform(const ScriptStep& step) {
  if (!recorder_) return Do(step);
  switch (step.kind) {
    case StepKind::Menu:
    case StepKind::Type:
    case StepKind::Set:
    case StepKind::Click:
    case StepKind::Key:
    case StepKind::Close: {
      // Recorded as the person's action it stands for; answers and files are recorded
      // from the boxes and dialogs themselves.
      std::string unused;
      QWidget* target = nullptr;
      if (step.kind == StepKind::Menu) {
        target = context_.forms.fm_MainFr;
      } else if (step.control.empty()) {
        target = FindWindow(step.window, unused);
      } else {
        target = FindControl(step, unused);
      }
      recorder_->BeginStep(target,
                           step.kind == StepKind::Menu ? FindMenuItem(step.window) : nullptr,
                           step.kind == StepKind::Set);
      std::optional<std::string> error = Do(step);
      recorder_->EndStep();
      return error;
    }
    case StepKind::Wait:
    case StepKind::Show:
    case StepKind::State:
    case StepKind::List: {
      std::optional<std::string> error = Do(step);
      if (!error) recorder_->LookStep(step.text);
      return error;
    }
    default:
      return Do(step);
  }
}

std::optional<std::string> ScriptRunner::Do(const ScriptStep& step) {
  switch (step.kind) {
    case StepKind::Menu:
      return Menu(step);
    case StepKind::Type:
      return Type(step);
    case StepKind::Set:
      return Set(step);
    case StepKind::Click:
      return Click(step);
    case StepKind::Key:
      return Key(step);
    case StepKind::Close:
      return Close(step);
    case StepKind::Answer:
      for (int i = 0; i < step.count; ++i) answers_.push_back(step.answer);
      return std::nullopt;
    case StepKind::File:
      files_.push_back(step.cancel ? std::nullopt : std::optional<std::string>(step.value));
      return std::nullopt;
    case StepKind::Wait:
      RunFor(step.ms);
      return std::nullopt;
    case StepKind::Show:
      return Show(step, false);
    case StepKind::State:
      return Show(step, true);
    case StepKind::List:
      return List();
    case StepKind::Later:
      return "шаг later не может содержать later";
    case StepKind::Invalid:
      return step.error;
  }
  return step.error;
}

// ---- lookups ----

QWidget* ScriptRunner::FindWindow(const std::string& name, std::string& error) const {
  const QString wanted = QString::fromStdString(name);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == wanted && !qobject_cast<QMenu*>(w)) return w;
  }
  error = "нет окна " + name;
  return nullptr;
}

QWidget* ScriptRunner::FindControl(const ScriptStep& step, std::string& error) const {
  QWidget* window = FindWindow(step.window, error);
  if (!window) return nullptr;
  QWidget* control = window->findChild<QWidget*>(QString::fromStdString(step.control));
  if (!control) error = "нет элемента " + step.control + " в окне " + step.window;
  return control;
}

QAction* ScriptRunner::FindMenuItem(const std::string& name) const {
  Tfm_MainFr* main = context_.forms.fm_MainFr;
  return main ? main->findChild<QAction*>(QString::fromStdString(name)) : nullptr;
}

std::optional<std::string> ScriptRunner::Unreachable(QWidget* control,
                                                     const ScriptStep& step) const {
  const std::string name = step.Target();
  if (!control->isVisible()) return "элемент " + name + " скрыт";
  if (!control->isEnabled()) return "элемент " + name + " недоступен";
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != control->window() && !modal->isAncestorOf(control))
    return "окно " + Utf8(modal->objectName()) + " не даёт дойти до " + name;
  return std::nullopt;
}

void ScriptRunner::Focus(QWidget* control) {
  QWidget* window = control->window();
  if (QApplication::activeWindow() != window) {
    window->activateWindow();
    QCoreApplication::processEvents();
  }
  if (!control->hasFocus() && control->focusPolicy() != Qt::NoFocus)
    control->setFocus(Qt::MouseFocusReason);
}

void ScriptRunner::SendKey(QWidget* control, int key, Qt::KeyboardModifiers modifiers,
                           const QString& text) {
  // Sent as a program's own events; the application still offers them to the shortcuts
  // first and passes what the control ignores on to its parents.
  QWidget* target = control->focusProxy() ? control->focusProxy() : control;
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

// ---- steps ----

std::optional<std::string> ScriptRunner::Menu(const ScriptStep& step) {
  Tfm_MainFr* main = context_.forms.fm_MainFr;
  QAction* item = FindMenuItem(step.window);
  if (!main || !item) return "нет пункта меню " + step.window;
  if (!main->isVisible() || !main->isEnabled()) return "главное окно недоступно";
  for (QAction* top : main->TopLevelItems()) {
    if (top->menu() && top->menu()->actions().contains(item) && !top->isEnabled())
      return "пункт меню " + Utf8(top->objectName()) + " недоступен";
  }
  if (!ItemEnabled(item)) return "пункт меню " + step.window + " недоступен";
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != main)
    return "окно " + Utf8(modal->objectName()) + " не даёт дойти до меню";
  if (QApplication::activeWindow() != main) {
    main->activateWindow();
    QCoreApplication::processEvents();
  }
  if (item->isVisible()) {
    item->trigger();
  } else {
    emit item->triggered(item->isChecked());
  }
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::Type(const ScriptStep& step) {
  std::string error;
  QWidget* control = FindControl(step, error);
  if (!control) return error;
  if (auto why = Unreachable(control, step)) return why;
  Focus(control);
  if (!SelectAllText(control)) return "в элемент " + step.Target() + " нельзя ввести текст";
  const QString text = QString::fromStdString(step.value);
  if (text.isEmpty()) {
    SendKey(control, Qt::Key_Delete, Qt::NoModifier, QString());
    return std::nullopt;
  }
  for (char32_t c : text.toUcs4()) {
    SendKey(control, KeyForCharacter(c), Qt::NoModifier, QString::fromUcs4(&c, 1));
  }
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::Set(const ScriptStep& step) {
  std::string error;
  QWidget* control = FindControl(step, error);
  if (!control) return error;
  if (!control->isEnabled()) return "элемент " + step.Target() + " недоступен";
  const QString why =
      SetControl(control, QString::fromStdString(step.value), step.row, step.column);
  if (!why.isEmpty()) return step.Target() + ": " + Utf8(why);
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::Click(const ScriptStep& step) {
  std::string error;
  QWidget* control = FindControl(step, error);
  if (!control) return error;
  if (auto why = Unreachable(control, step)) return why;
  // As a mouse press: the focus moves first, so that a field being left is left before
  // the click's handler runs.
  if (control->focusPolicy() & Qt::ClickFocus) {
    Focus(control);
  } else if (QApplication::activeWindow() != control->window()) {
    control->window()->activateWindow();
    QCoreApplication::processEvents();
  }
  if (step.row >= 0) {
    // A grid cell: the click lands on the middle of the cell, scrolled into view.
    auto* grid = qobject_cast<QTableWidget*>(control);
    if (!grid) return step.Target() + ": элемент не таблица";
    QString why;
    const std::optional<std::pair<int, int>> cell = GridItemCell(grid, step.row, step.column, &why);
    if (!cell) return step.Target() + ": " + Utf8(why);
    const QModelIndex index = grid->model()->index(cell->first, cell->second);
    grid->scrollTo(index);
    SendClick(grid->viewport(), QPointF(grid->visualRect(index).center()));
    return std::nullopt;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->click();
    return std::nullopt;
  }
  SendClick(control, QPointF(control->width() / 2.0, control->height() / 2.0));
  return std::nullopt;
}

void ScriptRunner::SendClick(QWidget* target, QPointF local) {
  const QPointF global = target->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

std::optional<std::string> ScriptRunner::Key(const ScriptStep& step) {
  std::string error;
  QWidget* control = FindControl(step, error);
  if (!control) return error;
  const std::optional<QKeyCombination> key = ParseKeyName(QString::fromStdString(step.value));
  if (!key) return "неизвестная клавиша: " + step.value;
  if (auto why = Unreachable(control, step)) return why;
  Focus(control);
  SendKey(control, key->key(), key->keyboardModifiers(), TextForKey(*key));
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::Close(const ScriptStep& step) {
  std::string error;
  QWidget* window = FindWindow(step.window, error);
  if (!window) return error;
  // The frame's close button works on a window that has disabled itself while it waits
  // for the register; the window's own close handling decides.
  if (!window->isVisible()) return "окно " + step.window + " не открыто";
  window->close();
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::Show(const ScriptStep& step, bool stateOnly) {
  const std::string prefix = stateOnly ? "state: " : "show: ";
  if (step.control.empty()) {
    // A menu item, or a window.
    if (QAction* item = FindMenuItem(step.window)) {
      Tfm_MainFr* main = context_.forms.fm_MainFr;
      bool enabled = ItemEnabled(item) && main->isEnabled();
      for (QAction* top : main->TopLevelItems()) {
        if (top->menu() && top->menu()->actions().contains(item)) enabled &= top->isEnabled();
      }
      const QString seen = VisibleEnabled(item->isVisible(), enabled);
      Print(prefix + step.window + " = " +
            Utf8(stateOnly ? seen + QLatin1String(", nofocus")
                           : seen + QLatin1String(", \"") + item->text() + QLatin1Char('"')));
      return std::nullopt;
    }
    std::string error;
    QWidget* window = FindWindow(step.window, error);
    if (!window) return error;
    const QString seen = VisibleEnabled(window->isVisible(), window->isEnabled());
    if (stateOnly) {
      const bool active = QApplication::activeWindow() == window;
      Print(prefix + step.window + " = " + Utf8(seen) + (active ? ", focus" : ", nofocus"));
    } else {
      Print(prefix + step.window + " = " + Utf8(seen) + ", \"" + Utf8(window->windowTitle()) +
            "\"");
    }
    return std::nullopt;
  }
  std::string error;
  QWidget* control = FindControl(step, error);
  if (!control) return error;
  const std::string name = step.window + "." + step.control;
  if (stateOnly) {
    Print(prefix + name + " = " + Utf8(ControlState(control)));
    return std::nullopt;
  }
  for (const auto& [suffix, text] : ControlContent(control))
    Print(prefix + name + Utf8(suffix) + " = " + Utf8(text));
  return std::nullopt;
}

// What a person can reach now: the open windows, the menu items that `menu` would choose,
// and every named control that `type`, `click` or `key` would reach, with its kind (and
// for a combo box, radio group or page control what `set` takes). Ends with "list: end",
// so that a program driving the run through its input knows the step is over.
std::optional<std::string> ScriptRunner::List() {
  QWidget* modal = QApplication::activeModalWidget();
  Tfm_MainFr* main = context_.forms.fm_MainFr;
  // The open windows by name: the toolkit keeps them in no particular order.
  std::vector<QWidget*> windows;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && !w->objectName().isEmpty() && !qobject_cast<QMenu*>(w))
      windows.push_back(w);
  }
  std::sort(windows.begin(), windows.end(),
            [](QWidget* a, QWidget* b) { return a->objectName() < b->objectName(); });
  for (QWidget* w : windows)
    Print("list: window " + Utf8(w->objectName()) + " \"" + Utf8(w->windowTitle()) + "\"");
  if (main && main->isVisible() && main->isEnabled() && (!modal || modal == main)) {
    for (QAction* top : main->TopLevelItems()) {
      // An item of the menu bar itself (a mode), or a menu of items.
      if (!top->menu()) {
        if (!top->objectName().isEmpty() && ItemEnabled(top))
          Print("list: menu " + Utf8(top->objectName()));
        continue;
      }
      if (!top->isEnabled()) continue;
      for (QAction* item : top->menu()->actions()) {
        if (!item->objectName().isEmpty() && !item->isSeparator() && ItemEnabled(item))
          Print("list: menu " + Utf8(item->objectName()));
      }
    }
  }
  for (QWidget* window : windows) {
    const std::string windowName = Utf8(window->objectName());
    for (QWidget* control : window->findChildren<QWidget*>()) {
      const QString name = control->objectName();
      if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
      // Only the control a step naming it would find.
      if (window->findChild<QWidget*>(name) != control) continue;
      if (!control->isVisible() || !control->isEnabled()) continue;
      if (modal && modal != window && !modal->isAncestorOf(control)) continue;
      const QString kind = ControlKind(control);
      if (kind.isEmpty()) continue;  // frames, panels and the like: nothing of their own to do
      Print("list: control " + windowName + "." + Utf8(name) + " " + Utf8(kind));
    }
  }
  Print("list: end");
  return std::nullopt;
}

// ---- the person's answers ----

Answer ScriptRunner::Box(std::string_view caption, std::string_view text, Icon /*icon*/,
                         Buttons buttons) {
  Answer answer = Answer::Ok;
  if (buttons != Buttons::Ok) {
    answer = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    if (!answers_.empty()) {
      const Answer wanted = answers_.front();
      answers_.pop_front();
      // A positive answer takes the box's positive button, a negative one its other.
      const bool positive = wanted == Answer::Yes || wanted == Answer::Ok;
      if (buttons == Buttons::YesNo) {
        answer = positive ? Answer::Yes : Answer::No;
      } else {
        answer = positive ? Answer::Ok : Answer::Cancel;
      }
    }
  }
  Print("box: " + std::string(caption) + ": " + EscapeLineBreaks(text) + " -> " +
        std::string(AnswerName(answer)));
  return answer;
}

std::optional<std::string> ScriptRunner::File(const FileRequest& request) {
  std::optional<std::string> path;
  if (!files_.empty()) {
    path = files_.front();
    files_.pop_front();
  }
  Print("file: " + request.caption + " -> " + (path ? *path : std::string("-")));
  return path;
}

}  // namespace ptk::ui
