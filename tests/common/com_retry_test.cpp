#include "common/com_retry.h"

#include <gtest/gtest.h>

namespace brivanta {
namespace {

TEST(BusyRetryDelayTest, RetriesLaterCallsEvery100MsForUpTo30Seconds) {
  struct Case {
    unsigned long elapsed;
    bool retryLater;
    long delay;
  } cases[] = {
      {0, true, 100}, {29999, true, 100}, {30000, true, -1}, {120000, true, -1},
      {0, false, -1},  // refused outright: not retried
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BusyRetryDelay(c.elapsed, c.retryLater), c.delay) << c.elapsed << " " << c.retryLater;
  }
}

}  // namespace
}  // namespace brivanta
