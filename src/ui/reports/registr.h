// "Регистры": one register read with its parameters and shown decoded; and "Менеджер
// регистров": every register read into one grid, with the process window and its stop.
#pragma once

#include "core/reports/register_manager.h"
#include "ui/base/form.h"

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace ptk::ui {

class TEditNum;

class Tfm_MenadgerReg : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_MenadgerReg(AppContext& context);
  // Over the register window, which stays disabled until this one closes.
  void Open();
  void ShowGrid(const RegisterGrid& grid);

  QFrame* pn_ManadgerReg;
  QTableWidget* sg_MenadgerReg;
  QPushButton* bt_MenadgerRegExit;
};

class Tfm_Registr : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Registr(AppContext& context);

  // From the main menu: register 1, empty memo, first items, the window shown.
  void Open();
  void bt_ReadRegistrClick();
  void bt_ReadAllRegistrClick();

  QFrame* pn_Registr;
  QFrame* Panel1;
  TEditNum* edn_NumRegistr;
  QComboBox* cb_TypeChek;
  QComboBox* cb_TypeOpl;
  QComboBox* cb_TypeItog;
  QPlainTextEdit* mem_Registr;
  QPushButton* bt_ReadRegistr;
  QPushButton* bt_ReadAllRegistr;
  QPushButton* bt_RegistrExit;

 private:
  RegisterGrid grid_;
};

}  // namespace ptk::ui
