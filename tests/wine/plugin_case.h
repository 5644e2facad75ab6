#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "far/plugin_api.h"
#include "screen_frame.h"
#include "support/scripted_host.h"
#include "system_call_recorder.h"
#include "test_console.h"

// The folder of the test programs, the module and its data files, ending in a backslash.
std::string programDirectory();
// The test child that writes known output, quoted for a command line.
std::string outputChild();

// One case's world: the real tinker.dll freshly loaded, its system calls recorded, the scripted
// host's service table, a fresh folder of its own (with the module's folder "plugin" inside), the
// console input the output window reads, and every frame the host was shown.
class PluginCase {
public:
    explicit PluginCase(const char* name);
    ~PluginCase();
    PluginCase(const PluginCase&) = delete;
    PluginCase& operator=(const PluginCase&) = delete;

    bool loaded() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }
    std::string path(const std::string& relative) const;  // under the case's folder
    std::string write(const std::string& relative, const std::string& bytes) const;
    std::string pluginDirectory() const { return path("plugin\\"); }
    std::string configPath() const { return path("plugin\\tinker.xml"); }
    void writeConfig(const std::string& xml) const { write("plugin\\tinker.xml", xml); }
    void enterDirectory(const std::string& relative) const;

    // The exports, as the host calls them.
    void start();
    PluginInfo describe();
    void openCommandLine(const std::string& text, const std::vector<INPUT_RECORD>& keys = {});
    void openFromPluginsMenu(int choice, const std::vector<INPUT_RECORD>& keys = {});
    void openFromEditor(int choice, const std::vector<INPUT_RECORD>& keys = {});
    void open(int openFrom, INT_PTR item, const std::vector<INPUT_RECORD>& keys);

    // Keys typed while the next call's build runs (the keys given to a call are typed when its
    // window first reads).
    std::vector<INPUT_RECORD> keysDuringBuild;
    // The keys given to the last call that its output window did not read (the closing Esc
    // that every call gets after its keys counts too).
    int keysLeft() const { return keysLeft_; }
    // The output as the plug-ins menu saves it, one entry per line.
    std::vector<std::string> savedOutput();
    // "E", "W" or "-" per row of the frame (classified as error, warning, or not), with "*"
    // for the highlighted row, for the first rows that hold text.
    std::vector<std::string> rowKinds(const ScreenFrame& frame, int rows) const;
    // The last frame drawn while exactly this many input records were waiting.
    const ScreenFrame* frameWithPending(int pending) const;

    // How far below a 16-byte boundary the stack is at each export's entry (0, 4, 8 or 12): the
    // host keeps it only 4-byte aligned.
    int stackSkew = 0;
    ScriptedHost host;
    ConsoleInput console;
    SystemCalls& calls;
    // The screen at the end of each drawing pass, and a look at each as it is taken.
    std::vector<ScreenFrame> frames;
    std::function<void(const ScreenFrame&)> onFrame;

private:
    void recordFrame();
    void typeDeferredKeys();

    std::string directory_;
    std::string startDirectory_;
    // Calls an export through the convention gate; a broken convention fails the case.
    std::uintptr_t callExport(const char* name, void* function, const std::vector<std::uintptr_t>& arguments);

    HMODULE module_ = nullptr;
    void* setStartupInfo_ = nullptr;
    void* getPluginInfo_ = nullptr;
    void* openPlugin_ = nullptr;
    void* exitFar_ = nullptr;
    int keysLeft_ = 0;
    std::vector<INPUT_RECORD> deferredKeys_;  // typed at the window's first read
};

// The colours the cases classify rows by: background 1, text 7, error 12, warning 14.
const int kPlainRow = 0x17;
const int kErrorRow = 0x1C;
const int kWarningRow = 0x1E;

// A configuration with the parser "wine" for "file:line:col: error|warning" lines and a file
// type for *.c files running the command; options and more file types may be added.
std::string configWith(const std::string& command, const std::string& options = "",
                       const std::string& moreTypes = "");
// The text escaped for an XML element or attribute.
std::string xmlEscaped(const std::string& text);
std::string readFile(const std::string& path);
FILETIME lastWriteTime(const std::string& path);
bool setLastWriteTime(const std::string& path, const FILETIME& time);
FILETIME secondsLater(const FILETIME& time, int seconds);
std::vector<std::string> splitLines(const std::string& text, const std::string& lineEnd);
