// "РЕЖИМ РАБОТЫ С ФП": the fiscal memory — the factory number, fiscalisation and
// re-registration, the reports by dates and by shifts with their wait, and the ranges
// the memory holds.
#pragma once

#include "core/reports/report_windows.h"
#include "ui/shell/form.h"

class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ptk::ui {

class TPageControl;

class TEditNum;

class Tfm_FiskPam : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_FiskPam(AppContext& context);

  // The window opened by the mode entry: every field to its start, the first page.
  void Open();
  // The main menu item starts the fiscalisation dialogue anew.
  void ResetDialogue() { dialogue_.Reset(); }
  void bt_ZavNumOkClick();
  void bt_RegistrClick();
  void bt_OtchOkClick();
  void bt_ZaprosOkClick();
  void bt_StopReportClick();
  void bt_FiskPamCloseClick();
  void pg_FiskPamChange();

  TPageControl* pg_FiskPam;
  QWidget* tbch_ZavNum;
  TEditNum* ed_ZavNum;
  QPushButton* bt_ZavNumOk;
  QWidget* tbch_Registr;
  TEditNum* ed_RegNum;
  TEditNum* ed_INN;
  TEditNum* ed_PassNew;
  QPushButton* bt_Registr;
  QWidget* tbch_Otch;
  QTabWidget* pg_Otch;
  QWidget* tbch_OtchDate;
  QDateEdit* dtp_OtchDateFirst;
  QDateEdit* dtp_OtchDateLast;
  QRadioButton* rb_OtchDatePoln;
  QRadioButton* rb_OtchDateSokr;
  QWidget* tbch_OtchNumSm;
  TEditNum* ed_OtchNSmFirst;
  TEditNum* ed_OtchNSmLast;
  QRadioButton* rb_OtchNSmPoln;
  QRadioButton* rb_OtchNSmSokr;
  QPushButton* bt_OtchOk;
  QWidget* tbch_Diapazon;
  QPushButton* bt_ZaprosOk;
  QLineEdit* ed_DDateFirst;
  QLineEdit* ed_DDateLast;
  QLineEdit* ed_DNSmFirst;
  QLineEdit* ed_DNSmLast;
  QPushButton* bt_FiskPamClose;
  QPushButton* bt_StopReport;
  QFrame* pn_Sleep;
  QLabel* lb_Sleep;

 protected:
  void Closed() override;

 private:
  // Runs work with the pages hidden, "Ждите !!!" shown and the close button disabled.
  void RunWaiting(const std::function<void()>& work, bool stoppable = false);

  FiscalizationDialogue dialogue_;
};

}  // namespace ptk::ui
