// "Режим программирования": the hub shown while the register is in programming mode. It
// opens the tables window, the date and time window and the picture manager; closing it
// leaves the mode.
#pragma once

#include "ui/base/form.h"

class QPushButton;

namespace ptk::ui {

class Tfm_Program : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Program(AppContext& context);

  // Before the window is shown after the register entered programming mode: the model
  // identified, the picture button by the model, the window shown.
  void Prepare();
  void bt_DataTableClick();
  void bt_ProgrDateTimeClick();
  void bt_ChekCloseClick();

  QPushButton* bt_DataTable;
  QPushButton* bt_ProgrDateTime;
  QPushButton* btnimgdlg;
  QPushButton* btnrsoft;
  QPushButton* bt_ChekClose;

 protected:
  bool CloseQuery() override;
  void Closed() override;
};

}  // namespace ptk::ui
