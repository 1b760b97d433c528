#include "core/link/card_reader.h"

#include "core/settings/config.h"

namespace ptk {

std::string CardReaderPortName(const Settings& settings) {
  if (!settings.cardReaderName.empty()) return settings.cardReaderName;
  if (settings.CardReaderPort < 1) return {};
  return "COM" + std::to_string(settings.CardReaderPort);
}

int ReadCardBytes(CardReaderDevice& device, const std::string& portName,
                  std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (portName.empty()) return kCardNoReader;
  if (!device.Open(portName)) {
    device.Close();
    return kCardOpenFailed;
  }
  // A card swiped before the request is stale: only what comes after the purge counts.
  if (!device.Purge() || !device.Configure()) {
    device.Close();
    return kCardSetupFailed;
  }
  const bool ok = device.Read(kCardReadMaxBytes, bytes);
  device.Close();
  // No card within the time limit is a failed read, not an empty card.
  if (!ok || bytes.empty()) {
    bytes.clear();
    return kCardReadFailed;
  }
  if (bytes.size() > kCardReadMaxBytes) bytes.resize(kCardReadMaxBytes);
  return kCardReadOk;
}

int ReadCardBytes(const Settings& settings, std::vector<uint8_t>& bytes) {
  const std::string name = CardReaderPortName(settings);
  if (name.empty()) {
    bytes.clear();
    return kCardNoReader;
  }
  const auto device = CreateSystemCardReaderDevice();
  return ReadCardBytes(*device, name, bytes);
}

}  // namespace ptk
