// "Печать строки": one line of text printed on the receipt tape outside a receipt.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;

class Tfm_PrnStr : public QWidget {
  Q_OBJECT
 public:
  explicit Tfm_PrnStr(AppContext& context);

  // From the main menu: empties the edit, disables the main window, shows the window.
  void Open();
  void bt_PrnStrClick();

  QLabel* Label1;
  QLineEdit* ed_PrnStr;
  QPushButton* bt_PrnStr;
  QPushButton* bt_SostEKLZExit;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetControlsEnabled(bool enabled);

  AppContext& context_;
  bool busy_ = false;
};

}  // namespace ptk::ui
