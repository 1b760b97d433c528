// The compact command path on the scripted register and the fake clock: every error
// path of the transfer, the result-code mapping, the error texts and the model table.
#include "core/link/direct_command.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "core/link/framing.h"
#include "support/fake_clock.h"
#include "support/link_rig.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using namespace direct_error;
using test::FakeClock;
using test::RecordingUi;
using test::Reply;
using test::ScriptedPort;
using test::ScriptedRegister;

// Passes everything to the scripted port but can refuse to set read time-outs, and
// records every time-out set.
class TimeoutFailingDevice final : public PortDevice {
 public:
  explicit TimeoutFailingDevice(PortDevice& inner) : inner_(inner) {}
  bool OpenDevice(const std::string& name, OpenMode mode) override {
    return inner_.Open(name, mode);
  }
  bool ConfigureLine(const LineFormat& format) override { return inner_.Configure(format); }
  void Close() override { inner_.Close(); }
  bool IsOpen() const override { return inner_.IsOpen(); }
  bool ClearErrors() override { return inner_.ClearErrors(); }
  bool Purge() override { return inner_.Purge(); }
  bool Write(const uint8_t* data, size_t length) override { return inner_.Write(data, length); }
  ReadStatus ReadByte(uint8_t& byte) override { return inner_.ReadByte(byte); }
  bool SetReadTimeout(uint32_t ms) override {
    set.push_back(ms);
    if (failAfter >= 0 && static_cast<int>(set.size()) > failAfter) {
      errno = EIO;
      return false;
    }
    return inner_.SetReadTimeout(ms);
  }
  uint32_t ReadTimeout() const override { return inner_.ReadTimeout(); }

  int failAfter = -1;  // the (n+1)-th SetReadTimeout fails; -1 never
  std::vector<uint32_t> set;

 private:
  PortDevice& inner_;
};

struct Rig : test::LinkRig {
  std::array<uint8_t, kDirectAreaSize> answer{};
  size_t length = answer.size();

  Rig() : LinkRig(1000) {}
  int Run(uint8_t code, std::vector<uint8_t> params = {}) {
    length = answer.size();
    return DirectCommand(port, settings, code, params, answer.data(), &length);
  }
  std::vector<uint8_t> Payload() const { return {answer.begin(), answer.begin() + length}; }
  int Count(uint8_t b) const {
    int n = 0;
    for (uint8_t x : device.Written()) n += x == b;
    return n;
  }
};

TEST(DirectCommand, SuccessSendsPasswordCodeParamsAndReturnsPayload) {
  Rig r;
  r.reg.answer = {0x55, 0x00, 0x11, 0x10, 0x03};  // marker, result, data with DLE and ETX
  EXPECT_EQ(r.Run(0x46, {0x0F, 0x00, 0x01, 0x01}), kOk);
  ASSERT_EQ(r.reg.commands.size(), 1u);
  EXPECT_EQ(r.reg.commands[0], (std::vector<uint8_t>{0x73, 0x91, 0x46, 0x0F, 0x00, 0x01, 0x01}));
  EXPECT_TRUE(r.reg.commandChecksOk[0]);
  EXPECT_EQ(r.Payload(), r.reg.answer);
  EXPECT_EQ(r.reg.acksToAnswer, 1);
  EXPECT_EQ(r.reg.naksToAnswer, 0);
  // The line: ENQ, frame, EOT, ACK to the register's ENQ, ACK to its frame.
  std::vector<uint8_t> expected{ENQ};
  std::vector<uint8_t> frame = BuildFrame(r.reg.commands[0]);
  expected.insert(expected.end(), frame.begin(), frame.end());
  expected.insert(expected.end(), {EOT, ACK, ACK});
  EXPECT_EQ(r.device.Written(), expected);
  // The last phase's time-out stays in force on the port.
  EXPECT_EQ(r.device.ReadTimeout(), kDirectReplyMs);
  EXPECT_TRUE(r.ui.boxes.empty());
  EXPECT_TRUE(r.ui.resultHistory.empty());  // never touches ed_rezult
}

