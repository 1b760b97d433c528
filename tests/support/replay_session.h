// One short session for the replay tests: the port opened, then one exchange on the frame
// route or the compact one, and what it gave; and the session recorded through the line
// trace on the scripted register.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/link/trace_device.h"
#include "core/settings/config.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk::test {

// What one run of the session gives: the exchange's result, the answer and the boxes.
struct Outcome {
  int result = -1;
  std::vector<uint8_t> answer;
  std::vector<std::string> boxes;
  bool operator==(const Outcome&) const = default;
};

// The session: the port opened, then one exchange on the frame route or the compact one.
inline Outcome Session(PortDevice& device, Clock& clock, uint8_t code, bool compact,
                       const std::string& portName = "COM1") {
  RecordingUi ui;
  SerialPort port(device, clock, ui);
  Settings settings;
  settings.AccessPassword = "7391";
  Link link(port, ui, settings);
  Outcome o;
  EXPECT_TRUE(port.OpenPort(portName));
  EXPECT_TRUE(port.ConfigurePort(4));
  if (compact) {
    uint8_t answer[64] = {};
    size_t length = sizeof(answer);
    o.result = DirectCommand(port, settings, code, {}, answer, &length);
    o.answer.assign(answer, answer + length);
  } else {
    o.result = link.ExchangeWithAnswer(link.CommandFrame(code), 1, 55, 1);
    o.answer.assign(link.AnswerBuffer.begin(), link.AnswerBuffer.begin() + link.AnswerLength);
  }
  o.boxes = ui.BoxTexts();
  port.ClosePort();
  return o;
}

// The session of command 0x45 recorded through the line trace on the scripted register
// (answer 55 00 12 34, then fault), and the trace it left.
struct Recording {
  Outcome outcome;
  std::string trace;
};
inline Recording RecordSession(const std::function<void(ScriptedRegister&)>& fault, bool compact) {
  FakeClock clock(1000);
  auto scripted = std::make_unique<ScriptedPort>(clock);
  ScriptedRegister reg(*scripted);
  reg.answer = {0x55, 0x00, 0x12, 0x34};
  fault(reg);
  std::ostringstream trace;
  TracingPortDevice traced(std::move(scripted), clock, trace);
  Recording r;
  r.outcome = Session(traced, clock, 0x45, compact);
  traced.Flush();
  r.trace = trace.str();
  return r;
}

}  // namespace ptk::test
