#include "ui/controls/range_pages.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/reports/report_dialogues.h"
#include "core/reports/report_wait.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {
namespace {

using build::Named;

QDateEdit* DatePicker(QWidget* page, const char* name) {
  auto* d = Named(new QDateEdit(page), name);
  d->setCalendarPopup(true);
  d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  return d;
}

// Lays out a page: the two labelled fields one above the other, and beside them the
// full/short group, made here.
void FillRangePage(QWidget* page, const QString& firstLabel, QWidget* first,
                   const QString& lastLabel, QWidget* last, const RangeCaptions& captions,
                   const char* kindName, QRadioButton*& full, const char* fullName,
                   QRadioButton*& brief, const char* briefName) {
  auto* kind = new QGroupBox(captions.kindTitle, page);
  if (kindName) kind->setObjectName(kindName);
  full = Named(new QRadioButton(captions.full, kind), fullName);
  brief = Named(new QRadioButton(captions.brief, kind), briefName);
  auto* choices = new QVBoxLayout(kind);
  choices->addWidget(full);
  choices->addWidget(brief);
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel(firstLabel, page), 0, 0);
  grid->addWidget(first, 0, 1);
  grid->addWidget(new QLabel(lastLabel, page), 1, 0);
  grid->addWidget(last, 1, 1);
  grid->addWidget(kind, 0, 2, 2, 1);
}

ReportDate DateOf(const QDateEdit* picker) {
  const QDate d = picker->date();
  return ReportDate{d.year(), d.month(), d.day()};
}

}  // namespace

void TRangePages::BuildRangePages(QWidget* container, const RangeCaptions& captions) {
  pg_Otch = Named(new QTabWidget(container), "pg_Otch");
  pg_Otch->setUsesScrollButtons(false);
  tbch_OtchDate = Named(new QWidget, "tbch_OtchDate");
  dtp_OtchDateFirst = DatePicker(tbch_OtchDate, "dtp_OtchDateFirst");
  dtp_OtchDateLast = DatePicker(tbch_OtchDate, "dtp_OtchDateLast");
  FillRangePage(tbch_OtchDate, QStringLiteral("начальная дата"), dtp_OtchDateFirst,
                QStringLiteral("конечная дата"), dtp_OtchDateLast, captions, captions.dateKindName,
                rb_OtchDatePoln, "rb_OtchDatePoln", rb_OtchDateSokr, "rb_OtchDateSokr");
  pg_Otch->addTab(tbch_OtchDate, captions.byDates);
  tbch_OtchNumSm = Named(new QWidget, "tbch_OtchNumSm");
  ed_OtchNSmFirst = build::Number(tbch_OtchNumSm, "ed_OtchNSmFirst", 4);
  ed_OtchNSmLast = build::Number(tbch_OtchNumSm, "ed_OtchNSmLast", 4);
  FillRangePage(tbch_OtchNumSm, QStringLiteral("начальный № смены"), ed_OtchNSmFirst,
                QStringLiteral("конечный № смены"), ed_OtchNSmLast, captions,
                captions.shiftKindName, rb_OtchNSmPoln, "rb_OtchNSmPoln", rb_OtchNSmSokr,
                "rb_OtchNSmSokr");
  pg_Otch->addTab(tbch_OtchNumSm, captions.byShifts);
  bt_OtchOk = build::Button(container, "bt_OtchOk", "Отчет", "Получить отчет");
  auto* layout = new QVBoxLayout(container);
  layout->addWidget(pg_Otch);
  layout->addWidget(bt_OtchOk, 0, Qt::AlignRight);
}

void TRangePages::ResetRangePages() {
  pg_Otch->setCurrentWidget(tbch_OtchDate);
  rb_OtchDatePoln->setChecked(true);
  rb_OtchNSmPoln->setChecked(true);
  dtp_OtchDateFirst->setDate(build::Today());
  dtp_OtchDateLast->setDate(build::Today());
  ed_OtchNSmFirst->clear();
  ed_OtchNSmLast->clear();
}

bool TRangePages::ByShifts() const {
  return pg_Otch->currentWidget() == tbch_OtchNumSm;
}

bool TRangePages::RangeEntered(UserInterface& ui) const {
  return !ByShifts() ||
         ShiftRangeEntered(ui, Std(ed_OtchNSmFirst->text()), Std(ed_OtchNSmLast->text()));
}

std::function<void(const std::function<void()>&)> TRangePages::RangeReport(Link& link,
                                                                           UserAbort& abort,
                                                                           ReportKind kind) const {
  return [this, &link, &abort, kind](const std::function<void()>& disableStop) {
    if (ByShifts()) {
      RunReportByShifts(link, abort, kind, rb_OtchNSmPoln->isChecked(),
                        Std(ed_OtchNSmFirst->text()), Std(ed_OtchNSmLast->text()), disableStop);
    } else {
      RunReportByDates(link, abort, kind, rb_OtchDatePoln->isChecked(), DateOf(dtp_OtchDateFirst),
                       DateOf(dtp_OtchDateLast), disableStop);
    }
  };
}

}  // namespace ptk::ui
