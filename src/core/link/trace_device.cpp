#include "core/link/trace_device.h"

#include <chrono>
#include <cstdio>

#include "core/link/port_names.h"

namespace ptk {
namespace {

uint64_t SteadyMicros() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TracingPortDevice::TracingPortDevice(std::unique_ptr<PortDevice> inner, Clock& clock,
                                     std::ostream& out)
    : TracingPortDevice(
          std::move(inner), [&clock] { return static_cast<uint64_t>(clock.TickCount()) * 1000; },
          out) {}

TracingPortDevice::TracingPortDevice(std::unique_ptr<PortDevice> inner, MicrosecondSource micros,
                                     std::ostream& out)
    : inner_(std::move(inner)), micros_(std::move(micros)), out_(&out) {
  start_ = micros_();
}

TracingPortDevice::~TracingPortDevice() {
  Flush();
}

std::unique_ptr<TracingPortDevice> TracingPortDevice::ToFile(std::unique_ptr<PortDevice> inner,
                                                             Clock& clock,
                                                             const std::string& path) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
  if (!*file) return nullptr;
  std::unique_ptr<TracingPortDevice> device;
  if (&clock == &SystemClock()) {
    device = std::make_unique<TracingPortDevice>(std::move(inner), SteadyMicros, *file);
  } else {
    device = std::make_unique<TracingPortDevice>(std::move(inner), clock, *file);
  }
  device->file_ = std::move(file);
  return device;
}

uint64_t TracingPortDevice::Now() const {
  return micros_() - start_;
}

void TracingPortDevice::Line(uint64_t micros, const char* direction, const std::string& text) {
  // Integer formatting: the process locale may use a decimal comma.
  char stamp[40];
  std::snprintf(stamp, sizeof(stamp), "%6llu.%03u ms  ",
                static_cast<unsigned long long>(micros / 1000),
                static_cast<unsigned>(micros % 1000));
  std::lock_guard lock(lineMutex_);
  *out_ << stamp << direction << ' ' << text << '\n';
  out_->flush();
}

void TracingPortDevice::Remark(const std::string& text) {
  Line(Now(), "---- ", text);
}

void TracingPortDevice::Note(const std::string& text) {
  Flush();
  Line(Now(), "---- ", text);
}

void TracingPortDevice::Flush() {
  if (run_.empty()) return;
  Line(runStart_, "<-PTK", HexBytes(run_.data(), run_.size()));
  run_.clear();
}

void TracingPortDevice::set_enabled(bool enabled) {
  if (!enabled) Flush();
  enabled_ = enabled;
}

bool TracingPortDevice::OpenDevice(const std::string& name, OpenMode mode) {
  const bool ok = inner_->Open(name, mode);
  if (enabled_) {
    const std::string path = DevicePathForPort(name);
    std::string text = "open " + name;
    if (!path.empty() && path != name) text += " (" + path + ")";
    if (mode == OpenMode::ReadOnly) text += " read-only";
    Note(text + (ok ? "" : " failed"));
  }
  return ok;
}

bool TracingPortDevice::ConfigureLine(const LineFormat& format) {
  const bool ok = inner_->Configure(format);
  if (enabled_) {
    Note("configure " + std::to_string(format.baudRate) + " bit/s " + LineFormatName(format) +
         (ok ? "" : " failed"));
  }
  return ok;
}

void TracingPortDevice::Close() {
  const bool wasOpen = inner_->IsOpen();
  inner_->Close();
  if (enabled_ && wasOpen) Note("close");
}

bool TracingPortDevice::ClearErrors() {
  const bool ok = inner_->ClearErrors();
  if (enabled_ && !ok) Note("clear errors failed");
  return ok;
}

bool TracingPortDevice::Purge() {
  const bool ok = inner_->Purge();
  if (enabled_) {
    Flush();
    if (!ok) Note("purge failed");
  }
  return ok;
}

bool TracingPortDevice::Write(const uint8_t* data, size_t length) {
  if (!enabled_) return inner_->Write(data, length);
  Flush();
  const uint64_t at = Now();
  const bool ok = inner_->Write(data, length);
  Line(at, "PC-> ", HexBytes(data, length) + (ok ? "" : "  (write failed)"));
  return ok;
}

ReadStatus TracingPortDevice::ReadByte(uint8_t& byte) {
  if (!enabled_) return inner_->ReadByte(byte);
  const ReadStatus status = inner_->ReadByte(byte);
  switch (status) {
    case ReadStatus::Byte:
      if (run_.empty()) runStart_ = Now();
      run_.push_back(byte);
      readFailed_ = false;
      break;
    case ReadStatus::Timeout:
      Flush();
      readFailed_ = false;
      break;
    case ReadStatus::Failed:
      // Once per failure spell: callers may retry a dead line until their limit.
      if (!readFailed_) Note("read failed");
      readFailed_ = true;
      break;
  }
  return status;
}

bool TracingPortDevice::SetReadTimeout(uint32_t ms) {
  const bool ok = inner_->SetReadTimeout(ms);
  if (enabled_) Note("read time-out " + std::to_string(ms) + " ms" + (ok ? "" : " failed"));
  return ok;
}

}  // namespace ptk
