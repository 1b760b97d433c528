// The frame on the line, in both directions: STX, payload with DLE stuffing, ETX,
// check byte. Stuffing puts a DLE before every payload DLE (0x10) and ETX (0x03); the
// check byte is the XOR of every byte after STX up to and including ETX, as on the line.
// Pure functions shared by the program and the virtual register.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ptk {

inline constexpr uint8_t ENQ = 0x05;
inline constexpr uint8_t ACK = 0x06;
inline constexpr uint8_t NAK = 0x15;
inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t EOT = 0x04;
inline constexpr uint8_t DLE = 0x10;

// STX, stuffed payload, ETX, check byte.
std::vector<uint8_t> BuildFrame(std::span<const uint8_t> payload);
std::vector<uint8_t> Stuff(std::span<const uint8_t> payload);
uint8_t CheckByte(std::span<const uint8_t> stuffedWithEtx);

// Result of scanning a received frame that starts with STX.
struct FrameScan {
  bool complete = false;   // an ending ETX (not data) and the byte after it are present
  bool checkOk = false;    // complete and the check byte matches
  size_t rawLength = 0;    // complete: STX through the check byte
  // Unstuffed frame: STX, payload, ETX, check byte (only when an ending ETX was found).
  std::vector<uint8_t> unstuffed;
};

// Scans raw[0..) (raw[0] must be STX, else nothing is complete). A DLE followed by DLE or
// ETX is a stuffing byte; a DLE followed by anything else is itself data. The first ETX
// that is not data ends the frame.
FrameScan ScanFrame(std::span<const uint8_t> raw);

// True once raw (starting with STX) holds a whole frame, check byte included.
bool FrameComplete(std::span<const uint8_t> raw);

}  // namespace ptk
