// The application object: the window toolkit's message loop, with a default exception
// box, so that an exception escaping a handler is shown and the loop goes on.
#pragma once

#include <QApplication>

#include "core/shell/user_interface.h"

namespace ptk::ui {

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);

  // The interface that shows the exception box; without one the text goes to stderr.
  void SetUserInterface(UserInterface* ui) { ui_ = ui; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ShowException(const char* text);

  UserInterface* ui_ = nullptr;
  bool showing_ = false;  // an exception while its box is up is not shown again
};

}  // namespace ptk::ui
