// The window "ВНИМАНИЕ !!!  Идет чтение ПО." of the firmware reading and comparison:
// a gauge the caller drives and the stop button "Прервать".
#pragma once

#include <QString>
#include <cstdint>

#include "ui/base/form.h"

class QFrame;
class QProgressBar;
class QPushButton;

namespace ptk::ui {

class Tfm_Process : public TForm {
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
};

// The process window around one long run (it serves several): shown with the run's
// caption, its gauge at 0, and raised; afterwards, however the run ended, closed, its gauge
// back at 0 and its own caption back. Does nothing without a window.
class ProcessRun {
 public:
  ProcessRun(Tfm_Process* process, const QString& caption);
  ~ProcessRun();
  ProcessRun(const ProcessRun&) = delete;
  ProcessRun& operator=(const ProcessRun&) = delete;

  // The gauge runs from 0 to maximum.
  void SetMaximum(int maximum);
  // The gauge at value, at most its maximum.
  void SetValue(uint64_t value);
  // The gauge one step further.
  void Step();

 private:
  Tfm_Process* process_;
  QString design_;
};

}  // namespace ptk::ui
