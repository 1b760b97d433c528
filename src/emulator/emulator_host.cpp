#include "emulator/emulator_host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "emulator/card_reader_peer.h"
#include "emulator/protocol_engine.h"
#include "emulator/pty_pair.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"

#ifndef _WIN32
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

namespace ptk::emu {

using Steady = std::chrono::steady_clock;

namespace {

// The register's waits on the PC divided by divisor (at least 1 ms each).
EngineLimits ScaledLimits(uint32_t divisor) {
  EngineLimits limits;
  if (divisor <= 1) return limits;
  for (uint32_t* ms :
       {&limits.frameStart, &limits.interByte, &limits.eot, &limits.enqAck, &limits.frameAck})
    *ms = std::max<uint32_t>(1, *ms / divisor);
  return limits;
}

}  // namespace

class EmulatorHost::Impl {
 public:
  explicit Impl(EmulatorOptions options)
      : options_(std::move(options)),
        register_(SystemClock(), static_cast<uint16_t>(options_.model)),
        engine_(register_, register_.faults(), ScaledLimits(options_.lineLimitsDivisor)) {
    if (options_.cardReader || !options_.card.empty()) {
      cardReader = std::make_unique<VirtualCardReader>();
      cardReader->SetCard(options_.card);
    }
    FirmwareImages& firmware = register_.firmware();
    if (options_.ptkFirmwareSize != 0)
      firmware.ptkSize = std::min(options_.ptkFirmwareSize, kMaxFirmwareSize);
    if (options_.fpFirmwareSize != 0)
      firmware.fpSize = std::min(options_.fpFirmwareSize, kMaxFirmwareSize);
  }
  ~Impl() { Stop(); }

  bool Start();
  void Stop();
  bool SaveNow();
  // Bytes from the PC that the line thread has not read yet.
  int UnreadInput() const;
  // Has the line thread read the line once more, after this call began: a read takes in
  // the PC's bytes still on their way through the pseudo-terminal (which UnreadInput()
  // does not count), and the pass that read them has fed them to the engine and written
  // what it sent back. False when that did not happen by end.
  bool ReadAgain(Steady::time_point end);

  std::mutex mutex;  // guards register_ and engine_
  VirtualRegister& reg() { return register_; }
  ProtocolEngine& engine() { return engine_; }
  std::string slavePath;
  std::string lastError;
  bool stateFileRefused = false;                  // Start() failed on the state file
  std::unique_ptr<VirtualCardReader> cardReader;  // null: no card reader
  std::string cardReaderPath;
  // False from the moment bytes arrive from the PC or the engine hands bytes out (under
  // mutex) until the line thread has fed and written them all.
  std::atomic<bool> lineQuiet{true};

 private:
  struct TimedByte {
    uint8_t byte;
    Steady::time_point due;
  };

  void Serve();
  void ReadLine(Steady::time_point now);
  bool WriteDue(Steady::time_point now);

