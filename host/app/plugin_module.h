#pragma once

#include <string>
#include <vector>

#include "far/plugin_api.h"

// The plug-in as the host sees it: a module loaded with dlopen and its four entry points.
class PluginModule {
public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Loads the module and finds its entry points; false with the reason otherwise.
    bool load(const std::string& path, std::string& error);
    void start(const PluginStartupInfo& info);
    // Asks the plug-in how it is offered (GetPluginInfo) and keeps a copy of the answer.
    void describe();
    void open(int openFrom, INT_PTR item);
    // ExitFAR, once.
    void exit();

    const std::vector<std::string>& menuStrings() const { return menuStrings_; }
    bool offeredInEditor() const { return flags_ & PF_EDITOR; }
    // The text OpenPlugin gets for a command line, or false when no prefix of ours starts it.
    bool routeCommandLine(const std::string& line, std::string& passed) const;

private:
    void* handle_ = nullptr;
    void(WINAPI* setStartupInfo_)(const PluginStartupInfo*) = nullptr;
    void(WINAPI* getPluginInfo_)(PluginInfo*) = nullptr;
    HANDLE(WINAPI* openPlugin_)(int, INT_PTR) = nullptr;
    void(WINAPI* exitFar_)() = nullptr;
    bool started_ = false;
    DWORD flags_ = 0;
    std::string prefixes_;
    std::vector<std::string> menuStrings_;
};

// Whether a command line starts with one of the colon-separated prefixes and a ':' (ignoring
// case and leading blanks); passed gets the whole line or, without PF_FULLCMDLINE, the text
// after the colon.
bool matchCommandPrefix(const std::string& prefixes, bool fullLine, const std::string& line, std::string& passed);
