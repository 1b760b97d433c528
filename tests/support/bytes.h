// Byte helpers of the tests: frames and answers written as the sum of their parts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/link/encoding.h"

namespace ptk::test {

using Bytes = std::vector<uint8_t>;

// The parts one after another.
inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// An amount in kopecks (or a quantity in thousandths) as the five packed BCD bytes of the
// register's ten digits.
inline Bytes Money(int64_t kopecks) {
  return NumberToBcd(static_cast<uint64_t>(kopecks), 10);
}

}  // namespace ptk::test
