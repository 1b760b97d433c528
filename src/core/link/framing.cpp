#include "core/link/framing.h"

namespace ptk {

std::vector<uint8_t> Stuff(std::span<const uint8_t> payload) {
  std::vector<uint8_t> out;
  out.reserve(payload.size() * 2);
  for (uint8_t b : payload) {
    if (b == DLE || b == ETX) out.push_back(DLE);
    out.push_back(b);
  }
  return out;
}

uint8_t CheckByte(std::span<const uint8_t> stuffedWithEtx) {
  uint8_t x = 0;
  for (uint8_t b : stuffedWithEtx) x ^= b;
  return x;
}

std::vector<uint8_t> BuildFrame(std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame;
  frame.reserve(payload.size() * 2 + 3);
  frame.push_back(STX);
  std::vector<uint8_t> stuffed = Stuff(payload);
  frame.insert(frame.end(), stuffed.begin(), stuffed.end());
  frame.push_back(ETX);
  frame.push_back(CheckByte(std::span<const uint8_t>(frame).subspan(1)));
  return frame;
}

FrameScan ScanFrame(std::span<const uint8_t> raw) {
  FrameScan scan;
  if (raw.empty() || raw[0] != STX) return scan;
  scan.unstuffed.push_back(STX);
  uint8_t x = 0;
  size_t i = 1;
  while (i < raw.size()) {
    uint8_t b = raw[i];
    if (b == DLE && i + 1 < raw.size() && (raw[i + 1] == DLE || raw[i + 1] == ETX)) {
      // Stuffing byte: the next one is data.
      x ^= b;
      x ^= raw[i + 1];
      scan.unstuffed.push_back(raw[i + 1]);
      i += 2;
      continue;
    }
    if (b == DLE && i + 1 == raw.size()) {
      // A DLE as the last byte received: its partner has not arrived yet.
      return scan;
    }
    x ^= b;
    scan.unstuffed.push_back(b);
    if (b == ETX) {
      if (i + 1 >= raw.size()) return scan;  // the check byte has not arrived
      scan.unstuffed.push_back(raw[i + 1]);
      scan.complete = true;
      scan.checkOk = raw[i + 1] == x;
      scan.rawLength = i + 2;
      return scan;
    }
    ++i;
  }
  return scan;
}

bool FrameComplete(std::span<const uint8_t> raw) { return ScanFrame(raw).complete; }

}  // namespace ptk
