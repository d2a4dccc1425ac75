#pragma once

namespace vantorel_test {

// Full paths of the modules the build made, for tests, fuzz targets and
// benchmarks to load into a host. The build writes them in; the support
// library depends on every one, so they are built before anything that asks.

// The plugin module, VantorelPlugin.
const char* PluginModule();

// The small plugin of TestPlugin.h, built three times: as it is, carrying
// interface version 72, and without its exported record.
const char* TestPluginModule();
const char* TestPluginV72Module();
const char* TestPluginNoExportsModule();

}  // namespace vantorel_test
