#include "wine_host.h"

#include <cstring>
#include <stdexcept>

#include "services/language_file.h"

namespace {

WineHost* activeHost = nullptr;

// The host's attribute of a cell no drawing has reached yet.
const int kUntouched = -1;

const char* WINAPI serviceGetMsg(INT_PTR, int index) { return WineHost::current().getMessage(index); }

int WINAPI serviceMessage(INT_PTR, DWORD, const char*, const char* const* items, int count, int) {
    return WineHost::current().showMessageBox(items, count);
}

int WINAPI serviceMenu(INT_PTR, int, int, int, DWORD, const char* title, const char*, const char*, const int*,
                       int*, const FarMenuItem* items, int count) {
    return WineHost::current().showMenu(title, items, count);
}

int WINAPI serviceInputBox(const char* title, const char*, const char*, const char*, char* destination, int length,
                           const char*, DWORD) {
    return WineHost::current().inputBox(title, destination, length);
}

int WINAPI serviceControl(HANDLE, int command, void* parameter) {
    return WineHost::current().control(command, parameter);
}

int WINAPI serviceEditorControl(int command, void* parameter) {
    return WineHost::current().editorControl(command, parameter);
}

INT_PTR WINAPI serviceAdvControl(INT_PTR, int command, void* parameter) {
    return WineHost::current().advancedControl(command, parameter);
}

int WINAPI serviceEditor(const char* path, const char*, int, int, int, int, DWORD flags, int line, int column) {
    return WineHost::current().openEditor(path, line, column, flags);
}

void WINAPI serviceText(int x, int y, int color, const char* text) { WineHost::current().drawText(x, y, color, text); }

HANDLE WINAPI serviceSaveScreen(int, int, int, int) { return WineHost::current().saveScreen(); }

void WINAPI serviceRestoreScreen(HANDLE screen) { WineHost::current().restoreScreen(screen); }

BOOL WINAPI serviceShowHelp(const char*, const char* topic, DWORD) {
    WineHost::current().helpTopics.push_back(topic ? topic : "");
    return TRUE;
}

}  // namespace

std::string ScreenFrame::rowText(int y) const {
    std::string text = characters.at(y);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

WineHost::WineHost(int screenWidth, int screenHeight, const std::string& languageFile)
    : width(screenWidth), height(screenHeight) {
    characters.assign(height, std::string(width, ' '));
    attributes.assign(height, std::vector<int>(width, kUntouched));
    Window panels;
    panels.name = "Panels";
    windows.push_back(panels);
    LanguageFile language;
    if (loadLanguageFile(languageFile, language)) {
        for (const std::string& text : language.messages) messageTexts.emplace_back(text);
    }
    activeHost = this;
}

WineHost::~WineHost() {
    if (activeHost == this) activeHost = nullptr;
}

WineHost& WineHost::current() {
    if (!activeHost) throw std::logic_error("no host");
    return *activeHost;
}

PluginStartupInfo WineHost::startupInfo(const std::string& moduleName) const {
    PluginStartupInfo info;
    std::memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    std::strncpy(info.ModuleName, moduleName.c_str(), sizeof info.ModuleName - 1);
    info.ModuleNumber = 3;
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

std::string WineHost::message(int index) const {
    const char* text = getMessage(index);
    return text ? text : "";
}

std::vector<std::string> WineHost::messageBoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : messageBoxes) texts.push_back(box.size() > 1 ? box[1] : "");
    return texts;
}

const char* WineHost::getMessage(int index) const {
    if (index < 0 || index >= static_cast<int>(messageTexts.size()) || !messageTexts[index]) return nullptr;
    return messageTexts[index]->c_str();
}

int WineHost::showMessageBox(const char* const* items, int count) {
    std::vector<std::string> box;
    for (int i = 0; i < count; ++i) box.push_back(items[i] ? items[i] : "<null>");
    messageBoxes.push_back(box);
    return 0;
}

int WineHost::showMenu(const char* title, const FarMenuItem* items, int count) {
    Menu menu;
    menu.title = title ? title : "";
    for (int i = 0; i < count; ++i) menu.items.emplace_back(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text));
    menus.push_back(menu);
    if (menuAnswers.empty()) return -1;
    int answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

