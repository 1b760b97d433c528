// A clock that moves only when something waits on it: tests run every time-out instantly.
#pragma once

#include "core/link/clock.h"

namespace ptk::test {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(uint32_t start = 0) : now_(start) {}
  uint32_t TickCount() override { return now_; }
  void Sleep(uint32_t ms) override {
    now_ += ms;
    slept_ += ms;
  }
  void Advance(uint32_t ms) { now_ += ms; }
  uint32_t now() const { return now_; }
  uint64_t slept() const { return slept_; }

 private:
  uint32_t now_;
  uint64_t slept_ = 0;
};

}  // namespace ptk::test
