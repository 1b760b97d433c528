// The frame exchange on the scripted port: every path of both algorithms, the bytes on the
// line, the attempt counts, the boxes, ed_rezult and the results.
#include "core/link/frame_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/framing.h"
#include "support/link_rig.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using test::FakeClock;
using test::RecordingUi;
using test::Reply;
using test::ScriptedPort;
using test::ScriptedRegister;

const std::string kOk = " 00 - Ошибок нет. Команда выполнена.";

class ExchangeTest : public ::testing::Test, public test::LinkRig {
 protected:
  ExchangeTest() : LinkRig(1000) {}

  // The program's writes, one token per transfer: single control bytes by name, frames as
  // FRAME, anything else as hex.
  std::string Line() const {
    std::string s;
    for (const auto& w : device.writes) {
      if (!s.empty()) s += ' ';
      if (w.bytes.size() == 1 && w.bytes[0] == ENQ) {
        s += "ENQ";
      } else if (w.bytes.size() == 1 && w.bytes[0] == ACK) {
        s += "ACK";
      } else if (w.bytes.size() == 1 && w.bytes[0] == NAK) {
        s += "NAK";
      } else if (w.bytes.size() == 1 && w.bytes[0] == EOT) {
        s += "EOT";
      } else if (!w.bytes.empty() && w.bytes[0] == STX) {
        s += "FRAME";
      } else {
        s += "?";
      }
    }
    return s;
  }

  int Count(const std::string& token) const {
    std::string line = " " + Line() + " ";
    int n = 0;
    for (size_t p = line.find(" " + token + " "); p != std::string::npos;
         p = line.find(" " + token + " ", p + 1)) {
      ++n;
    }
    return n;
  }

  int Exchange(uint8_t code, std::vector<uint8_t> params = {}, int allowShort = 0,
               int answerLength = 6, int decode = 1, Timeouts t = {}, uint32_t delay = 0) {
    const std::vector<uint8_t> frame = link.CommandFrame(code, params);
    return link.ExchangeWithAnswer(frame, allowShort, answerLength, decode, t, delay);
  }

  std::vector<uint8_t> Answer() const {
    return std::vector<uint8_t>(link.AnswerBuffer.begin(),
                                link.AnswerBuffer.begin() + link.AnswerLength);
  }
};

TEST_F(ExchangeTest, CommandFramePacksThePasswordAsBcd) {
  EXPECT_EQ(link.CommandFrame(0x47), (std::vector<uint8_t>{0x73, 0x91, 0x47}));
  EXPECT_EQ(link.CommandFrame(0x56, {0x02, 0x00, 0x00}),
            (std::vector<uint8_t>{0x73, 0x91, 0x56, 0x02, 0x00, 0x00}));
  settings.AccessPassword = "";
  EXPECT_EQ(link.CommandFrame(0x47), (std::vector<uint8_t>{0x00, 0x00, 0x47}));
}

TEST_F(ExchangeTest, FrameForGWithoutParametersOnTheLine) {
  struct Row {
    const char* password;
    std::vector<uint8_t> line;  // the frame as the program writes it
  } rows[] = {
      // STX, 73 91 (password), 47 'G', ETX, 73^91^47^03
      {"7391", {0x02, 0x73, 0x91, 0x47, 0x03, 0x73 ^ 0x91 ^ 0x47 ^ 0x03}},
      // password 1003: both bytes stuffed, and the check byte covers the DLEs
      {"1003", {0x02, 0x10, 0x10, 0x10, 0x03, 0x47, 0x03, 0x10 ^ 0x10 ^ 0x10 ^ 0x03 ^ 0x47 ^ 0x03}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.password);
    device.ClearRecord();
    settings.AccessPassword = row.password;
    EXPECT_EQ(Exchange(0x47), 1);
    ASSERT_GE(device.writes.size(), 2u);
    EXPECT_EQ(device.writes[1].bytes, row.line);
  }
}

