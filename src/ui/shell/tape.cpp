#include "ui/shell/tape.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "emulator/emulator_host.h"
#include "ui/shell/qt_user_interface.h"

namespace ptk::ui {

Tfm_Tape::Tfm_Tape(emu::EmulatorHost& emulator) : QWidget(nullptr), emulator_(emulator) {
  setObjectName("fm_Tape");
  setWindowTitle(QStringLiteral("Лента ПТК"));
  mem_Tape = new QPlainTextEdit(this);
  mem_Tape->setObjectName("mem_Tape");
  mem_Tape->setReadOnly(true);
  mem_Tape->setLineWrapMode(QPlainTextEdit::NoWrap);
  mem_Tape->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(mem_Tape);
  resize(380, 520);

  tmr_Tape = new QTimer(this);
  tmr_Tape->setObjectName("tmr_Tape");
  tmr_Tape->setInterval(200);
  connect(tmr_Tape, &QTimer::timeout, this, &Tfm_Tape::Poll);
}

void Tfm_Tape::Open() {
  show();
  raise();
  activateWindow();
}

void Tfm_Tape::Poll() {
  const std::vector<std::string> lines = emulator_.TapeLines();
  const int count = static_cast<int>(lines.size());
  if (count < shown_) {
    // A new tape (the register was restarted): show it from its start.
    mem_Tape->clear();
    shown_ = 0;
  }
  if (count == shown_) return;
  QScrollBar* bar = mem_Tape->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  for (int i = shown_; i < count; ++i) mem_Tape->appendPlainText(Qs(lines[i]));
  shown_ = count;
  if (atEnd) bar->setValue(bar->maximum());
}

void Tfm_Tape::showEvent(QShowEvent* event) {
  Poll();
  tmr_Tape->start();
  QWidget::showEvent(event);
}

void Tfm_Tape::hideEvent(QHideEvent* event) {
  tmr_Tape->stop();
  QWidget::hideEvent(event);
}

}  // namespace ptk::ui
