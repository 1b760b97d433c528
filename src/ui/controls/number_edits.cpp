#include "ui/controls/number_edits.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <algorithm>

namespace ptk::ui {

TNumberEdit::TNumberEdit(NumberFieldKind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
  // A text longer than the limit (left by a shrinking limit or written by the program)
  // holds the edit's length open only until it gets shorter.
  connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
    if (limit_ >= 0 && maxLength() > limit_)
      setMaxLength(std::max(limit_, static_cast<int>(now.size())));
  });
}

void TNumberEdit::SetLimit(int limit) {
  limit_ = limit;
  setMaxLength(std::max(limit, static_cast<int>(text().size())));
}

QChar TNumberEdit::DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.isEmpty() ? QChar('.') : point.at(0);
}

void TNumberEdit::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  // Only a typed character is filtered; editing and navigation keys, shortcuts (paste
  // included) and Backspace go to the edit as they are.
  const bool character =
      typed.size() == 1 && typed.at(0).isPrint() &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (!character || event->key() == Qt::Key_Backspace) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  // A typed character replaces the selection: the rules judge the text without it, so
  // that typing over a full field selected whole is not refused.
  QString before = text();
  int caret = cursorPosition();
  if (hasSelectedText()) {
    caret = selectionStart();
    before.remove(caret, selectedText().size());
  }
  const char32_t key =
      FilterNumberKey(kind_, before.toStdString(), static_cast<size_t>(caret),
                      typed.at(0).unicode(), DecimalSeparator().unicode(), maxLength());
  if (key == kKeyRejected) {
    event->accept();
    return;
  }
  if (key == typed.at(0).unicode()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString replaced = QString::fromUcs4(&key, 1);
  QKeyEvent substitute(event->type(), event->key(), event->modifiers(), replaced,
                       event->isAutoRepeat(), static_cast<ushort>(event->count()));
  QLineEdit::keyPressEvent(&substitute);
  event->setAccepted(substitute.isAccepted());
}

void TNumberEdit::DoExit() {
  if (kind_ != NumberFieldKind::Num) {
    const std::string normal =
        NormalizeNumberText(kind_, text().toStdString(), DecimalSeparator().unicode());
    const QString rewritten = QString::fromStdString(normal);
    if (rewritten != text()) {
      if (rewritten.size() > maxLength()) setMaxLength(static_cast<int>(rewritten.size()));
      setText(rewritten);
    }
  }
  emit exited();
}

void TNumberEdit::focusOutEvent(QFocusEvent* event) {
  // A menu popping up or another application taking the focus is not leaving the field.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
    DoExit();
  QLineEdit::focusOutEvent(event);
}

}  // namespace ptk::ui
