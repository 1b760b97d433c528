// The program's number fields: single-line edits that filter typed characters so that
// amounts (TEditMoney, two decimals), quantities (TEditCount, three decimals) and plain
// numbers (TEditNum) reach the command builders in a shape they can convert. The decimal
// fields also normalise their text when they lose the focus (5 becomes 5,00 / 5,000).
// Pasted text passes no filter; maxLength() is the field's MaxLength.
#pragma once

#include <QLineEdit>

#include "core/controls/number_fields.h"

namespace ptk::ui {

class TNumberEdit : public QLineEdit {
  Q_OBJECT
 public:
  TNumberEdit(NumberFieldKind kind, QWidget* parent);

  NumberFieldKind kind() const { return kind_; }
  // The decimal separator of the current locale, read at every key press.
  static QChar DecimalSeparator();

  // What leaving the field does: the decimal fields rewrite their text, then exited()
  // is emitted. Windows may call it before they read a field that still has the focus.
  void DoExit();

  // Changes the character limit of typed input without cutting a text that is already
  // longer: that text stays as it stands, and new input obeys the limit.
  void SetLimit(int limit);

 signals:
  void exited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  NumberFieldKind kind_;
  int limit_ = -1;  // set by SetLimit; -1 while only maxLength() applies
};

class TEditMoney : public TNumberEdit {
  Q_OBJECT
 public:
  explicit TEditMoney(QWidget* parent = nullptr) : TNumberEdit(NumberFieldKind::Money, parent) {}
};

class TEditCount : public TNumberEdit {
  Q_OBJECT
 public:
  explicit TEditCount(QWidget* parent = nullptr) : TNumberEdit(NumberFieldKind::Count, parent) {}
};

class TEditNum : public TNumberEdit {
  Q_OBJECT
 public:
  explicit TEditNum(QWidget* parent = nullptr) : TNumberEdit(NumberFieldKind::Num, parent) {}
};

}  // namespace ptk::ui
