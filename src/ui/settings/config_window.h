// "Настройка ...": the connection settings (port, line speed, access password) and the
// card reader's port. Applying them stores the files, opens the port again and takes
// over the access password that the register itself is configured with.
#pragma once

#include "ui/base/form.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace ptk::ui {

class TRadioGroup;

class Tfm_Config : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Config(AppContext& context);

  // From the main menu: the stored settings shown, the window shown.
  void Open();
  void ShowSetting(int which);
  void TakeSetting(int which);
  void bt_ConfigOkClick();
  void bt_ConfigNoClick();
  void cbportChange();
  void cbmcrportChange();

  QTabWidget* pg_Config;
  QWidget* tsh_Connect;
  QComboBox* cbport;
  TRadioGroup* rg_BaudeFr;
  QLineEdit* ed_PassFr;
  QComboBox* cbmcrport;
  QPushButton* bt_ConfigOk;
  QPushButton* bt_ConfigNo;
  QPushButton* bt_ConfigExit;

 private:
  // The ports offered: those that exist, and the one in use when it is not among them.
  void FillPorts();
  // The stored settings loaded and shown.
  void LoadStored();
  bool syncing_ = false;
};

}  // namespace ptk::ui