TEST(DirectCommand, PasswordIsTheFirstFourCharactersAsADecimalNumber) {
  struct Row {
    const char* password;
    uint8_t hi, lo;
  } rows[] = {
      {"", 0x00, 0x00},   {"30", 0x00, 0x30},  {"12345678", 0x12, 0x34}, {"0001", 0x00, 0x01},
      {"9a", 0x00, 0x09}, {"abc", 0x00, 0x00}, {"9999", 0x99, 0x99},
  };
  for (const Row& row : rows) {
    Rig r;
    r.settings.AccessPassword = row.password;
    EXPECT_EQ(r.Run(0x10), kOk) << row.password;
    ASSERT_EQ(r.reg.commands.size(), 1u);
    EXPECT_EQ(r.reg.commands[0][0], row.hi) << row.password;
    EXPECT_EQ(r.reg.commands[0][1], row.lo) << row.password;
  }
}

TEST(DirectCommand, PayloadLimitsRefuseBeforeSending) {
  struct Row {
    size_t params;
    uint8_t fill;
    int expected;
  } rows[] = {
      {89, 0x00, kTooLong},  // 92-byte payload
      {87, 0x00, kTooLong},  // 90 bytes unstuffed, but the stuffed form reaches 90
      {86, 0x00, kOk},       // 89 bytes
      {44, DLE, kTooLong},   // 47 bytes, stuffed 91
      {43, DLE, kOk},        // 46 bytes, stuffed 89
  };
  for (const Row& row : rows) {
    Rig r;
    EXPECT_EQ(r.Run(0x50, std::vector<uint8_t>(row.params, row.fill)), row.expected) << row.params;
    if (row.expected == kTooLong) {
      EXPECT_TRUE(r.device.writes.empty()) << row.params;
    }
  }
}

TEST(DirectCommand, HandshakeGivesUpAfterFiveEnqs) {
  for (Reply reply : {Reply::Silent, Reply::Nak, Reply::Garbage}) {
    Rig r;
    r.reg.enqDefault = reply;
    EXPECT_EQ(r.Run(0x10), kNoLink);
    EXPECT_EQ(r.reg.enqs, 5);
    EXPECT_EQ(r.reg.frames, 0);
  }
  Rig r;
  r.reg.enqReplies = {Reply::Silent, Reply::Silent, Reply::Silent, Reply::Silent, Reply::Ack};
  const uint32_t start = r.clock.now();
  EXPECT_EQ(r.Run(0x10), kOk);
  EXPECT_EQ(r.reg.enqs, 5);
  EXPECT_EQ(r.clock.now() - start, 4 * kDirectHandshakeMs);
}

TEST(DirectCommand, FrameNotAcknowledgedGives198WithoutResending) {
  for (Reply reply : {Reply::Silent, Reply::Garbage}) {
    Rig r;
    r.reg.frameDefault = reply;
    EXPECT_EQ(r.Run(0x10), kTransfer);
    EXPECT_EQ(r.reg.frames, 1);
    EXPECT_EQ(r.Count(EOT), 0);
  }
}

TEST(DirectCommand, NineNaksThenAckGoesOnTenNaksGive198) {
  struct Row {
    int naks;
    bool thenAck;
    int expected;
    size_t pendingAfter;
  } rows[] = {
      {9, true, kOk, 0},
      {11, false, kTransfer, 1},  // stops at the tenth; the eleventh is never read
      {10, true, kTransfer, 1},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.frameDefault = Reply::Silent;
    auto inner = r.device.onWrite;
    r.device.onWrite = [&, inner](std::span<const uint8_t> b) {
      inner(b);
      if (b[0] != STX) return;
      for (int i = 0; i < row.naks; ++i) r.device.Arrive({NAK}, 10);
      if (row.thenAck) r.device.Arrive({ACK}, 10);
    };
    EXPECT_EQ(r.Run(0x10), row.expected) << row.naks;
    EXPECT_EQ(r.reg.frames, 1) << row.naks;
    if (row.expected != kOk) {
      EXPECT_EQ(r.device.Pending(), row.pendingAfter) << row.naks;
    }
  }
}

TEST(DirectCommand, NoAnswerInEachPhaseGives197) {
  Rig base;
  const size_t frameSize = BuildFrame(base.reg.answer).size();
  struct Row {
    const char* phase;
    bool opensAnswer;
    size_t pauseAfter;
    uint32_t pauseMs;
    bool sendsEot;
  } rows[] = {
      {"register never opens its answer", false, 0, 0, true},
      {"first answer byte after 2000 ms", true, 0, 20000, true},
      {"gap inside the frame", true, 3, 5000, true},
      {"check byte missing", true, frameSize - 1, 5000, true},
      {"closing EOT missing", true, 0, 0, false},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.opensAnswer = row.opensAnswer;
    r.reg.pauseAfter = row.pauseAfter;
    r.reg.pauseMs = row.pauseMs;
    r.reg.sendsEot = row.sendsEot;
    EXPECT_EQ(r.Run(0x10), kNoAnswer) << row.phase;
  }
}

