// The register of a recorded session on a pseudo-terminal (ptk-emulator --replay): the
// program on the slave side is answered from a line trace, transfer by transfer, as fast
// as the line allows or, with the recorded timing, each byte as long after the program's
// transfer as it came in the recording. A transfer that leaves the trace ends the replay:
// the program gets no answer from then on.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/link/trace_replay.h"

namespace ptk::emu {

class ReplayHost {
 public:
  ReplayHost(std::vector<TraceEvent> events, bool recordedTiming);
  ~ReplayHost();
  ReplayHost(const ReplayHost&) = delete;
  ReplayHost& operator=(const ReplayHost&) = delete;

  // Called once, on the serving thread, with the divergence when the replay leaves the
  // trace. Set before Start().
  std::function<void(const std::string&)> onDivergence;

  // Opens the pseudo-terminal and serves it on a thread of its own; false with LastError().
  bool Start();
  void Stop();
  const std::string& SlavePath() const;
  const std::string& LastError() const;
  // The divergence, empty while the program follows the trace.
  std::string Divergence() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ptk::emu
