#include "ui/base/application.h"

#include <cstdio>
#include <exception>
#include <string>

namespace ptk::ui {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  if (!watcher_) return Deliver(receiver, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::Close:
    case QEvent::FocusOut:
      break;
    default:
      return Deliver(receiver, event);
  }
  if (!watcher_->InputBegins(receiver, event)) return Deliver(receiver, event);
  const bool result = Deliver(receiver, event);
  watcher_->InputEnds();
  return result;
}

bool TApplication::Deliver(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("Неизвестная ошибка");
  }
  return false;
}

void TApplication::ShowException(const char* text) {
  if (!ui_ || showing_) {
    std::fprintf(stderr, "ptk-tester: %s\n", text);
    return;
  }
  showing_ = true;
  ShowError(*ui_, text);
  showing_ = false;
}

}  // namespace ptk::ui
