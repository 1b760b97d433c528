#include "emulator/pty_pair.h"

#ifndef _WIN32
#include <errno.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "core/link/termios_speed.h"
#endif

namespace ptk::emu {

#ifndef _WIN32

namespace {

void CloseOnExec(int fd) {
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void NonBlocking(int fd) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

}  // namespace

bool PtyPair::Open(const PtyOptions& options) {
  Close();
  termios raw{};
  ::cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  raw.c_cc[VMIN] = static_cast<cc_t>(options.minBytes);
  raw.c_cc[VTIME] = 0;
  if (options.baudRate != 0) {
    ::cfsetispeed(&raw, TermiosSpeed(options.baudRate));
    ::cfsetospeed(&raw, TermiosSpeed(options.baudRate));
  }
  char name[128] = {};
  if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
    error_ = std::string("openpty: ") + std::strerror(errno);
    master_ = slave_ = -1;
    return false;
  }
  NonBlocking(master_);
  CloseOnExec(master_);
  CloseOnExec(slave_);
  path_ = name;
  return true;
}

void PtyPair::Close() {
  for (int* fd : {&master_, &slave_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

bool WakePipe::Open(std::string* error) {
  Close();
  if (::pipe(fds_) != 0) {
    if (error) *error = std::string("pipe: ") + std::strerror(errno);
    fds_[0] = fds_[1] = -1;
    return false;
  }
  for (int fd : fds_) {
    NonBlocking(fd);
    CloseOnExec(fd);
  }
  return true;
}

void WakePipe::Close() {
  for (int& fd : fds_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void WakePipe::Wake() {
  if (fds_[1] < 0) return;
  const char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(fds_[1], &byte, 1);
}

void WakePipe::Drain() {
  if (fds_[0] < 0) return;
  char sink[16];
  while (::read(fds_[0], sink, sizeof sink) > 0) {
  }
}

#else  // _WIN32: no pseudo-terminals.

bool PtyPair::Open(const PtyOptions&) {
  error_ = "pseudo-terminals need a POSIX system";
  return false;
}
void PtyPair::Close() {}
bool WakePipe::Open(std::string* error) {
  if (error) *error = "pseudo-terminals need a POSIX system";
  return false;
}
void WakePipe::Close() {}
void WakePipe::Wake() {}
void WakePipe::Drain() {}

#endif

}  // namespace ptk::emu
