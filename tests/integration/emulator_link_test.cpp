// The program's link (termios device, SerialPort, Link) against the virtual register over
// a real pseudo-terminal, through every result path of the exchange. The PC side runs on
// a clock ten times faster than real time, so that its time limits (500 ms, 10 s) pass in
// a tenth of the time while the register answers in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/receipts/cash_commands.h"
#include "core/receipts/receipt_extras.h"
#include "core/reports/device_state.h"
#include "core/shell/modes.h"
#include "core/shell/service_commands.h"
#include "emulator/emulator_host.h"
#include "emulator/protocol_engine.h"
#include "emulator/receipt_book.h"
#include "emulator/virtual_register.h"
#include "support/emulated_link.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"

namespace ptk {
namespace {

using emu::VirtualRegister;

using test::ScaledClock;

constexpr std::string_view kNoErrors = " 00 - Ошибок нет. Команда выполнена.";

class EmulatorLink : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig_.Start()) << rig_.error; }
  void Faults(const std::string& spec) {
    host_.WithRegister(
        [&](VirtualRegister& r) { ASSERT_TRUE(emu::ApplyFaultSpec(spec, r.faults())); });
  }
  int Exchange(uint8_t code, std::initializer_list<uint8_t> params = {}, Timeouts t = {}) {
    ui_.boxes.clear();
    return link_->ExchangeWithAnswer(link_->CommandFrame(code, params), 0, 6, 1, t, 0);
  }
  int Mode() {
    EXPECT_EQ(QueryStateCode(*link_), 1);
    return CurrentMode(*link_);
  }
  std::vector<std::string> Boxes() const { return ui_.BoxTexts(); }

  ScaledClock clock_{10};
  test::RecordingUi ui_;
  test::EmulatedLink rig_{ui_, {}, clock_};
  emu::EmulatorHost& host_ = rig_.host;
  SerialPort* const port_ = &rig_.port;
  Settings& settings_ = rig_.settings;
  Link* const link_ = &rig_.link;
};

