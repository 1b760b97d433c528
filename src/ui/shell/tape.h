// "Лента ПТК": the paper tape of the in-process virtual register, growing as it prints.
// It does not take the main window's place: it may stay open beside it. Below the tape,
// the card that the virtual card reader hands over when the program reads it, and the
// faults of the virtual register, switched while the program runs.
#pragma once

#include "ui/base/form.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ptk::emu {
class EmulatorHost;
}

namespace ptk::ui {

class Tfm_Tape : public TForm {
  Q_OBJECT
 public:
  // The tape of the run's virtual register, which must be running.
  explicit Tfm_Tape(AppContext& context);
  ~Tfm_Tape() override;

  void Open();
  // Appends the lines printed since the last poll.
  void Poll();
  // Puts the card of ed_Card into the virtual card reader.
  void bt_CardClick();
  // Switches the faults written in ed_Faults on (the list of ptk-emulator --faults).
  void bt_FaultsClick();
  int shownLines() const { return shown_; }

  QPlainTextEdit* mem_Tape;
  QTimer* tmr_Tape;
  QLineEdit* ed_Card;
  QPushButton* bt_Card;
  QLineEdit* ed_Faults;
  QPushButton* bt_Faults;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Beside the other windows: closing it gives nothing back.
  void closeEvent(QCloseEvent* event) override;

 private:
  emu::EmulatorHost& emulator_;
  int shown_ = 0;
};

}  // namespace ptk::ui
