// "РЕЖИМ ОТЧЕТОВ" (reports without clearing), "РЕЖИМ ГАШЕНИЙ" (reports with clearing) and
// "Аварийный отчет по ФП": one report button each. The first two live in a mode of the
// register and leave it when they close.
#pragma once

#include <functional>

#include "ui/base/form.h"

class QFrame;
class QLabel;
class QPushButton;

namespace ptk::ui {

class TRadioGroup;
class TWaitPanel;

// The window of one register mode with a report-type group and a report button.
class TModeReportForm : public TForm {
  Q_OBJECT
 public:
  // The window opened by the mode entry: the first report type, the window shown.
  void Open();
  void bt_OtchClick();

  QFrame* pn_Report;
  TRadioGroup* rg_TypeOtch;
  QPushButton* bt_Otch;
  QPushButton* bt_Close;

 protected:
  TModeReportForm(AppContext& context, const char* name, const QString& caption,
                  const char* panelName, const QStringList& items, const char* closeName,
                  const char* closeCaption, std::function<void(int item)> report);
  void Closed() override;

 private:
  std::function<void(int)> report_;
};

class Tfm_Reports : public TModeReportForm {
  Q_OBJECT
 public:
  explicit Tfm_Reports(AppContext& context);
  void bt_ReportsCloseClick();
};

class Tfm_Gash : public TModeReportForm {
  Q_OBJECT
 public:
  explicit Tfm_Gash(AppContext& context);
  void bt_GashCloseClick();
};

class Tfm_AvarReport : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_AvarReport(AppContext& context);

  // From the main menu: the stop button disabled, "Ждите !!!" hidden, the window shown.
  void Open();
  void bt_OtchClick();

  QPushButton* bt_Otch;
  QPushButton* bt_Close;
  QPushButton* bt_StopReport;
  TWaitPanel* pn_Sleep;
  QLabel* lb_Sleep;
};

}  // namespace ptk::ui
