// The application object: the window toolkit's message loop, with a default exception
// box, so that an exception escaping a handler is shown and the loop goes on.
#pragma once

#include <QApplication>

#include "core/shell/user_interface.h"

namespace ptk::ui {

// Sees the person's input on its way to the windows: mouse buttons, keys, shortcuts, the
// wheel, closes and focus losses. InputBegins is called before the event is delivered;
// when it returns true, InputEnds follows once the delivery (and everything the handlers
// did meanwhile, boxes and waits included) is over.
class InputWatcher {
 public:
  virtual ~InputWatcher() = default;
  virtual bool InputBegins(QObject* receiver, QEvent* event) = 0;
  virtual void InputEnds() = 0;
};

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);

  // The interface that shows the exception box; without one the text goes to stderr.
  void SetUserInterface(UserInterface* ui) { ui_ = ui; }

  void SetInputWatcher(InputWatcher* watcher) { watcher_ = watcher; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  bool Deliver(QObject* receiver, QEvent* event);
  void ShowException(const char* text);

  InputWatcher* watcher_ = nullptr;

  UserInterface* ui_ = nullptr;
  bool showing_ = false;  // an exception while its box is up is not shown again
};

}  // namespace ptk::ui
