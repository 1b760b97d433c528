// The Win32 serial device: CreateFileA on "\\.\COMn" (read-write or read-only), 256-byte
// driver queues, the DCB of the line format and the link's COMMTIMEOUTS, overlapped one-byte reads
// and whole-buffer writes on the port's own event. A transfer is waited for on the event with a
// bound a little beyond the driver's time-out and cancelled when the bound passes, so no loop spins
// and a driver that ignores its time-outs cannot hang the program. Nothing here needs
// WaitCommEvent, which some serial layers lack.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/link/port_names.h"
#include "core/link/serial_device.h"

namespace ptk {
namespace {

constexpr DWORD kQueueSize = 256;
// How much longer than the driver's own time-out a transfer is waited for.
constexpr DWORD kCompletionSlackMs = 100;
// Some serial layers end an overlapped read that timed out with this error instead of
// completing it with no byte.
constexpr DWORD kErrorTimeout = 1460;  // ERROR_TIMEOUT

class Win32SerialDevice final : public PortDevice {
 public:
  ~Win32SerialDevice() override { Close(); }

  void Close() override {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    if (event_ != nullptr) CloseHandle(event_);
    port_ = INVALID_HANDLE_VALUE;
    event_ = nullptr;
  }

  bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE && event_ != nullptr; }

  bool ClearErrors() override {
    if (!IsOpen()) return false;
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(port_, &errors, &status) != 0;
  }

  bool Purge() override {
    if (!IsOpen()) return false;
    return PurgeComm(port_, PURGE_TXCLEAR | PURGE_RXCLEAR) != 0;
  }

  bool Write(const uint8_t* data, size_t length) override {
    if (!IsOpen()) return false;
    if (length == 0) return true;
    if (length > 0xFFFF) return false;  // far beyond any frame; keeps the bound below sane
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_;
    DWORD sent = 0;
    if (!WriteFile(port_, data, static_cast<DWORD>(length), &sent, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING) return false;
      const DWORD bound = static_cast<DWORD>(length) * kWriteMsPerByte + kWriteSlackMs;
      if (!Complete(overlapped, bound, sent)) {
        PurgeComm(port_, PURGE_TXABORT | PURGE_TXCLEAR);
        return false;
      }
    }
    return sent == length;
  }

  ReadStatus ReadByte(uint8_t& byte) override {
    if (!IsOpen()) return ReadStatus::Failed;
    // A zero time-out only asks whether a byte is already there. Some serial layers ignore
    // the "return at once" time-outs on overlapped reads and would wait for the next
    // byte, so an empty input queue is answered without starting a read.
    if (readTimeoutMs_ == 0 && InputQueueEmpty()) return ReadStatus::Timeout;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_;
    DWORD got = 0;
    uint8_t value = 0;
    if (!ReadFile(port_, &value, 1, &got, &overlapped)) {
      const DWORD error = GetLastError();
      if (error == kErrorTimeout) return ReadStatus::Timeout;
      if (error != ERROR_IO_PENDING) return ReadStatus::Failed;
      const DWORD bound = readTimeoutMs_ > MAXDWORD - kCompletionSlackMs - 1
                              ? MAXDWORD - 1
                              : readTimeoutMs_ + kCompletionSlackMs;
      if (!Complete(overlapped, bound, got)) {
        const DWORD failure = GetLastError();
        if (failure == kErrorTimeout || failure == ERROR_OPERATION_ABORTED) {
          return ReadStatus::Timeout;
        }
        PurgeComm(port_, PURGE_RXABORT | PURGE_RXCLEAR);
        return ReadStatus::Failed;
      }
    }
    if (got != 1) return ReadStatus::Timeout;  // the driver's time-out passed
    byte = value;
    return ReadStatus::Byte;
  }

  // The direct command path's phase time-outs: the read total constant alone, every
  // other field 0. A constant of 0 would mean "wait for ever"; 0 asks for an immediate
  // return instead.
  bool SetReadTimeout(uint32_t ms) override {
    if (!IsOpen()) return false;
    COMMTIMEOUTS timeouts{};
    if (ms == 0) {
      timeouts.ReadIntervalTimeout = MAXDWORD;
    } else {
      timeouts.ReadTotalTimeoutConstant = ms;
    }
    if (!SetCommTimeouts(port_, &timeouts)) return false;
    readTimeoutMs_ = ms;
    return true;
  }

  uint32_t ReadTimeout() const override { return readTimeoutMs_; }

 protected:
  bool OpenDevice(const std::string& name, OpenMode mode) override {
    const DWORD access = mode == OpenMode::ReadOnly ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
    Close();
    const std::string path = DevicePathForPort(name);
    if (path.empty()) return false;
    port_ =
        CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) return false;
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // unnamed, auto-reset, clear
    if (event_ == nullptr) {
      Close();
      return false;
    }
    readTimeoutMs_ = kByteReadTimeoutMs;
    return true;
  }

  bool ConfigureLine(const LineFormat& format) override {
    if (!IsOpen()) return false;
    if (format.baudRate <= 0 || format.dataBits < 5 || format.dataBits > 8) return false;
    if (format.stopBits != 1 && format.stopBits != 2) return false;
    if (!SetupComm(port_, kQueueSize, kQueueSize)) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port_, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(format.baudRate);
    dcb.ByteSize = static_cast<BYTE>(format.dataBits);
    dcb.Parity = format.parity == Parity::Odd    ? ODDPARITY
                 : format.parity == Parity::Even ? EVENPARITY
                                                 : NOPARITY;
    dcb.StopBits = format.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = 1;  // no end-of-file check
    dcb.fParity = format.parity != Parity::None;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;  // a line error must not end a transfer with a failure
    if (!SetCommState(port_, &dcb)) return false;
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(port_, &timeouts)) return false;
    // Every read asks for one byte, so a read completes after at most 2 ms.
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = kByteReadTimeoutMs;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!SetCommTimeouts(port_, &timeouts)) return false;
    readTimeoutMs_ = kByteReadTimeoutMs;
    return true;
  }

 private:
  // True when the driver reports no received byte waiting (and the query worked).
  bool InputQueueEmpty() {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(port_, &errors, &status) != 0 && status.cbInQue == 0;
  }

  // Waits for a pending transfer for at most boundMs, cancels it when the bound passes,
  // and collects its result. False with GetLastError() telling why.
  bool Complete(OVERLAPPED& overlapped, DWORD boundMs, DWORD& transferred) {
    if (WaitForSingleObject(event_, boundMs) != WAIT_OBJECT_0) {
      CancelIoEx(port_, &overlapped);
    }
    // After a cancel the transfer ends promptly, with whatever it had moved.
    return GetOverlappedResult(port_, &overlapped, &transferred, TRUE) != 0;
  }

  HANDLE port_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  uint32_t readTimeoutMs_ = kByteReadTimeoutMs;
};

}  // namespace

std::unique_ptr<PortDevice> CreateSystemPortDevice() {
  return std::make_unique<Win32SerialDevice>();
}

}  // namespace ptk
