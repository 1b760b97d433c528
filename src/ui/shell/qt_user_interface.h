// The program's one implementation of the person-facing interface: modal message boxes
// with the conventional captions and icons, the main window's result line, and pumping
// window messages while the link waits.
#pragma once

#include <QPointer>
#include <QString>
#include <string>

#include "core/shell/user_interface.h"

class QLineEdit;
class QWidget;

namespace ptk::ui {

inline QString Qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string Std(const QString& text) {
  return text.toStdString();
}

class QtUserInterface final : public UserInterface {
 public:
  QtUserInterface();

  Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                 Buttons buttons = Buttons::Ok) override;
  void SetResult(std::string_view text) override;
  std::string Result() const override;
  bool PumpMessages() override;

  // The read-only edit that shows the result line (ed_rezult of the main window).
  void AttachResultLine(QLineEdit* line);
  // Once set, PumpMessages returns false, so that a waiting exchange gives up at once.
  void SetQuitting() { quitting_ = true; }
  bool quitting() const { return quitting_; }

 private:
  QPointer<QLineEdit> resultLine_;
  std::string result_;
  bool quitting_ = false;
};

// The window a box should belong to: the active window if it can take input, else none
// (an application-modal box of its own). A disabled owner would disable the box with it.
QWidget* BoxParent();

}  // namespace ptk::ui
