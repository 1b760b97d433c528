// The window "ВНИМАНИЕ !!!  Идет чтение ПО." of the firmware reading and comparison:
// a gauge the caller drives and the stop button "Прервать".
#pragma once

#include <QWidget>

class QFrame;
class QProgressBar;
class QPushButton;

namespace ptk::ui {

class AppContext;

class Tfm_Process : public QWidget {
  Q_OBJECT
 public:
  explicit Tfm_Process(AppContext& context);

  QFrame* pn_Time;
  QProgressBar* cg_Time;
  QFrame* pn_Cancel;
  QPushButton* bt_Cancel;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void bt_CancelClick();

  AppContext& context_;
};

}  // namespace ptk::ui
