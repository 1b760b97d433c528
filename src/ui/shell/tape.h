// "Лента ПТК": the paper tape of the in-process virtual register, growing as it prints.
// It does not take the main window's place: it may stay open beside it.
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QTimer;

namespace ptk::emu {
class EmulatorHost;
}

namespace ptk::ui {

class Tfm_Tape : public QWidget {
  Q_OBJECT
 public:
  explicit Tfm_Tape(emu::EmulatorHost& emulator);

  void Open();
  // Appends the lines printed since the last poll.
  void Poll();
  int shownLines() const { return shown_; }

  QPlainTextEdit* mem_Tape;
  QTimer* tmr_Tape;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  emu::EmulatorHost& emulator_;
  int shown_ = 0;
};

}  // namespace ptk::ui
