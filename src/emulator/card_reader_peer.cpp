#include "emulator/card_reader_peer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "emulator/pty_pair.h"

#ifndef _WIN32
#include <errno.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace ptk::emu {

using Steady = std::chrono::steady_clock;

class VirtualCardReader::Impl {
 public:
  ~Impl() { Stop(); }
  bool Start();
  void Stop();
  void Wake();  // with the mutex held

  mutable std::mutex mutex;  // guards everything below up to the descriptors
  std::string card;
  std::optional<Steady::time_point> due;  // when the next card goes out
  size_t sent = 0;
  std::string lastError;
  std::string slavePath;
  bool packetMode = false;
  std::atomic<bool> running{false};

 private:
  void Serve();
  // Reads what the terminal reports; true when the program discarded its input queue.
  bool ReadMaster();

  std::thread thread_;
  std::string outbox_;  // the card's bytes not yet taken by the terminal
  PtyPair pty_;
  WakePipe wake_;
};

#ifndef _WIN32

bool VirtualCardReader::Impl::Start() {
  if (running) return true;
  // A slave of 9600 bit/s, as the reader's line; the pair's own slave descriptor keeps
  // the master free of hang-ups while the program opens and closes it for each read.
  std::string error;
  if (!pty_.Open({.baudRate = 9600}) || !wake_.Open(&error)) {
    std::lock_guard lock(mutex);
    lastError = pty_.IsOpen() ? error : pty_.error();
    pty_.Close();
    return false;
  }
  // Packet mode reports the slave side's queue flushes to the master.
  int on = 1;
  const bool packet = ioctl(pty_.master(), TIOCPKT, &on) == 0;
  {
    std::lock_guard lock(mutex);
    slavePath = pty_.path();
    packetMode = packet;
  }
  running = true;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void VirtualCardReader::Impl::Stop() {
  if (running) {
    std::lock_guard lock(mutex);
    running = false;
    Wake();
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex);  // Swipe() may be waking the thread from elsewhere
  pty_.Close();
  wake_.Close();
}

void VirtualCardReader::Impl::Wake() {
  wake_.Wake();
}

bool VirtualCardReader::Impl::ReadMaster() {
  bool flushed = false;
  uint8_t buffer[256];
  for (;;) {
    const ssize_t n = read(pty_.master(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return flushed;
    // In packet mode a read returns either one status byte or TIOCPKT_DATA followed by
    // what the program wrote (a reader takes no input: dropped).
    if (packetMode && buffer[0] != TIOCPKT_DATA && (buffer[0] & TIOCPKT_FLUSHREAD)) {
      flushed = true;
    }
  }
}

void VirtualCardReader::Impl::Serve() {
  bool writable = true;
  while (running) {
    const Steady::time_point now = Steady::now();
    std::chrono::nanoseconds wait = std::chrono::seconds(1);
    {
      std::lock_guard lock(mutex);
      if (due && *due <= now) {
        due.reset();
        if (!card.empty()) {
          outbox_ = card + "\r\n";
          ++sent;
        }
      } else if (due) {
        wait = std::min<std::chrono::nanoseconds>(wait, *due - now);
      }
    }
    while (!outbox_.empty()) {
      const ssize_t n = write(pty_.master(), outbox_.data(), outbox_.size());
      if (n > 0) {
        outbox_.erase(0, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      writable = !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
      if (writable) outbox_.clear();  // the line is gone: nothing to send to
      break;
    }
    if (outbox_.empty()) writable = true;

    const short events = static_cast<short>(POLLIN | POLLPRI | (writable ? 0 : POLLOUT));
    pollfd fds[2] = {{pty_.master(), events, 0}, {wake_.readFd(), POLLIN, 0}};
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    const int ready = poll(fds, 2, static_cast<int>(ms < 0 ? 0 : ms));
    if (ready < 0) continue;  // EINTR
    if (fds[1].revents & POLLIN) wake_.Drain();
    if (fds[0].revents & POLLOUT) writable = true;
    if ((fds[0].revents & (POLLIN | POLLPRI)) && ReadMaster()) {
      // The program has just discarded the line's queues to wait for a card: whatever
      // of an earlier swipe is still unsent goes as well, and the current card follows.
      outbox_.clear();
      writable = true;
      std::lock_guard lock(mutex);
      if (!card.empty()) due = Steady::now() + std::chrono::milliseconds(kSwipeDelayMs);
    }
    if (fds[0].revents & (POLLHUP | POLLERR)) {
      // Cannot happen while the slave is held open; do not spin on it.
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

#else  // _WIN32: the virtual reader needs a pseudo-terminal.

bool VirtualCardReader::Impl::Start() {
  std::lock_guard lock(mutex);
  lastError = "the virtual card reader needs a POSIX pseudo-terminal";
  return false;
}
void VirtualCardReader::Impl::Stop() {}
void VirtualCardReader::Impl::Wake() {}
bool VirtualCardReader::Impl::ReadMaster() {
  return false;
}
void VirtualCardReader::Impl::Serve() {}

#endif

VirtualCardReader::VirtualCardReader() : impl_(std::make_unique<Impl>()) {}
VirtualCardReader::~VirtualCardReader() = default;

bool VirtualCardReader::Start() {
  return impl_->Start();
}
void VirtualCardReader::Stop() {
  impl_->Stop();
}
const std::string& VirtualCardReader::SlavePath() const {
  return impl_->slavePath;
}
std::string VirtualCardReader::LastError() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->lastError;
}

void VirtualCardReader::SetCard(const std::string& text) {
  std::lock_guard lock(impl_->mutex);
  impl_->card = text;
}

std::string VirtualCardReader::Card() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->card;
}

bool VirtualCardReader::Swipe() {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->running || impl_->card.empty()) return false;
  impl_->due = Steady::now();
  impl_->Wake();
  return true;
}

size_t VirtualCardReader::CardsSent() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->sent;
}

bool VirtualCardReader::SwipesOnPurge() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->packetMode;
}

}  // namespace ptk::emu
