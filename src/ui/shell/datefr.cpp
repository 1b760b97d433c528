#include "ui/shell/datefr.h"

#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/shell/date_time.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {

using build::Button;
using build::Named;

Tfm_DateFR::Tfm_DateFR(AppContext& context)
    : TForm(context, "fm_DateFR", QStringLiteral("Программирование даты и времени")),
      confirmation_(std::make_unique<DateConfirmation>()) {
  rg_DateTime =
      Named(new QGroupBox(QStringLiteral(" ************** ВНИМАНИЕ !!! *************** "), this),
            "rg_DateTime");
  dt_Date = Named(new QDateEdit(rg_DateTime), "dt_Date");
  dt_Date->setCalendarPopup(true);
  dt_Date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  dt_Time = Named(new QTimeEdit(rg_DateTime), "dt_Time");
  dt_Time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  auto* grid = new QGridLayout(rg_DateTime);
  grid->addWidget(new QLabel(QStringLiteral("Проверьте устанавливаемую дату/время"), rg_DateTime),
                  0, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Дата"), rg_DateTime), 1, 0);
  grid->addWidget(dt_Date, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Время"), rg_DateTime), 2, 0);
  grid->addWidget(dt_Time, 2, 1);
  bt_DateOk = Button(this, "bt_DateOk", "Установить дату", "Программирование даты в ПТК");
  bt_TimeOk = Button(this, "bt_TimeOk", "Установить время", "Программирование времени в ПТК");
  bt_DateTimeFRExit = Button(this, "bt_DateTimeFRExit", "&Закрыть", "Выйти из режима");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bt_DateOk);
  buttons->addWidget(bt_TimeOk);
  buttons->addStretch();
  buttons->addWidget(bt_DateTimeFRExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rg_DateTime);
  layout->addLayout(buttons);
  FixClientSize(this, sizeHint());
  SetCommandControls({dt_Date, dt_Time, bt_DateOk, bt_TimeOk, bt_DateTimeFRExit});
  connect(bt_DateOk, &QPushButton::clicked, this, &Tfm_DateFR::bt_DateOkClick);
  connect(bt_TimeOk, &QPushButton::clicked, this, &Tfm_DateFR::bt_TimeOkClick);
  connect(bt_DateTimeFRExit, &QPushButton::clicked, this, &QWidget::close);
}

Tfm_DateFR::~Tfm_DateFR() = default;

void Tfm_DateFR::Open(QWidget* owner) {
  ui().SetResult("");
  const QDateTime now = QDateTime::currentDateTime();
  dt_Date->setDate(now.date());
  dt_Time->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
  ShowOver(owner, bt_DateOk);
}

void Tfm_DateFR::bt_DateOkClick() {
  bool warn = false;
  RunCommand([&] {
    const QDate d = dt_Date->date();
    const int status = SetDate(link(), CalendarDate{d.day(), d.month(), d.year()});
    warn = confirmation_->AfterSetDate(link(), status);
    if (warn) dt_Date->setDate(QDate::currentDate());
  });
  if (warn) ui().ShowBox(kCaptionWarning, kTextDateAgain, Icon::Warning);
}

void Tfm_DateFR::bt_TimeOkClick() {
  RunCommand([this] {
    const QTime t = dt_Time->time();
    SetTime(link(), ClockTime{t.hour(), t.minute(), t.second()});
  });
}

}  // namespace ptk::ui
