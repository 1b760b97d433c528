// The about box "О программе".
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace ptk::ui {

class AppContext;

class Tfm_Help : public QWidget {
  Q_OBJECT
 public:
  explicit Tfm_Help(AppContext& context);

  void Open();

  QLabel* Image1;
  QLabel* lb_Title;
  QLabel* lb_Version;
  QLabel* lb_Project;
  QLabel* lb_Source;
  QPushButton* bt_Close;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  AppContext& context_;
};

}  // namespace ptk::ui
