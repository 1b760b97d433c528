// A pseudo-terminal pair: the master for the side that plays a device (the virtual
// register, the virtual card reader, a test's scripted peer), the slave for the program,
// which opens it by name like any serial port. The slave is raw from the first byte (a
// fresh slave echoes and holds input until a newline), and the pair keeps a slave
// descriptor of its own, so that the master sees no hang-up while the program closes and
// reopens the device. Pseudo-terminals need a POSIX system: elsewhere Open() fails.
#pragma once

#include <string>

namespace ptk::emu {

struct PtyOptions {
  int baudRate = 0;  // the slave's nominal speed (a pty does not pace bytes); 0: none set
  int minBytes = 0;  // VMIN of the slave's raw mode
};

class PtyPair {
 public:
  PtyPair() = default;
  ~PtyPair() { Close(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // Opens a new pair, the master non-blocking, both descriptors closed on exec. False,
  // with the reason in error(), when the system has no pseudo-terminal to give.
  bool Open(const PtyOptions& options = {});
  // Closes both descriptors; the slave's name stays for messages.
  void Close();
  bool IsOpen() const { return master_ >= 0; }

  int master() const { return master_; }
  int slave() const { return slave_; }
  // The slave device, e.g. "/dev/pts/3".
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::string error_;
};

// A pipe that wakes a thread out of poll(): Wake() makes readFd() readable until Drain().
class WakePipe {
 public:
  WakePipe() = default;
  ~WakePipe() { Close(); }
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;

  // Both ends non-blocking and closed on exec; false with the reason in *error.
  bool Open(std::string* error = nullptr);
  void Close();
  void Wake();
  // Empties the pipe, so that poll() waits again.
  void Drain();
  int readFd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

}  // namespace ptk::emu
