#include "ui/controls/updown_edit.h"

#include "core/controls/number_fields.h"

namespace ptk::ui {

TUpDownEdit::TUpDownEdit(int min, int max, int value, QWidget* parent) : QSpinBox(parent) {
  setRange(min, max);
  setValue(value);
}

QValidator::State TUpDownEdit::validate(QString& input, int& pos) const {
  const QString normalised = QString::number(valueFromText(input));
  if (normalised != input) {
    input = normalised;
    pos = static_cast<int>(input.size());
  }
  return QValidator::Acceptable;
}

int TUpDownEdit::valueFromText(const QString& text) const {
  return ClampLeadingNumber(text.trimmed().toStdString(), minimum(), maximum());
}

void TUpDownEdit::fixup(QString& input) const {
  input = QString::number(valueFromText(input));
}

}  // namespace ptk::ui
