// The arithmetic of the shared progress window, kept apart from the window itself.
#pragma once

#include <cstdint>

namespace ptk {

// The bar's position after its maximum changes from oldTotal to newTotal: 0 stays 0,
// any other position becomes newTotal * position / oldTotal + 1 (integer division).
// An old total of 0 cannot hold a position above 0; it is treated as 1.
inline int ProgressRescale(int position, int oldTotal, int newTotal) {
  if (position == 0) return 0;
  int64_t divisor = oldTotal == 0 ? 1 : oldTotal;
  return static_cast<int>(static_cast<int64_t>(newTotal) * position / divisor + 1);
}

// A requested position held within 0..total.
inline int ProgressClamp(int64_t position, int total) {
  if (position < 0) return 0;
  if (position > total) return total;
  return static_cast<int>(position);
}

}  // namespace ptk
