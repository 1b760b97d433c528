#include "ui/base/wndfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

#include "core/shell/window_fit.h"

namespace ptk::ui {
namespace {

QScreen* ScreenOf(QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

ScreenRect ToScreenRect(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

// Gives a main window's content scroll bars, so that a window cut to the work area keeps
// every control reachable.
void EnableAutoScroll(QWidget* window) {
  auto* main = qobject_cast<QMainWindow*>(window);
  if (!main || !main->centralWidget() || qobject_cast<QScrollArea*>(main->centralWidget())) {
    return;
  }
  QWidget* content = main->takeCentralWidget();
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(content);
  main->setCentralWidget(scroll);
}

// Grows its window to what the window's layout needs whenever the layout is redone.
class ClientSizeKeeper final : public QObject {
 public:
  ClientSizeKeeper(QWidget* window, QSize start) : QObject(window), window_(window), start_(start) {
    window->installEventFilter(this);
  }
  void Apply() {
    QSize size = start_;
    if (QLayout* layout = window_->layout()) {
      layout->activate();
      size = size.expandedTo(layout->totalMinimumSize());
    }
    if (size != window_->minimumSize() || size != window_->maximumSize())
      window_->setFixedSize(size);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::LayoutRequest) {
      QMetaObject::invokeMethod(
          this, [this] { Apply(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  QWidget* window_;
  QSize start_;
};

}  // namespace

void FixClientSize(QWidget* window, QSize start) {
  if (!window) return;
  (new ClientSizeKeeper(window, start))->Apply();
}

void FitWindowToScreen(QWidget* window) {
  if (!window) return;
  QScreen* screen = ScreenOf(window);
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  if (area.isEmpty()) return;
  const QRect frame = window->frameGeometry();
  const FitResult fit = FitRectToWorkArea(ToScreenRect(frame), ToScreenRect(area));
  if (fit.resized) {
    EnableAutoScroll(window);
    // The frame (title bar, borders) is part of the window's size on the screen.
    const int frameW = frame.width() - window->width();
    const int frameH = frame.height() - window->height();
    const QSize inner(fit.rect.width - frameW, fit.rect.height - frameH);
    window->setMinimumSize(window->minimumSize().boundedTo(inner));
    window->resize(inner);
  }
  if (fit.moved) window->move(fit.rect.left, fit.rect.top);
}

void CentreOnScreen(QWidget* window) {
  if (!window) return;
  QScreen* screen = ScreenOf(window);
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.left() + (area.width() - size.width()) / 2,
               area.top() + (area.height() - size.height()) / 2);
}

}  // namespace ptk::ui
