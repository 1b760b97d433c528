#include "ui/base/app_context.h"

#include <fstream>

#include "core/link/serial_device.h"
#include "core/link/trace_device.h"

namespace ptk::ui {

AppContext::AppContext(UserInterface& ui_, std::unique_ptr<PortDevice> device, Clock& clock_)
    : ui(ui_),
      clock(clock_),
      device_(std::move(device)),
      port(*device_, clock_, ui_),
      link(port, ui_, settings) {}

AppContext::~AppContext() {
  DestroyWindows();
  port.ClosePort();
  if (emulator_) emulator_->Stop();
}

void AppContext::DestroyWindows() {
  forms = Forms{};
  // Newest first: later windows may refer to the ones made before them.
  while (!windows_.empty()) windows_.pop_back();
}

bool AppContext::EnableTrace(const std::string& path) {
  if (traced_ || path.empty()) return false;
  {
    // Checked first: a trace that cannot be created must not cost us the device.
    std::ofstream probe(path, std::ios::out | std::ios::app);
    if (!probe) return false;
  }
  std::unique_ptr<TracingPortDevice> tracing =
      TracingPortDevice::ToFile(std::move(device_), clock, path);
  tracing_ = tracing.get();
  traced_ = std::move(tracing);
  if (!traced_) {
    device_ = CreateSystemPortDevice();
    port.set_device(*device_);
    return false;
  }
  port.set_device(*traced_);
  return true;
}

bool AppContext::StartEmulator(const emu::EmulatorOptions& options, std::string* error) {
  if (!emulator_) {
    emu::EmulatorOptions withNote = options;
    // The line trace shows where the program began a transfer inside the register's work.
    if (tracing_) withNote.onLineViolation = [t = tracing_] { t->Remark(kLineViolationNote); };
    emulator_ = std::make_unique<emu::EmulatorHost>(std::move(withNote));
  }
  if (!emulator_->Start()) {
    if (error) *error = emulator_->LastError();
    emulator_.reset();
    return false;
  }
  portOverride = emulator_->SlavePath();
  // Its card reader stands in for the person's until the command line names another.
  if (settings.cardReaderName.empty()) settings.cardReaderName = emulator_->CardReaderPath();
  return true;
}

void AppContext::TraceNote(const std::string& text) {
  if (tracing_) tracing_->Remark(text);
}

}  // namespace ptk::ui
