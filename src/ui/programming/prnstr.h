// "Печать строки": one line of text printed on the receipt tape outside a receipt.
#pragma once

#include "ui/base/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;

class Tfm_PrnStr : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_PrnStr(AppContext& context);

  // From the main menu: empties the edit, disables the main window, shows the window.
  void Open();
  void bt_PrnStrClick();

  QLabel* Label1;
  QLineEdit* ed_PrnStr;
  QPushButton* bt_PrnStr;
  QPushButton* bt_SostEKLZExit;
};

}  // namespace ptk::ui
