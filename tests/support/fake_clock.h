// The tests' clocks: one that moves only when something waits on it (every time-out runs
// instantly), real time run faster, and real time whose sleeps end at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

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

// Real time run faster: a time-out of 10 s passes in 10 s / factor, while a register on
// the other side of a real line answers in real time.
class ScaledClock final : public Clock {
 public:
  explicit ScaledClock(uint32_t factor) : factor_(factor) {}
  uint32_t TickCount() override {
    const auto real = std::chrono::steady_clock::now() - start_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(real).count() * factor_ / 1000);
  }
  void Sleep(uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{ms} * 1000 / factor_));
  }

 private:
  uint32_t factor_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Real time for the time-outs, no time for the waits and delays the register does not need.
class NoDelayClock final : public Clock {
 public:
  uint32_t TickCount() override { return SystemClock().TickCount(); }
  void Sleep(uint32_t) override {}
};

}  // namespace ptk::test
