#pragma once

// The plugin module of the page's program, linked into it: WebAssembly
// loads no code at run time. The host still reaches the plugin only as it
// reaches a module it loads, through its record `exports` (see
// simhost/LinkedModules.h).

namespace vantorel_web {

// The file name the page's hosts load the plugin by: the one vantorel-sim
// loads by default, beside itself.
extern const char kPluginFile[];

// Makes the linked plugin module openable under kPluginFile. Once, before
// any host loads it.
void LinkPlugin();

}  // namespace vantorel_web