TEST_F(ExchangeTest, PlainAnswerGivesResultOne) {
  reg.rawAnswer = {0x02, 0x55, 0x00, 0x00, 0x03, 0x56};
  EXPECT_EQ(Exchange(0x47), 1);
  EXPECT_EQ(Line(), "ENQ FRAME EOT ACK ACK");
  EXPECT_EQ(ui.result, kOk);
  EXPECT_EQ(ui.resultHistory.front(), "");  // cleared first
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(link.AnswerLength, 6);
  EXPECT_EQ(Answer(), (std::vector<uint8_t>{0x02, 0x55, 0x00, 0x00, 0x03, 0x56}));
  EXPECT_EQ(reg.commands, (std::vector<std::vector<uint8_t>>{{0x73, 0x91, 0x47}}));
  EXPECT_EQ(device.Pending(), 0u);  // the register's closing EOT was read
}

TEST_F(ExchangeTest, ResultCodesFromTheAnswer) {
  struct Row {
    const char* name;
    uint8_t code;
    std::vector<uint8_t> payload;
    int result;
    std::string rezult;
    std::vector<std::string> boxes;
  } rows[] = {
      {"stuffed code 0x10",
       0x47,
       {0x55, 0x10, 0x00},
       4,
       " 10 - Скидка/надбавка на предыдущую операцию невозможна.",
       {" 10 - Скидка/надбавка на предыдущую операцию невозможна."}},
      {"wrong password",
       0x47,
       {0x55, 0x8C, 0x00},
       4,
       " 8C - Неверный пароль.",
       {" 8C - Неверный пароль."}},
      {"code 01 is success",
       0x47,
       {0x55, 0x01, 0x00},
       1,
       " 01 - Контрольная лента обработана без ошибок.",
       {}},
      {"date confirmation: no box",
       0x47,
       {0x55, 0x16, 0x00},
       4,
       " 16 - Требуется подтверждение ввода даты.",
       {}},
      {"state query D", 0x3F, {'D', 0x66, 0x77, 0x88}, 1, kOk, {}},
      {"state query other",
       0x3F,
       {0x55, 0x66, 0x00},
       4,
       " 66 - Команда не реализуется в данном режиме.",
       {" 66 - Команда не реализуется в данном режиме."}},
      {"device type: code first", 0xA5, {0x00, 0x8C, 0x00}, 1, kOk, {}},
      {"device type error",
       0xA5,
       {0x7A, 0x00, 0x00},
       4,
       " 7A - Данная модель ПТК не может выполнить команду.",
       {" 7A - Данная модель ПТК не может выполнить команду."}},
      {"0x84 no more data", 0x84, {0x55, 0x18, 0x00}, 2, "", {}},
      {"0x84 ok", 0x84, {0x55, 0x00, 0x00}, 1, kOk, {}},
      {"0x84 other error",
       0x84,
       {0x55, 0x7A, 0x00},
       4,
       " 7A - Данная модель ПТК не может выполнить команду.",
       {" 7A - Данная модель ПТК не может выполнить команду."}},
      {"0xE0 7A", 0xE0, {0x55, 0x7A, 0x00}, 22, "", {}},
      {"0xE0 46", 0xE0, {0x55, 0x46, 0x00}, 22, "", {}},
      {"0xE0 ok", 0xE0, {0x55, 0x00, 0x00}, 1, kOk, {}},
      {"0x47 with 18 is an error",
       0x47,
       {0x55, 0x18, 0x00},
       4,
       " 18 - Нет больше данных для передачи ПО ПТК.",
       {" 18 - Нет больше данных для передачи ПО ПТК."}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ui.boxes.clear();
    device.ClearRecord();
    reg.answer = row.payload;
    const size_t length = row.payload.size() + 3;
    EXPECT_EQ(Exchange(row.code, {}, 0, static_cast<int>(length)), row.result);
    EXPECT_EQ(ui.result, row.rezult);
    EXPECT_EQ(ui.BoxTexts(), row.boxes);
    EXPECT_EQ(Line(), "ENQ FRAME EOT ACK ACK");
    EXPECT_EQ(link.AnswerLength, static_cast<int>(length));
    for (const auto& box : ui.boxes) {
      EXPECT_EQ(box.caption, "Ошибка");
      EXPECT_EQ(box.icon, Icon::Error);
    }
  }
}

TEST_F(ExchangeTest, StuffedAnswerIsUnstuffed) {
  // marker 55, result code 10 (stuffed), 00; check byte over the line bytes.
  const uint8_t check = 0x55 ^ 0x10 ^ 0x10 ^ 0x00 ^ 0x03;
  reg.rawAnswer = {0x02, 0x55, 0x10, 0x10, 0x00, 0x03, check};
  EXPECT_EQ(Exchange(0x47), 4);
  EXPECT_EQ(link.AnswerLength, 6);
  EXPECT_EQ(Answer(), (std::vector<uint8_t>{0x02, 0x55, 0x10, 0x00, 0x03, check}));
}

TEST_F(ExchangeTest, CheckByteOfDleOrEtxEndsTheFixedLengthAnswer) {
  // The check byte is never stuffed: 55 00 46 has the check byte 10 and 55 00 55 has 03;
  // neither may be taken for the start of a stuffed pair or for the frame's end.
  for (uint8_t data : {uint8_t{0x46}, uint8_t{0x55}}) {
    SCOPED_TRACE(data);
    reg.answer = {0x55, 0x00, data};
    EXPECT_EQ(Exchange(0x47), 1);
    EXPECT_EQ(link.AnswerLength, 6);
    EXPECT_TRUE(ui.boxes.empty());
  }
}

TEST_F(ExchangeTest, SilentRegisterGetsFiveEnqsAndNoEot) {
  reg.enqDefault = Reply::Silent;
  const uint32_t start = clock.now();
  EXPECT_EQ(Exchange(0x47), 0);
  EXPECT_EQ(Line(), "ENQ ENQ ENQ ENQ ENQ");
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  EXPECT_EQ(ui.result, "");
  // Each ENQ waits T2 (500 ms) for its reply.
  EXPECT_GE(clock.now() - start, 5u * 500u);
  EXPECT_LT(clock.now() - start, 5u * 510u);
}

TEST_F(ExchangeTest, HandshakeAndDeliveryAttempts) {
  struct Row {
    const char* name;
    std::vector<Reply> enq;
    Reply enqDefault;
    std::vector<Reply> frame;
    Reply frameDefault;
    bool opensAnswer;
    int result;
    std::vector<std::string> boxes;
    int enqs, frames;
    bool eot;
  } rows[] = {
      {"silent four times, then ACK",
       {Reply::Silent, Reply::Silent, Reply::Silent, Reply::Silent},
       Reply::Ack,
       {},
       Reply::Ack,
       true,
       1,
       {},
       5,
       1,
       true},
      {"NAK to ENQ 99 times, then ACK",
       std::vector<Reply>(99, Reply::Nak),
       Reply::Ack,
       {},
       Reply::Ack,
       true,
       1,
       {},
       100,
       1,
       true},
      {"garbage to every ENQ, answer opens",
       {},
       Reply::Garbage,
       {},
       Reply::Ack,
       true,
       0,
       {"Нет связи!"},
       100,
       0,
       true},
      {"NAK to every ENQ, no answer",
       {},
       Reply::Nak,
       {},
       Reply::Ack,
       false,
       0,
       {"Нет ответа!"},
       100,
       0,
       true},
      {"NAK to the frame 3 times",
       {},
       Reply::Ack,
       {Reply::Nak, Reply::Nak, Reply::Nak},
       Reply::Ack,
       true,
       1,
       {},
       1,
       4,
       true},
      {"silent to the frame",
       {},
       Reply::Ack,
       {},
       Reply::Silent,
       true,
       0,
       {"Нет связи!"},
       1,
       5,
       false},
      {"silent to the frame 4 times",
       {},
       Reply::Ack,
       {Reply::Silent, Reply::Silent, Reply::Silent, Reply::Silent},
       Reply::Ack,
       true,
       1,
       {},
       1,
       5,
       true},
      {"NAK to every frame, answer opens",
       {},
       Reply::Ack,
       {},
       Reply::Nak,
       true,
       0,
       {"Нет связи!"},
       1,
       100,
       true},
      {"garbage to every frame, no answer",
       {},
       Reply::Ack,
       {},
       Reply::Garbage,
       false,
       0,
       {"Нет ответа!"},
       1,
       100,
       true},
      {"silence and refusals mixed, refusal last",
       {Reply::Silent, Reply::Nak},
       Reply::Nak,
       {},
       Reply::Ack,
       false,
       0,
       {"Нет ответа!"},
       100,
       0,
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClock c;
    ScriptedPort d{c};
    ScriptedRegister r{d};
    RecordingUi u;
    SerialPort p{d, c, u};
    Link l{p, u, settings};
    d.Open("COM1");
    r.enqReplies = row.enq;
    r.enqDefault = row.enqDefault;
    r.frameReplies = row.frame;
    r.frameDefault = row.frameDefault;
    r.opensAnswer = row.opensAnswer;
    EXPECT_EQ(l.ExchangeWithAnswer(l.CommandFrame(0x47), 0, 6, 1), row.result);
    EXPECT_EQ(u.BoxTexts(), row.boxes);
    EXPECT_EQ(r.enqs, row.enqs);
    EXPECT_EQ(r.frames, row.frames);
    bool eot = false;
    for (const auto& w : d.writes) eot = eot || (w.bytes.size() == 1 && w.bytes[0] == EOT);
    EXPECT_EQ(eot, row.eot);
  }
}

TEST_F(ExchangeTest, RefusedTransferStillReadsTheAnswerAndShowsItsError) {
  // 100 refusals, then the register answers with an error: its box, then "Нет связи!",
  // and the register's error decides the result.
  reg.enqDefault = Reply::Nak;
  reg.answer = {0x55, 0x8C, 0x00};
  EXPECT_EQ(Exchange(0x47), 4);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{" 8C - Неверный пароль.", "Нет связи!"}));
}

