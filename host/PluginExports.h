#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "BakkesModPlugin.h"
#include "HostExport.h"

// The version of this plugin interface. The host refuses a module whose
// record carries any other.
constexpr std::int32_t kPluginInterfaceVersion = 73;

using GetPluginFunction = std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* (*)();
using DeleteMeFunction = void (*)();

// The record every plugin module exports under the name "exports"; the host
// reads it before anything else. Its layout is fixed by the host, a 64-bit
// process: 64 bytes, pointers 8 bytes wide, each 32-bit integer followed by
// 4 bytes of padding.
struct PluginInfo {
  std::int32_t interfaceVersion;
  const char* fileName;
  const char* className;
  const char* pluginName;
  const char* pluginVersion;
  std::int32_t pluginType;
  GetPluginFunction getPlugin;
  DeleteMeFunction deleteMe;
};

// Checked where pointers are 8 bytes wide. A 32-bit target (WebAssembly,
// where the playground links the plugin into its host) has no such host to
// meet: host and plugin there are built together, from this header.
#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(sizeof(PluginInfo) == 64, "the host reads a 64-byte record");
static_assert(offsetof(PluginInfo, fileName) == 8, "record layout");
static_assert(offsetof(PluginInfo, className) == 16, "record layout");
static_assert(offsetof(PluginInfo, pluginName) == 24, "record layout");
static_assert(offsetof(PluginInfo, pluginVersion) == 32, "record layout");
static_assert(offsetof(PluginInfo, pluginType) == 40, "record layout");
static_assert(offsetof(PluginInfo, getPlugin) == 48, "record layout");
static_assert(offsetof(PluginInfo, deleteMe) == 56, "record layout");
#endif

// The names under which the host looks the record up.
constexpr const char kPluginRecordSymbol[] = "exports";
