#include "ModulePaths.h"

namespace vantorel_test {

const char* PluginModule() { return VANTOREL_PLUGIN_MODULE; }
const char* TestPluginModule() { return VANTOREL_TEST_PLUGIN_MODULE; }
const char* TestPluginV72Module() { return VANTOREL_TEST_PLUGIN_V72_MODULE; }
const char* TestPluginNoExportsModule() { return VANTOREL_TEST_PLUGIN_NOEXPORTS_MODULE; }

}  // namespace vantorel_test
