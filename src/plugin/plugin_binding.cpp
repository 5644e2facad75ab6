#include "plugin/plugin_binding.h"

#include <cctype>
#include <cstring>

#include "far/host_services.h"
#include "far/message_index.h"
#include "platform/platform.h"

namespace {

const char kConfigFileName[] = "tinker.xml";
const int kCommandPrefixCapacity = 1024;

String configFile;
uint64_t configFileTime = 0;
char commandPrefix[kCommandPrefixCapacity];
const char* pluginMenuStrings[1];
const char* pluginConfigStrings[1];

}  // namespace

void pluginStartup(const PluginStartupInfo& info) {
    bindHost(info);
    configFile.assign("");
    if (!pluginDirectory().empty()) configFile.assign(pluginDirectory().concat(kConfigFileName));
    configFileTime = platform().fileLastWriteTime(configFile.text());
}

const char* announcedCommandPrefix() {
    String prefix("make");
    // A cut prefix would be announced but never found: keep whole prefixes only.
    if (prefix.length() >= kCommandPrefixCapacity) prefix.erase(prefix.find(":", 1, 0), -1);
    prefix.toLower();
    std::memcpy(commandPrefix, prefix.text(), prefix.length() + 1);
    return commandPrefix;
}

void pluginDescribe(PluginInfo& info) {
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

void pluginOpen(int, INT_PTR) {}

void pluginExit() {}

void reportOutOfMemory() {
    try {
        ShowMessage(hostMessage(MsgOutOfMemory));
    } catch (...) {
    }
}
