// The drawer-sum window: one amount read from the register, the cash in the drawer or the
// total of the last shift, under the caption of the menu command that asked for it.
#pragma once

#include "ui/base/form.h"

class QFrame;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class Tfm_NalMoney : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_NalMoney(AppContext& context);

  // The menu commands "Сумма наличных денег в ящике" (lastShift false) and "Сумма
  // последнего сменного итога": the query under the menu lock, then the window.
  void Query(bool lastShift);

  QFrame* pn_NalMoney;
  QLineEdit* ed_SummaNal;
  QPushButton* bt_NalMoneyExit;
};

}  // namespace ptk::ui
