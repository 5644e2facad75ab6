#include "app/plugin_module.h"

#include <dlfcn.h>
#include <strings.h>

#include <cstring>

PluginModule::~PluginModule() {
    // ExitFAR releases everything the module holds, so it can be unloaded after it.
    exit();
    if (handle_) dlclose(handle_);
}

bool PluginModule::load(const std::string& path, std::string& error) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error = reason ? reason : "cannot load " + path;
        return false;
    }
    setStartupInfo_ = reinterpret_cast<decltype(setStartupInfo_)>(dlsym(handle_, "SetStartupInfo"));
    getPluginInfo_ = reinterpret_cast<decltype(getPluginInfo_)>(dlsym(handle_, "GetPluginInfo"));
    openPlugin_ = reinterpret_cast<decltype(openPlugin_)>(dlsym(handle_, "OpenPlugin"));
    exitFar_ = reinterpret_cast<decltype(exitFar_)>(dlsym(handle_, "ExitFAR"));
    if (!setStartupInfo_ || !getPluginInfo_ || !openPlugin_) {
        error = path + " lacks the entry points SetStartupInfo, GetPluginInfo and OpenPlugin";
        dlclose(handle_);
        handle_ = nullptr;
        return false;
    }
    return true;
}

void PluginModule::start(const PluginStartupInfo& info) {
    if (!setStartupInfo_) return;
    setStartupInfo_(&info);
    started_ = true;
}

void PluginModule::describe() {
    if (!getPluginInfo_) return;
    PluginInfo info{};
    info.StructSize = sizeof info;
    getPluginInfo_(&info);
    flags_ = info.Flags;
    prefixes_ = info.CommandPrefix ? info.CommandPrefix : "";
    menuStrings_.clear();
    for (int i = 0; info.PluginMenuStrings && i < info.PluginMenuStringsNumber; ++i) {
        menuStrings_.push_back(info.PluginMenuStrings[i] ? info.PluginMenuStrings[i] : "");
    }
}

void PluginModule::open(int openFrom, INT_PTR item) {
    if (openPlugin_) openPlugin_(openFrom, item);
}

void PluginModule::exit() {
    if (started_ && exitFar_) exitFar_();
    started_ = false;
}

bool PluginModule::routeCommandLine(const std::string& line, std::string& passed) const {
    return matchCommandPrefix(prefixes_, flags_ & PF_FULLCMDLINE, line, passed);
}

bool matchCommandPrefix(const std::string& prefixes, bool fullLine, const std::string& line, std::string& passed) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    size_t colon = line.find(':', start);
    if (colon == std::string::npos || colon == start) return false;
    std::string prefix = line.substr(start, colon - start);
    size_t from = 0;
    while (from <= prefixes.size()) {
        size_t end = prefixes.find(':', from);
        std::string candidate = prefixes.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (!candidate.empty() && strcasecmp(candidate.c_str(), prefix.c_str()) == 0) {
            passed = fullLine ? line.substr(start) : line.substr(colon + 1);
            return true;
        }
        if (end == std::string::npos) break;
        from = end + 1;
    }
    return false;
}
