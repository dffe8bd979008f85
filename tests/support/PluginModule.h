#pragma once
// The plug-in module loaded as a host loads it, with its four exports; the including test defines
// TAVISKO_PLUGIN_PATH.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "plugin/Tavisko.h"

namespace tvk::test {

struct PluginModule {
  void* handle = nullptr;
  TVK_InitializeFn initialize = nullptr;
  TVK_AddFileFn addFile = nullptr;
  TVK_LaunchFn launch = nullptr;
  TVK_UninitializeFn uninitialize = nullptr;
};

// A failure of the test when the module or an export cannot be found.
inline PluginModule LoadPluginModule() {
  PluginModule plugin;
  plugin.handle = dlopen(TAVISKO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (plugin.handle == nullptr) {
    ADD_FAILURE() << dlerror();
    return plugin;
  }
  plugin.initialize = reinterpret_cast<TVK_InitializeFn>(dlsym(plugin.handle, "TVK_Initialize"));
  plugin.addFile = reinterpret_cast<TVK_AddFileFn>(dlsym(plugin.handle, "TVK_AddFile"));
  plugin.launch = reinterpret_cast<TVK_LaunchFn>(dlsym(plugin.handle, "TVK_Launch"));
  plugin.uninitialize = reinterpret_cast<TVK_UninitializeFn>(dlsym(plugin.handle, "TVK_Uninitialize"));
  EXPECT_TRUE(plugin.initialize && plugin.addFile && plugin.launch && plugin.uninitialize);
  return plugin;
}

}  // namespace tvk::test
