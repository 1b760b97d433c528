// The about box "О программе".
#pragma once

#include "ui/base/form.h"

class QLabel;
class QPushButton;

namespace ptk::ui {

class AppContext;

class Tfm_Help : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Help(AppContext& context);

  void Open();

  QLabel* Image1;
  QLabel* lb_Title;
  QLabel* lb_Version;
  QLabel* lb_Project;
  QLabel* lb_Source;
  QPushButton* bt_Close;
};

}  // namespace ptk::ui
