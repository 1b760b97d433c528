// Time as the link sees it: a wrapping millisecond tick counter and a sleep.
// The system clock is monotonic; tests use a fake clock that advances only when told.
#pragma once

#include <cstdint>

namespace ptk {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps at 2^32, so always compare with
  // unsigned subtraction: (now - start) >= limit.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

// The process-wide monotonic clock.
Clock& SystemClock();

}  // namespace ptk
