#include "fuzzed_plugin.h"

#include "session/build_session.h"
#include "config/configuration.h"
#include "plugin/plugin_exports.h"

FuzzedPlugin::FuzzedPlugin() : host(80, 25, std::string(TINKER_DATA_DIR) + "/tinker.lng") {
    // The configuration is made first so that it is destroyed last, after ExitFAR has freed it.
    configuration();
    platform.forcedRunResult = RunCompleted;
}

FuzzedPlugin::~FuzzedPlugin() {
    ExitFAR();
    resetBuildSession();
}

void FuzzedPlugin::writeConfiguration(const std::string& bytes) { directory.write("plugin/tinker.xml", bytes); }

void FuzzedPlugin::start() {
    PluginStartupInfo info = host.startupInfo(directory.path("plugin/tinker.so"));
    SetStartupInfo(&info);
}

void FuzzedPlugin::forgetHostRecords() {
    host.messageBoxes.clear();
    host.menus.clear();
    host.inputBoxes.clear();
    host.editorOpens.clear();
    host.positionings.clear();
    host.savedScreens.clear();
    host.restoredHandles.clear();
    host.helpTopics.clear();
    host.flushes = 0;
    host.textCalls = 0;
    host.redraws = 0;
    host.restoredScreens = 0;
    platform.commandsRun.clear();
    platform.titles.clear();
}

FuzzedPlugin& fuzzedPlugin() {
    static FuzzedPlugin plugin;
    return plugin;
}
