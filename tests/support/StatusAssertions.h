#pragma once

// Checks of a files::Status that show its message when they fail.

#include <gtest/gtest.h>

#include "files/Status.h"

namespace vantorel_test {

// For EXPECT_TRUE and ASSERT_TRUE: success when `status` is ok, otherwise a
// failure that shows its message.
inline ::testing::AssertionResult Succeeded(const files::Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << status.message();
}

}  // namespace vantorel_test
