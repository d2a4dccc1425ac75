#pragma once

#include <string>

namespace vantorel_test {

// Where things are: the modules the build made, for tests, fuzz targets and
// benchmarks to load into a host, and the folder tests write to. The build
// writes the paths in, and the support library depends on every module, so
// they are built before anything that asks.

// The plugin module, VantorelPlugin.
const char* PluginModule();
// The small plugin of TestPlugin.h, built four times: as it is, carrying
// interface version 72, without its exported record, and as the module a
// test breaks.
const char* TestPluginModule();
const char* TestPluginV72Module();
const char* TestPluginNoExportsModule();
const char* TestPluginBreakableModule();

// The folder every test program writes its files to, made when the build is
// configured.
const char* TempDir();
// A path in TempDir() that belongs to the running GoogleTest test alone:
// "SUITE.NAME.leaf", the slashes of parameterised names turned into
// underscores, so that tests run side by side never share a file.
std::string TempPath(const std::string& leaf);

}  // namespace vantorel_test
