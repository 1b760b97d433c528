// The window of the three state queries ("Состояние ПТК", "Код состояния ПТК",
// "Тип устройства"): the decoded answer as lines of a read-only memo.
#pragma once

#include <string>
#include <vector>

#include "ui/base/form.h"

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;

// The colour of the desktop behind the memo: Qt has no palette role for it, so the
// classic desktop colour is used (white bold text stays readable on it).
QColor DesktopColour();

class Tfm_SostFR : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_SostFR(AppContext& context);

  // Empties the memo and fills it with the lines.
  void SetLines(const std::vector<std::string>& lines);
  QStringList Lines() const;
  // Shows the window centred, without modality, with the close button focused.
  void Open();

  QFrame* pn_SostFR;
  QPlainTextEdit* mem_SostFR;
  QPushButton* bt_SostFRExit;
};

}  // namespace ptk::ui
