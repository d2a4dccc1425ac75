#include "LinkedPlugin.h"

#include "PluginExports.h"
#include "simhost/LinkedModules.h"

// The plugin module's exported record, as a loader would find it by name.
extern "C" PluginInfo exports;

namespace vantorel_web {

const char kPluginFile[] = VANTOREL_PLUGIN_FILE;

void LinkPlugin() { simhost::LinkModule(kPluginFile, &exports); }

}  // namespace vantorel_web
