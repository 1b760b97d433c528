// The termios serial device. Reads are non-blocking and bounded by poll() against a
// CLOCK_MONOTONIC deadline: VTIME counts tenths of a second and cannot express the 2 ms
// byte time-out. Whatever the driver holds is taken in one read() and handed out byte by
// byte from an internal buffer.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <array>
#include <cstdint>
#include <string>

#include "core/link/port_names.h"
#include "core/link/serial_device.h"
#include "core/link/termios_speed.h"

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

void SleepNs(int64_t ns) {
  timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// The termios flags of a character size, parity and stop bits; false for a format
// termios cannot express.
bool FormatFlags(const LineFormat& format, tcflag_t& flags) {
  switch (format.dataBits) {
    case 5:
      flags = CS5;
      break;
    case 6:
      flags = CS6;
      break;
    case 7:
      flags = CS7;
      break;
    case 8:
      flags = CS8;
      break;
    default:
      return false;
  }
  if (format.parity != Parity::None) flags |= PARENB;
  if (format.parity == Parity::Odd) flags |= PARODD;
  if (format.stopBits == 2) {
    flags |= CSTOPB;
  } else if (format.stopBits != 1) {
    return false;
  }
  return true;
}

// USB adapters hold received bytes for their latency timer (16 ms on FTDI chips) unless
// asked for low latency; ports and ptys without the setting answer ENOTTY or EINVAL.
void RequestLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
  if (serial.flags & ASYNC_LOW_LATENCY) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
#else
  (void)fd;
#endif
}

class PosixSerialDevice final : public PortDevice {
 public:
  ~PosixSerialDevice() override { Close(); }

  void Close() override {
    if (fd_ < 0) return;
    // The exclusive flag belongs to the terminal, not to this descriptor: lift it, or a
    // terminal kept open elsewhere (a pty) stays closed to everybody else.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // releases the lock as well
    fd_ = -1;
    ClearBuffer();
  }

  bool IsOpen() const override { return fd_ >= 0; }

  // Raw mode without INPCK or PARMRK keeps no line error state to clear.
  bool ClearErrors() override { return fd_ >= 0; }

  bool Purge() override {
    if (fd_ < 0) return false;
    ClearBuffer();
    return ::tcflush(fd_, TCIOFLUSH) == 0;
  }

