#include "ui/script/session_recorder.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QTableWidget>
#include <algorithm>

#include "core/shell/script.h"
#include "ui/base/form.h"
#include "ui/controls/page_control.h"
#include "ui/controls/radio_group.h"
#include "ui/script/script_controls.h"

namespace ptk::ui {
namespace {

// The program's own windows; the toolkit's boxes and file dialogs are answered, not named.
bool IsProgramWindow(const QWidget* window) {
  return !window->objectName().isEmpty() &&
         (qobject_cast<const TForm*>(window) || qobject_cast<const QMainWindow*>(window));
}

// A key as `key` names it: "Return", "Escape", "F5", "Ctrl+L".
QString KeyName(const QKeySequence& sequence) {
  QString name = sequence.toString(QKeySequence::PortableText);
  // The toolkit's short names, as the script's list of keys spells them.
  for (const auto& [brief, full] :
       {std::pair{"Esc", "Escape"}, std::pair{"Del", "Delete"}, std::pair{"Ins", "Insert"}}) {
    QStringList parts = name.split(QLatin1Char('+'));
    if (parts.last() == QLatin1String(brief)) {
      parts.last() = QLatin1String(full);
      name = parts.join(QLatin1Char('+'));
    }
  }
  return name;
}

// A key that does something of its own (a step), rather than edit the field it is typed
// into: Return, Escape, the function keys and the Ctrl and Alt combinations other than
// the editing ones; in a grid also the keys that move between cells.
bool ActingKey(const QKeyEvent& key, bool grid) {
  switch (key.key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_unknown:
      return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (grid) return true;
      break;
    default:
      break;
  }
  if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35) return true;
  if (!(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return false;
  for (QKeySequence::StandardKey editing :
       {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Undo,
        QKeySequence::Redo, QKeySequence::SelectAll, QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord, QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord, QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord}) {
    if (key.matches(editing)) return false;
  }
  return true;
}

// A key that edits a field's text where the cursor stands (not the whole text): the
// text typed afresh would not be the same, so the key is a step of its own.
bool CursorKey(const QKeyEvent& key, const QLineEdit* edit) {
  if (!edit || edit->isReadOnly()) return false;
  switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
      return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      // With the whole text selected it is emptied, as typing would.
      return !(edit->hasSelectedText() && edit->selectedText() == edit->text());
    default:
      return false;
  }
}

bool IsMouseButton(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick;
}

}  // namespace

SessionRecorder::SessionRecorder(const std::string& path, std::function<std::string()> header)
    : file_(path, std::ios::out | std::ios::trunc | std::ios::binary), header_(std::move(header)) {
  clock_.start();
}

SessionRecorder::~SessionRecorder() {
  Finish();
}

void SessionRecorder::WatchMenu(QWidget* mainWindow) {
  for (QAction* item : mainWindow->findChildren<QAction*>()) {
    if (item->objectName().isEmpty() || menuItems_.contains(item)) continue;
    menuItems_.insert(item);
    connect(item, &QAction::triggered, this, [this, item] {
      if (spans_.empty()) return;
      Span& span = spans_.back();
      if (span.item == item) {
        span.confirmed = true;
      } else if (span.step.isEmpty() && !OwnerSpan()) {
        span.step = QStringLiteral("menu ") + item->objectName();
      }
    });
  }
}

void SessionRecorder::Finish() {
  Flush(nullptr);
  if (!file_.is_open()) return;
  WriteOut(0, {}, QString());
}

// ---- what the input is to ----

SessionRecorder::Named SessionRecorder::Resolve(QWidget* widget) const {
  Named named;
  std::vector<QWidget*> chain;
  bool popup = false;
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (w->isWindow()) {
      // A drop-down list or menu belongs to the control it drops from.
      if (w->windowType() == Qt::Popup && w->parentWidget()) {
        popup = true;
        continue;
      }
      if (IsProgramWindow(w)) named.window = w;
      break;
    }
    chain.push_back(w);
  }
  if (!named.window) return named;
  for (QWidget* w : chain) {
    QWidget* parent = w->parentWidget();
    QWidget* control = nullptr;
    // The items of a radio group and the tabs of a page control choose within it.
    if ((qobject_cast<QRadioButton*>(w) && qobject_cast<TRadioGroup*>(parent)) ||
        (qobject_cast<TPageControl*>(parent) && qobject_cast<QAbstractButton*>(w) &&
         w->objectName().startsWith(QLatin1String("tab_")))) {
      control = parent;
      named.item = static_cast<QAbstractButton*>(w);
    } else if (const QString name = w->objectName(); !name.isEmpty() &&
                                                     !name.startsWith(QLatin1String("qt_")) &&
                                                     named.window->findChild<QWidget*>(name) == w) {
      control = w;
    }
    if (!control) continue;
    named.control = control;
    named.name = named.window->objectName() + QLatin1Char('.') + control->objectName();
    break;
  }
  auto* grid = qobject_cast<QTableWidget*>(named.control.data());
  named.inner = popup || (grid && widget != grid && widget != grid->viewport());
  return named;
}

