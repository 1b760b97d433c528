#include "core/link/serial_port.h"

#include "core/link/framing.h"

namespace ptk {
namespace {

// Logical counting of the link: a DLE read while not escaped is a stuffing prefix and
// does not count; any other byte, and the DLE that follows an uncounted DLE, counts once.
struct LogicalCounter {
  size_t count = 0;
  bool escaped = false;

  void Add(uint8_t b) {
    if (b == DLE && !escaped) {
      escaped = true;
      return;
    }
    escaped = false;
    ++count;
  }
};

// Follows a frame byte by byte by the stuffing rules and tells when it is complete: the
// first ETX that is not data, then the check byte. A DLE followed by DLE or ETX is a
// stuffing byte; a DLE followed by anything else is itself data. Counts the frame's
// logical bytes as they will be unstuffed: STX, data, ETX and the check byte (which is
// never stuffed, so a check byte of DLE or ETX counts once).
class FrameTracker {
 public:
  void Add(uint8_t b) {
    if (complete_) return;
    if (logical_ == 0) {  // STX
      ++logical_;
      return;
    }
    if (afterEtx_) {  // the check byte
      ++logical_;
      complete_ = true;
      return;
    }
    if (pendingDle_) {
      pendingDle_ = false;
      if (b == DLE || b == ETX) {  // stuffed data byte
        ++logical_;
        return;
      }
      ++logical_;  // the DLE was data itself
    } else if (b == DLE) {
      pendingDle_ = true;
      return;
    }
    ++logical_;
    if (b == ETX) afterEtx_ = true;
  }
  bool complete() const { return complete_; }
  size_t logical() const { return logical_; }

 private:
  size_t logical_ = 0;
  bool pendingDle_ = false;
  bool afterEtx_ = false;
  bool complete_ = false;
};

}  // namespace

bool SerialPort::OpenPort(const std::string& portName) {
  return device_->Open(portName);
}

bool SerialPort::ConfigurePort(int baudIndex) {
  if (baudIndex < 0 || baudIndex > 4) return false;
  return device_->Configure(baudIndex);
}

void SerialPort::ClosePort() {
  device_->Close();
}

bool SerialPort::IsOpen() const {
  return device_->IsOpen();
}

bool SerialPort::ClearPortErrors() {
  return device_->ClearErrors();
}

bool SerialPort::PurgePort() {
  return device_->Purge();
}

bool SerialPort::PumpMessages() {
  return ui_->PumpMessages();
}

bool SerialPort::WritePort(const uint8_t* buffer, size_t length, size_t* written) {
  if (written) *written = 0;
  if (!device_->ClearErrors()) return false;
  // Whatever the register sent earlier and nobody read is discarded before every write.
  device_->Purge();
  bool ok = device_->Write(buffer, length);
  ClearPortErrors();
  if (ok && written) *written = length;
  return ok;
}

bool SerialPort::ReadPort(uint8_t* buffer, size_t capacity, size_t logicalLength,
                          size_t* rawCount) {
  LogicalCounter counter;
  size_t raw = 0;
  bool ok = true;
  deviceFailed_ = false;
  while (counter.count < logicalLength && ok) {
    if (raw >= capacity) {
      ok = false;
      break;
    }
    uint8_t b = 0;
    ReadStatus status = device_->ReadByte(b);
    if (status != ReadStatus::Byte) {
      deviceFailed_ = status == ReadStatus::Failed;
      ok = false;
      break;
    }
    buffer[raw++] = b;
    counter.Add(b);
  }
  ClearPortErrors();
  if (rawCount) *rawCount = raw;
  return ok && raw >= logicalLength;
}

bool SerialPort::TimedRead(uint8_t* buffer, size_t capacity, size_t logicalLength, uint32_t limitMs,
                           size_t* rawCount) {
  // A failed attempt leaves its bytes in place and the next one overwrites only as many
  // positions as bytes arrive, so on failure rawCount is the furthest position written.
  size_t furthest = 0;
  if (rawCount) *rawCount = 0;
  const uint32_t start = clock_->TickCount();
  for (;;) {
    if (!ui_->PumpMessages()) break;
    // A closed or vanished device cannot deliver anything: fail at once, not after limitMs.
    if (!device_->IsOpen()) break;
    ClearPortErrors();
    if (static_cast<uint32_t>(clock_->TickCount() - start) >= limitMs) break;
    size_t raw = 0;
    if (ReadPort(buffer, capacity, logicalLength, &raw)) {
      if (rawCount) *rawCount = raw;
      return true;
    }
    if (raw > furthest) furthest = raw;
    if (deviceFailed_) break;
  }
  if (rawCount) *rawCount = furthest;
  return false;
}

bool SerialPort::TimedWrite(const uint8_t* buffer, size_t length, uint32_t limitMs) {
  const uint32_t start = clock_->TickCount();
  for (;;) {
    if (!device_->IsOpen()) return false;
    PurgePort();
    if (static_cast<uint32_t>(clock_->TickCount() - start) >= limitMs) return false;
    if (WritePort(buffer, length, nullptr)) return true;
    // A refused write returns at once; pause a millisecond rather than spin until the limit.
    clock_->Sleep(1);
  }
}

bool SerialPort::ReadFrame(uint8_t* buffer, size_t capacity, size_t minLogical, uint32_t limitMs,
                           size_t* rawCount) {
  FrameTracker frame;
  size_t raw = 0;
  if (rawCount) *rawCount = 0;
  const uint32_t start = clock_->TickCount();
  while (raw < capacity) {
    if (!ui_->PumpMessages()) break;
    if (!device_->IsOpen()) break;
    ClearPortErrors();
    if (static_cast<uint32_t>(clock_->TickCount() - start) >= limitMs) break;
    uint8_t b = 0;
    ReadStatus status = device_->ReadByte(b);
    if (status == ReadStatus::Failed) break;
    if (status == ReadStatus::Timeout) continue;  // a pause: keep what arrived
    buffer[raw++] = b;
    if (rawCount) *rawCount = raw;
    frame.Add(b);
    if (buffer[0] != STX) break;  // not a frame: nothing more can make it one
    if (frame.complete()) break;
  }
  ClearPortErrors();
  return frame.complete() && frame.logical() >= minLogical;
}

}  // namespace ptk
