// The shape of the exchange a command builder returns, as the builders' tables state it,
// and the one check of a built exchange against its frame and shape.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk::test {

struct ExchangeShape {
  int answerLength = kPlainAnswerLength;
  int allowShort = 0;
  uint32_t t6 = 10000;
  uint32_t delay = 0;
  int decodeResult = 1;
};

// An empty frame expects a refusal (nothing built). The other time-outs are the usual ones.
inline void ExpectExchange(const std::optional<Exchange>& c, const std::vector<uint8_t>& frame,
                           const ExchangeShape& shape) {
  ASSERT_EQ(c.has_value(), !frame.empty());
  if (!c) return;
  EXPECT_EQ(c->frame, frame);
  EXPECT_EQ(c->answerLength, shape.answerLength);
  EXPECT_EQ(c->allowShortAnswer, shape.allowShort);
  EXPECT_EQ(c->delayMs, shape.delay);
  EXPECT_EQ(c->decodeResult, shape.decodeResult);
  EXPECT_TRUE(c->withAnswer);
  const Timeouts& t = c->timeouts;
  EXPECT_EQ((std::vector<uint32_t>{t.t1, t.t2, t.t3, t.t4, t.t5, t.t6, t.t7}),
            (std::vector<uint32_t>{500, 500, 2000, 500, 500, shape.t6, 500}));
}

}  // namespace ptk::test
