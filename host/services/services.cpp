#include "services/services.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "services/environment_expansion.h"
#include "widgets/input_box.h"
#include "widgets/menu.h"
#include "widgets/message_box.h"
#include "windows/help_viewer.h"

namespace {

HostServices* activeServices = nullptr;
const char kUserLanguage[] = "English";
const char kContentsTopic[] = "Contents";

std::string currentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : ".";
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* WINAPI serviceGetMsg(INT_PTR, int index) { return HostServices::active()->getMsg(index); }

int WINAPI serviceMessage(INT_PTR, DWORD, const char*, const char* const* items, int count, int buttons) {
    return HostServices::active()->message(items, count, buttons);
}

int WINAPI serviceMenu(INT_PTR, int x, int y, int maxHeight, DWORD flags, const char* title, const char* bottom,
                       const char* helpTopic, const int* breakKeys, int* breakCode, const FarMenuItem* items,
                       int count) {
    return HostServices::active()->menu(x, y, maxHeight, flags, title, bottom, helpTopic, breakKeys, breakCode, items,
                                        count);
}

int WINAPI serviceInputBox(const char* title, const char* prompt, const char*, const char* initial,
                           char* destination, int length, const char* helpTopic, DWORD flags) {
    return HostServices::active()->inputBox(title, prompt, initial, destination, length, helpTopic, flags);
}

int WINAPI serviceControl(HANDLE, int command, void* parameter) {
    return HostServices::active()->control(command, parameter);
}

int WINAPI serviceEditorControl(int command, void* parameter) {
    return HostServices::active()->editorControl(command, parameter);
}

INT_PTR WINAPI serviceAdvControl(INT_PTR, int command, void* parameter) {
    return HostServices::active()->advancedControl(command, parameter);
}

int WINAPI serviceEditor(const char* path, const char*, int, int, int, int, DWORD flags, int startLine, int startChar) {
    return HostServices::active()->editor(path, flags, startLine, startChar);
}

void WINAPI serviceText(int x, int y, int color, const char* text) { HostServices::active()->text(x, y, color, text); }

HANDLE WINAPI serviceSaveScreen(int x1, int y1, int x2, int y2) {
    return HostServices::active()->saveScreen(x1, y1, x2, y2);
}

void WINAPI serviceRestoreScreen(HANDLE screen) { HostServices::active()->restoreScreen(screen); }

BOOL WINAPI serviceShowHelp(const char* moduleName, const char* topic, DWORD flags) {
    return HostServices::active()->showHelp(moduleName ? moduleName : "", topic ? topic : "", flags);
}

}  // namespace

HostServices::HostServices(UiContext& ui, WindowList& windows, Panel& panel, WindowOwner& owner)
    : ui_(ui), windows_(windows), panel_(panel), owner_(owner) {
    activeServices = this;
}

HostServices::~HostServices() {
    releaseSavedScreens();
    if (activeServices == this) activeServices = nullptr;
}

HostServices* HostServices::active() { return activeServices; }

bool HostServices::setModule(const std::string& modulePath) {
    if (modulePath.size() >= NM) return false;
    modulePath_ = modulePath;
    moduleDirectory_ = directoryOf(modulePath);
    std::string languagePath = findLanguageFile(moduleDirectory_, ".lng", kUserLanguage);
    language_ = LanguageFile();
    if (!languagePath.empty()) loadLanguageFile(languagePath, language_);
    return true;
}

PluginStartupInfo HostServices::startupInfo() const {
    PluginStartupInfo info{};
    info.StructSize = sizeof info;
    std::memcpy(info.ModuleName, modulePath_.c_str(), std::min(modulePath_.size() + 1, sizeof info.ModuleName));
    info.ModuleNumber = kModuleNumber;
    info.RootKey = "";
    info.Menu = serviceMenu;
    info.Message = serviceMessage;
    info.GetMsg = serviceGetMsg;
    info.Control = serviceControl;
    info.SaveScreen = serviceSaveScreen;
    info.RestoreScreen = serviceRestoreScreen;
    info.Editor = serviceEditor;
    info.Text = serviceText;
    info.EditorControl = serviceEditorControl;
    info.ShowHelp = serviceShowHelp;
    info.AdvControl = serviceAdvControl;
    info.InputBox = serviceInputBox;
    return info;
}

