#include "emulator/replay_host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <span>
#include <thread>

#include "emulator/pty_pair.h"

#ifndef _WIN32
#include <poll.h>
#include <unistd.h>
#endif

namespace ptk::emu {

using Steady = std::chrono::steady_clock;

class ReplayHost::Impl {
 public:
  Impl(std::vector<TraceEvent> events, bool recordedTiming)
      : replayer_(std::move(events)), recordedTiming_(recordedTiming) {}

  bool Start(const std::function<void(const std::string&)>& onDivergence) {
    onDivergence_ = onDivergence;
    if (!pty_.Open({115200, 0})) {
      error_ = pty_.error();
      return false;
    }
    if (!wake_.Open(&error_)) return false;
    // The recording began with the program's opening and configuring of the port.
    replayer_.ReplayNote("open ");
    replayer_.ReplayNote("configure ");
    thread_ = std::thread([this] { Serve(); });
    return true;
  }

  void Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    wake_.Wake();
    thread_.join();
    pty_.Close();
  }

  std::string Divergence() const {
    std::lock_guard lock(mutex_);
    return replayer_.Divergence();
  }

  PtyPair pty_;
  std::string error_;

 private:
  struct Out {
    Steady::time_point due;
    uint8_t byte;
  };

  void Serve() {
#ifndef _WIN32
    while (!stop_) {
      int waitMs = 50;
      if (!out_.empty()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(out_.front().due - Steady::now());
        waitMs = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(left.count(), 50)));
      }
      pollfd fds[2] = {{pty_.master(), POLLIN, 0}, {wake_.readFd(), POLLIN, 0}};
      poll(fds, 2, waitMs);
      wake_.Drain();
      uint8_t buffer[256];
      const ssize_t n = read(pty_.master(), buffer, sizeof(buffer));
      if (n > 0) Received(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
      // Bytes due go out in one write each run, in their order.
      std::vector<uint8_t> due;
      while (!out_.empty() && out_.front().due <= Steady::now()) {
        due.push_back(out_.front().byte);
        out_.pop_front();
      }
      if (!due.empty() && write(pty_.master(), due.data(), due.size()) < 0) {
        // The program closed the port: what it did not read is lost, as on a line.
      }
    }
#endif
  }

  void Received(std::span<const uint8_t> bytes) {
    std::string diverged;
    {
      std::lock_guard lock(mutex_);
      const bool before = replayer_.Divergence().empty();
      const Steady::time_point now = Steady::now();
      for (const TraceReplayer::Reply& r : replayer_.Feed(bytes, false)) {
        if (r.failure) continue;  // a read failure of the program's own device
        const Steady::time_point due =
            recordedTiming_ ? now + std::chrono::microseconds(r.afterMicros) : now;
        out_.push_back({std::max(due, out_.empty() ? due : out_.back().due), r.byte});
      }
      if (before && !replayer_.Divergence().empty()) diverged = replayer_.Divergence();
    }
    if (!diverged.empty() && onDivergence_) onDivergence_(diverged);
  }

  mutable std::mutex mutex_;
  TraceReplayer replayer_;
  bool recordedTiming_;
  WakePipe wake_;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::deque<Out> out_;
  std::function<void(const std::string&)> onDivergence_;
};

ReplayHost::ReplayHost(std::vector<TraceEvent> events, bool recordedTiming)
    : impl_(std::make_unique<Impl>(std::move(events), recordedTiming)) {}

ReplayHost::~ReplayHost() {
  Stop();
}

bool ReplayHost::Start() {
  return impl_->Start(onDivergence);
}

void ReplayHost::Stop() {
  impl_->Stop();
}

const std::string& ReplayHost::SlavePath() const {
  return impl_->pty_.path();
}

const std::string& ReplayHost::LastError() const {
  return impl_->error_;
}

std::string ReplayHost::Divergence() const {
  return impl_->Divergence();
}

}  // namespace ptk::emu
