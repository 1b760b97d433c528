#include "ui/controls/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ptk::ui {

TRadioGroup::TRadioGroup(const QString& name, const QString& title, const QStringList& items,
                         QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
  setObjectName(name);
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    button->setObjectName(name + "_" + QString::number(i));
    group_->addButton(button, i);
    layout->addWidget(button);
  }
  if (!items.isEmpty()) group_->button(0)->setChecked(true);
  connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) emit itemIndexChanged(id);
  });
}

int TRadioGroup::itemIndex() const {
  return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
  if (QAbstractButton* b = group_->button(index)) b->setChecked(true);
}

int TRadioGroup::count() const {
  return static_cast<int>(group_->buttons().size());
}

QRadioButton* TRadioGroup::item(int index) const {
  return qobject_cast<QRadioButton*>(group_->button(index));
}

}  // namespace ptk::ui