int WineHost::inputBox(const char* title, char* destination, int length) {
    inputBoxTitles.push_back(title ? title : "");
    if (inputAnswers.empty()) return 0;
    std::strncpy(destination, inputAnswers.front().c_str(), length - 1);
    destination[length - 1] = 0;
    inputAnswers.pop_front();
    return 1;
}

int WineHost::control(int command, void* parameter) {
    if (command != FCTL_GETPANELINFO) return 0;
    PanelInfo* panel = static_cast<PanelInfo*>(parameter);
    std::memset(panel, 0, sizeof *panel);
    panelRecords_.assign(panelItems.size(), PluginPanelItem{});
    for (size_t i = 0; i < panelItems.size(); ++i) {
        std::strncpy(panelRecords_[i].FindData.cFileName, panelItems[i].c_str(), MAX_PATH - 1);
    }
    panel->PanelItems = panelRecords_.empty() ? nullptr : panelRecords_.data();
    panel->ItemsNumber = static_cast<int>(panelRecords_.size());
    panel->CurrentItem = panelCurrent;
    GetCurrentDirectoryA(NM, panel->CurDir);
    return 1;
}

int WineHost::editorControl(int command, void* parameter) {
    if (currentWindow < 0 || currentWindow >= static_cast<int>(windows.size())) return 0;
    Window& window = windows[currentWindow];
    if (window.type != WTYPE_EDITOR) return 0;
    switch (command) {
        case ECTL_GETINFO: {
            EditorInfo* info = static_cast<EditorInfo*>(parameter);
            std::memset(info, 0, sizeof *info);
            info->FileName = window.name.c_str();
            info->WindowSizeY = window.windowSizeY;
            info->TotalLines = window.totalLines;
            return 1;
        }
        case ECTL_SETPOSITION:
            positionings.push_back({window.name, *static_cast<EditorSetPosition*>(parameter)});
            return 1;
        case ECTL_REDRAW:
            ++redraws;
            return 1;
        case ECTL_SAVEFILE:
            window.modified = false;
            ++window.saves;
            return 1;
        default:
            return 0;
    }
}

INT_PTR WineHost::advancedControl(int command, void* parameter) {
    switch (command) {
        case ACTL_GETWINDOWCOUNT:
            return static_cast<INT_PTR>(windows.size());
        case ACTL_GETWINDOWINFO: {
            WindowInfo* info = static_cast<WindowInfo*>(parameter);
            int position = info->Pos == -1 ? currentWindow : info->Pos;
            if (position < 0 || position >= static_cast<int>(windows.size())) return 0;
            const Window& window = windows[position];
            std::memset(info, 0, sizeof *info);
            info->Pos = position;
            info->Type = window.type;
            info->Modified = window.modified;
            info->Current = position == currentWindow;
            std::strncpy(info->Name, window.name.c_str(), NM - 1);
            return 1;
        }
        case ACTL_SETCURRENTWINDOW:
            pendingWindow = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
            return 1;
        case ACTL_COMMIT:
            if (pendingWindow >= 0 && pendingWindow < static_cast<int>(windows.size())) currentWindow = pendingWindow;
            pendingWindow = -1;
            return 1;
        default:
            return 0;
    }
}

int WineHost::openEditor(const char* path, int line, int column, DWORD flags) {
    editorOpens.push_back({path ? path : "", line, column, flags});
    Window editor;
    editor.type = WTYPE_EDITOR;
    editor.name = path ? path : "";
    windows.push_back(editor);
    currentWindow = static_cast<int>(windows.size()) - 1;
    return EEC_NOT_MODIFIED;
}

void WineHost::drawText(int x, int y, int color, const char* text) {
    if (!text) {
        ScreenFrame frame;
        frame.pendingInput = pendingInput ? pendingInput() : 0;
        frame.characters = characters;
        frame.attributes = attributes;
        frames.push_back(frame);
        if (onFlush) onFlush(frames.back());
        return;
    }
    if (y < 0 || y >= height) {
        ++textCallsOutside;
        return;
    }
    for (int i = 0; text[i] && x + i < width; ++i) {
        if (x + i < 0) continue;
        characters[y][x + i] = text[i];
        attributes[y][x + i] = color;
    }
}

HANDLE WineHost::saveScreen() {
    ++savedScreens;
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(savedScreens));
}

void WineHost::restoreScreen(HANDLE) { ++restoredScreens; }
