#include "plugin_case.h"

#include "hang_guard.h"
#include "stdcall_gate.h"
#include "wine_check.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

void* findExport(HMODULE module, const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }

// Bytes after the record the module fills: GetPluginInfo must leave them alone.
const size_t kGuardBytes = 64;
const unsigned char kGuardByte = 0xA5;

std::string currentDirectory() {
    char directory[MAX_PATH + 1] = {0};
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

}  // namespace

std::string programDirectory() {
    char self[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string outputChild() { return "\"" + programDirectory() + "output_child.exe\""; }

PluginCase::PluginCase(const char* name)
    : host(consoleSize().X, consoleSize().Y, programDirectory() + "tinker.lng"), calls(recordedSystemCalls()) {
    directory_ = programDirectory() + "cases\\" + name;
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    std::filesystem::create_directories(directory_ + "\\plugin");
    startDirectory_ = currentDirectory();
    host.onFlush = [this] { recordFrame(); };
    console.discard();
    module_ = LoadLibraryA((programDirectory() + "tinker.dll").c_str());
    if (!module_) return;
    setStartupInfo_ = findExport(module_, "SetStartupInfo");
    getPluginInfo_ = findExport(module_, "GetPluginInfo");
    openPlugin_ = findExport(module_, "OpenPlugin");
    exitFar_ = findExport(module_, "ExitFAR");
    if (!setStartupInfo_ || !getPluginInfo_ || !openPlugin_ || !exitFar_ || !recordSystemCalls(module_)) {
        FreeLibrary(module_);
        module_ = nullptr;
        return;
    }
    calls.beforeConsoleRead = [this] { typeDeferredKeys(); };
}

PluginCase::~PluginCase() {
    calls.beforeConsoleRead = nullptr;
    if (module_) {
        callExport("ExitFAR", exitFar_, {});
        FreeLibrary(module_);
    }
    SetCurrentDirectoryA(startDirectory_.c_str());
    console.discard();
}

void PluginCase::recordFrame() {
    ScreenFrame frame;
    frame.pendingInput = console.pending() + static_cast<int>(deferredKeys_.size());
    frame.characters = host.characters;
    frame.attributes = host.attributes;
    frames.push_back(frame);
    if (onFrame) onFrame(frames.back());
}

std::string PluginCase::path(const std::string& relative) const { return directory_ + "\\" + relative; }

std::string PluginCase::write(const std::string& relative, const std::string& bytes) const {
    std::string file = path(relative);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << bytes;
    return file;
}

void PluginCase::enterDirectory(const std::string& relative) const {
    std::filesystem::create_directories(path(relative));
    SetCurrentDirectoryA(path(relative).c_str());
}

void PluginCase::start() {
    if (!module_) return;
    PluginStartupInfo info = host.startupInfo(pluginDirectory() + "tinker.dll");
    callExport("SetStartupInfo", setStartupInfo_, {reinterpret_cast<std::uintptr_t>(&info)});
}

PluginInfo PluginCase::describe() {
    std::vector<unsigned char> record(sizeof(PluginInfo) + kGuardBytes, kGuardByte);
    std::memset(record.data(), 0, sizeof(PluginInfo));
    if (module_) callExport("GetPluginInfo", getPluginInfo_, {reinterpret_cast<std::uintptr_t>(record.data())});
    size_t untouchedAfterRecord = 0;
    while (untouchedAfterRecord < kGuardBytes && record[sizeof(PluginInfo) + untouchedAfterRecord] == kGuardByte) {
        ++untouchedAfterRecord;
    }
    CHECK_EQ(untouchedAfterRecord, kGuardBytes);
    PluginInfo info;
    std::memcpy(&info, record.data(), sizeof info);
    return info;
}

std::uintptr_t PluginCase::callExport(const char* name, void* function, const std::vector<std::uintptr_t>& arguments) {
    GateCall call = callThroughGate(function, arguments, stackSkew);
    if (!call.broken.empty()) {
        recordCheck(false, __FILE__, __LINE__, std::string(name) + " broke the convention: " + call.broken);
    }
    return call.result;
}

void PluginCase::open(int openFrom, INT_PTR item, const std::vector<INPUT_RECORD>& keys) {
    console.discard();
    // Keys waiting during a build are the build's to answer or drop: the window's keys come
    // when it reads.
    deferredKeys_ = keys;
    deferredKeys_.push_back(keyDown(VK_ESCAPE));
    if (!keysDuringBuild.empty()) console.write(keysDuringBuild);
    keysDuringBuild.clear();
    if (module_) {
        HangGuard guard;
        callExport("OpenPlugin", openPlugin_,
                   {static_cast<std::uintptr_t>(openFrom), static_cast<std::uintptr_t>(item)});
    }
    keysLeft_ = console.pending() + static_cast<int>(deferredKeys_.size());
    deferredKeys_.clear();
    console.discard();
}

void PluginCase::typeDeferredKeys() {
    // A read of a record already waiting is the build looking at the keys; the window's reads
    // wait for the keys.
    if (deferredKeys_.empty() || console.pending() > 0) return;
    console.write(deferredKeys_);
    deferredKeys_.clear();
}

void PluginCase::openCommandLine(const std::string& text, const std::vector<INPUT_RECORD>& keys) {
    open(OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>(text.c_str()), keys);
}

void PluginCase::openFromPluginsMenu(int choice, const std::vector<INPUT_RECORD>& keys) {
    host.menuAnswers.push_front(choice);
    open(OPEN_PLUGINSMENU, 0, keys);
}

void PluginCase::openFromEditor(int choice, const std::vector<INPUT_RECORD>& keys) {
    host.menuAnswers.push_front(choice);
    open(OPEN_EDITOR, 0, keys);
}

std::vector<std::string> PluginCase::savedOutput() {
    std::string file = path("saved-output.txt");
    DeleteFileA(file.c_str());
    host.inputAnswers.push_back(file);
    openFromPluginsMenu(4);
    // Saved in text mode: Windows line ends.
    return splitLines(readFile(file), "\r\n");
}

std::vector<std::string> PluginCase::rowKinds(const ScreenFrame& frame, int rows) const {
    std::vector<std::string> kinds;
    for (int y = 0; y < rows && y < static_cast<int>(frame.attributes.size()); ++y) {
        int attribute = frame.attributeAt(0, y);
        bool highlighted = (attribute & 0xF) == 1;
        if (highlighted) attribute = ((attribute & 0xF) << 4) | ((attribute >> 4) & 0xF);
        std::string kind = attribute == kErrorRow ? "E" : attribute == kWarningRow ? "W" : attribute == kPlainRow ? "-" : "?";
        kinds.push_back(highlighted ? kind + "*" : kind);
    }
    return kinds;
}

const ScreenFrame* PluginCase::frameWithPending(int pending) const {
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if (frame->pendingInput == pending) return &*frame;
    }
    return nullptr;
}

std::string configWith(const std::string& command, const std::string& options, const std::string& moreTypes) {
    return "<tinker-config>\n"
           "  <colors background='1' text='7' error='12' warning='14' numbers='11'/>\n"
           "  <options " + options + "/>\n"
           "  <parsers>\n"
           "    <wine>\n"
           "      <error pattern='/^(.+):(\\d+):(\\d+): error/' file='1' line='2' pos='3'/>\n"
           "      <warning pattern='/^(.+):(\\d+):(\\d+): warning/' file='1' line='2' pos='3'/>\n"
           "    </wine>\n"
           "  </parsers>\n"
           "  <types>\n"
           "    <filetype filename='/^(.*)\\.c$/'>\n"
           "      <command name='Run' parser='wine'>" + xmlEscaped(command) + "</command>\n"
           "    </filetype>\n" + moreTypes +
           "  </types>\n"
           "</tinker-config>\n";
}

std::string xmlEscaped(const std::string& text) {
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '\'': escaped += "&apos;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += ch; break;
        }
    }
    return escaped;
}

std::string readFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

FILETIME lastWriteTime(const std::string& path) {
    FILETIME time{};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return time;
    GetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return time;
}

bool setLastWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool done = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return done;
}

FILETIME secondsLater(const FILETIME& time, int seconds) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000u;
    return FILETIME{value.LowPart, value.HighPart};
}

std::vector<std::string> splitLines(const std::string& text, const std::string& lineEnd) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(lineEnd, start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + lineEnd.size();
    }
    return lines;
}