TEST(DirectCommand, ShortGapsWithinTheLimitsAreWaitedFor) {
  Rig r;
  r.reg.executionMs = 9000;
  r.reg.pauseAfter = 3;
  r.reg.pauseMs = 400;
  EXPECT_EQ(r.Run(0x10), kOk);
}

TEST(DirectCommand, AnswerTimeoutByCommandCode) {
  struct Row {
    uint8_t code;
    uint32_t ms;
  } rows[] = {
      {0x10, 10000},  {0x4A, 20000},  {0x62, 20000},  {0xA6, 20000},  {0xA7, 20000},
      {0x5A, 40000},  {0x91, 45000},  {0xA8, 120000}, {0xAD, 120000}, {0xAE, 10000},
      {0x65, 600000}, {0x66, 600000}, {0xA5, 10000},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DirectAnswerTimeout(row.code), row.ms) << int(row.code);
    Rig late;  // the register starts answering well after the limit
    late.reg.executionMs = row.ms * 2;
    EXPECT_EQ(late.Run(row.code), kNoAnswer) << int(row.code);
    Rig inTime;  // ... or just before it
    inTime.reg.executionMs = row.ms - 100;
    if (row.code == 0xA5) inTime.reg.answer = {0x00, 0x01, 0x00};  // result code first
    EXPECT_EQ(inTime.Run(row.code), kOk) << int(row.code);
  }
}

TEST(DirectCommand, LongWaitKeepsWindowsAliveAndEnds) {
  Rig r;
  r.reg.opensAnswer = false;
  const uint32_t start = r.clock.now();
  EXPECT_EQ(r.Run(0x65), kNoAnswer);
  const uint32_t waited = r.clock.now() - start;
  EXPECT_GE(waited, 600000u);
  EXPECT_LT(waited, 600000u + 5000u);
  // Messages pumped at least every slice of the wait.
  EXPECT_GE(r.ui.pumps, static_cast<int>(600000 / kDirectWaitSliceMs) - 1);
  EXPECT_EQ(r.device.ReadTimeout(), 600000u);  // the phase time-out is back in force
}

TEST(DirectCommand, QuittingApplicationEndsTheWait) {
  Rig r;
  r.reg.opensAnswer = false;
  r.ui.quitting = true;
  const uint32_t start = r.clock.now();
  EXPECT_EQ(r.Run(0x65), kUserAbort);
  EXPECT_LT(r.clock.now() - start, 60000u);
}

TEST(DirectCommand, ReceivedFrameProblems) {
  std::vector<uint8_t> longFrame{STX};
  longFrame.insert(longFrame.end(), 95, 0x41);
  longFrame.push_back(ETX);
  longFrame.push_back(0x00);
  std::vector<uint8_t> noise(200, 0x41);
  struct Row {
    const char* what;
    std::vector<uint8_t> raw;
    int expected;
  } rows[] = {
      {"frame of 90 stored bytes", longFrame, kExcessData},
      {"noise without STX", noise, kExcessData},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.rawAnswer = row.raw;
    EXPECT_EQ(r.Run(0x10), row.expected) << row.what;
  }
  // A frame of 89 stored bytes (STX, 87 payload bytes, ETX) is taken.
  Rig ok;
  std::vector<uint8_t> payload(87, 0x41);
  payload[1] = 0x00;
  ok.reg.answer = payload;
  EXPECT_EQ(ok.Run(0x10), kOk);
  EXPECT_EQ(ok.length, 87u);
  Rig over;
  payload.push_back(0x41);  // 88 payload bytes: 90 stored
  over.reg.answer = payload;
  EXPECT_EQ(over.Run(0x10), kExcessData);
}

