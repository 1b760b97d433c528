// The line trace a replay reads (a file a person hands over), and the replay of the
// program's bytes against it. Input: the trace's length (two bytes) and text, then runs of
// the program's bytes, each after a byte whose lowest bit says whether the run is a whole
// transfer.
#include "core/link/trace_replay.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ptk;
  fuzz::Input in(data, size);
  const uint16_t length = in.Word();
  std::istringstream text(std::string(fuzz::AsText(in.Bytes(length))));
  std::string error;
  std::optional<std::vector<TraceEvent>> events = ReadTrace(text, &error);
  if (!events) {
    PTK_FUZZ_CHECK(error.rfind("line ", 0) == 0);
    return 0;
  }
  size_t recordedReads = 0;
  for (const TraceEvent& e : *events) {
    PTK_FUZZ_CHECK(e.kind == TraceEvent::Kind::Note || !e.bytes.empty());
    if (e.kind == TraceEvent::Kind::Read) recordedReads += e.bytes.size();
    if (e.kind == TraceEvent::Kind::Note && e.failed) ++recordedReads;
  }
  TraceReplayer replayer(std::move(*events));
  replayer.ReplayNote("open ");
  size_t given = 0;
  while (!in.Empty()) {
    const bool whole = in.Bit();
    const std::vector<uint8_t> bytes = in.Run();
    const bool followed = replayer.Divergence().empty();
    const std::vector<TraceReplayer::Reply> replies = replayer.Feed(bytes, whole);
    given += replies.size();
    // Nothing comes once the replay has left the trace, and nothing the trace did not read.
    if (!followed || !replayer.Divergence().empty()) PTK_FUZZ_CHECK(replies.empty());
    if (!replayer.Divergence().empty())
      PTK_FUZZ_CHECK(replayer.Divergence().rfind("replay diverged at exchange ", 0) == 0);
  }
  PTK_FUZZ_CHECK(given <= recordedReads);
  return 0;
}
