// The range of the reports by dates and by shifts: a page control pg_Otch with a page of
// two dates and a page of two shift numbers, each with its full/short choice, and the
// report button bt_OtchOk under it. A window that has the range derives from TRangePages,
// so that the controls are its own members, and builds them into one of its panels.
#pragma once

#include <QString>
#include <functional>

#include "core/reports/report_commands.h"

class QDateEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace ptk {
class Link;
class UserInterface;
struct UserAbort;
}  // namespace ptk

namespace ptk::ui {

class TEditNum;

// What differs between the windows: the page captions and the full/short group of each
// page (its title, its two choices and its object name on each page; no name when null).
struct RangeCaptions {
  QString byDates;
  QString byShifts;
  QString kindTitle;
  QString full;
  QString brief;
  const char* dateKindName = nullptr;
  const char* shiftKindName = nullptr;
};

class TRangePages {
 public:
  QTabWidget* pg_Otch = nullptr;
  QWidget* tbch_OtchDate = nullptr;
  QDateEdit* dtp_OtchDateFirst = nullptr;
  QDateEdit* dtp_OtchDateLast = nullptr;
  QRadioButton* rb_OtchDatePoln = nullptr;
  QRadioButton* rb_OtchDateSokr = nullptr;
  QWidget* tbch_OtchNumSm = nullptr;
  TEditNum* ed_OtchNSmFirst = nullptr;
  TEditNum* ed_OtchNSmLast = nullptr;
  QRadioButton* rb_OtchNSmPoln = nullptr;
  QRadioButton* rb_OtchNSmSokr = nullptr;
  QPushButton* bt_OtchOk = nullptr;

 protected:
  // The page control and the report button in container, one above the other.
  void BuildRangePages(QWidget* container, const RangeCaptions& captions);
  // As the window opens: the date page, "full" on both pages, both dates today, the
  // shift numbers empty.
  void ResetRangePages();
  // True unless the shift page is active and a shift number is missing (the person is
  // told so).
  bool RangeEntered(UserInterface& ui) const;
  // The report button's work for TForm::RunStoppable: sends the report of kind for the
  // active page and waits for its end.
  std::function<void(const std::function<void()>& disableStop)> RangeReport(Link& link,
                                                                            UserAbort& abort,
                                                                            ReportKind kind) const;

 private:
  bool ByShifts() const;
};

}  // namespace ptk::ui
