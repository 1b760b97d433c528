// "Программирование даты и времени": sets the register's date and time from two pickers
// that the programming window fills with the PC's date and time.
#pragma once

#include "ui/base/form.h"

class QDateEdit;
class QGroupBox;
class QPushButton;
class QTimeEdit;

namespace ptk {
class DateConfirmation;
}

namespace ptk::ui {

class Tfm_DateFR : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_DateFR(AppContext& context);
  ~Tfm_DateFR() override;

  // From the programming window (owner, disabled until this one closes): the pickers set
  // to the PC's date and time, the window shown.
  void Open(QWidget* owner);
  void bt_DateOkClick();
  void bt_TimeOkClick();

  QGroupBox* rg_DateTime;
  QDateEdit* dt_Date;
  QTimeEdit* dt_Time;
  QPushButton* bt_DateOk;
  QPushButton* bt_TimeOk;
  QPushButton* bt_DateTimeFRExit;

 private:
  std::unique_ptr<DateConfirmation> confirmation_;
};

}  // namespace ptk::ui
