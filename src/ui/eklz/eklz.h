// "Состояние ЭКЛЗ" (the state of the secure control tape) and "РЕЖИМ РАБОТЫ С ЭКЛЗ"
// (activation, its totals, closing the archive, reports and queries with their wait).
#pragma once

#include "ui/shell/form.h"

class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ptk::ui {

class TEditNum;

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

class Tfm_EKLZ : public TForm {
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
  void bt_StopReportClick();
  void bt_EKLZCloseClick();

  QFrame* pn_EKLZ1;
  QPushButton* bt_Aktiv;
  QPushButton* bt_CloseArhiv;
  QPushButton* bt_ItogAktiv;
  QFrame* pn_EKLZ4;
  QFrame* pn_EKLZ2;
  QPushButton* bt_OtchOk;
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
  QFrame* pn_Sleep;
  QLabel* lb_Sleep;
  QPushButton* bt_StopReport;
  QPushButton* bt_EKLZClose;

 protected:
  void Closed() override;

 private:
  // The busy view around work: "Ждите !!!" instead of the panels, the close button
  // disabled; with stoppable, the stop button usable and the stop flag cleared.
  void Busy(bool busy, bool stoppable);
  void Operation(int operation);
  // Runs a report or query with the window enabled for the stop button.
  void RunPrintout(const std::function<void(const std::function<void()>&)>& work);
};

}  // namespace ptk::ui
