#include "ui/shell/help.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/base/wndfit.h"

namespace ptk::ui {
namespace {

// A cash register with a receipt coming out of it.
QPixmap RegisterPicture() {
  QPixmap pixmap(72, 72);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(22, 4, 26, 26));  // the receipt
  for (int y = 10; y < 28; y += 5) p.drawLine(QPointF(26, y), QPointF(44, y));
  p.setBrush(QColor(0x3A, 0x6E, 0xA5));
  p.drawRoundedRect(QRectF(8, 26, 56, 38), 4, 4);  // the body
  p.setBrush(QColor(0xD8, 0xF0, 0xD0));
  p.drawRect(QRectF(14, 31, 44, 10));  // the display
  p.setBrush(QColor(0xE0, 0xE0, 0xE0));
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 5; ++col) p.drawRect(QRectF(14 + col * 9, 45 + row * 8, 6, 5));
  }
  return pixmap;
}

}  // namespace

Tfm_Help::Tfm_Help(AppContext& context) : TForm(context, "fm_Help", QStringLiteral("О программе")) {
  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setPixmap(RegisterPicture());
  lb_Title = new QLabel(QStringLiteral("Тестовая программа для ПТК"), this);
  lb_Title->setObjectName("lb_Title");
  QFont titleFont = lb_Title->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
  lb_Title->setFont(titleFont);
  lb_Version = new QLabel(QStringLiteral("версия 1.0"), this);
  lb_Version->setObjectName("lb_Version");
  lb_Project = new QLabel(QStringLiteral("Проект ptk-tester"), this);
  lb_Project->setObjectName("lb_Project");
  lb_Source =
      new QLabel(QStringLiteral("Исходные тексты: git-репозиторий проекта ptk-tester"), this);
  lb_Source->setObjectName("lb_Source");
  lb_Source->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bt_Close = new QPushButton(QStringLiteral("Закрыть"), this);
  bt_Close->setObjectName("bt_Close");

  auto* texts = new QVBoxLayout;
  texts->addWidget(lb_Title);
  texts->addWidget(lb_Version);
  texts->addSpacing(8);
  texts->addWidget(lb_Project);
  texts->addWidget(lb_Source);
  texts->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addSpacing(8);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(bt_Close);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 14, 14, 12);
  layout->addLayout(top);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  FixClientSize(this, sizeHint());

  connect(bt_Close, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_Help::Open() {
  ShowFromMenu(bt_Close, true);
}

}  // namespace ptk::ui