// The control is being used: a field or choice becomes pending (its value when the use
// began is kept to tell a change), a button or grid is watched for its signals.
void SessionRecorder::Touch(const Named& target, bool paste) {
  QWidget* control = target.control;
  if (!control) return;
  if (auto* button = qobject_cast<QAbstractButton*>(control)) Watch(button);
  if (target.item) Watch(target.item);
  if (auto* grid = qobject_cast<QTableWidget*>(control)) Watch(grid);
  for (Pending& p : pending_) {
    if (p.control == control && p.kind != Pending::Cell) {
      p.pasted = p.pasted || paste;
      return;
    }
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control); edit && !edit->isReadOnly()) {
    pending_.push_back({Pending::Text, control, target.name, edit->text(), paste});
  } else if (std::optional<QString> value = ControlValue(control)) {
    pending_.push_back({Pending::Value, control, target.name, *value});
  }
}

void SessionRecorder::Watch(QAbstractButton* button) {
  if (watched_.contains(button)) return;
  watched_.insert(button);
  // Released comes before the click's handlers run, clicked after them: a click is known
  // from its release, so that presses made while its handler waits become its `later`s.
  // A radio item or page tab clicked is clicked by its own name (the click moves the focus
  // first); chosen from the keyboard, it sets its group.
  const auto clickStep = [button](const Span& span) {
    return QStringLiteral("click ") + span.target.window->objectName() + QLatin1Char('.') +
           button->objectName();
  };
  connect(button, &QAbstractButton::released, this, [this, button, clickStep] {
    Span* span = SpanFor(button);
    if (span && span->step.isEmpty()) {
      span->step = clickStep(*span);
      span->confirmed = false;
    }
  });
  connect(button, &QAbstractButton::clicked, this, [this, button, clickStep] {
    Span* span = SpanFor(button);
    if (!span) return;
    if (span->step.isEmpty()) span->step = clickStep(*span);
    span->confirmed = true;
    // The click is the change of a check box's value or of the item's group.
    QWidget* chosen = span->target.control;
    std::erase_if(pending_, [chosen](const Pending& p) { return p.control == chosen; });
  });
  connect(button, &QObject::destroyed, this, [this, button] { watched_.remove(button); });
}

void SessionRecorder::Watch(QTableWidget* grid) {
  if (watched_.contains(grid)) return;
  watched_.insert(grid);
  // A cell changed while the grid takes the input (a script's `set`, Return in its editor),
  // and a cell whose editor was left by a click elsewhere.
  connect(grid, &QTableWidget::itemChanged, this, [this, grid](QTableWidgetItem* item) {
    Span* span = SpanFor(grid);
    if (!span || span->cellTaken) return;
    span->cellTaken = true;
    TakeCell(grid, item->row(), item->column());
  });
  connect(grid->itemDelegate(), &QAbstractItemDelegate::commitData, this, [this, grid] {
    if (const QTableWidgetItem* item = grid->currentItem())
      TakeCell(grid, item->row(), item->column());
  });
  connect(grid, &QObject::destroyed, this, [this, grid] { watched_.remove(grid); });
}

void SessionRecorder::TakeCell(QTableWidget* grid, int row, int column) {
  for (const Pending& p : pending_) {
    if (p.kind == Pending::Cell && p.control == grid && p.row == row && p.column == column) return;
  }
  pending_.push_back({Pending::Cell, grid, Resolve(grid).name, QString(), false, row, column});
}

SessionRecorder::Span* SessionRecorder::SpanFor(QWidget* control) {
  for (auto it = spans_.rbegin(); it != spans_.rend(); ++it) {
    if (it->target.control == control || it->target.item == control) return &*it;
  }
  return nullptr;
}

SessionRecorder::Span* SessionRecorder::OwnerSpan() {
  for (auto it = spans_.rbegin(); it != spans_.rend(); ++it) {
    if (!it->step.isEmpty()) return &*it;
  }
  return nullptr;
}

