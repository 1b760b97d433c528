#include "ui/programming/prnbmp.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/programming/pictures.h"
#include "core/receipts/money.h"
#include "core/receipts/receipt_extras.h"
#include "core/reports/report_dialogues.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"

namespace ptk::ui {

Tfm_PrnBmp::Tfm_PrnBmp(AppContext& context)
    : TForm(context, "fm_PrnBmp", QStringLiteral("Печать картинки с ПК")) {
  ed_File = new QLineEdit(this);
  ed_File->setObjectName("ed_File");
  bt_OpenFile = new QPushButton(QStringLiteral("..."), this);
  bt_OpenFile->setObjectName("bt_OpenFile");
  edn_Povtor = new TEditNum(this);
  edn_Povtor->setObjectName("edn_Povtor");
  edn_Povtor->setMaxLength(5);
  edn_Smesh = new TEditNum(this);
  edn_Smesh->setObjectName("edn_Smesh");
  edn_Smesh->setMaxLength(5);
  bt_PrnBmp = new QPushButton(QStringLiteral("Печать"), this);
  bt_PrnBmp->setObjectName("bt_PrnBmp");
  bt_PrnBmp->setToolTip(QStringLiteral("Печать картинки"));
  bt_PrnBmpExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_PrnBmpExit->setObjectName("bt_PrnBmpExit");
  bt_PrnBmpExit->setToolTip(QStringLiteral("Выйти из режима"));
  auto* file = new QHBoxLayout;
  file->addWidget(ed_File, 1);
  file->addWidget(bt_OpenFile);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Файл  картинки"), file);
  form->addRow(QStringLiteral("Повтор"), edn_Povtor);
  form->addRow(QStringLiteral("Смещение"), edn_Smesh);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_PrnBmp);
  buttons->addWidget(bt_PrnBmpExit);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  FixClientSize(this, sizeHint().expandedTo(QSize(420, 0)));
  FitWindowToScreen(this);
  SetCommandControls({ed_File, bt_OpenFile, edn_Povtor, edn_Smesh, bt_PrnBmp, bt_PrnBmpExit});
  connect(bt_OpenFile, &QPushButton::clicked, this, &Tfm_PrnBmp::bt_OpenFileClick);
  connect(bt_PrnBmp, &QPushButton::clicked, this, &Tfm_PrnBmp::bt_PrnBmpClick);
  connect(bt_PrnBmpExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_PrnBmp::Open() {
  ui().SetResult("");
  ShowFromMenu(nullptr, true);
  ed_File->clear();
  edn_Povtor->setText(QStringLiteral("1"));
  edn_Smesh->setText(QStringLiteral("0"));
  bt_PrnBmp->setFocus();
}

void Tfm_PrnBmp::bt_OpenFileClick() {
  FileRequest request;
  request.kind = FileDialogKind::Open;
  request.caption = "Файл картинки для печати";
  request.filter = "*.bmp";
  if (std::optional<std::string> path = ui().AskFile(request)) ed_File->setText(Qs(*path));
}

void Tfm_PrnBmp::bt_PrnBmpClick() {
  const std::string path = Std(ed_File->text());
  const std::string repeat = TrimText(Std(edn_Povtor->text()));
  const std::string offset = TrimText(Std(edn_Smesh->text()));
  if (TrimText(path).empty()) return ShowError(ui(), kTextChooseBmp);
  if (repeat.empty()) return ShowError(ui(), kTextEnterRepeat);
  if (offset.empty()) return ShowError(ui(), kTextEnterOffset);
  const std::optional<int> r = ParseWholeNumber(repeat);
  const std::optional<int> o = ParseWholeNumber(offset);
  RunCommand([&] {
    if (!r || !o) {
      ShowError(ui(), kTextBadFormat);
      return;
    }
    PrintBmpFile(link(), path, *r, *o);
  });
}

}  // namespace ptk::ui
