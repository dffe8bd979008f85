#include "cli/WizardCommand.h"

#include <CLI/CLI.hpp>
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "correction/LevelCorrector.h"
#include "platform/SystemInfo.h"
#include "plugin/Tavisko.h"

namespace tvk::cli {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

struct PluginExports {
  TVK_InitializeFn initialize = nullptr;
  TVK_AddFileFn addFile = nullptr;
  TVK_LaunchFn launch = nullptr;
  TVK_UninitializeFn uninitialize = nullptr;
};

// The four exports of the library at `path`; empty `error` on success. The library stays loaded for
// the rest of the process: Qt does not expect to be unloaded.
PluginExports LoadPlugin(const std::string& path, std::string& error) {
  PluginExports exports;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "cannot be loaded";
    return exports;
  }
  auto resolve = [handle, &error](const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr && error.empty()) error = std::string("it does not export ") + name;
    return symbol;
  };
  exports.initialize = reinterpret_cast<TVK_InitializeFn>(resolve("TVK_Initialize"));
  exports.addFile = reinterpret_cast<TVK_AddFileFn>(resolve("TVK_AddFile"));
  exports.launch = reinterpret_cast<TVK_LaunchFn>(resolve("TVK_Launch"));
  exports.uninitialize = reinterpret_cast<TVK_UninitializeFn>(resolve("TVK_Uninitialize"));
  return exports;
}

int RunWizard(const std::vector<std::string>& files) {
  // Checked before Qt is loaded: without a display server it would abort the process.
  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    std::cerr << "tavisko: the wizard needs a display (" << missing
              << "); run it on a desktop, under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }
  const std::string path = PluginPath();
  std::string error;
  const PluginExports plugin = LoadPlugin(path, error);
  if (!error.empty()) {
    std::cerr << "tavisko: cannot load the plug-in " << path << ": " << error << '\n';
    return 1;
  }
  if (plugin.initialize() != 1) {
    std::cerr << "tavisko: the wizard could not be created\n";
    return 1;
  }
  for (const std::string& file : files) {
    const std::u16string wide = Utf8ToUtf16(file);
    if (plugin.addFile(wide.c_str()) == 1) continue;
    std::string reason;
    CheckLogFile(file, reason);
    std::cout << file << ": " << (reason.empty() ? "refused" : reason) << '\n';
  }
  plugin.launch();
  plugin.uninitialize();
  return 0;
}

}  // namespace

std::string PluginPath() {
  if (std::string fromEnv = Env("TAVISKO_PLUGIN"); !fromEnv.empty()) return fromEnv;
  const std::string folder = GetFolderPart(platform::ExecutablePath());
  const std::string beside = CombinePath(folder, "libtavisko.so");
  // Installed, the module lies in the library folder beside the executable's folder.
  std::error_code ec;
  const std::string installed = CombinePath(CombinePath(folder, TAVISKO_PLUGIN_FROM_BIN), "libtavisko.so");
  return !std::filesystem::exists(beside, ec) && std::filesystem::exists(installed, ec) ? installed : beside;
}

std::string MissingDisplay() {
  const std::string platform = Env("QT_QPA_PLATFORM");
  const bool hasX = !Env("DISPLAY").empty();
  const bool hasWayland = !Env("WAYLAND_DISPLAY").empty();
  if (platform.empty()) return hasX || hasWayland ? "" : "DISPLAY and WAYLAND_DISPLAY are not set";
  if (platform.rfind("xcb", 0) == 0 && !hasX) return "DISPLAY is not set";
  if (platform.rfind("wayland", 0) == 0 && !hasWayland) return "WAYLAND_DISPLAY is not set";
  return "";
}

void AddWizardCommand(CLI::App& app, int& status) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* command = app.add_subcommand("wizard", "Open the correction wizard through the plug-in, as a host does");
  command->add_option("FILE", *files, "Log files (.vxl) to correct; none lists the logs of the Site Data folder");
  command->callback([files, &status] { status = RunWizard(*files); });
}

}  // namespace tvk::cli
