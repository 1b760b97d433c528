#include "ui/shell/tape.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "emulator/emulator_host.h"
#include "emulator/faults.h"
#include "emulator/virtual_register.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"

namespace ptk::ui {

Tfm_Tape::Tfm_Tape(AppContext& context)
    : TForm(context, "fm_Tape", QStringLiteral("Лента ПТК")), emulator_(*context.emulator()) {
  // A plain top-level window that may stay open beside the others.
  setWindowFlags(Qt::Window);
  mem_Tape = new QPlainTextEdit(this);
  mem_Tape->setObjectName("mem_Tape");
  mem_Tape->setReadOnly(true);
  mem_Tape->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The tape's columns line up only in a fixed-pitch font, whatever the platform offers as
  // its fixed font.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!QFontInfo(fixed).fixedPitch()) {
    fixed.setFamily(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
  }
  mem_Tape->setFont(fixed);
  ed_Card = new QLineEdit(QString::fromStdString(emulator_.Card()), this);
  ed_Card->setObjectName("ed_Card");
  ed_Card->setToolTip(QStringLiteral("Вторая дорожка карты, например ;4000001234567899=2512?"));
  bt_Card = new QPushButton(QStringLiteral("Карта"), this);
  bt_Card->setObjectName("bt_Card");
  bt_Card->setToolTip(QStringLiteral("Положить карту в считыватель виртуального ПТК"));
  auto* cardLabel = new QLabel(QStringLiteral("Дорожка карты"), this);
  cardLabel->setBuddy(ed_Card);
  auto* card = new QHBoxLayout;
  card->addWidget(cardLabel);
  card->addWidget(ed_Card, 1);
  card->addWidget(bt_Card);
  ed_Faults = new QLineEdit(this);
  ed_Faults->setObjectName("ed_Faults");
  ed_Faults->setToolTip(QString::fromUtf8(emu::FaultSyntaxHelp().data(),
                                          static_cast<qsizetype>(emu::FaultSyntaxHelp().size())));
  bt_Faults = new QPushButton(QStringLiteral("Неисправности"), this);
  bt_Faults->setObjectName("bt_Faults");
  bt_Faults->setToolTip(QStringLiteral("Включить неисправности виртуального ПТК"));
  auto* faultsLabel = new QLabel(QStringLiteral("Неисправности"), this);
  faultsLabel->setBuddy(ed_Faults);
  auto* faults = new QHBoxLayout;
  faults->addWidget(faultsLabel);
  faults->addWidget(ed_Faults, 1);
  faults->addWidget(bt_Faults);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(mem_Tape);
  layout->addLayout(card);
  layout->addLayout(faults);
  connect(bt_Faults, &QPushButton::clicked, this, &Tfm_Tape::bt_FaultsClick);
  const bool reader = !emulator_.CardReaderPath().empty();
  ed_Card->setVisible(reader);
  cardLabel->setVisible(reader);
  bt_Card->setVisible(reader);
  connect(bt_Card, &QPushButton::clicked, this, &Tfm_Tape::bt_CardClick);
  resize(380, 520);

  tmr_Tape = new QTimer(this);
  tmr_Tape->setObjectName("tmr_Tape");
  tmr_Tape->setInterval(200);
  connect(tmr_Tape, &QTimer::timeout, this, &Tfm_Tape::Poll);
  // Each printed line brings the memo up to date, shown or not: what the register printed
  // for a command is on the tape when the command's answer has come.
  emulator_.SetTapeListener(
      [this] { QMetaObject::invokeMethod(this, &Tfm_Tape::Poll, Qt::QueuedConnection); });
}

Tfm_Tape::~Tfm_Tape() {
  emulator_.SetTapeListener(nullptr);
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

void Tfm_Tape::bt_CardClick() {
  emulator_.SetCard(Std(ed_Card->text()));
}

void Tfm_Tape::bt_FaultsClick() {
  const std::string spec = Std(ed_Faults->text());
  std::string error;
  bool ok = false;
  emulator_.WithRegister(
      [&](emu::VirtualRegister& r) { ok = emu::ApplyFaultSpec(spec, r.faults(), &error); });
  ed_Faults->setStyleSheet(ok ? QString() : QStringLiteral("color: red;"));
  ed_Faults->setToolTip(
      ok ? QString::fromUtf8(emu::FaultSyntaxHelp().data(),
                             static_cast<qsizetype>(emu::FaultSyntaxHelp().size()))
         : Qs(error));
}

void Tfm_Tape::showEvent(QShowEvent* event) {
  Poll();
  tmr_Tape->start();
  QWidget::showEvent(event);
}

void Tfm_Tape::closeEvent(QCloseEvent* event) {
  event->accept();
}

void Tfm_Tape::hideEvent(QHideEvent* event) {
  tmr_Tape->stop();
  QWidget::hideEvent(event);
}

}  // namespace ptk::ui
