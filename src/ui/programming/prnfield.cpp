#include "ui/programming/prnfield.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls/radio_group.h"
#include "ui/shell/app_context.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/qt_user_interface.h"

namespace ptk::ui {

Tfm_PrnField::Tfm_PrnField(AppContext& context) : QWidget(nullptr), context_(context) {
  setObjectName("fm_PrnField");
  setWindowTitle(QStringLiteral("Печать поля"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

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

  connect(bt_PrnField, &QPushButton::clicked, this, &Tfm_PrnField::bt_PrnFieldClick);
  connect(bt_PrnFieldExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_PrnField::Open() {
  context_.ui.SetResult("");
  if (Tfm_MainFr* main = context_.forms.fm_MainFr) main->setEnabled(false);
  rg_VidOper->setItemIndex(0);
  rg_HeightFont->setItemIndex(0);
  rg_WidthFont->setItemIndex(0);
  cb_IntensivFont->setCurrentIndex(0);
  ed_Text->clear();
  SetControlsEnabled(true);
  show();
  raise();
  activateWindow();
  ed_Text->setFocus();
}

FieldFormat Tfm_PrnField::Format() const {
  FieldFormat f;
  f.operation = rg_VidOper->itemIndex() == 1 ? FieldOperation::CheckOnly : FieldOperation::Print;
  f.height = rg_HeightFont->itemIndex() == 1 ? FieldHeight::Stretched : FieldHeight::Single;
  f.doubleWidth = rg_WidthFont->itemIndex() == 1;
  f.brightness = cb_IntensivFont->currentIndex() < 0 ? 0 : cb_IntensivFont->currentIndex();
  return f;
}

void Tfm_PrnField::SetControlsEnabled(bool enabled) {
  setEnabled(enabled);
  for (QWidget* w :
       std::initializer_list<QWidget*>{ed_Text, rg_HeightFont, rg_WidthFont, cb_IntensivFont,
                                       rg_VidOper, bt_PrnField, bt_PrnFieldExit})
    w->setEnabled(enabled);
}

void Tfm_PrnField::bt_PrnFieldClick() {
  if (busy_) return;
  context_.ui.SetResult("");
  SetControlsEnabled(false);
  busy_ = true;
  PrintField(context_.link, Format(), Std(ed_Text->text()));
  busy_ = false;
  SetControlsEnabled(true);
  ed_Text->setFocus();
}

void Tfm_PrnField::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  event->accept();
  if (Tfm_MainFr* main = context_.forms.fm_MainFr) main->ChildWindowClosed();
}

}  // namespace ptk::ui
