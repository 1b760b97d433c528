// "Печать поля": a line of text printed with a chosen height, width and brightness, or
// only checked by the register.
#pragma once

#include "core/programming/print_commands.h"
#include "ui/base/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;
class TRadioGroup;

class Tfm_PrnField : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_PrnField(AppContext& context);

  // From the main menu: first items of the groups and of the brightness box, empty text,
  // main window disabled, window shown.
  void Open();
  void bt_PrnFieldClick();
  // The format the controls describe.
  FieldFormat Format() const;

  QLabel* lb_Text;
  QLineEdit* ed_Text;
  TRadioGroup* rg_HeightFont;
  TRadioGroup* rg_WidthFont;
  QLabel* lb_Intensiv;
  QComboBox* cb_IntensivFont;
  TRadioGroup* rg_VidOper;
  QPushButton* bt_PrnField;
  QPushButton* bt_PrnFieldExit;
};

}  // namespace ptk::ui
