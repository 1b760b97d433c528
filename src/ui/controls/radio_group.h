// A titled group of radio buttons with one chosen item, addressed by its index.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace ptk::ui {

class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  // The group is named `name`, its buttons "<name>_<index>"; the first item is chosen.
  TRadioGroup(const QString& name, const QString& title, const QStringList& items,
              QWidget* parent = nullptr);

  int itemIndex() const;  // -1 when none is chosen
  void setItemIndex(int index);
  int count() const;
  QRadioButton* item(int index) const;

 signals:
  // A new item was chosen, by a click or by setItemIndex (the group's OnClick).
  void itemIndexChanged(int index);

 private:
  QButtonGroup* group_;
};

}  // namespace ptk::ui
