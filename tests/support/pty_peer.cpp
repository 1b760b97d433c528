#include "pty_peer.h"

#include <errno.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <chrono>

#include "core/link/framing.h"

namespace ptk::test {
namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

PtyPeer::PtyPeer() {
  if (pty_.Open({.baudRate = 115200, .minBytes = 1})) wake_.Open();
}

PtyPeer::~PtyPeer() {
  Stop();
  Vanish();
}

void PtyPeer::Run(std::function<void(PtyPeer&)> script) {
  Join();
  stop_ = false;
  thread_ = std::thread([this, script = std::move(script)] { script(*this); });
}

void PtyPeer::Join() {
  if (thread_.joinable()) thread_.join();
}

void PtyPeer::Stop() {
  stop_ = true;
  wake_.Wake();
  Join();
  // Empty the wake pipe for the next script.
  wake_.Drain();
}

bool PtyPeer::WaitFor(short events, int timeoutMs) {
  if (!pty_.IsOpen()) return false;
  const int64_t deadline = NowMs() + timeoutMs;
  for (;;) {
    if (stop_) return false;
    pollfd fds[2] = {{pty_.master(), events, 0}, {wake_.readFd(), POLLIN, 0}};
    const int64_t left = deadline - NowMs();
    const int r = ::poll(fds, wake_.readFd() >= 0 ? 2 : 1, left > 0 ? static_cast<int>(left) : 0);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (fds[0].revents & events) return true;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    if (r == 0 && NowMs() >= deadline) return false;
    if (fds[1].revents) return false;  // woken by Stop()
  }
}

bool PtyPeer::Send(std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (stop_ || !pty_.IsOpen()) return false;
    const ssize_t n = ::write(pty_.master(), bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(POLLOUT, 1000)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool PtyPeer::SendPaced(std::span<const uint8_t> bytes, int gapUs) {
  for (uint8_t byte : bytes) {
    if (!Send(std::span<const uint8_t>(&byte, 1))) return false;
    timespec ts{gapUs / 1000000, (gapUs % 1000000) * 1000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }
  return true;
}

std::optional<uint8_t> PtyPeer::Receive(int timeoutMs) {
  for (;;) {
    uint8_t byte = 0;
    const ssize_t n = pty_.IsOpen() ? ::read(pty_.master(), &byte, 1) : -1;
    if (n == 1) {
      std::lock_guard lock(mutex_);
      received_.push_back(byte);
      return byte;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return std::nullopt;
    if (!WaitFor(POLLIN, timeoutMs)) return std::nullopt;
  }
}

bool PtyPeer::Expect(uint8_t expected, int timeoutMs) {
  const auto byte = Receive(timeoutMs);
  return byte && *byte == expected;
}

std::optional<std::vector<uint8_t>> PtyPeer::ReceiveFrame(int timeoutMs) {
  std::vector<uint8_t> raw;
  const int64_t deadline = NowMs() + timeoutMs;
  while (!FrameComplete(raw)) {
    const int64_t left = deadline - NowMs();
    const auto byte = Receive(left > 0 ? static_cast<int>(left) : 0);
    if (!byte) return std::nullopt;
    raw.push_back(*byte);
    if (raw.front() != STX || raw.size() > 600) return std::nullopt;
  }
  return raw;
}

bool PtyPeer::Sleep(int ms) {
  if (stop_) return false;
  pollfd fd{wake_.readFd(), POLLIN, 0};
  ::poll(&fd, wake_.readFd() >= 0 ? 1 : 0, ms);
  return !stop_;
}

void PtyPeer::Drain(int ms) {
  const int64_t deadline = NowMs() + ms;
  for (;;) {
    const int64_t left = deadline - NowMs();
    if (left <= 0 || !Receive(static_cast<int>(left))) return;
  }
}

std::optional<std::vector<uint8_t>> PtyPeer::ServeCommand(std::span<const uint8_t> answerPayload,
                                                          const ServeOptions& options) {
  const int wait = options.timeoutMs;
  if (!Expect(ENQ, wait) || !Send({ACK})) return std::nullopt;
  const auto frame = ReceiveFrame(wait);
  if (!frame) return std::nullopt;
  const FrameScan scan = ScanFrame(*frame);
  if (!scan.checkOk || scan.unstuffed.size() < 3) return std::nullopt;
  if (!Send({ACK}) || !Expect(EOT, wait)) return std::nullopt;
  if (options.answerDelayMs > 0 && !Sleep(options.answerDelayMs)) return std::nullopt;
  if (!Send({ENQ}) || !Expect(ACK, wait)) return std::nullopt;
  const std::vector<uint8_t> answer = BuildFrame(answerPayload);
  if (options.pauseMs > 0 && options.pauseAfter < answer.size()) {
    const std::span<const uint8_t> all(answer);
    if (!Send(all.first(options.pauseAfter)) || !Sleep(options.pauseMs) ||
        !Send(all.subspan(options.pauseAfter))) {
      return std::nullopt;
    }
  } else if (!Send(answer)) {
    return std::nullopt;
  }
  if (!Expect(ACK, wait) || !Send({EOT})) return std::nullopt;
  // STX, payload, ETX, check byte: the payload alone.
  return std::vector<uint8_t>(scan.unstuffed.begin() + 1, scan.unstuffed.end() - 2);
}

std::vector<uint8_t> PtyPeer::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void PtyPeer::Vanish() {
  pty_.Close();
}

}  // namespace ptk::test
