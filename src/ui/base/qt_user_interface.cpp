#include "ui/base/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace ptk::ui {

QtUserInterface::QtUserInterface() {
  if (QCoreApplication::instance()) {
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     [this] { quitting_ = true; });
  }
}

QWidget* BoxParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  QWidget* active = QApplication::activeWindow();
  if (active && active->isEnabled() && active->isVisible()) return active;
  return nullptr;
}

Answer QtUserInterface::ShowBox(std::string_view caption, std::string_view text, Icon icon,
                                Buttons buttons) {
  const Answer answer = AskBox(caption, text, icon, buttons);
  if (observer_) observer_->BoxAnswered(buttons, answer);
  return answer;
}

std::optional<std::string> QtUserInterface::AskFile(const FileRequest& request) {
  std::optional<std::string> path = AskPath(request);
  if (observer_) observer_->FileAnswered(path);
  return path;
}

Answer QtUserInterface::AskBox(std::string_view caption, std::string_view text, Icon icon,
                               Buttons buttons) {
  if (responder_) return responder_->Box(caption, text, icon, buttons);
  QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
  switch (icon) {
    case Icon::Error:
      boxIcon = QMessageBox::Critical;
      break;
    case Icon::Information:
      boxIcon = QMessageBox::Information;
      break;
    case Icon::Question:
      boxIcon = QMessageBox::Question;
      break;
    case Icon::Warning:
      boxIcon = QMessageBox::Warning;
      break;
  }
  QMessageBox box(boxIcon, Qs(caption), Qs(text), QMessageBox::NoButton, BoxParent());
  box.setWindowModality(Qt::ApplicationModal);
  QAbstractButton* yes = nullptr;
  QAbstractButton* no = nullptr;
  QAbstractButton* ok = nullptr;
  QAbstractButton* cancel = nullptr;
  switch (buttons) {
    case Buttons::Ok:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      box.setDefaultButton(static_cast<QPushButton*>(ok));
      box.setEscapeButton(ok);
      break;
    case Buttons::YesNo:
      yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
      no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
      box.setDefaultButton(static_cast<QPushButton*>(yes));
      box.setEscapeButton(no);
      break;
    case Buttons::OkCancel:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
      box.setDefaultButton(static_cast<QPushButton*>(ok));
      box.setEscapeButton(cancel);
      break;
  }
  box.exec();
  QAbstractButton* pressed = box.clickedButton();
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::YesNo:
      return pressed == yes ? Answer::Yes : Answer::No;
    case Buttons::OkCancel:
      return pressed == ok ? Answer::Ok : Answer::Cancel;
  }
  return Answer::Cancel;
}

std::optional<std::string> QtUserInterface::AskPath(const FileRequest& request) {
  if (responder_) return responder_->File(request);
  const QString caption = Qs(request.caption);
  QString start = Qs(request.directory);
  if (!request.fileName.empty()) {
    start =
        start.isEmpty() ? Qs(request.fileName) : start + QLatin1Char('/') + Qs(request.fileName);
  }
  const QString filter = Qs(request.filter);
  QString path;
  switch (request.kind) {
    case FileDialogKind::Open:
      path = QFileDialog::getOpenFileName(BoxParent(), caption, start, filter);
      break;
    case FileDialogKind::Save:
      path = QFileDialog::getSaveFileName(BoxParent(), caption, start, filter);
      break;
    case FileDialogKind::Folder:
      path = QFileDialog::getExistingDirectory(BoxParent(), caption, start);
      break;
  }
  if (path.isEmpty()) return std::nullopt;
  return Std(path);
}

void QtUserInterface::SetResult(std::string_view text) {
  ++resultWrites_;
  result_ = std::string(text);
  if (resultLine_) {
    resultLine_->setText(Qs(text));
    resultLine_->setCursorPosition(0);
  }
}

std::string QtUserInterface::Result() const {
  return result_;
}

bool QtUserInterface::PumpMessages() {
  if (quitting_) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !quitting_;
}

void QtUserInterface::AttachResultLine(QLineEdit* line) {
  resultLine_ = line;
  if (resultLine_) resultLine_->setText(Qs(result_));
}

}  // namespace ptk::ui
