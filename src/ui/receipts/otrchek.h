// "Отрезать чек": makes the register cut the receipt paper.
#pragma once

#include "ui/base/form.h"

class QPushButton;

namespace ptk::ui {

class Tfm_OtrChek : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_OtrChek(AppContext& context);

  void Open();
  void bt_OtrChekOkClick();

  QPushButton* bt_OtrChekOk;
  QPushButton* bt_OtrChekExit;
};

}  // namespace ptk::ui
