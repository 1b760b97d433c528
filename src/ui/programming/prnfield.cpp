#include "ui/programming/prnfield.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/base/qt_user_interface.h"
#include "ui/controls/radio_group.h"

namespace ptk::ui {

Tfm_PrnField::Tfm_PrnField(AppContext& context)
    : TForm(context, "fm_PrnField", QStringLiteral("Печать поля")) {
  lb_Text = new QLabel(QStringLiteral("Текст"), this);
  lb_Text->setObjectName("lb_Text");
  ed_Text = new QLineEdit(this);
  ed_Text->setObjectName("ed_Text");
  ed_Text->setMaxLength(kPrintTextMaxLength);
  ed_Text->setMinimumWidth(ed_Text->fontMetrics().horizontalAdvance(QString(44, 'W')));
  lb_Text->setBuddy(ed_Text);
  rg_HeightFont =
      new TRadioGroup("rg_HeightFont", QStringLiteral("Высота шрифта"),
                      {QStringLiteral("единичный"), QStringLiteral("растянутый")}, this);
  rg_WidthFont = new TRadioGroup("rg_WidthFont", QStringLiteral("Ширина шрифта"),
                                 {QStringLiteral("обычный"), QStringLiteral("двойной")}, this);
  lb_Intensiv = new QLabel(QStringLiteral("Яркость"), this);
  lb_Intensiv->setObjectName("lb_Intensiv");
  cb_IntensivFont = new QComboBox(this);
  cb_IntensivFont->setObjectName("cb_IntensivFont");
  for (int i = 0; i <= 8; ++i) cb_IntensivFont->addItem(QString::number(i), i);
  lb_Intensiv->setBuddy(cb_IntensivFont);
  rg_VidOper = new TRadioGroup(
      "rg_VidOper", QStringLiteral("Вид операции"),
      {QStringLiteral("выполнить операцию"), QStringLiteral("проверить операцию")}, this);
  bt_PrnField = new QPushButton(QStringLiteral("Печать"), this);
  bt_PrnField->setObjectName("bt_PrnField");
  bt_PrnField->setToolTip(QStringLiteral("Печать строки"));
  bt_PrnFieldExit = new QPushButton(QStringLiteral("&Закрыть"), this);
  bt_PrnFieldExit->setObjectName("bt_PrnFieldExit");
  bt_PrnFieldExit->setToolTip(QStringLiteral("Выйти из режима"));

  auto* brightness = new QHBoxLayout;
  brightness->addWidget(lb_Intensiv);
  brightness->addWidget(cb_IntensivFont);
  brightness->addStretch();
  auto* groups = new QGridLayout;
  groups->addWidget(rg_HeightFont, 0, 0);
  groups->addWidget(rg_WidthFont, 0, 1);
  groups->addWidget(rg_VidOper, 1, 0);
  groups->addLayout(brightness, 1, 1, Qt::AlignTop);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_PrnField);
  buttons->addWidget(bt_PrnFieldExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lb_Text);
  layout->addWidget(ed_Text);
  layout->addLayout(groups);
  layout->addLayout(buttons);

  SetCommandControls({ed_Text, rg_HeightFont, rg_WidthFont, cb_IntensivFont, rg_VidOper,
                      bt_PrnField, bt_PrnFieldExit});
  connect(bt_PrnField, &QPushButton::clicked, this, &Tfm_PrnField::bt_PrnFieldClick);
  connect(bt_PrnFieldExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_PrnField::Open() {
  ui().SetResult("");
  rg_VidOper->setItemIndex(0);
  rg_HeightFont->setItemIndex(0);
  rg_WidthFont->setItemIndex(0);
  cb_IntensivFont->setCurrentIndex(0);
  ed_Text->clear();
  ShowFromMenu(ed_Text);
}

FieldFormat Tfm_PrnField::Format() const {
  FieldFormat f;
  f.operation = rg_VidOper->itemIndex() == 1 ? FieldOperation::CheckOnly : FieldOperation::Print;
  f.height = rg_HeightFont->itemIndex() == 1 ? FieldHeight::Stretched : FieldHeight::Single;
  f.doubleWidth = rg_WidthFont->itemIndex() == 1;
  f.brightness = cb_IntensivFont->currentIndex() < 0 ? 0 : cb_IntensivFont->currentIndex();
  return f;
}

void Tfm_PrnField::bt_PrnFieldClick() {
  RunCommand([this] { PrintField(link(), Format(), Std(ed_Text->text())); });
  ed_Text->setFocus();
}

}  // namespace ptk::ui