TEST_F(ExchangeTest, FailedWrites) {
  struct Row {
    const char* name;
    uint8_t refused;  // first byte of the writes that fail
    std::string line;
    std::vector<std::string> boxes;
  } rows[] = {
      {"ENQ never written", ENQ, "", {"Нет связи!"}},
      {"frame never written: five attempts", STX, "ENQ", {"Нет связи!"}},
      {"EOT not written", EOT, "ENQ FRAME", {"Нет ответа!"}},
      {"ACK not written", ACK, "ENQ FRAME EOT", {"Нет ответа!"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClock c;
    ScriptedPort d{c};
    ScriptedRegister r{d};
    RecordingUi u;
    SerialPort p{d, c, u};
    Link l{p, u, settings};
    d.Open("COM1");
    const uint8_t refused = row.refused;
    d.refuseWrite = [refused](std::span<const uint8_t> b) { return b[0] == refused; };
    EXPECT_EQ(l.ExchangeWithAnswer(l.CommandFrame(0x47), 0, 6, 1), 0);
    EXPECT_EQ(u.BoxTexts(), row.boxes);
    std::string line;
    for (const auto& w : d.writes) {
      if (!line.empty()) line += ' ';
      line += w.bytes[0] == ENQ   ? "ENQ"
              : w.bytes[0] == STX ? "FRAME"
              : w.bytes[0] == EOT ? "EOT"
                                  : "ACK";
    }
    EXPECT_EQ(line, row.line);
  }
}

TEST_F(ExchangeTest, CorruptedAnswers) {
  struct Row {
    int corrupt;
    int result;
    std::string line;
    std::vector<std::string> boxes;
  } rows[] = {
      {1, 1, "ENQ FRAME EOT ACK NAK ACK", {}},
      {5, 1, "ENQ FRAME EOT ACK NAK NAK NAK NAK NAK ACK", {}},
      {6, 3, "ENQ FRAME EOT ACK NAK NAK NAK NAK NAK NAK", {"Ошибка контрольной суммы!"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.corrupt);
    FakeClock c;
    ScriptedPort d{c};
    ScriptedRegister r{d};
    RecordingUi u;
    SerialPort p{d, c, u};
    Link l{p, u, settings};
    d.Open("COM1");
    r.corruptAnswers = row.corrupt;
    const uint32_t start = c.now();
    EXPECT_EQ(l.ExchangeWithAnswer(l.CommandFrame(0x47), 0, 6, 1, {}, 100), row.result);
    EXPECT_EQ(u.BoxTexts(), row.boxes);
    // After every NAK the register repeats its frame, also after the last one.
    EXPECT_EQ(r.answersSent, row.corrupt + 1);
    std::string line;
    for (const auto& w : d.writes) {
      if (!line.empty()) line += ' ';
      const uint8_t b = w.bytes[0];
      line += b == ENQ ? "ENQ" : b == STX ? "FRAME" : b == EOT ? "EOT" : b == ACK ? "ACK" : "NAK";
    }
    EXPECT_EQ(line, row.line);
    // The delay is slept once, not before the re-reads.
    EXPECT_EQ(c.slept(), 100u);
    // Complete frames end the read at once: no T7 wait per reading.
    EXPECT_LT(c.now() - start, 200u);
  }
}

TEST_F(ExchangeTest, ShortAndLongAnswers) {
  std::vector<uint8_t> twenty(17, 0x20);
  twenty[0] = 0x55;
  twenty[1] = 0x00;  // 17 payload bytes: 20 on the line
  std::vector<uint8_t> block(250, 0x20);
  block[0] = 0x55;
  block[1] = 0x00;  // a firmware block asked for with answer length 60
  block[10] = 0x10;
  block[20] = 0x03;  // 255 bytes of payload on the line: the frame fills 258 of 260
  // A firmware block stuffed throughout: 255 bytes of payload, over 300 on the line.
  std::vector<uint8_t> stuffed = block;
  for (size_t i = 2; i < stuffed.size(); i += 3) stuffed[i] = i % 2 ? 0x10 : 0x03;
  std::vector<uint8_t> tooLong(300, 0x20);
  tooLong[0] = 0x55;
  tooLong[1] = 0x00;
  struct Row {
    const char* name;
    std::vector<uint8_t> payload;
    int allowShort;
    int answerLength;
    int result;
    std::vector<std::string> boxes;
    int answerLengthAfter;  // -1: not checked
  } rows[] = {
      {"short accepted", twenty, 1, 55, 1, {}, 20},
      {"short refused", twenty, 0, 55, 0, {"Нет ответа!"}, -1},
      {"exact length", twenty, 0, 20, 1, {}, 20},
      {"long answer reaches the caller whole", block, 0, 60, 1, {}, 253},
      {"long answer, short allowed", block, 1, 60, 1, {}, 253},
      {"stuffed beyond the buffer's size on the line", stuffed, 1, 60, 1, {}, 253},
      {"longer than the buffer", tooLong, 0, 60, 0, {"Нет ответа!"}, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ui.boxes.clear();
    reg.answer = row.payload;
    const uint32_t start = clock.now();
    EXPECT_EQ(Exchange(0x47, {}, row.allowShort, row.answerLength), row.result);
    EXPECT_EQ(ui.BoxTexts(), row.boxes);
    if (row.answerLengthAfter >= 0) {
      EXPECT_EQ(link.AnswerLength, row.answerLengthAfter);
      EXPECT_TRUE(
          std::equal(row.payload.begin(), row.payload.end(), link.AnswerBuffer.begin() + 1));
      EXPECT_EQ(link.AnswerBuffer[row.payload.size() + 1], ETX);
    }
    // The complete frame ends the read: nobody waits T7 (500 ms) for bytes that never come.
    if (row.result == 1) {
      EXPECT_LT(clock.now() - start, 100u);
    }
  }
}

TEST_F(ExchangeTest, AnswerNotStartingWithStx) {
  reg.rawAnswer = {0x55, 0x00, 0x00, 0x03, 0x56};
  EXPECT_EQ(Exchange(0x47), 0);
  EXPECT_EQ(Line(), "ENQ FRAME EOT ACK");  // no ACK or NAK to it
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет ответа!"});
}

TEST_F(ExchangeTest, AnswerWithoutEndingEtxIsNakedThenGivesUp) {
  // STX 55 00 00 and nothing more: incomplete after T7; with short answers allowed it is
  // treated as a wrong check byte.
  reg.rawAnswer = {0x02, 0x55, 0x00, 0x00};
  EXPECT_EQ(Exchange(0x47, {}, 1, 6), 3);
  EXPECT_EQ(reg.naksToAnswer, 6);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Ошибка контрольной суммы!"});
  // The same answer with full length required: no answer.
  ui.boxes.clear();
  EXPECT_EQ(Exchange(0x47, {}, 0, 6), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет ответа!"});
}

TEST_F(ExchangeTest, AnswerPausingInTheMiddleIsReadWhole) {
  struct Row {
    uint32_t pauseMs;
    int result;
  } rows[] = {{20, 1}, {5000, 0}};  // well inside and far beyond T7
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pauseMs);
    ui.boxes.clear();
    reg.answer = {0x55, 0x00, 0x01, 0x02, 0x03, 0x04};
    reg.pauseAfter = 4;
    reg.pauseMs = row.pauseMs;
    EXPECT_EQ(Exchange(0x47, {}, 0, 9), row.result);
    if (row.result == 1) {
      EXPECT_EQ(link.AnswerLength, 9);
      EXPECT_TRUE(ui.boxes.empty());
    } else {
      EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет ответа!"});
    }
  }
}

TEST_F(ExchangeTest, ExecutionTime) {
  Timeouts t;
  t.t6 = 20000;
  reg.executionMs = 15000;
  EXPECT_EQ(Exchange(0x47, {}, 0, 6, 1, t), 1);
  reg.executionMs = 25000;
  EXPECT_EQ(Exchange(0x47, {}, 0, 6, 1, t), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет ответа!"});
  EXPECT_EQ(Line(), "ENQ FRAME EOT ACK ACK ENQ FRAME EOT");
}

TEST_F(ExchangeTest, WithoutDecodingOnlyTheClosingByteCounts) {
  struct Row {
    bool eot;
    int result;
  } rows[] = {{true, 1}, {false, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.eot);
    ui.boxes.clear();
    reg.sendsEot = row.eot;
    reg.answer = {0x55, 0x8C, 0x00};  // not examined
    EXPECT_EQ(Exchange(0x47, {}, 0, 6, 0), row.result);
    EXPECT_EQ(ui.result, kOk);
    EXPECT_TRUE(ui.boxes.empty());
  }
}

TEST_F(ExchangeTest, QuittingEndsEveryWaitAtOnce) {
  ui.quitting = true;
  const uint32_t start = clock.now();
  EXPECT_EQ(Exchange(0x47), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  EXPECT_LT(clock.now() - start, 20u);
}

TEST_F(ExchangeTest, ClosedPortFailsAtOnce) {
  device.Close();
  const uint32_t start = clock.now();
  EXPECT_EQ(Exchange(0x47), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  EXPECT_LT(clock.now() - start, 20u);
}

TEST_F(ExchangeTest, CommandLengthLimits) {
  std::vector<uint8_t> frame(128, 0x03);  // 128 bytes, each stuffed: 259 on the line
  EXPECT_EQ(link.ExchangeWithAnswer(frame, 0, 6, 1), 1);
  EXPECT_EQ(device.writes[1].bytes.size(), 259u);
  device.ClearRecord();
  frame.push_back(0x00);
  EXPECT_EQ(link.ExchangeWithAnswer(frame, 0, 6, 1), 0);
  EXPECT_TRUE(device.writes.empty());
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Слишком длинная команда!"});

  ui.boxes.clear();
  std::vector<uint8_t> plain(60, 0x10);
  EXPECT_EQ(link.ExchangeNoAnswer(plain), 1);
  device.ClearRecord();
  plain.push_back(0x00);
  EXPECT_EQ(link.ExchangeNoAnswer(plain), 0);
  EXPECT_TRUE(device.writes.empty());
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Слишком длинная команда!"});
}

TEST_F(ExchangeTest, NoAnswerExchange) {
  struct Row {
    const char* name;
    Reply enqDefault;
    Reply frameDefault;
    uint8_t refused;  // writes starting with this byte fail; 0: none
    int result;
    std::vector<std::string> boxes;
    int enqs, frames;
    bool eot;
  } rows[] = {
      {"delivered", Reply::Ack, Reply::Ack, 0, 1, {}, 1, 1, true},
      {"silent to ENQ: twenty times",
       Reply::Silent,
       Reply::Ack,
       0,
       0,
       {"Нет связи!"},
       20,
       0,
       false},
      {"refusing ENQ", Reply::Nak, Reply::Ack, 0, 0, {"Нет связи!"}, 100, 0, true},
      {"silent to the frame: twenty times",
       Reply::Ack,
       Reply::Silent,
       0,
       0,
       {"Нет связи!"},
       1,
       20,
       false},
      {"refusing the frame", Reply::Ack, Reply::Garbage, 0, 0, {"Нет связи!"}, 1, 100, true},
      {"EOT not written", Reply::Ack, Reply::Ack, EOT, 0, {"Нет ответа!"}, 1, 1, false},
      {"ENQ never written", Reply::Ack, Reply::Ack, ENQ, 0, {"Нет связи!"}, 0, 0, false},
      {"frame never written", Reply::Ack, Reply::Ack, STX, 0, {"Нет связи!"}, 1, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClock c;
    ScriptedPort d{c};
    ScriptedRegister r{d};
    RecordingUi u;
    SerialPort p{d, c, u};
    Link l{p, u, settings};
    d.Open("COM1");
    r.enqDefault = row.enqDefault;
    r.frameDefault = row.frameDefault;
    r.opensAnswer = false;
    const uint8_t refused = row.refused;
    if (refused) d.refuseWrite = [refused](std::span<const uint8_t> b) { return b[0] == refused; };
    EXPECT_EQ(l.ExchangeNoAnswer(l.CommandFrame(0x47)), row.result);
    EXPECT_EQ(u.BoxTexts(), row.boxes);
    EXPECT_EQ(r.enqs, row.enqs);
    EXPECT_EQ(r.frames, row.frames);
    bool eot = false;
    for (const auto& w : d.writes) eot = eot || (w.bytes.size() == 1 && w.bytes[0] == EOT);
    EXPECT_EQ(eot, row.eot);
    EXPECT_EQ(u.result, "");
  }
}

TEST_F(ExchangeTest, NoAnswerFrameWriteGivesUpOnTheTenthAttempt) {
  // The frame cannot be written: the register acknowledges ENQ once and then sees nothing
  // until the tenth failed frame write ends the delivery.
  device.refuseWrite = [](std::span<const uint8_t> b) { return b[0] == STX; };
  reg.frameDefault = Reply::Silent;
  const uint32_t start = clock.now();
  EXPECT_EQ(link.ExchangeNoAnswer(link.CommandFrame(0x47)), 0);
  // Ten frame write attempts, each retried until T3 (2000 ms), nine reply waits of T4.
  EXPECT_GE(clock.now() - start, 10u * 2000u + 9u * 500u);
  EXPECT_LT(clock.now() - start, 10u * 2100u + 9u * 520u + 600u);
}

}  // namespace
}  // namespace ptk
