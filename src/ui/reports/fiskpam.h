// "РЕЖИМ РАБОТЫ С ФП": the fiscal memory — the factory number, fiscalisation and
// re-registration, the reports by dates and by shifts with their wait, and the ranges
// the memory holds.
#pragma once

#include "core/reports/report_dialogues.h"
#include "ui/base/form.h"
#include "ui/controls/range_pages.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class TEditNum;
class TPageControl;
class TWaitPanel;

// The report range (pg_Otch and bt_OtchOk) is built into the page tbch_Otch.
class Tfm_FiskPam : public TForm, public TRangePages {
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
  QWidget* tbch_Diapazon;
  QPushButton* bt_ZaprosOk;
  QLineEdit* ed_DDateFirst;
  QLineEdit* ed_DDateLast;
  QLineEdit* ed_DNSmFirst;
  QLineEdit* ed_DNSmLast;
  QPushButton* bt_FiskPamClose;
  QPushButton* bt_StopReport;
  TWaitPanel* pn_Sleep;
  QLabel* lb_Sleep;

 protected:
  void Closed() override;

 private:
  FiscalizationDialogue dialogue_;
};

}  // namespace ptk::ui
