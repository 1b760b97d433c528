#include "ui/shell/animate.h"

#include <QPainter>
#include <QTimer>
#include <cmath>
#include <numbers>

namespace ptk::ui {

namespace {
constexpr int kDots = 8;
}

TAnimate::TAnimate(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kDots;
    update();
  });
}

void TAnimate::Start() {
  timer_->start();
}
void TAnimate::Stop() {
  timer_->stop();
}
bool TAnimate::active() const {
  return timer_->isActive();
}

void TAnimate::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(width() / 2.0, height() / 2.0);
  const double radius = std::min(width(), height()) / 2.0 - 4;
  const QColor base = palette().color(QPalette::WindowText);
  for (int i = 0; i < kDots; ++i) {
    const double angle = 2 * std::numbers::pi * i / kDots;
    QColor c = base;
    c.setAlphaF(((i - frame_ + kDots) % kDots + 1) / double(kDots));
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre + QPointF(radius * std::cos(angle), radius * std::sin(angle)), 3, 3);
  }
}

}  // namespace ptk::ui