  EmulatorOptions options_;
  VirtualRegister register_;
  ProtocolEngine engine_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  // ReadAgain(): passes of the line thread asked for, and the last one done.
  std::atomic<uint64_t> readsAsked_{0};
  std::atomic<uint64_t> readsDone_{0};
  bool stateReady_ = false;  // the state file was read (or absent): saving may replace it
  PtyPair pty_;
  WakePipe wake_;
  // Wire pacing: a byte occupies the line for ten bit times; it reaches the other side
  // when its stop bit has passed.
  std::chrono::nanoseconds byteTime_{0};
  Steady::time_point rxFree_{};
  Steady::time_point txFree_{};
  std::deque<TimedByte> rx_;
  std::deque<TimedByte> tx_;
};

#ifndef _WIN32

bool EmulatorHost::Impl::Start() {
  if (running_) return true;
  stateFileRefused = false;
  if (!options_.faults.empty() &&
      !ApplyFaultSpec(options_.faults, register_.faults(), &lastError)) {
    return false;
  }
  if (!options_.stateFile.empty()) {
    std::string error;
    bool existed = false;
    if (!LoadState(register_.state(), options_.stateFile, &existed, &error)) {
      lastError = "state file " + options_.stateFile + ": " + error;
      stateFileRefused = true;
      return false;
    }
    if (options_.model != 0) register_.state().model = static_cast<uint16_t>(options_.model);
    stateReady_ = true;
  }
  if (!options_.tapeFile.empty() && !register_.tape().MirrorTo(options_.tapeFile)) {
    lastError = "cannot open the tape file " + options_.tapeFile;
    return false;
  }
  if (options_.wireSpeed) {
    int baud = options_.wireBaud > 0 ? options_.wireBaud : 115200;
    byteTime_ = std::chrono::nanoseconds(10'000'000'000LL / baud);
  }

  if (!pty_.Open()) {
    lastError = pty_.error();
    return false;
  }
  slavePath = pty_.path();
  if (!wake_.Open(&lastError)) {
    pty_.Close();
    return false;
  }
  if (cardReader) {
    if (!cardReader->Start()) {
      lastError = "card reader: " + cardReader->LastError();
      pty_.Close();
      wake_.Close();
      return false;
    }
    cardReaderPath = cardReader->SlavePath();
  }
  running_ = true;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void EmulatorHost::Impl::Stop() {
  if (running_) {
    running_ = false;
    wake_.Wake();
    if (thread_.joinable()) thread_.join();
  }
  if (cardReader) cardReader->Stop();
  pty_.Close();
  wake_.Close();
  SaveNow();
}

void EmulatorHost::Impl::ReadLine(Steady::time_point now) {
  uint8_t buffer[512];
  for (;;) {
    ssize_t n = read(pty_.master(), buffer, sizeof buffer);
    if (n <= 0) return;
    lineQuiet = false;
    for (ssize_t i = 0; i < n; ++i) {
      Steady::time_point due = now;
      if (byteTime_.count() > 0) {
        due = std::max(now, rxFree_) + byteTime_;
        rxFree_ = due;
      }
      rx_.push_back({buffer[i], due});
    }
  }
}

// Writes every byte whose time has come; false when the line would block.
bool EmulatorHost::Impl::WriteDue(Steady::time_point now) {
  uint8_t buffer[512];
  while (!tx_.empty() && tx_.front().due <= now) {
    size_t n = 0;
    while (n < tx_.size() && n < sizeof buffer && tx_[n].due <= now) buffer[n] = tx_[n].byte, ++n;
    ssize_t written = write(pty_.master(), buffer, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
      tx_.clear();  // the line is gone; nothing to send to
      return true;
    }
    tx_.erase(tx_.begin(), tx_.begin() + written);
  }
  return true;
}

void EmulatorHost::Impl::Serve() {
#ifdef __linux__
  // Sleep precisely: wire pacing wakes up every byte time (87 us at 115200 bit/s).
  prctl(PR_SET_TIMERSLACK, 1UL);
#endif
  Clock& clock = SystemClock();
  bool writable = true;
  while (running_) {
    // Every pass reads the line, whether poll saw a byte or not: a read also brings in the
    // bytes still on their way, which poll does not see yet.
    const uint64_t asked = readsAsked_;
    Steady::time_point now = Steady::now();
    ReadLine(now);
    std::optional<uint32_t> wakeMs;
    {
      std::lock_guard lock(mutex);
      uint32_t nowMs = clock.TickCount();
      // A reply starts on the line when the byte that caused it was complete, as a
      // register's UART would have it, not when this thread woke up to notice.
      Steady::time_point reactAt = now;
      const uint64_t violations = engine_.stats().lineViolations;
      while (!rx_.empty() && rx_.front().due <= now) {
        engine_.Feed(rx_.front().byte, nowMs);
        reactAt = rx_.front().due;
        rx_.pop_front();
      }
      // A transfer the PC began while the register worked is noted on the tape, where the
      // person sees it beside what the register printed.
      for (uint64_t n = violations; n < engine_.stats().lineViolations; ++n) {
        register_.Print("[нарушение порядка обмена]");
        if (options_.onLineViolation) options_.onLineViolation();
      }
      engine_.Tick(nowMs);
      // A report goes on printing between the commands, so that the tape follows it.
      register_.AdvanceReport(nowMs);
      OutChunk chunk;
      while (engine_.PopDue(nowMs, chunk)) {
        lineQuiet = false;
        for (uint8_t b : chunk.bytes) {
          Steady::time_point due = now;
          if (byteTime_.count() > 0) {
            Steady::time_point start = std::max(reactAt, txFree_);
            txFree_ = start + byteTime_;
            due = txFree_;
          }
          tx_.push_back({b, due});
        }
      }
      wakeMs = engine_.NextWakeIn(nowMs);
      if (std::optional<uint32_t> line = register_.NextReportLineIn(nowMs))
        wakeMs = wakeMs ? std::min(*wakeMs, *line) : *line;
    }
    writable = WriteDue(now);
    if (tx_.empty() && rx_.empty()) lineQuiet = true;
    readsDone_ = asked;

    // Sleep until the next byte is due either way, the engine's next time limit, a byte
    // arrives, or Stop() wakes us.
    std::chrono::nanoseconds wait = std::chrono::milliseconds(1000);
    if (wakeMs) wait = std::min<std::chrono::nanoseconds>(wait, std::chrono::milliseconds(*wakeMs));
    if (wakeMs && *wakeMs == 0) wait = std::chrono::microseconds(500);
    if (!rx_.empty()) wait = std::min<std::chrono::nanoseconds>(wait, rx_.front().due - now);
    if (!tx_.empty() && writable)
      wait = std::min<std::chrono::nanoseconds>(wait, tx_.front().due - now);
    if (wait.count() < 0) wait = std::chrono::nanoseconds(0);
    pollfd fds[2] = {{pty_.master(), static_cast<short>(POLLIN | (writable ? 0 : POLLOUT)), 0},
                     {wake_.readFd(), POLLIN, 0}};
    timespec ts{static_cast<time_t>(wait.count() / 1'000'000'000),
                static_cast<long>(wait.count() % 1'000'000'000)};
    int ready = ppoll(fds, 2, &ts, nullptr);
    if (ready < 0) continue;  // EINTR
    if (fds[1].revents & POLLIN) wake_.Drain();
    if (fds[0].revents & (POLLHUP | POLLERR)) {
      // No reader on the other side (cannot happen while we hold the slave open): do
      // not spin on the error.
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

int EmulatorHost::Impl::UnreadInput() const {
  int pending = 0;
  if (!pty_.IsOpen() || ioctl(pty_.master(), FIONREAD, &pending) != 0) return 0;
  return pending;
}

bool EmulatorHost::Impl::ReadAgain(Steady::time_point end) {
  if (!running_) return true;
  const uint64_t asked = ++readsAsked_;
  wake_.Wake();
  while (readsDone_ < asked) {
    if (Steady::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

#else  // _WIN32: the virtual register needs a pseudo-terminal.

bool EmulatorHost::Impl::Start() {
  lastError = "the virtual register needs a POSIX pseudo-terminal";
  return false;
}
void EmulatorHost::Impl::Stop() {
  SaveNow();
}
void EmulatorHost::Impl::Serve() {}
void EmulatorHost::Impl::ReadLine(Steady::time_point) {}
bool EmulatorHost::Impl::WriteDue(Steady::time_point) {
  return true;
}
int EmulatorHost::Impl::UnreadInput() const {
  return 0;
}
bool EmulatorHost::Impl::ReadAgain(Steady::time_point) {
  return true;
}

#endif

bool EmulatorHost::Impl::SaveNow() {
  if (options_.stateFile.empty() || !stateReady_) return false;
  std::lock_guard lock(mutex);
  return SaveState(register_.state(), options_.stateFile, &lastError);
}

EmulatorHost::EmulatorHost(EmulatorOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}
EmulatorHost::~EmulatorHost() = default;

bool EmulatorHost::Start() {
  return impl_->Start();
}
void EmulatorHost::Stop() {
  impl_->Stop();
}
const std::string& EmulatorHost::SlavePath() const {
  return impl_->slavePath;
}

std::vector<std::string> EmulatorHost::TapeLines() const {
  return impl_->reg().tape().Lines();
}

std::vector<std::string> EmulatorHost::TapeLinesFrom(size_t first) const {
  return impl_->reg().tape().LinesFrom(first);
}

void EmulatorHost::SetTapeListener(std::function<void()> listener) {
  impl_->reg().tape().SetListener(std::move(listener));
}

void EmulatorHost::WithRegister(const std::function<void(VirtualRegister&)>& fn) {
  std::lock_guard lock(impl_->mutex);
  fn(impl_->reg());
}

EngineStats EmulatorHost::Stats() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->engine().stats();
}

bool EmulatorHost::WaitLineQuiet(uint32_t limitMs) {
  const Steady::time_point end = Steady::now() + std::chrono::milliseconds(limitMs);
  // Quiet on two looks 2 ms apart, each after the line thread has read the line again
  // (everything the PC wrote before the look is then fed and answered).
  int quietLooks = 0;
  for (;;) {
    if (!impl_->ReadAgain(end)) return false;
    bool quiet = impl_->UnreadInput() == 0;
    {
      std::lock_guard lock(impl_->mutex);
      // Waiting for the PC's ACK to its answer ENQ, or for the rest of the PC's frame, the
      // register sends again by itself when the wait runs out (its ENQ, a NAK): those bytes
      // are still to come, and an ENQ of the PC that a fault makes it ignore does not end
      // that wait.
      const EngineState state = impl_->engine().state();
      const bool willSend = state == EngineState::AwaitEnqAck || state == EngineState::InFrame;
      quiet = quiet && !impl_->engine().HasOutput() && !willSend && impl_->lineQuiet;
    }
    quietLooks = quiet ? quietLooks + 1 : 0;
    if (quietLooks == 2) return true;
    if (Steady::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::string EmulatorHost::LastError() const {
  return impl_->lastError;
}

bool EmulatorHost::StateFileRefused() const {
  return impl_->stateFileRefused;
}

bool EmulatorHost::SaveStateNow() {
  return impl_->SaveNow();
}

const std::string& EmulatorHost::CardReaderPath() const {
  return impl_->cardReaderPath;
}

bool EmulatorHost::SetCard(const std::string& text) {
  if (!impl_->cardReader) return false;
  impl_->cardReader->SetCard(text);
  return true;
}

std::string EmulatorHost::Card() const {
  return impl_->cardReader ? impl_->cardReader->Card() : std::string();
}

bool EmulatorHost::Swipe() {
  return impl_->cardReader && impl_->cardReader->Swipe();
}

}  // namespace ptk::emu