  bool Write(const uint8_t* data, size_t length) override {
    if (fd_ < 0) return false;
    const int64_t deadline =
        MonotonicNs() + (static_cast<int64_t>(length) * kWriteMsPerByte + kWriteSlackMs) * 1000000;
    size_t done = 0;
    while (done < length) {
      const ssize_t n = ::write(fd_, data + done, length - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
      // The driver's queue is full: wait until it takes more, up to the deadline.
      pollfd p{fd_, POLLOUT, 0};
      const int r = ::poll(&p, 1, PollMs(deadline - MonotonicNs()));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
      if (r == 0 && MonotonicNs() >= deadline) return false;
    }
    return Drain(deadline);
  }

  ReadStatus ReadByte(uint8_t& byte) override {
    if (head_ < tail_) {
      byte = buffer_[head_++];
      return ReadStatus::Byte;
    }
    if (fd_ < 0) return ReadStatus::Failed;
    const int64_t deadline = MonotonicNs() + static_cast<int64_t>(readTimeoutMs_) * 1000000;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      const int r = ::poll(&p, 1, PollMs(deadline - MonotonicNs()));
      if (r < 0) {
        if (errno == EINTR) continue;
        return ReadStatus::Failed;
      }
      if (r == 0) {
        if (MonotonicNs() >= deadline) return ReadStatus::Timeout;
        continue;
      }
      if (p.revents & POLLIN) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
          head_ = 0;
          tail_ = static_cast<size_t>(n);
          byte = buffer_[head_++];
          return ReadStatus::Byte;
        }
        // With VMIN = VTIME = 0 a read of 0 after POLLIN means the line hung up.
        if (n == 0) return ReadStatus::Failed;
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return ReadStatus::Failed;  // EIO: the device went away
      }
      if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return ReadStatus::Failed;
    }
  }

  bool SetReadTimeout(uint32_t ms) override {
    if (fd_ < 0) return false;
    readTimeoutMs_ = ms;
    return true;
  }

  uint32_t ReadTimeout() const override { return readTimeoutMs_; }

 protected:
  bool OpenDevice(const std::string& name, OpenMode mode) override {
    Close();
    const std::string path = DevicePathForPort(name);
    if (path.empty()) return false;
    const int access = mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR;
    int fd;
    do {
      fd = ::open(path.c_str(), access | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    if (!::isatty(fd)) {
      ::close(fd);
      return false;
    }
    // TIOCEXCL keeps other programs out (root excepted); the lock keeps out a second
    // instance of this program, root or not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return false;
    }
    ::ioctl(fd, TIOCEXCL);
    RequestLowLatency(fd);
    fd_ = fd;
    baudRate_ = 0;
    readTimeoutMs_ = kByteReadTimeoutMs;
    ClearBuffer();
    return true;
  }

  bool ConfigureLine(const LineFormat& format) override {
    if (fd_ < 0) return false;
    const speed_t speed = TermiosSpeed(format.baudRate);
    tcflag_t formatFlags = 0;
    if (speed == B0 || !FormatFlags(format, formatFlags)) return false;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
    tio.c_cflag |= CLOCAL | CREAD | formatFlags;
#ifdef CRTSCTS
    tio.c_cflag &= ~CRTSCTS;
#endif
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
    // tcsetattr succeeds when any part of the change took, and fails with EINVAL when none
    // did. A terminal without 7-bit characters (a pseudo-terminal keeps 8) that is already
    // at the speed and raw refuses the character size alone: judge by what reads back,
    // which leaves the character size out.
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0 && errno != EINVAL) return false;
    termios check{};
    if (::tcgetattr(fd_, &check) != 0) return false;
    if (::cfgetospeed(&check) != speed || ::cfgetispeed(&check) != speed) return false;
    if (check.c_iflag & (IXON | IXOFF | IXANY)) return false;
    if (check.c_lflag & (ICANON | ECHO | ISIG)) return false;
    if (check.c_cc[VMIN] != 0 || check.c_cc[VTIME] != 0) return false;
    if (format.dtrRtsOff) {
      // Lines without modem control (a pseudo-terminal) refuse this, which does not matter.
      int lines = TIOCM_DTR | TIOCM_RTS;
      ::ioctl(fd_, TIOCMBIC, &lines);
    }
    baudRate_ = format.baudRate;
    readTimeoutMs_ = kByteReadTimeoutMs;
    return true;
  }

 private:
  void ClearBuffer() {
    head_ = tail_ = 0;
  }

  // A write completes when the driver has sent its bytes, as a serial write does on the
  // other platform: the purge before the next write must not cut off the last one.
  // Sleeps for the time the queued bytes need on the wire; a pseudo-terminal has no
  // output queue and returns at once.
  bool Drain(int64_t deadline) {
#ifdef TIOCOUTQ
    const int64_t byteNs = baudRate_ > 0 ? 10LL * 1000000000 / baudRate_ : 100000;
    for (;;) {
      int queued = 0;
      if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) return true;  // no way to tell: done
      if (queued <= 0) return true;
      const int64_t now = MonotonicNs();
      if (now >= deadline) return false;
      int64_t wait = queued * byteNs;
      if (wait < 100000) wait = 100000;
      if (wait > deadline - now) wait = deadline - now;
      SleepNs(wait);
    }
#else
    (void)deadline;
    return ::tcdrain(fd_) == 0;
#endif
  }

  int fd_ = -1;
  int baudRate_ = 0;
  uint32_t readTimeoutMs_ = kByteReadTimeoutMs;
  std::array<uint8_t, 4096> buffer_{};
  size_t head_ = 0;
  size_t tail_ = 0;
};

}  // namespace

speed_t TermiosSpeed(int baudRate) {
  switch (baudRate) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
#ifdef B57600
    case 57600:
      return B57600;
#endif
#ifdef B115200
    case 115200:
      return B115200;
#endif
    default:
      return B0;
  }
}

std::unique_ptr<PortDevice> CreateSystemPortDevice() {
  return std::make_unique<PosixSerialDevice>();
}

}  // namespace ptk
