// The program's windows against the in-process virtual register over a real
// pseudo-terminal, with every box recorded instead of shown and every byte the program
// writes on the line kept, so that a test can look at the command frames it sent.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/link/port_device.h"
#include "support/recording_ui.h"
#include "ui/base/app_context.h"
#include "ui/shell/regcomm.h"

namespace ptk::test {

// Passes everything to the system's device and records what is written.
class RecordingDevice final : public PortDevice {
 public:
  explicit RecordingDevice(std::unique_ptr<PortDevice> inner) : inner_(std::move(inner)) {}
  bool OpenDevice(const std::string& name, OpenMode mode) override {
    return inner_->Open(name, mode);
  }
  bool ConfigureLine(const LineFormat& format) override { return inner_->Configure(format); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  bool ClearErrors() override { return inner_->ClearErrors(); }
  bool Purge() override { return inner_->Purge(); }
  bool Write(const uint8_t* data, size_t length) override;
  ReadStatus ReadByte(uint8_t& byte) override { return inner_->ReadByte(byte); }
  bool SetReadTimeout(uint32_t ms) override { return inner_->SetReadTimeout(ms); }
  uint32_t ReadTimeout() const override { return inner_->ReadTimeout(); }

  // The unstuffed payloads (password, code, parameters) of the command frames written
  // since the last Clear().
  std::vector<std::vector<uint8_t>> Commands() const;
  // Their command codes.
  std::vector<uint8_t> Codes() const;
  void Clear() { written_.clear(); }

 private:
  std::unique_ptr<PortDevice> inner_;
  std::vector<std::vector<uint8_t>> written_;
};

// The program's context with the virtual register started, the windows created, the
// port opened by the main window's first activation, the mode entry and the printing
// windows installed. Settings files go to a temporary folder.
class RegisterAppRig {
 public:
  // faults: as `ptk-emulator --faults`, in force from the start.
  explicit RegisterAppRig(int model = 0, const std::string& faults = "");
  ~RegisterAppRig();

  RecordingUi ui;
  QTemporaryDir dir;
  RecordingDevice* device = nullptr;
  std::unique_ptr<ui::AppContext> context;
  ui::ModeAndPrintWindows windows;

  ui::Tfm_MainFr& main() { return *context->forms.fm_MainFr; }
  // The register's mode as the state query reports it (-1 when the query failed).
  int RegisterMode();
};

}  // namespace ptk::test
