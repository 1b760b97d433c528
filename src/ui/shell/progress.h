// The shared progress window "Выполнение команды" of long multi-command operations.
// It appears only when the operation is still running after 300 ms.
#pragma once

#include <QPointer>

#include "ui/base/form.h"

class QProgressBar;
class QPushButton;
class QTimer;

namespace ptk::ui {

inline constexpr int kProgressCancellable = 0x1;  // flags bit 0: "Отмена" enabled
inline constexpr int kProgressKeepOpen = 0x2;     // flags bit 1: stay open at the end
inline constexpr int kProgressShowDelayMs = 300;

class Tprogress : public TForm {
  Q_OBJECT
 public:
  explicit Tprogress(AppContext& context);

  // owner: the window that started the operation (the main window when null); it is
  // disabled until the progress window closes. caption: null keeps the current caption.
  void ProgressStart(QWidget* owner, int total, const QString* caption = nullptr, int flags = 0);
  void ProgressSetTotal(int newTotal);
  // True once the operation is finished (position reached the total).
  bool ProgressStep(qint64 position);
  bool ProgressIncrement();
  bool ProgressFinish();
  void ProgressClose();

  int total() const { return total_; }
  int position() const { return position_; }
  bool finished() const { return finished_; }
  // True after "Отмена" closed the window of the running operation.
  bool cancelled() const { return cancelled_; }

  QProgressBar* bar;
  QPushButton* btncancel;
  QTimer* tmrblitz;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void tmrblitzTimer();
  void btncancelClick();
  void CloseWindow();

  QPointer<QWidget> owner_;
  int total_ = 0;
  int position_ = 0;
  bool cancellable_ = false;
  bool keepOpen_ = false;
  bool finished_ = true;
  bool cancelled_ = false;
};

}  // namespace ptk::ui
