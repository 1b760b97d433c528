#include "core/receipts/card_data.h"

#include <algorithm>

#include "core/link/encoding.h"

namespace ptk {

int ParseCardData(std::span<const uint8_t> received, std::string& cardText) {
  cardText.clear();
  if (received.empty()) return kCardReadFailed;
  const auto end = std::find(received.rbegin(), received.rend(), uint8_t{'?'});
  if (end == received.rend()) return kCardNoSentinel;
  const std::span<const uint8_t> text = received.first(received.rend() - end - 1);
  const auto start = std::find(text.begin(), text.end(), uint8_t{';'});
  if (start == text.end()) return kCardNoSentinel;
  const std::span<const uint8_t> field(start + 1, text.end());
  if (std::any_of(field.begin(), field.end(), [](uint8_t b) { return b == ';' || b == '?'; }))
    return kCardBadField;
  cardText = Cp1251ToUtf8(field);
  return kCardReadOk;
}

int ReadCard(const Settings& settings, std::string& cardText) {
  cardText.clear();
  std::vector<uint8_t> bytes;
  const int code = ReadCardBytes(settings, bytes);
  if (code != kCardReadOk) return code;
  return ParseCardData(bytes, cardText);
}

}  // namespace ptk
