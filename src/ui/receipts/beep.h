// "Звуковой сигнал": makes the register sound a signal of a duration a number of times.
#pragma once

#include "ui/base/form.h"

class QFrame;
class QLabel;
class QPushButton;

namespace ptk::ui {

class TEditNum;

class Tfm_Beep : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Beep(AppContext& context);

  // From the main menu: duration 100, count 1.
  void Open();
  void bt_BeepOkClick();

  QFrame* pn_Beep;
  TEditNum* edn_Len;
  TEditNum* edn_Count;
  QPushButton* bt_BeepOk;
  QPushButton* bt_BeepExit;
};

}  // namespace ptk::ui
