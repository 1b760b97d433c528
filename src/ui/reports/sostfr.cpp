#include "ui/reports/sostfr.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {

QColor DesktopColour() {
  return QColor(0x3A, 0x6E, 0xA5);
}

Tfm_SostFR::Tfm_SostFR(AppContext& context)
    : TForm(context, "fm_SostFR", QStringLiteral("Состояние ПТК")) {
  FixClientSize(this, QSize(450, 371));

  pn_SostFR = build::Named(new QFrame(this), "pn_SostFR");
  pn_SostFR->setFrameShape(QFrame::StyledPanel);
  pn_SostFR->setFrameShadow(QFrame::Raised);
  pn_SostFR->setGeometry(8, 8, 249, 345);

  mem_SostFR = build::Named(new QPlainTextEdit(pn_SostFR), "mem_SostFR");
  mem_SostFR->setReadOnly(true);
  mem_SostFR->setGeometry(4, 4, 241, 337);
  QPalette palette = mem_SostFR->palette();
  palette.setColor(QPalette::Base, DesktopColour());
  palette.setColor(QPalette::Text, Qt::white);
  mem_SostFR->setPalette(palette);
  QFont font = mem_SostFR->font();
  font.setBold(true);
  mem_SostFR->setFont(font);
  mem_SostFR->setPlainText(QString("\n") + QString(42, QLatin1Char('-')));

  bt_SostFRExit = build::Button(this, "bt_SostFRExit", "&Закрыть", "Выйти из режима");
  bt_SostFRExit->setGeometry(300, 325, 130, 28);
  connect(bt_SostFRExit, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape();
}

void Tfm_SostFR::SetLines(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << Qs(line);
  mem_SostFR->setPlainText(text.join(QLatin1Char('\n')));
}

QStringList Tfm_SostFR::Lines() const {
  return mem_SostFR->toPlainText().split(QLatin1Char('\n'));
}

void Tfm_SostFR::Open() {
  ShowFromMenu(bt_SostFRExit, true);
}

}  // namespace ptk::ui