TEST(DirectCommand, LeadingBytesBeforeStxAreSkipped) {
  Rig r;
  std::vector<uint8_t> raw{0x00, 0xFF};
  std::vector<uint8_t> frame = BuildFrame(std::vector<uint8_t>{0x55, 0x00, 0x07});
  raw.insert(raw.end(), frame.begin(), frame.end());
  r.reg.rawAnswer = raw;
  EXPECT_EQ(r.Run(0x10), kOk);
  EXPECT_EQ(r.Payload(), (std::vector<uint8_t>{0x55, 0x00, 0x07}));
}

TEST(DirectCommand, WrongCheckByteGives204WithoutNak) {
  Rig r;
  r.reg.corruptAnswers = 1;
  EXPECT_EQ(r.Run(0x10), kChecksum);
  EXPECT_EQ(r.reg.naksToAnswer, 0);
  EXPECT_EQ(r.Count(NAK), 0);
  EXPECT_EQ(r.reg.answersSent, 1);
}

TEST(DirectCommand, AnswerLongerThanTheBufferGives257) {
  Rig r;
  r.reg.answer = {0x55, 0x00, 1, 2, 3, 4, 5, 6};
  std::array<uint8_t, 7> small{};
  size_t length = small.size();
  EXPECT_EQ(DirectCommand(r.port, r.settings, 0x10, {}, small.data(), &length), kBufferTooSmall);
  EXPECT_EQ(length, 0u);  // nothing taken
  r.reg.answer.pop_back();
  length = small.size();
  EXPECT_EQ(DirectCommand(r.port, r.settings, 0x10, {}, small.data(), &length), kOk);
  EXPECT_EQ(length, 7u);
}

TEST(DirectCommand, WithoutAnswerBufferNothingIsRead) {
  Rig r;
  EXPECT_EQ(DirectCommand(r.port, r.settings, 0x10, {}, nullptr, nullptr), kOk);
  EXPECT_EQ(r.device.Written().back(), EOT);
  EXPECT_EQ(r.Count(ACK), 0);
}

TEST(DirectCommand, ResultCodeMapping) {
  struct Row {
    uint8_t result;
    int expected;
  } rows[] = {
      {0x00, kOk},
      {0x16, kNeedsConfirmation},
      {0x88, kShiftTooLong},
      {0x8C, kWrongPassword},
      {0x66, kWrongMode},
      {0x67, kNoPaper},
      {0x9A, static_cast<int>(0x8000009Au)},
      {0x01, static_cast<int>(0x80000001u)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DirectErrorForResult(row.result), row.expected) << int(row.result);
    Rig r;
    r.reg.answer = {0x55, row.result};
    EXPECT_EQ(r.Run(0x10), row.expected) << int(row.result);
  }
  EXPECT_LT(DirectErrorForResult(0x9A), 0);
}

TEST(DirectCommand, AnswerWithoutResultCodeIsNotSuccess) {
  Rig r;
  r.reg.answer = {0x55};
  EXPECT_EQ(r.Run(0x10), kNoAnswer);
}

TEST(DirectCommand, PortFailures) {
  {
    Rig r;
    r.device.failWrites = 1;  // the first ENQ
    EXPECT_EQ(r.Run(0x10), kLocalPort);
  }
  {
    Rig r;
    r.device.vanished = true;
    EXPECT_EQ(r.Run(0x10), kLocalPort);
  }
  // A refused time-out: the system's text in a "GetLastError" box only for the
  // handshake, 194 for every phase.
  for (int failAfter : {0, 1, 3, 4, 5}) {
    Rig r;
    TimeoutFailingDevice failing(r.device);
    failing.failAfter = failAfter;
    r.port.set_device(failing);
    EXPECT_EQ(r.Run(0x10), kLocalPort) << failAfter;
    if (failAfter == 0) {
      ASSERT_EQ(r.ui.boxes.size(), 1u);
      EXPECT_EQ(r.ui.boxes[0].caption, "GetLastError");
      EXPECT_EQ(r.ui.boxes[0].icon, Icon::Information);
      EXPECT_FALSE(r.ui.boxes[0].text.empty());
    } else {
      EXPECT_TRUE(r.ui.boxes.empty()) << failAfter;
    }
  }
}

