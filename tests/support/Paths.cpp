#include "Paths.h"

#include <gtest/gtest.h>

namespace vantorel_test {

const char* PluginModule() { return VANTOREL_PLUGIN_MODULE; }
const char* TestPluginModule() { return VANTOREL_TEST_PLUGIN_MODULE; }
const char* TestPluginV72Module() { return VANTOREL_TEST_PLUGIN_V72_MODULE; }
const char* TestPluginNoExportsModule() { return VANTOREL_TEST_PLUGIN_NOEXPORTS_MODULE; }
const char* TestPluginBreakableModule() { return VANTOREL_TEST_PLUGIN_BREAKABLE_MODULE; }
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
