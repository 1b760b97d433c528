// Line trace: a PortDevice decorator that logs every transfer with its direction and a
// timestamp, one transfer per line, as upper-case hex:
//
//      0.000 ms  ----  open COM1 (/dev/ttyS0)
//      0.412 ms  PC->  05
//      1.038 ms  <-PTK 06
//
// The time is measured from the start of the trace. "PC->" is a write, "<-PTK" a run of
// consecutive bytes read (it ends at a time-out, a write, a purge or any other call);
// "----" lines note opening, configuring, closing, read time-outs set for the direct
// path, and failures. Byte-read time-outs themselves are not logged.
// The program wraps its device only when a trace was asked for, so there is no cost
// otherwise; set_enabled(false) makes a wrapped device a plain pass-through.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/encoding.h"
#include "core/link/port_device.h"

namespace ptk {

class TracingPortDevice final : public PortDevice {
 public:
  // Microseconds since an arbitrary start.
  using MicrosecondSource = std::function<uint64_t()>;

  // Timestamps from the clock's millisecond ticks (a fake clock in tests).
  TracingPortDevice(std::unique_ptr<PortDevice> inner, Clock& clock, std::ostream& out);
  TracingPortDevice(std::unique_ptr<PortDevice> inner, MicrosecondSource micros, std::ostream& out);
  ~TracingPortDevice() override;

  // A trace into a file (created or truncated); nullptr when the file cannot be opened.
  // The process's system clock is read at microsecond resolution, any other clock by its
  // millisecond ticks.
  static std::unique_ptr<TracingPortDevice> ToFile(std::unique_ptr<PortDevice> inner, Clock& clock,
                                                   const std::string& path);

  void Close() override;
  bool IsOpen() const override { return inner_->IsOpen(); }
  bool ClearErrors() override;
  bool Purge() override;
  bool Write(const uint8_t* data, size_t length) override;
  ReadStatus ReadByte(uint8_t& byte) override;
  bool SetReadTimeout(uint32_t ms) override;
  uint32_t ReadTimeout() const override { return inner_->ReadTimeout(); }

  void set_enabled(bool enabled);
  bool enabled() const { return enabled_; }
  PortDevice& inner() { return *inner_; }

  // Writes out a pending run of read bytes.
  void Flush();
  // A note from another thread (the embedded virtual register's), written at once with its
  // own time; a pending run of read bytes follows it when it ends.
  void Remark(const std::string& text);

 protected:
  bool OpenDevice(const std::string& name, OpenMode mode) override;
  bool ConfigureLine(const LineFormat& format) override;

 private:
  void Line(uint64_t micros, const char* direction, const std::string& text);
  void Note(const std::string& text);
  uint64_t Now() const;

  std::unique_ptr<PortDevice> inner_;
  MicrosecondSource micros_;
  std::unique_ptr<std::ofstream> file_;
  std::ostream* out_;
  uint64_t start_ = 0;
  bool enabled_ = true;
  std::vector<uint8_t> run_;  // bytes read since the last other call
  uint64_t runStart_ = 0;
  bool readFailed_ = false;
  std::mutex lineMutex_;  // one line at a time on out_
};

// The note of a trace where the program began a transfer while the virtual register was
// executing a command or sending its answer.
inline constexpr const char* kLineViolationNote =
    "line-discipline violation: a transfer begun while the register works";

}  // namespace ptk
