#include "support/register_app_rig.h"

#include "core/link/framing.h"
#include "core/link/serial_device.h"
#include "core/reports/device_state.h"
#include "core/shell/modes.h"
#include "ui/base/startup.h"
#include "ui/shell/main_fr.h"

namespace ptk::test {

bool RecordingDevice::Write(const uint8_t* data, size_t length) {
  written_.emplace_back(data, data + length);
  return inner_->Write(data, length);
}

std::vector<std::vector<uint8_t>> RecordingDevice::Commands() const {
  std::vector<std::vector<uint8_t>> commands;
  for (const std::vector<uint8_t>& w : written_) {
    if (w.empty() || w[0] != STX) continue;
    FrameScan scan = ScanFrame(w);
    if (scan.unstuffed.size() < 3) continue;
    commands.emplace_back(scan.unstuffed.begin() + 1, scan.unstuffed.end() - 2);
  }
  return commands;
}

std::vector<uint8_t> RecordingDevice::Codes() const {
  std::vector<uint8_t> codes;
  for (const std::vector<uint8_t>& c : Commands())
    if (c.size() >= 3) codes.push_back(c[2]);
  return codes;
}

RegisterAppRig::RegisterAppRig(int model, const std::string& faults) {
  auto recording = std::make_unique<RecordingDevice>(CreateSystemPortDevice());
  device = recording.get();
  context = std::make_unique<ui::AppContext>(ui, std::move(recording));
  context->settings.directory = dir.path().toStdString();
  emu::EmulatorOptions options;
  options.model = model;
  options.faults = faults;
  context->StartEmulator(options);
  ui::CreateWindows(*context);
  windows = {context->forms.fm_RegComm, context->forms.fm_PrnStr, context->forms.fm_PrnField};
  main().FormActivate();
  device->Clear();
  ui.boxes.clear();
}

RegisterAppRig::~RegisterAppRig() {
  context.reset();
}

int RegisterAppRig::RegisterMode() {
  if (QueryStateCode(context->link) != kExchangeOk) return -1;
  return CurrentMode(context->link);
}

}  // namespace ptk::test