TEST(DirectCommand, PhaseTimeoutsSetInOrder) {
  Rig r;
  TimeoutFailingDevice recording(r.device);
  r.port.set_device(recording);
  EXPECT_EQ(r.Run(0x10), kOk);
  std::vector<uint32_t> phases;
  for (uint32_t ms : recording.set)
    if (ms > kDirectWaitSliceMs) phases.push_back(ms);
  // Handshake, reply, answer, first byte, bytes, closing byte; every sliced wait puts
  // its phase time-out back.
  std::vector<uint32_t> distinct;
  for (uint32_t ms : phases)
    if (distinct.empty() || distinct.back() != ms) distinct.push_back(ms);
  EXPECT_EQ(distinct, (std::vector<uint32_t>{700, 500, 10000, 2000, 500}));
}

TEST(ShowDirectError, TextsBoxesAndResultCodes) {
  struct Row {
    int error;
    const char* text;
  } rows[] = {
      {14, "Недостаточно памяти для выполнения операции"},
      {17, "Невозможно открыть файл"},
      {18, "Ошибка записи в файл"},
      {19, "Ошибка чтения из файла"},
      {33, "Указанная в конфигурации библиотека управления не найдена"},
      {36, "Функция не реализована в устройстве"},
      {40, "Ошибка при инициализации графического интерфейса пользователя"},
      {160, "Недопустимый параметр"},
      {161, "Недопустимая дата"},
      {193, "Порт недоступен"},
      {194, "Ошибка локального порта"},
      {196, "Нет связи"},
      {197, "Нет ответа"},
      {198, "Ошибка при передаче данных"},
      {202, "Размер передаваемых данных больше допустимого"},
      {203, "Приняты избыточные данные"},
      {204, "Контрольная сумма данных не соответствует принятой"},
      {209, "Ошибка принтера устройства"},
      {210, "Нет бумаги"},
      {218, "Ошибка фискальной памяти"},
      {219, "Ошибка ЭКЛЗ"},
      {223, "Нет данных для передачи"},
      {257, "Размер данных превышает размер буфера"},
      {404, "Не найдено"},
      {65535, "Неизвестная ошибка"},
      {4097, "Требуется подтверждение"},
      {4098, "Превышена продолжительность смены"},
      {4099, "Неверный пароль"},
      {4100, "Невозможно в данном режиме"},
      {4101, "Операция прервана пользователем"},
      {300, "Неизвестная ошибка"},
      {1, "Неизвестная ошибка"},
  };
  for (const Row& row : rows) {
    RecordingUi ui;
    ShowDirectError(ui, row.error);
    ASSERT_EQ(ui.boxes.size(), 1u) << row.error;
    EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
    EXPECT_EQ(ui.boxes[0].icon, Icon::Error);
    EXPECT_EQ(ui.boxes[0].text, row.text) << row.error;
    EXPECT_TRUE(ui.resultHistory.empty());
  }
  for (int quiet : {0, kLineBusy}) {  // success, and a command refused for a taken line
    RecordingUi none;
    ShowDirectError(none, quiet);
    EXPECT_TRUE(none.boxes.empty()) << quiet;
    EXPECT_TRUE(none.resultHistory.empty()) << quiet;
  }

  RecordingUi negative;
  ShowDirectError(negative, DirectErrorForResult(0x9A));
  EXPECT_EQ(negative.result, " 9A - Чек закрыт - операция невозможна.");
  ASSERT_EQ(negative.boxes.size(), 1u);
  EXPECT_EQ(negative.boxes[0].text, " 9A - Чек закрыт - операция невозможна.");
}

