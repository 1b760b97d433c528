#include "ui/programming/program.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "core/link/direct_command.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/wndfit.h"
#include "ui/controls/widget_build.h"
#include "ui/programming/datatable.h"
#include "ui/shell/datefr.h"
#include "ui/shell/regcomm.h"

namespace ptk::ui {

using build::Button;

Tfm_Program::Tfm_Program(AppContext& context)
    : TForm(context, "fm_Program", QStringLiteral("Режим программирования")) {
  bt_DataTable =
      Button(this, "bt_DataTable", "Работа с таблицами", "Чтение и программирование таблиц");
  bt_ProgrDateTime =
      Button(this, "bt_ProgrDateTime", "Дата/время", "Программирование даты и времени");
  btnimgdlg = Button(this, "btnimgdlg", "Работа с изображениями");
  btnrsoft = Button(this, "btnrsoft", "");
  btnrsoft->setVisible(false);
  btnrsoft->setEnabled(false);
  bt_ChekClose = Button(this, "bt_ChekClose", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  for (QPushButton* b : {bt_DataTable, bt_ProgrDateTime, btnimgdlg, btnrsoft}) layout->addWidget(b);
  layout->addSpacing(12);
  layout->addWidget(bt_ChekClose);
  FixClientSize(this, sizeHint().expandedTo(QSize(300, 0)));
  connect(bt_DataTable, &QPushButton::clicked, this, &Tfm_Program::bt_DataTableClick);
  connect(bt_ProgrDateTime, &QPushButton::clicked, this, &Tfm_Program::bt_ProgrDateTimeClick);
  connect(bt_ChekClose, &QPushButton::clicked, this, &Tfm_Program::bt_ChekCloseClick);
}

void Tfm_Program::Prepare() {
  // A failed identification leaves the all-zero capabilities; nothing is shown here.
  IdentifyModel(link());
  btnimgdlg->setEnabled(CurrentModel().caps.pictures != 0);
  ShowFromMenu(bt_DataTable, true);
}

void Tfm_Program::bt_DataTableClick() {
  if (Tfm_DataTable* tables = context().forms.fm_DataTable) tables->ReadAllTables(this);
}

void Tfm_Program::bt_ProgrDateTimeClick() {
  if (Tfm_DateFR* date = context().forms.fm_DateFR) date->Open(this);
}

void Tfm_Program::bt_ChekCloseClick() {
  close();
}

bool Tfm_Program::CloseQuery() {
  // A failed exit has shown its box; the window closes all the same.
  RunCommand([this] { ExitMode(link()); });
  return true;
}

void Tfm_Program::Closed() {
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
}

}  // namespace ptk::ui