// ---- the input ----

bool SessionRecorder::InputBegins(QObject* receiver, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::FocusOut) {
    // A field's text is taken as it stands when the field is left.
    if (auto* widget = qobject_cast<QWidget*>(receiver)) {
      const Named left = Resolve(widget);
      for (const Pending& p : pending_) {
        if (p.kind == Pending::Text && left.control && p.control == left.control) {
          Flush(nullptr);
          break;
        }
      }
    }
    return false;
  }
  if (type == QEvent::Close) {
    auto* window = qobject_cast<QWidget*>(receiver);
    if (!window || !window->isWindow() || !IsProgramWindow(window)) return false;
    Span span;
    span.target.window = window;
    span.start = clock_.elapsed();
    // Closed by its frame, or by a script's `close`; a close a handler makes is its step's.
    const bool closing = event->spontaneous() ||
                         (!OwnerSpan() && !spans_.empty() &&
                          spans_.back().target.window == window && !spans_.back().target.control);
    if (closing) {
      Flush(nullptr);
      span.step = QStringLiteral("close ") + window->objectName();
    }
    spans_.push_back(std::move(span));
    return true;
  }

  QWidget* widget = qobject_cast<QWidget*>(receiver);
  if (type == QEvent::Shortcut) {
    // The shortcut of a key press under way is that key's.
    if (std::any_of(spans_.begin(), spans_.end(), [](const Span& s) { return s.keyPress; }))
      return false;
    widget = QApplication::focusWidget();
  }
  if (!widget) return false;
  Span span;
  span.target = Resolve(widget);
  span.start = clock_.elapsed();
  span.keyPress = type == QEvent::KeyPress;
  const Named& target = span.target;
  auto* grid = qobject_cast<QTableWidget*>(target.control.data());
  auto* menu = qobject_cast<QMenu*>(widget);
  auto* menuBar = qobject_cast<QMenuBar*>(widget);
  // The menus' own keys (Alt, arrows, Escape) only move about them.
  if (menu || menuBar) span.target.inner = true;
  const auto chooseMenuItem = [&](QAction* item) {
    if (!item || !menuItems_.contains(item) || !item->isEnabled()) return;
    Flush(nullptr);
    span.step = QStringLiteral("menu ") + item->objectName();
    span.confirmed = false;
    span.item = item;
  };
  if (type == QEvent::KeyPress) {
    const auto& key = *static_cast<QKeyEvent*>(event);
    if ((menu || menuBar) && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
      chooseMenuItem(menu ? menu->activeAction() : menuBar->activeAction());
    } else if (target.control && !target.inner &&
               (ActingKey(key, grid != nullptr) ||
                CursorKey(key, qobject_cast<QLineEdit*>(target.control.data())))) {
      Flush(nullptr);
      const QKeyCombination combination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
      span.step = QStringLiteral("key ") + target.name + QLatin1Char(' ') +
                  KeyName(QKeySequence(combination));
    }
  } else if (type == QEvent::Shortcut) {
    Flush(nullptr);
    if (target.control && !target.inner) {
      span.step = QStringLiteral("key ") + target.name + QLatin1Char(' ') +
                  KeyName(static_cast<QShortcutEvent*>(event)->key());
    }
  } else if (IsMouseButton(type)) {
    Flush(target.control);
    if (type == QEvent::MouseButtonRelease) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (menu || menuBar) {
        chooseMenuItem(menu ? menu->actionAt(at) : menuBar->actionAt(at));
      } else if (grid && !target.inner) {
        // A cell clicked: the grid reads the point in its viewport's coordinates.
        const QModelIndex index = grid->indexAt(at);
        if (index.isValid()) {
          const std::pair<int, int> cell = ScriptCell(grid, index.row(), index.column());
          span.step =
              QStringLiteral("click %1[%2,%3]").arg(target.name).arg(cell.first).arg(cell.second);
        }
      }
    }
  }
  // Text pasted from the keyboard, the context menu or the middle button.
  const bool paste =
      (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) ||
      (type == QEvent::MouseButtonRelease &&
       (target.inner || static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton));
  Touch(target, paste);
  spans_.push_back(std::move(span));
  return true;
}

