#include "plugin/plugin_binding.h"

#include <cstring>

#include "session/build_session.h"
#include "config/configuration.h"
#include "foundation/bulk_memory.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "platform/platform.h"
#include "plugin/invocation_routes.h"
#include "xml/xml_reader.h"

namespace {

const char kConfigFileName[] = "tinker.xml";
const char kReloadFailedText[] = "Failed to load config!";
const int kCommandPrefixCapacity = 1024;

String configFile("");
uint64_t configFileTime = 0;
char commandPrefix[kCommandPrefixCapacity];
const char* pluginMenuStrings[1];
const char* pluginConfigStrings[1];

// The stored output's large blocks come from the platform, which may use large pages.
const BulkMemory kPlatformBulkMemory = {
    [](size_t size) { return platform().allocateLarge(size); },
    [](void* block, size_t size) { platform().releaseLarge(block, size); },
};

// Shows the loader's problems in message boxes, with the language file's texts.
class MessageBoxReporter : public ConfigurationReporter {
public:
    void report(ConfigurationProblem problem, const char* argument) override {
        const char* text = hostMessage(problem);
        if (!text || !argument) {
            ShowMessage(text);
            return;
        }
        ShowMessage(formatMessage(text, argument).text());
    }
};

// A changed (or vanished) configuration file is loaded again; false when that failed. Only an
// invocation reports a failed load: the host asks for the prefixes at any time, and the next
// invocation tries again and says why it cannot go on.
bool refreshConfiguration(bool reportLoadFailure) {
    uint64_t time = platform().fileLastWriteTime(configFile.text());
    if (time == configFileTime) return true;
    FreeConfiguration();
    if (!xmlLoadFile(configFile.text())) {
        if (reportLoadFailure) ShowMessage(kReloadFailedText);
        return false;
    }
    MessageBoxReporter reporter;
    BuildConfiguration(reporter);
    configFileTime = time;
    return true;
}

}  // namespace

void pluginStartup(const PluginStartupInfo& info) {
    bindHost(info);
    setBulkMemory(&kPlatformBulkMemory);
    configFile.assign("");
    if (!pluginDirectory().empty()) configFile.assign(pluginDirectory().concat(kConfigFileName));
    if (!xmlLoadFile(configFile.text())) {
        ShowMessage(hostMessage(MsgConfigLoadFailed));
        return;
    }
    MessageBoxReporter reporter;
    if (BuildConfiguration(reporter)) configFileTime = platform().fileLastWriteTime(configFile.text());
}

const char* announcedCommandPrefix() {
    String prefix("make");
    prefix.append(PrefixListForHost());
    // A prefix cut in the middle would be announced but never found: keep whole ones only, up
    // to the last separator that leaves the list short enough. One pass over what fits: the
    // list may hold tens of thousands of prefixes, and this runs at every call from the host.
    if (prefix.length() >= kCommandPrefixCapacity) {
        int lastSeparator = 0;
        for (int i = 0; i < kCommandPrefixCapacity; ++i) {
            if (prefix.text()[i] == ':') lastSeparator = i;
        }
        prefix.erase(lastSeparator, -1);
    }
    prefix.toLower();
    std::memcpy(commandPrefix, prefix.text(), prefix.length() + 1);
    return commandPrefix;
}

void pluginDescribe(PluginInfo& info) {
    // The prefixes announced are those of the file as it is now, so that one added while the
    // host runs is routed to the plug-in at once.
    refreshConfiguration(false);
    info.StructSize = sizeof(PluginInfo);
    info.Flags = PF_EDITOR | PF_FULLCMDLINE;
    info.DiskMenuStringsNumber = 0;
    pluginMenuStrings[0] = hostMessage(MsgPluginMenuEntry);
    info.PluginMenuStrings = pluginMenuStrings;
    info.PluginMenuStringsNumber = 1;
    pluginConfigStrings[0] = hostMessage(MsgConfigMenuEntry);
    info.PluginConfigStrings = pluginConfigStrings;
    info.PluginConfigStringsNumber = 1;
    info.CommandPrefix = announcedCommandPrefix();
}

void pluginOpen(int openFrom, INT_PTR item) {
    if (!refreshConfiguration(true)) return;
    routeInvocation(openFrom, item);
}

// The host unloads the module next: nothing of the session may be left behind.
void pluginExit() {
    FreeConfiguration();
    resetBuildSession();
}

void reportOutOfMemory() {
    try {
        ShowMessage(hostMessage(MsgOutOfMemory));
    } catch (...) {
    }
}
