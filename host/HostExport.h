#pragma once

// Symbol visibility for the two sides of the host interface.
//
// HOST_API marks what the host library implements and exports: every wrapper
// class. The plugin module imports those symbols, as a plugin imports them
// from the real host.
//
// PLUGIN_API marks what the plugin module itself exports: the description
// record, the factory functions and the host base class, whose inline members
// the plugin module carries in its export table.
#if defined(_WIN32)
#  if defined(VANTOREL_BUILDING_HOST)
#    define HOST_API __declspec(dllexport)
#  else
#    define HOST_API __declspec(dllimport)
#  endif
#  if defined(VANTOREL_BUILDING_PLUGIN)
#    define PLUGIN_API __declspec(dllexport)
#  else
#    define PLUGIN_API
#  endif
#else
#  define HOST_API __attribute__((visibility("default")))
#  define PLUGIN_API __attribute__((visibility("default")))
#endif

// PLUGIN_INLINE_API marks each inline member of an exported class. MSVC
// exports every member of a dllexport class (and refuses a second mark on a
// member); GCC for Windows exports an inline member only when the member
// itself carries the mark.
#if defined(_WIN32) && defined(VANTOREL_BUILDING_PLUGIN) && !defined(_MSC_VER)
#  define PLUGIN_INLINE_API __declspec(dllexport)
#else
#  define PLUGIN_INLINE_API
#endif
