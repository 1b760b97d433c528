// The program's one implementation of the person-facing interface: modal message boxes
// with the conventional captions and icons, file dialogs, the main window's result line,
// and pumping window messages while the link waits. A scripted run puts a responder in
// front of the boxes and dialogs, which then answers them instead of the person.
#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <optional>
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
  // Answers boxes and dialogs in place of the person.
  class Responder {
   public:
    virtual ~Responder() = default;
    virtual Answer Box(std::string_view caption, std::string_view text, Icon icon,
                       Buttons buttons) = 0;
    virtual std::optional<std::string> File(const FileRequest& request) = 0;
  };

  // Told of every answered box and file dialog, whoever answered it.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void BoxAnswered(Buttons buttons, Answer answer) = 0;
    virtual void FileAnswered(const std::optional<std::string>& path) = 0;
  };

  QtUserInterface();

  Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                 Buttons buttons = Buttons::Ok) override;
  std::optional<std::string> AskFile(const FileRequest& request) override;
  void SetResult(std::string_view text) override;
  std::string Result() const override;
  bool PumpMessages() override;

  // The read-only edit that shows the result line (ed_rezult of the main window).
  void AttachResultLine(QLineEdit* line);
  // Once set, PumpMessages returns false, so that a waiting exchange gives up at once.
  void SetQuitting() { quitting_ = true; }
  bool quitting() const { return quitting_; }

  void SetResponder(Responder* responder) { responder_ = responder; }
  void SetObserver(Observer* observer) { observer_ = observer; }
  // Counts the writes of the result line, so that a caller can tell whether it was written.
  uint64_t resultWrites() const { return resultWrites_; }

 private:
  Answer AskBox(std::string_view caption, std::string_view text, Icon icon, Buttons buttons);
  std::optional<std::string> AskPath(const FileRequest& request);

  Responder* responder_ = nullptr;
  Observer* observer_ = nullptr;
  uint64_t resultWrites_ = 0;
  QPointer<QLineEdit> resultLine_;
  std::string result_;
  bool quitting_ = false;
};

// The window a box should belong to: the active window if it can take input, else none
// (an application-modal box of its own). A disabled owner would disable the box with it.
QWidget* BoxParent();

}  // namespace ptk::ui
