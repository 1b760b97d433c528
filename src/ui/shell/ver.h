// The window "Получение версии": asks the register for the version of one of its two
// processors.
#pragma once

#include "ui/base/form.h"

class QPlainTextEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;
class TRadioGroup;

class Tfm_Ver : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Ver(AppContext& context);

  // Opening from the menu: the first source chosen, the memo emptied, "Выполнить" focused.
  void Open();
  void bt_VerOkClick();

  TRadioGroup* rg_Istoch;
  QPlainTextEdit* mem_Ver;
  QPushButton* bt_VerOk;
  QPushButton* bt_VerExit;
};

}  // namespace ptk::ui
