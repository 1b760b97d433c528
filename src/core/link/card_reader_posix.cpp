// The termios card reader. The descriptor is non-blocking and the read is bounded by
// poll() against CLOCK_MONOTONIC deadlines: the total limit from the start of the read,
// the character interval from the last byte that came.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "core/link/card_reader.h"
#include "core/link/port_names.h"

namespace ptk {
namespace {

int64_t MonotonicNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// poll() takes whole milliseconds: round up so that it never returns before the deadline
// for lack of resolution.
int PollMs(int64_t remainingNs) {
  if (remainingNs <= 0) return 0;
  const int64_t ms = (remainingNs + 999999) / 1000000;
  return ms > 0x7fffffff ? 0x7fffffff : static_cast<int>(ms);
}

class PosixCardReaderDevice final : public CardReaderDevice {
 public:
  explicit PosixCardReaderDevice(CardReadTimeouts timeouts) : timeouts_(timeouts) {}
  ~PosixCardReaderDevice() override { Close(); }

  bool Open(const std::string& name) override {
    Close();
    const std::string path = DevicePathForPort(name);
    if (path.empty()) return false;
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    if (!::isatty(fd)) {
      ::close(fd);
      return false;
    }
    // As for the register's port: TIOCEXCL keeps other programs out (root excepted), the
    // lock keeps out a second instance of this program.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return false;
    }
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    return true;
  }

  bool Purge() override { return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0; }

  bool Configure() override {
    if (fd_ < 0) return false;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB);
    tio.c_cflag |= CLOCAL | CREAD | CS7;
#ifdef CRTSCTS
    tio.c_cflag &= ~CRTSCTS;
#endif
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0) return false;
    // tcsetattr succeeds when any part of the change took, and fails with EINVAL when none
    // did. A terminal without 7-bit characters (a pseudo-terminal keeps 8) that is already
    // at 9600 bit/s raw refuses the character size alone: judge by what reads back, which
    // leaves the character size out.
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0 && errno != EINVAL) return false;
    termios check{};
    if (::tcgetattr(fd_, &check) != 0) return false;
    if (::cfgetispeed(&check) != B9600) return false;
    if (check.c_iflag & (IXON | IXOFF | IXANY)) return false;
    if (check.c_lflag & (ICANON | ECHO | ISIG)) return false;
    if (check.c_cc[VMIN] != 0 || check.c_cc[VTIME] != 0) return false;
    // DTR and RTS off, as the reader is driven on the other platform. Lines without modem
    // control (a pseudo-terminal) refuse this, which does not matter.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    return true;
  }

  bool Read(size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    if (fd_ < 0) return false;
    constexpr int64_t kMsNs = 1000000;
    const int64_t totalEnd = MonotonicNs() + static_cast<int64_t>(timeouts_.totalMs) * kMsNs;
    int64_t intervalEnd = std::numeric_limits<int64_t>::max();  // no character yet
    while (bytes.size() < maxBytes) {
      const int64_t end = std::min(totalEnd, intervalEnd);
      const int64_t now = MonotonicNs();
      if (now >= end) return true;
      pollfd p{fd_, POLLIN, 0};
      const int r = ::poll(&p, 1, PollMs(end - now));
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0) continue;  // the deadline is checked above
      if (p.revents & POLLIN) {
        const size_t had = bytes.size();
        bytes.resize(maxBytes);
        const ssize_t n = ::read(fd_, bytes.data() + had, maxBytes - had);
        bytes.resize(had + (n > 0 ? static_cast<size_t>(n) : 0));
        if (n > 0) {
          intervalEnd = MonotonicNs() + static_cast<int64_t>(timeouts_.intervalMs) * kMsNs;
          continue;
        }
        // With VMIN = VTIME = 0 a read of 0 after POLLIN means the line hung up.
        if (n == 0) return false;
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return false;  // EIO: the device went away
      }
      if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    }
    return true;
  }

  void Close() override {
    if (fd_ < 0) return;
    // The exclusive flag belongs to the terminal, not to this descriptor: lift it, or a
    // terminal kept open elsewhere stays closed to everybody else.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // releases the lock as well
    fd_ = -1;
  }

  bool IsOpen() const override {
    return fd_ >= 0;
  }

 private:
  CardReadTimeouts timeouts_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<CardReaderDevice> CreateSystemCardReaderDevice(CardReadTimeouts timeouts) {
  return std::make_unique<PosixCardReaderDevice>(timeouts);
}

}  // namespace ptk
