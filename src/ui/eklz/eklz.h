// "Состояние ЭКЛЗ" (the state of the secure control tape) and "РЕЖИМ РАБОТЫ С ЭКЛЗ"
// (activation, its totals, closing the archive, reports and queries with their wait).
#pragma once

#include "ui/base/form.h"
#include "ui/controls/range_pages.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace ptk::ui {

class TEditNum;
class TWaitPanel;

class Tfm_SostEKLZ : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_SostEKLZ(AppContext& context);
  // The menu item "Состояние ЭКЛЗ": the query under the menu lock, then the window.
  void Query();

  QFrame* pn_SostEKLZ;
  QPlainTextEdit* mem_SostEKLZ;
  QPushButton* bt_SostEKLZExit;
};

// The report range (pg_Otch and bt_OtchOk) is built into pn_EKLZ2.
class Tfm_EKLZ : public TForm, public TRangePages {
  Q_OBJECT
 public:
  explicit Tfm_EKLZ(AppContext& context);

  // The window opened by the mode entry: every field to its start, then shown.
  void Open();
  void bt_AktivClick();
  void bt_ItogAktivClick();
  void bt_CloseArhivClick();
  void bt_OtchOkClick();
  void bt_ZaprosOkClick();
  void bt_EKLZCloseClick();

  QFrame* pn_EKLZ1;
  QPushButton* bt_Aktiv;
  QPushButton* bt_CloseArhiv;
  QPushButton* bt_ItogAktiv;
  QFrame* pn_EKLZ4;
  QFrame* pn_EKLZ2;
  QFrame* pn_EKLZ5;
  QFrame* pn_EKLZ3;
  QPushButton* bt_ZaprosOk;
  QTabWidget* pg_Zapros;
  QWidget* tbch_KL;
  TEditNum* ed_NumSmenKL;
  QWidget* tbch_Docum;
  TEditNum* ed_KPK;
  QWidget* tbch_ItogSmen;
  TEditNum* ed_NumSm;
  TWaitPanel* pn_Sleep;
  QLabel* lb_Sleep;
  QPushButton* bt_StopReport;
  QPushButton* bt_EKLZClose;

 protected:
  void Closed() override;

 private:
  void Operation(int operation);
};

}  // namespace ptk::ui
