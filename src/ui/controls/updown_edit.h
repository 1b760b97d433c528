// A number edit tied to an up-down: whatever is typed or pasted, the text is read by its
// leading digits (0 when there are none), clamped to the up-down's range and written back
// at once, so that 300 typed into a field of 1..255 reads 255 rather than losing the key.
#pragma once

#include <QSpinBox>

namespace ptk::ui {

class TUpDownEdit : public QSpinBox {
  Q_OBJECT
 public:
  TUpDownEdit(int min, int max, int value, QWidget* parent = nullptr);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  int valueFromText(const QString& text) const override;
  void fixup(QString& input) const override;
};

}  // namespace ptk::ui
