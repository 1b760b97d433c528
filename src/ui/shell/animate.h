// The small animation of the main window's set-up panel: a ring of dots turning while
// it runs.
#pragma once

#include <QWidget>

class QTimer;

namespace ptk::ui {

class TAnimate : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimate(QWidget* parent = nullptr);

  void Start();
  void Stop();
  bool active() const;

  QSize sizeHint() const override { return {32, 32}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_;
  int frame_ = 0;
};

}  // namespace ptk::ui
