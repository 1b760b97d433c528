#include "ui/controls/page_control.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace ptk::ui {

TPageControl::TPageControl(const char* name, int tabsPerRow, QWidget* parent)
    : QWidget(parent),
      tabsPerRow_(tabsPerRow < 1 ? 1 : tabsPerRow),
      tabs_(new QGridLayout),
      group_(new QButtonGroup(this)),
      pages_(new QStackedWidget(this)) {
  setObjectName(name);
  tabs_->setSpacing(2);
  tabs_->setContentsMargins(0, 0, 0, 0);
  pages_->setObjectName(QString::fromLatin1(name) + "_pages");
  pages_->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addLayout(tabs_);
  layout->addWidget(pages_, 1);
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idClicked, this, &TPageControl::setCurrentIndex);
  connect(pages_, &QStackedWidget::currentChanged, this, [this](int index) {
    if (QAbstractButton* b = group_->button(index)) b->setChecked(true);
    emit currentChanged(index);
  });
}

int TPageControl::addPage(QWidget* page, const QString& caption) {
  const int index = pages_->addWidget(page);
  auto* button = new QPushButton(caption, this);
  button->setObjectName("tab_" + page->objectName());
  button->setCheckable(true);
  button->setFocusPolicy(Qt::TabFocus);
  // The captions carry blanks of their own to even the tabs out: plain weight and thin
  // margins keep several of them in one row. A button is never narrower than the visible
  // part of its caption.
  QFont plain = button->font();
  plain.setBold(false);
  button->setFont(plain);
  button->setStyleSheet(QStringLiteral("QPushButton { padding: 3px 4px; }"));
  button->setMinimumWidth(QFontMetrics(plain).horizontalAdvance(caption.trimmed()) + 12);
  group_->addButton(button, index);
  tabs_->addWidget(button, index / tabsPerRow_, index % tabsPerRow_);
  if (index == pages_->currentIndex()) button->setChecked(true);
  return index;
}

int TPageControl::count() const {
  return pages_->count();
}

QWidget* TPageControl::widget(int index) const {
  return pages_->widget(index);
}

int TPageControl::currentIndex() const {
  return pages_->currentIndex();
}

QWidget* TPageControl::currentWidget() const {
  return pages_->currentWidget();
}

void TPageControl::setCurrentIndex(int index) {
  if (index >= 0 && index < pages_->count()) pages_->setCurrentIndex(index);
}

void TPageControl::setCurrentWidget(QWidget* page) {
  setCurrentIndex(pages_->indexOf(page));
}

QAbstractButton* TPageControl::tab(int index) const {
  return group_->button(index);
}

}  // namespace ptk::ui
