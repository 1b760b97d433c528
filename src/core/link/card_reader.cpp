#include "core/link/card_reader.h"

#include <algorithm>

#include "core/link/serial_device.h"
#include "core/settings/config.h"

namespace ptk {

std::string CardReaderPortName(const Settings& settings) {
  if (!settings.cardReaderName.empty()) return settings.cardReaderName;
  if (settings.CardReaderPort < 1) return {};
  return "COM" + std::to_string(settings.CardReaderPort);
}

bool TimedRead(PortDevice& device, Clock& clock, const CardReadTimeouts& timeouts, size_t maxBytes,
               std::vector<uint8_t>& bytes) {
  bytes.clear();
  const uint32_t start = clock.TickCount();
  uint32_t last = start;  // when the last byte came
  while (bytes.size() < maxBytes) {
    // Time left until the nearer of the two limits; unsigned differences survive the
    // counter's wrap.
    const uint32_t now = clock.TickCount();
    uint32_t left = timeouts.totalMs - std::min(timeouts.totalMs, now - start);
    if (!bytes.empty())
      left = std::min(left, timeouts.intervalMs - std::min(timeouts.intervalMs, now - last));
    if (left == 0) return true;
    if (!device.SetReadTimeout(left)) return false;
    uint8_t byte = 0;
    switch (device.ReadByte(byte)) {
      case ReadStatus::Byte:
        bytes.push_back(byte);
        last = clock.TickCount();
        break;
      case ReadStatus::Timeout:
        break;  // the limits are checked above
      case ReadStatus::Failed:
        return false;
    }
  }
  return true;
}

int ReadCardBytes(PortDevice& device, const std::string& portName, std::vector<uint8_t>& bytes,
                  const CardReadTimeouts& timeouts, Clock& clock) {
  bytes.clear();
  if (portName.empty()) return kCardNoReader;
  if (!device.Open(portName, OpenMode::ReadOnly)) {
    device.Close();
    return kCardOpenFailed;
  }
  // A card swiped before the request is stale: only what comes after the purge counts.
  if (!device.Purge() || !device.Configure(kCardReaderLine)) {
    device.Close();
    return kCardSetupFailed;
  }
  const bool ok = TimedRead(device, clock, timeouts, kCardReadMaxBytes, bytes);
  device.Close();
  // No card within the time limit is a failed read, not an empty card.
  if (!ok || bytes.empty()) {
    bytes.clear();
    return kCardReadFailed;
  }
  return kCardReadOk;
}

int ReadCardBytes(const Settings& settings, std::vector<uint8_t>& bytes) {
  const std::string name = CardReaderPortName(settings);
  if (name.empty()) {
    bytes.clear();
    return kCardNoReader;
  }
  const auto device = CreateSystemPortDevice();
  return ReadCardBytes(*device, name, bytes);
}

}  // namespace ptk
