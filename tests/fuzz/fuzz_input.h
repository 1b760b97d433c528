// Reading a fuzzer's input as a sequence of small decisions and byte runs. Every read is
// bounded by what is left; an exhausted input reads as zeros and empty runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ptk::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  size_t Left() const { return size_ - pos_; }

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() {
    const uint16_t high = Byte();
    return static_cast<uint16_t>((high << 8) | Byte());
  }
  bool Bit() { return (Byte() & 1) != 0; }
  // Up to n bytes (fewer when the input ends).
  std::span<const uint8_t> Bytes(size_t n) {
    if (n > Left()) n = Left();
    std::span<const uint8_t> out(data_ + pos_, n);
    pos_ += n;
    return out;
  }
  // A run whose length is the next byte.
  std::vector<uint8_t> Run() {
    const std::span<const uint8_t> s = Bytes(Byte());
    return {s.begin(), s.end()};
  }
  std::span<const uint8_t> Rest() { return Bytes(Left()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

inline std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// An invariant broke: say which and stop, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

#define PTK_FUZZ_CHECK(condition)                    \
  do {                                               \
    if (!(condition)) ::ptk::fuzz::Fail(#condition); \
  } while (0)

}  // namespace ptk::fuzz