void SessionRecorder::InputEnds() {
  if (spans_.empty()) return;
  Span span = std::move(spans_.back());
  spans_.pop_back();
  if (!span.step.isEmpty() && span.confirmed) {
    // What a key step did to its field is the key's, not typing to be written after it.
    for (Pending& p : pending_) {
      if (p.kind == Pending::Text && p.control == span.target.control &&
          span.step.startsWith(QLatin1String("key ")))
        p.baseline = static_cast<QLineEdit*>(p.control.data())->text();
    }
    Emit(span);
    return;
  }
  // Steps made meanwhile that waited for a click or menu choice that did not come.
  for (const Later& later : span.laters) Write(later.step);
}

void SessionRecorder::BeginStep(QWidget* target, QAction* menuItem, bool paste) {
  Span span;
  if (target) span.target = Resolve(target);
  span.start = clock_.elapsed();
  if (menuItem) {
    Flush(nullptr);
    span.step = QStringLiteral("menu ") + menuItem->objectName();
    span.confirmed = false;
    span.item = menuItem;
  } else {
    Flush(span.target.control);
  }
  Touch(span.target, paste);
  spans_.push_back(std::move(span));
}

void SessionRecorder::LookStep(const std::string& text) {
  Flush(nullptr);
  Write(QString::fromStdString(text));
}

void SessionRecorder::EndStep() {
  InputEnds();
}

// ---- the person's answers ----

void SessionRecorder::BoxAnswered(Buttons buttons, Answer answer) {
  // A box with OK alone asks nothing.
  if (buttons == Buttons::Ok) return;
  answers_ << QStringLiteral("answer ") + QString::fromUtf8(AnswerName(answer).data());
}

void SessionRecorder::FileAnswered(const std::optional<std::string>& path) {
  answers_ << QStringLiteral("file ") +
                  (path ? QString::fromStdString(*path) : QStringLiteral("-"));
}

// ---- writing ----

void SessionRecorder::Emit(Span& span) {
  if (Span* owner = OwnerSpan()) {
    // Made while an earlier step still ran: a `later` of that step, timed from its start.
    owner->laters.insert(owner->laters.end(), span.laters.begin(), span.laters.end());
    owner->laters.push_back({span.start, span.step});
    if (onLater_) onLater_(span.step);
    return;
  }
  WriteOut(span.start, span.laters, span.step);
}

void SessionRecorder::Write(const QString& line) {
  if (Span* owner = OwnerSpan()) {
    owner->laters.push_back({clock_.elapsed(), line});
    if (onLater_) onLater_(line);
    return;
  }
  WriteOut(0, {}, line);
}

void SessionRecorder::WriteOut(qint64 start, const std::vector<Later>& laters,
                               const QString& line) {
  if (!file_.is_open()) return;
  if (!headerWritten_) {
    headerWritten_ = true;
    file_ << header_() << '\n';
  }
  // The answers first: a `later` waits for the next step that is not one.
  for (const QString& answer : std::as_const(answers_)) file_ << answer.toStdString() << '\n';
  answers_.clear();
  for (const Later& later : laters)
    file_ << "later " << std::max<qint64>(0, later.at - start) << ' ' << later.step.toStdString()
          << '\n';
  if (!line.isEmpty()) file_ << line.toStdString() << '\n';
  file_.flush();
}

// Writes the pending edits, in the order they began, but that of except (the control the
// input goes to now, which goes on being edited).
void SessionRecorder::Flush(QWidget* except) {
  std::vector<Pending> pending = std::move(pending_);
  pending_.clear();
  for (Pending& p : pending) {
    if (!p.control) continue;
    if (except && p.control == except) {
      pending_.push_back(std::move(p));
      continue;
    }
    QString line;
    if (p.kind == Pending::Text) {
      const QString text = static_cast<QLineEdit*>(p.control.data())->text();
      if (text != p.baseline) {
        line = QLatin1String(p.pasted ? "set " : "type ") + p.name +
               (text.isEmpty() ? QString() : " " + text);
      }
    } else if (p.kind == Pending::Value) {
      const std::optional<QString> value = ControlValue(p.control);
      if (value && *value != p.baseline) line = QStringLiteral("set ") + p.name + " " + *value;
    } else {
      auto* grid = static_cast<QTableWidget*>(p.control.data());
      const QTableWidgetItem* item = grid->item(p.row, p.column);
      const std::pair<int, int> cell = ScriptCell(grid, p.row, p.column);
      line = QStringLiteral("set %1[%2,%3] ").arg(p.name).arg(cell.first).arg(cell.second) +
             (item ? item->text() : QString());
    }
    if (!line.isEmpty()) Write(line);
  }
}

}  // namespace ptk::ui
