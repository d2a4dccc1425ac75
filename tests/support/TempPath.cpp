#include "TempPath.h"

#include <gtest/gtest.h>

namespace vantorel_test {

const char* TempDir() { return VANTOREL_TEST_TEMP_DIR; }

std::string TempPath(const std::string& leaf) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return std::string(TempDir()) + "/" + name + "." + leaf;
}

}  // namespace vantorel_test