int HostServices::viewerRows() { return std::max(ui_.display.height() - 2, 1); }

int HostServices::openViewer(const std::string& path, int line, int pos, std::string& error) {
    std::string name = normalizePath(path, currentDirectory());
    int position = windows_.find(name);
    if (position < 0) {
        std::unique_ptr<Viewer> viewer(new Viewer);
        if (!viewer->load(name, error)) return -1;
        position = windows_.open(std::move(viewer));
    }
    windows_.makeCurrent(position);
    windows_.viewerAt(position)->moveTo(line, pos);
    return position;
}

bool HostServices::showHelp(const std::string& location, const std::string& topic, DWORD flags) {
    std::string file;
    if (flags & FHELP_FARHELP) {
        file.clear();  // the host has no help of its own
    } else if (flags & FHELP_CUSTOMFILE) {
        file = location;
    } else {
        std::string directory = (flags & FHELP_CUSTOMPATH) ? location : directoryOf(location.empty() ? modulePath_ : location);
        file = findLanguageFile(directory, ".hlf", kUserLanguage);
    }
    HelpFile help;
    std::string wanted = topic.empty() ? kContentsTopic : topic;
    bool loaded = !file.empty() && loadHelpFile(file, help);
    if (loaded && !help.find(wanted) && (flags & FHELP_USECONTENTS)) wanted = kContentsTopic;
    if (loaded && runHelpViewer(ui_, help, wanted)) return true;
    if (!(flags & FHELP_NOSHOWERROR)) {
        std::string text = loaded ? "Help topic not found: " + wanted : "No help file found";
        runMessageBox(ui_, {"Help", text, "Ok"}, 1);
    }
    return false;
}

const char* HostServices::getMsg(int index) const {
    if (index < 0 || index >= static_cast<int>(language_.messages.size())) return nullptr;
    return language_.messages[index].c_str();
}

int HostServices::message(const char* const* items, int count, int buttons) {
    if (!items || count <= 0) return -1;
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(items[i] ? items[i] : "");
    return runMessageBox(ui_, texts, buttons);
}

int HostServices::menu(int x, int y, int maxHeight, DWORD flags, const char* title, const char* bottom,
                       const char* helpTopic, const int* breakKeys, int* breakCode, const FarMenuItem* items,
                       int count) {
    MenuRequest request;
    request.x = x;
    request.y = y;
    request.maxHeight = maxHeight;
    request.flags = flags;
    request.title = title ? title : "";
    request.bottom = bottom ? bottom : "";
    request.helpTopic = helpTopic ? helpTopic : "";
    for (int i = 0; breakKeys && breakKeys[i] != 0; ++i) request.breakKeys.push_back(breakKeys[i]);
    for (int i = 0; items && i < count; ++i) {
        MenuEntry entry;
        entry.text.assign(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text));
        entry.selected = items[i].Selected != 0;
        entry.checked = items[i].Checked != 0;
        entry.separator = items[i].Separator != 0;
        request.entries.push_back(entry);
    }
    Menu shown(ui_, request);
    MenuResult result = shown.run();
    while (result.helpAsked) {
        showHelp("", request.helpTopic, 0);
        result = shown.run();
    }
    if (breakCode) *breakCode = result.breakCode;
    return result.index;
}

int HostServices::inputBox(const char* title, const char* prompt, const char* initial, char* destination, int length,
                           const char* helpTopic, DWORD flags) {
    if (!destination || length <= 0) return 0;
    InputRequest request;
    request.title = title ? title : "";
    request.prompt = prompt ? prompt : "";
    request.initialText = initial ? initial : "";
    request.helpTopic = helpTopic ? helpTopic : "";
    request.maxLength = length - 1;
    request.flags = flags;
    InputBox box(ui_, request);
    InputResult result = box.run();
    while (result == InputResult::HelpAsked) {
        showHelp("", request.helpTopic, 0);
        result = box.run();
    }
    if (result != InputResult::Confirmed) return 0;
    std::string answer = box.text();
    if (flags & FIB_EXPANDENV) answer = expandEnvironmentReferences(answer);
    size_t copied = std::min(answer.size(), static_cast<size_t>(length - 1));
    std::memcpy(destination, answer.data(), copied);
    destination[copied] = 0;
    return 1;
}

