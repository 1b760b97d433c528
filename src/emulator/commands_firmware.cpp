// The firmware transfer, in programming mode: 0x9C starts it for a source (1 the control
// block, 2 the fiscal-memory block; 0x6D otherwise) and answers the image's size in three
// bytes, high first; every 0x84 then hands out the next block, 250 bytes of the control
// block's image or 28 of the fiscal-memory block's (the last block filled up with 0xFF),
// and once the image is out 0x84 answers 0x18 and the transfer is over.
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr uint32_t kPtkSeed = 0x50544B31;
constexpr uint32_t kFpSeed = 0x46500031;
constexpr uint8_t kErasedByte = 0xFF;

Reply Start(VirtualRegister& reg, const Command& c) {
  const uint8_t source = c.params[0];
  if (source != 1 && source != 2) return R::Error(rc::kBadTarget);
  FirmwareImages& f = reg.firmware();
  f.source = source;
  f.position = 0;
  const uint32_t size = f.Size(source);
  return R::Ok({static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                static_cast<uint8_t>(size)});
}

Reply NextBlock(VirtualRegister& reg, const Command&) {
  FirmwareImages& f = reg.firmware();
  const uint32_t size = f.Size(f.source);
  if (f.source == 0 || f.position >= size) {
    f.source = 0;
    return R::Error(rc::kNoMoreFirmware);
  }
  const size_t block = f.source == 2 ? kFpFirmwareBlockBytes : kPtkFirmwareBlockBytes;
  std::vector<uint8_t> data(block, kErasedByte);
  for (size_t i = 0; i < block && f.position + i < size; ++i)
    data[i] = FirmwareImageByte(f.source, f.position + static_cast<uint32_t>(i));
  f.position += static_cast<uint32_t>(block);
  return R::Ok(std::move(data));
}

}  // namespace

uint8_t FirmwareImageByte(uint8_t source, uint32_t i) {
  uint32_t x = (source == 2 ? kFpSeed : kPtkSeed) ^ (i * 0x9E3779B1u);
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return static_cast<uint8_t>(x & 0xFF);
}

std::vector<uint8_t> FirmwareImage(uint8_t source, uint32_t size) {
  std::vector<uint8_t> image(size);
  for (uint32_t i = 0; i < size; ++i) image[i] = FirmwareImageByte(source, i);
  return image;
}

void RegisterFirmwareCommands(CommandTable& table) {
  table.Add({0x9C, "start firmware transfer", 1, Modes({4}), false, Start});
  table.Add({0x84, "next firmware block", 0, Modes({4}), false, NextBlock});
}

}  // namespace ptk::emu
