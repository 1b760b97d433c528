// The virtual register: any frame from the PC, through its protocol engine or straight to
// its command table, must be answered or refused, never crash it. The register may start
// from a state file and with faults taken from the input, as `ptk-emulator --state` and
// `--faults` would give it.
//
// Input: flags (bit 0 a state file first, bit 1 a fault list first, bit 2 the right
// communication password in every command), the state file (its length in two bytes) and the fault
// list (a run) when flagged, then steps: a step byte (low two bits: 0 a command executed directly,
// 1 the same command through the engine as the program sends it, 2 raw bytes on the line, 3 a
// pause) and its data (code and parameters as a run; raw bytes as a run; a pause byte).
#include "emulator/virtual_register.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/framing.h"
#include "emulator/faults.h"
#include "emulator/protocol_engine.h"
#include "emulator/state_file.h"
#include "fuzz_input.h"
#include "line_feeder.h"
#include "support/fake_clock.h"

namespace {

using namespace ptk;
using namespace ptk::emu;
using fuzz::Input;

// The longest answer the program's link takes: STX, payload, ETX and check byte in 260.
constexpr size_t kMaxAnswerPayload = 257;

struct Rig {
  test::FakeClock clock{1000};
  VirtualRegister reg{clock};
  ProtocolEngine engine{reg, reg.faults()};

  Rig() {
    reg.SetHostTime([] { return int64_t{1700000000}; });
  }

  uint32_t Now() const { return clock.now(); }
  void Pass(uint32_t ms) {
    clock.Advance(ms);
    engine.Tick(Now());
    reg.AdvanceReport(Now());
  }
  std::vector<uint8_t> Take() { return engine.TakeDue(Now()); }
};

void CheckReply(const Reply& reply) {
  if (!reply.noAnswer) PTK_FUZZ_CHECK(!reply.payload.empty());
  PTK_FUZZ_CHECK(reply.payload.size() <= kMaxAnswerPayload);
}

// The program's side of one exchange: ENQ, the frame, EOT, then ACK to the register's ENQ
// and to its answer frame, with the waits the engine asks for.
void ExchangeOverTheLine(Rig& rig, const std::vector<uint8_t>& payload) {
  rig.engine.Feed(ENQ, rig.Now());
  rig.Take();
  rig.engine.Feed(BuildFrame(payload), rig.Now());
  rig.Take();
  rig.engine.Feed(EOT, rig.Now());
  for (int turn = 0; turn < 64; ++turn) {
    std::vector<uint8_t> out = rig.Take();
    if (out.empty()) {
      const std::optional<uint32_t> wake = rig.engine.NextWakeIn(rig.Now());
      if (!wake) break;
      rig.Pass(*wake == 0 ? 1 : *wake);
      continue;
    }
    if (out.back() == EOT && rig.engine.state() == EngineState::Idle) break;
    rig.engine.Feed(ACK, rig.Now());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t flags = in.Byte();
  Rig rig;
  if ((flags & 1) != 0) {
    const std::string text(fuzz::AsText(in.Bytes(in.Word())));
    RegisterState state = rig.reg.state();
    if (ParseState(text, state)) {
      // What was loaded saves and loads as the same state.
      const std::string saved = SerializeState(state);
      RegisterState again = rig.reg.state();
      PTK_FUZZ_CHECK(ParseState(saved, again));
      PTK_FUZZ_CHECK(SerializeState(again) == saved);
      rig.reg.state() = state;
    }
  }
  if ((flags & 2) != 0) {
    const std::vector<uint8_t> spec = in.Run();
    ApplyFaultSpec(fuzz::AsText(spec), rig.reg.faults());
  }
  const bool rightPassword = (flags & 4) != 0;

  for (int step = 0; step < 200 && !in.Empty(); ++step) {
    const uint8_t kind = in.Byte();
    switch (kind & 3) {
      case 0:
      case 1: {
        std::vector<uint8_t> payload;
        if (rightPassword) {
          payload = rig.reg.CommPassword();
          payload.resize(2);
        }
        const std::vector<uint8_t> rest = in.Run();
        payload.insert(payload.end(), rest.begin(), rest.end());
        if ((kind & 3) == 0) {
          if (payload.size() >= 3) CheckReply(rig.reg.Execute(payload));
        } else {
          ExchangeOverTheLine(rig, payload);
        }
        break;
      }
      case 2:
        rig.engine.Feed(in.Run(), rig.Now());
        rig.Take();
        break;
      default:
        rig.Pass(fuzz::PauseMs(in.Byte()));
        rig.Take();
        break;
    }
  }
  return 0;
}
