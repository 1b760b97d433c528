// The card reader's data: whatever one read returned (up to the read's 1024 bytes).
#include "core/receipts/card_data.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/link/encoding.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ptk;
  const std::span<const uint8_t> received(data, std::min(size, kCardReadMaxBytes));
  std::string text = "stale";
  const int code = ParseCardData(received, text);
  PTK_FUZZ_CHECK(code == kCardReadOk || code == kCardReadFailed || code == kCardNoSentinel ||
                 code == kCardBadField);
  if (code != kCardReadOk) {
    PTK_FUZZ_CHECK(text.empty());
    return 0;
  }
  // The field between the sentinels: no sentinel inside, and it is those bytes.
  PTK_FUZZ_CHECK(text.find_first_of(";?") == std::string::npos);
  const std::vector<uint8_t> back = Utf8ToCp1251(text);
  const auto last = std::find(received.rbegin(), received.rend(), uint8_t{'?'}).base() - 1;
  PTK_FUZZ_CHECK(back.size() <= static_cast<size_t>(last - received.begin()));
  PTK_FUZZ_CHECK(std::equal(back.rbegin(), back.rend(), std::make_reverse_iterator(last)));
  return 0;
}
