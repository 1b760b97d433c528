// The Win32 card reader: CreateFileA on "\\.\COMn" for reading only, without sharing and
// without overlapped I/O; one ReadFile bounded by the driver's interval and total read
// time-outs.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/link/card_reader.h"
#include "core/link/port_names.h"

namespace ptk {
namespace {

// Some serial layers end a read whose total time-out passed with this error instead of
// completing it with the bytes that came (none).
constexpr DWORD kErrorTimeout = 1460;  // ERROR_TIMEOUT

class Win32CardReaderDevice final : public CardReaderDevice {
 public:
  explicit Win32CardReaderDevice(CardReadTimeouts timeouts) : timeouts_(timeouts) {}
  ~Win32CardReaderDevice() override { Close(); }

  bool Open(const std::string& name) override {
    Close();
    const std::string path = DevicePathForPort(name);
    if (path.empty()) return false;
    port_ = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return port_ != INVALID_HANDLE_VALUE;
  }

  bool Purge() override { return IsOpen() && PurgeComm(port_, PURGE_TXCLEAR | PURGE_RXCLEAR) != 0; }

  bool Configure() override {
    if (!IsOpen()) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port_, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(kCardReaderBaudRate);
    dcb.ByteSize = static_cast<BYTE>(kCardReaderDataBits);
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;  // no end-of-file check
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;  // a line error must not end the read with a failure
    if (!SetCommState(port_, &dcb)) return false;
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(port_, &timeouts)) return false;
    timeouts.ReadIntervalTimeout = timeouts_.intervalMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = timeouts_.totalMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(port_, &timeouts) != 0;
  }

  bool Read(size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    if (!IsOpen()) return false;
    if (maxBytes == 0) return true;
    if (maxBytes > 0xFFFF) maxBytes = 0xFFFF;
    bytes.resize(maxBytes);
    DWORD got = 0;
    if (!ReadFile(port_, bytes.data(), static_cast<DWORD>(maxBytes), &got, nullptr)) {
      const DWORD error = GetLastError();
      bytes.clear();
      return error == kErrorTimeout;
    }
    bytes.resize(got <= maxBytes ? got : maxBytes);
    return true;
  }

  void Close() override {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
  }

  bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE; }

 private:
  CardReadTimeouts timeouts_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<CardReaderDevice> CreateSystemCardReaderDevice(CardReadTimeouts timeouts) {
  return std::make_unique<Win32CardReaderDevice>(timeouts);
}

}  // namespace ptk