TEST_F(EmulatorLink, StateQueriesDecodeTheRegistersState) {
  ASSERT_EQ(QueryDeviceState(*link_), 1);
  EXPECT_EQ(ui_.result, kNoErrors);
  EXPECT_EQ(link_->AnswerLength, 33);  // 30 payload bytes
  std::vector<std::string> lines = ShowDeviceState(*link_);
  ASSERT_GE(lines.size(), 25u);
  EXPECT_EQ(lines[0], "Кассир: 0");
  EXPECT_EQ(lines[12], "Завод. номер ПТК: 0102030");
  EXPECT_EQ(lines[15], "Режим: выбор");

  ASSERT_EQ(QueryStateCode(*link_), 1);
  std::vector<std::string> code = ShowStateCode(*link_);
  ASSERT_EQ(code.size(), 7u);
  EXPECT_EQ(code[3], "Бумага в принтере есть");

  ASSERT_EQ(QueryDeviceType(*link_), 1);
  std::vector<std::string> type = ShowDeviceType(*link_);
  ASSERT_EQ(type.size(), 4u);
  EXPECT_EQ(type[2], "Языковая таблица: русская");
  EXPECT_EQ(type[3], "Название: ВИРТУАЛЬНЫЙ ПТК");
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(EmulatorLink, PrinterFlagsReachTheStateCode) {
  Faults("nopaper,coveropen");
  ASSERT_EQ(QueryStateCode(*link_), 1);
  StateCode s = DecodeStateCode(*link_);
  EXPECT_EQ(s.noPaper, 1);
  EXPECT_EQ(s.coverOpen, 1);
  EXPECT_EQ(s.noPrinterLink, 0);
  EXPECT_EQ(Exchange(0x5E, {0x41}), kExchangeDeviceError);
  EXPECT_EQ(Boxes(), std::vector<std::string>{" 67 - Нет бумаги."});
}

TEST_F(EmulatorLink, ModesAreEnteredAndLeftWithTheirPasswords) {
  struct Row {
    int mode;
    const char* password;
    int result;
  };
  const Row rows[] = {{1, "00000001", 1}, {2, "00000029", 1}, {3, "00000030", 1},
                      {4, "00000030", 1}, {5, "00000000", 1}, {6, "00000030", 1},
                      {2, "00000001", 4}, {4, "00000029", 4}, {5, "00000030", 4}};
  for (const Row& row : rows) {
    ASSERT_EQ(ExitMode(*link_), 1);
    ui_.boxes.clear();
    EXPECT_EQ(EnterMode(*link_, row.mode, row.password), row.result)
        << row.mode << " " << row.password;
    EXPECT_EQ(Mode(), row.result == 1 ? row.mode : 0);
    if (row.result != 1) {
      EXPECT_EQ(Boxes(), std::vector<std::string>{" 8C - Неверный пароль."});
    }
  }
  ASSERT_EQ(ExitMode(*link_), 1);
  EXPECT_EQ(Mode(), 0);
}

TEST_F(EmulatorLink, WrongCommunicationPasswordIsRefused) {
  settings_.AccessPassword = "1234";
  EXPECT_EQ(QueryDeviceState(*link_), kExchangeDeviceError);
  EXPECT_EQ(ui_.result, " 8C - Неверный пароль.");
  ui_.boxes.clear();
  EXPECT_EQ(ExitMode(*link_), kExchangeDeviceError);
  EXPECT_EQ(Boxes(), std::vector<std::string>{" 8C - Неверный пароль."});
}

TEST_F(EmulatorLink, RegisterErrorCodeIsShown) {
  Faults("code=80:9B/1");
  EXPECT_EQ(RunServiceCommand(*link_, ServiceCommandId::OpenDrawer), kExchangeDeviceError);
  EXPECT_EQ(ui_.result, " 9B - Чек открыт - операция невозможна.");
  EXPECT_EQ(RunServiceCommand(*link_, ServiceCommandId::OpenDrawer), kExchangeOk);
  EXPECT_EQ(Exchange(0xE0), kExchangeNotSupported);  // 0x7A for a command it lacks
}

TEST_F(EmulatorLink, RefusedFramesAreSentAgain) {
  Faults("nak=3");
  EXPECT_EQ(Exchange(0x52), kExchangeOk);
  EXPECT_EQ(host_.Stats().framesRejected, 3u);
}

TEST_F(EmulatorLink, CorruptedAnswersAreReadAgainThenGivenUp) {
  Faults("badcheck=5");
  EXPECT_EQ(Exchange(0x52), kExchangeOk);
  EXPECT_EQ(host_.Stats().answersSent, 6u);
  Faults("badcheck=6");
  EXPECT_EQ(Exchange(0x52), kExchangeChecksumError);
  EXPECT_EQ(Boxes(), std::vector<std::string>{std::string(kTextChecksumError)});
  EXPECT_EQ(Exchange(0x52), kExchangeOk);  // the line recovers
}

TEST_F(EmulatorLink, SilentRegisterMeansNoLink) {
  Faults("silent=5");
  EXPECT_EQ(Exchange(0x52), kExchangeLinkFailure);
  EXPECT_EQ(Boxes(), std::vector<std::string>{std::string(kTextNoLink)});
  Faults("silent=4");
  EXPECT_EQ(Exchange(0x52), kExchangeOk);  // the fifth ENQ is answered
}

TEST_F(EmulatorLink, AnswerLaterThanTheExecutionTimeMeansNoAnswer) {
  Timeouts t;
  t.t6 = 1000;  // 100 ms of real time
  Faults("delay=400/1");
  EXPECT_EQ(Exchange(0x52, {}, t), kExchangeLinkFailure);
  EXPECT_EQ(Boxes(), std::vector<std::string>{std::string(kTextNoAnswer)});
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(Exchange(0x52, {}, t), kExchangeOk);  // the late answer is not taken for this one
  Faults("noanswer=1");
  EXPECT_EQ(Exchange(0x52, {}, t), kExchangeLinkFailure);
  EXPECT_EQ(Exchange(0x52, {}, t), kExchangeOk);
}

TEST_F(EmulatorLink, LateAnswerWithinTheExecutionTimeIsTaken) {
  Faults("delay=150/1");
  EXPECT_EQ(Exchange(0x52), kExchangeOk);  // T6 10 s = 1 s of real time
}

TEST_F(EmulatorLink, PauseInsideTheAnswerFrame) {
  Faults("pause=20/1");  // ten times the 2 ms byte time-out; T7 is 50 ms of real time
  EXPECT_EQ(Exchange(0x52), kExchangeOk);
  Faults("pause=20/1");
  EXPECT_EQ(QueryDeviceState(*link_), kExchangeOk);
  EXPECT_EQ(link_->AnswerLength, 33);
}

TEST_F(EmulatorLink, BeepHasNoAnswerAndTheNextCommandWorks) {
  EXPECT_EQ(RunServiceCommand(*link_, ServiceCommandId::Beep), kExchangeOk);
  EXPECT_EQ(RunServiceCommand(*link_, ServiceCommandId::DemoPrint), kExchangeOk);
  uint64_t beeps = 0;
  host_.WithRegister([&](VirtualRegister& r) { beeps = r.state().beeps; });
  EXPECT_EQ(beeps, 1u);
  EXPECT_FALSE(host_.TapeLines().empty());
}

TEST_F(EmulatorLink, DateIsConfirmedBySendingItAgain) {
  EXPECT_EQ(Exchange(0x64, {0x05, 0x03, 0x24}), kExchangeDeviceError);
  EXPECT_EQ(ui_.result, " 16 - Требуется подтверждение ввода даты.");
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(Exchange(0x64, {0x05, 0x03, 0x24}), kExchangeOk);
  ASSERT_EQ(QueryDeviceState(*link_), 1);
  EXPECT_EQ(ShowDeviceState(*link_)[3], "Текущая  дата: 05/03/24");
}

TEST_F(EmulatorLink, CompactPathIdentifiesTheModel) {
  ModelIdentity identity;
  EXPECT_EQ(IdentifyModel(*port_, settings_, identity), 0);
  EXPECT_EQ(identity.modelCode, kModelCodeThird);
  EXPECT_EQ(identity.caps, CapabilitiesForModel(kModelCodeThird));
  uint8_t answer[90];
  size_t length = sizeof answer;
  settings_.AccessPassword = "0000";
  EXPECT_EQ(DirectCommand(*port_, settings_, 0x45, {}, answer, &length),
            direct_error::kWrongPassword);
}

TEST_F(EmulatorLink, PrintedTextReachesTheTape) {
  EXPECT_EQ(Exchange(0x5E, {0xFC, 0x31}), kExchangeOk);
  std::vector<std::string> tape = host_.TapeLines();
  ASSERT_FALSE(tape.empty());
  EXPECT_EQ(tape.back(), "№1");
  EXPECT_EQ(host_.TapeLinesFrom(tape.size() - 1), std::vector<std::string>{"№1"});
  EXPECT_TRUE(host_.TapeLinesFrom(tape.size()).empty());
}

TEST_F(EmulatorLink, CashAndReceiptExtrasEndToEnd) {
  std::string amount;
  host_.WithRegister([](VirtualRegister& r) { r.state().cashInDrawer = 12345607; });
  EXPECT_EQ(QueryCashInDrawer(*link_, amount), kExchangeOk);
  EXPECT_EQ(amount, "123456,07");
  // The register refuses the query: a short answer, taken as its result code.
  settings_.AccessPassword = "0000";
  EXPECT_EQ(QueryCashInDrawer(*link_, amount), kExchangeDeviceError);
  EXPECT_EQ(amount, "");
  EXPECT_EQ(ui_.result, " 8C - Неверный пароль.");
  settings_.AccessPassword = "7391";

  ASSERT_EQ(EnterMode(*link_, 1, "00000001"), kExchangeOk);
  std::optional<ptk::Exchange> cashIn = CashInCommand(*link_, OperationMode::Execute, "100", ',');
  ASSERT_TRUE(cashIn);
  EXPECT_EQ(link_->Run(*cashIn), kExchangeOk);
  EXPECT_EQ(QueryCashInDrawer(*link_, amount), kExchangeOk);
  EXPECT_EQ(amount, "123556,07");

  EXPECT_EQ(PrintAttribute(*link_, 3, "ИНН 123"),
            static_cast<int>(0x80000000u + 0x9A));  // no receipt open
  ASSERT_EQ(link_->Run(OpenReceiptCommand(*link_, OperationMode::Execute, 1)), kExchangeOk);
  EXPECT_EQ(PrintAttribute(*link_, 3, "ИНН 123"), 0);
  std::string text;
  ASSERT_EQ(BuildBarcodeText(0x01, "1234567", "", kBarcodeSeparator, text), 0);
  EXPECT_EQ(PrintBarcode(*link_, 0x01, text), 0);
  std::vector<std::string> tape = host_.TapeLines();
  ASSERT_GE(tape.size(), 3u);
  EXPECT_EQ(tape[tape.size() - 3], emu::TapeLine("НОМЕР ДОГОВОРА", "ИНН 123"));
  EXPECT_EQ(tape.back(), "     12345670");
}

// A quiet line is one the register will send nothing more on. After an answer the PC gave
// up on (the command ran longer than T6), the register still repeats its answer ENQ
// until its own wait for the ACK runs out; those ENQs must not reach the next exchange,
// where a stray byte on the last attempt of a silent handshake would take it on.
TEST(EmulatorHostLine, QuietOnlyOnceTheRegisterHasNothingMoreToSend) {
  emu::EmulatorOptions options;
  options.lineLimitsDivisor = 20;  // the answer ENQ repeated after 100 ms, three in all
  test::RecordingUi ui;
  ScaledClock clock{10};
  test::EmulatedLink rig(ui, options, clock);
  ASSERT_TRUE(rig.Start()) << rig.error;
  emu::EmulatorHost& host = rig.host;
  Link& link = rig.link;
  host.WithRegister(
      [](VirtualRegister& r) { ASSERT_TRUE(emu::ApplyFaultSpec("delay=150/1", r.faults())); });
  Timeouts t;
  t.t6 = 1000;  // 100 ms of real time: given up before the register's ENQ
  EXPECT_EQ(link.ExchangeWithAnswer(link.CommandFrame(0x52, {}), 0, 6, 1, t, 0),
            kExchangeLinkFailure);

  ASSERT_TRUE(host.WaitLineQuiet(5000));
  rig.port.PurgePort();
  int stray = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  while (std::chrono::steady_clock::now() < until) {
    uint8_t b = 0;
    if (rig.device->ReadByte(b) == ReadStatus::Byte) ++stray;
  }
  EXPECT_EQ(stray, 0);
}

// A transfer begun while the register still executes the last command: counted, noted on
// the tape and told to whoever keeps the line trace.
TEST(EmulatorHostLine, ATransferInsideTheRegistersWorkIsNoted) {
  std::atomic<int> told{0};
  emu::EmulatorOptions options;
  options.onLineViolation = [&told] { ++told; };
  test::RecordingUi ui;
  ScaledClock clock{10};
  test::EmulatedLink rig(ui, options, clock);
  ASSERT_TRUE(rig.Start()) << rig.error;
  rig.host.WithRegister(
      [](VirtualRegister& r) { ASSERT_TRUE(emu::ApplyFaultSpec("delay=400/1", r.faults())); });
  Timeouts t;
  t.t6 = 1000;  // 100 ms of real time: given up while the register works
  EXPECT_EQ(rig.link.ExchangeWithAnswer(rig.link.CommandFrame(0x52, {}), 0, 6, 1, t, 0),
            kExchangeLinkFailure);
  rig.link.ExchangeWithAnswer(rig.link.CommandFrame(0x45, {}), 1, 55, 0, Timeouts{}, 0);
  ASSERT_TRUE(rig.host.WaitLineQuiet(5000));
  EXPECT_GE(rig.host.Stats().lineViolations, 1u);
  EXPECT_EQ(told.load(), static_cast<int>(rig.host.Stats().lineViolations));
  const std::vector<std::string> tape = rig.host.TapeLines();
  EXPECT_NE(std::find(tape.begin(), tape.end(), "[нарушение порядка обмена]"), tape.end());
}

}  // namespace
}  // namespace ptk
