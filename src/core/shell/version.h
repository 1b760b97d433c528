// The version of one of the register's two processors (command 0x9D).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdVersion = 0x9D;
inline constexpr int kVersionAnswerLength = 55;
inline constexpr uint32_t kVersionDelayMs = 200;

// Source 1: the processor with the register's firmware; 2: the fiscal-memory processor.
inline constexpr uint8_t kVersionSourceFirmware = 1;
inline constexpr uint8_t kVersionSourceFiscalMemory = 2;

// password, 0x9D, source.
std::vector<uint8_t> VersionFrame(const Link& link, uint8_t source);
// answerLength 55, allowShortAnswer 1, decodeResult 1, default time-outs, delay 200 ms.
int QueryVersion(Link& link, uint8_t source);

struct VersionInfo {
  unsigned version = 0;     // [3..4], little-endian
  unsigned language = 0;    // [5]
  unsigned subversion = 0;  // [6..7], little-endian
};
// Positions past the payload of a short answer read as zero.
VersionInfo DecodeVersion(std::span<const uint8_t> answerBuffer, int answerLength);
// "Версия: N", "Подверсия: N", "Код языка: N".
std::vector<std::string> ShowVersion(std::span<const uint8_t> answerBuffer, int answerLength);
std::vector<std::string> ShowVersion(const Link& link);

}  // namespace ptk