// The line has one owner: a command asked for from inside another's pumped wait (a click
// while the register works) is refused on either route with its own status, before any
// byte, box or result-line write, and the first exchange goes on undisturbed.
TEST(LineOwner, SecondExchangeInsideAWaitIsRefused) {
  enum class Route { Frame, NoAnswer, Compact };
  struct Row {
    const char* what;
    Route route;
    int busy;  // the status of a refused call
    int ok;    // the status of a completed one
  } rows[] = {
      {"frame", Route::Frame, kExchangeBusy, kExchangeOk},
      {"no answer", Route::NoAnswer, kExchangeBusy, kExchangeOk},
      {"compact", Route::Compact, kLineBusy, kOk},
  };
  const auto call = [](Route route, Link& link, Rig& r, std::array<uint8_t, 90>& buffer,
                       size_t& length) {
    switch (route) {
      case Route::Frame:
        return link.ExchangeWithAnswer(link.CommandFrame(0x10), 0, 6, 1);
      case Route::NoAnswer:
        return link.ExchangeNoAnswer(link.CommandFrame(0x47));
      case Route::Compact:
        break;
    }
    return DirectCommand(r.port, r.settings, 0x46, std::vector<uint8_t>{2, 1, 0, 1}, buffer.data(),
                         &length);
  };
  for (const Row& first : rows) {
    for (const Row& second : rows) {
      SCOPED_TRACE(std::string(first.what) + " / " + second.what);
      Rig r;
      r.reg.answer = {0x55, 0x00, 0x00};
      r.reg.executionMs = 200;  // long enough for the waits to pump window messages
      Link& link = r.link;
      std::array<uint8_t, 90> outerBuffer{}, innerBuffer{};
      size_t outerLength = outerBuffer.size(), innerLength = innerBuffer.size();
      int inner = -1;
      size_t writes = 0, results = 0;
      r.ui.onPump = [&] {
        if (inner != -1) return;
        writes = r.device.writes.size();
        results = r.ui.resultHistory.size();
        inner = call(second.route, link, r, innerBuffer, innerLength);
        EXPECT_EQ(r.device.writes.size(), writes);      // no byte
        EXPECT_EQ(r.ui.resultHistory.size(), results);  // the result line untouched
        EXPECT_EQ(innerLength, innerBuffer.size());     // the caller's buffer untouched
      };
      EXPECT_EQ(call(first.route, link, r, outerBuffer, outerLength), first.ok);
      EXPECT_EQ(inner, second.busy);
      EXPECT_TRUE(r.ui.boxes.empty());
      EXPECT_EQ(r.reg.commands.size(), 1u);
      EXPECT_FALSE(r.port.LineBusy());  // free again afterwards
    }
  }
}

TEST(DirectCommand, WrongPasswordEndToEnd) {
  Rig r;
  r.reg.answer = {0x55, 0x8C};
  int error = r.Run(0x46, {0x0F, 0x00, 0x01, 0x01});
  EXPECT_EQ(error, kWrongPassword);
  ShowDirectError(r.ui, error);
  ASSERT_EQ(r.ui.boxes.size(), 1u);
  EXPECT_EQ(r.ui.boxes[0].text, "Неверный пароль");
}

std::vector<uint8_t> DeviceTypeAnswer(uint16_t model) {
  return {0x00,
          0x00,
          0x01,
          0x02,
          0x03,
          0x04,
          static_cast<uint8_t>(model & 0xFF),
          static_cast<uint8_t>(model >> 8),
          0x00,
          0x01,
          0x00,
          0x41};
}

TEST(IdentifyModel, KnownAndUnknownModels) {
  const ModelCapabilities none{};
  const ModelCapabilities full{1, 1, 1, 1, 1, 0, 1, 1, 1};
  struct Row {
    uint16_t model;
    ModelCapabilities caps;
  } rows[] = {
      {kModelCodeFirst, none}, {kModelCodeSecond, none}, {kModelCodeThird, full},
      {0x0300, none},          {0xFFFF, none},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.answer = DeviceTypeAnswer(row.model);
    ModelIdentity id;
    EXPECT_EQ(IdentifyModel(r.port, r.settings, id), kOk);
    EXPECT_EQ(id.modelCode, row.model);
    EXPECT_EQ(id.caps, row.caps) << row.model;
    ASSERT_EQ(r.reg.commands.size(), 1u);
    EXPECT_EQ(r.reg.commands[0], (std::vector<uint8_t>{0x73, 0x91, 0xA5}));
  }
  EXPECT_EQ(full.fontList, 0u);
}

TEST(IdentifyModel, FailureLeavesAllZero) {
  Rig r;
  ModelIdentity id{kModelCodeThird, CapabilitiesForModel(kModelCodeThird)};
  r.reg.enqDefault = Reply::Silent;
  EXPECT_EQ(IdentifyModel(r.port, r.settings, id), kNoLink);
  EXPECT_EQ(id.modelCode, 0);
  EXPECT_EQ(id.caps, ModelCapabilities{});

  Rig refused;
  refused.reg.answer = {0x8C, 0x00};  // the result code first, identification data after
  EXPECT_EQ(IdentifyModel(refused.port, refused.settings, id), kWrongPassword);
  EXPECT_EQ(id.caps, ModelCapabilities{});
}

}  // namespace
}  // namespace ptk