int HostServices::control(int command, void* parameter) {
    if (command != FCTL_GETPANELINFO || !parameter) return 0;
    panel_.fillPanelInfo(*static_cast<PanelInfo*>(parameter));
    return 1;
}

int HostServices::editorControl(int command, void* parameter) {
    Viewer* viewer = windows_.currentViewer();
    if (!viewer) return 0;
    switch (command) {
        case ECTL_GETINFO:
            if (!parameter) return 0;
            viewer->fillEditorInfo(*static_cast<EditorInfo*>(parameter), ui_.display.width(), viewerRows());
            return 1;
        case ECTL_SETPOSITION:
            if (!parameter) return 0;
            viewer->applyPosition(*static_cast<EditorSetPosition*>(parameter), ui_.display.width(), viewerRows());
            return 1;
        case ECTL_REDRAW:
            owner_.drawCurrentWindow();
            ui_.display.requestFlush();
            return 1;
        case ECTL_SAVEFILE: {
            const EditorSaveFile* save = static_cast<const EditorSaveFile*>(parameter);
            // The viewer's own file is always as shown: saving it under its name succeeds.
            if (!save || save->FileName[0] == 0) return 1;
            std::string name(save->FileName, strnlen(save->FileName, sizeof save->FileName));
            return viewer->saveAs(normalizePath(name, currentDirectory()), save->FileEOL) ? 1 : 0;
        }
        case ECTL_QUIT:
            windows_.close(windows_.current());
            return 1;
        default:
            return 0;
    }
}

INT_PTR HostServices::advancedControl(int command, void* parameter) {
    switch (command) {
        case ACTL_GETWINDOWCOUNT:
            return windows_.count();
        case ACTL_GETWINDOWINFO:
            if (!parameter) return 0;
            return windows_.describe(*static_cast<WindowInfo*>(parameter), panel_.directory()) ? 1 : 0;
        case ACTL_SETCURRENTWINDOW:
            return windows_.requestSwitch(static_cast<int>(reinterpret_cast<INT_PTR>(parameter))) ? 1 : 0;
        case ACTL_COMMIT:
            if (windows_.commit()) owner_.drawCurrentWindow();
            return 1;
        default:
            return 0;
    }
}

int HostServices::editor(const char* path, DWORD flags, int startLine, int startChar) {
    if (!path || !*path) return EEC_OPEN_ERROR;
    // The start line and character count from 1, as the user reads them.
    int line = startLine > 0 ? startLine - 1 : 0;
    int pos = startChar > 0 ? startChar - 1 : 0;
    std::string error;
    int position = openViewer(path, line, pos, error);
    if (position < 0) {
        runMessageBox(ui_, {"Editor", std::string("Cannot open ") + path, error, "Ok"}, 1);
        return EEC_OPEN_ERROR;
    }
    owner_.drawCurrentWindow();
    if (!(flags & EF_NONMODAL)) owner_.runModalViewer(position);
    return EEC_NOT_MODIFIED;
}

void HostServices::text(int x, int y, int color, const char* text) {
    if (!text) {
        // The end of a drawing pass.
        applyPendingResize(ui_);
        ui_.display.requestFlush();
        return;
    }
    ui_.display.text(x, y, static_cast<uint8_t>(color & 0xFF), text, static_cast<int>(std::strlen(text)));
}

HANDLE HostServices::saveScreen(int x1, int y1, int x2, int y2) {
    ScreenSnapshot* snapshot = new ScreenSnapshot(ui_.display.save(x1, y1, x2, y2));
    savedScreens_.insert(snapshot);
    return snapshot;
}

void HostServices::restoreScreen(HANDLE screen) {
    if (!screen) {
        owner_.drawCurrentWindow();
        ui_.display.requestFlush();
        return;
    }
    ScreenSnapshot* snapshot = static_cast<ScreenSnapshot*>(screen);
    // Only handles we gave out, each once.
    if (savedScreens_.erase(snapshot) == 0) return;
    ui_.display.restore(*snapshot);
    delete snapshot;
    ui_.display.requestFlush();
}

void HostServices::releaseSavedScreens() {
    for (ScreenSnapshot* snapshot : savedScreens_) delete snapshot;
    savedScreens_.clear();
}
