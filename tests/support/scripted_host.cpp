#include "support/scripted_host.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "services/language_file.h"

namespace {

ScriptedHost* activeHost = nullptr;

// The process's current folder as the host reports it: on Windows in the narrow code page.
std::string currentFolder() {
#ifdef _WIN32
    char folder[NM] = {0};
    GetCurrentDirectoryA(NM, folder);
    return folder;
#else
    return std::filesystem::current_path().string();
#endif
}

const char* WINAPI hostGetMsg(INT_PTR, int index) { return ScriptedHost::current().getMessage(index); }

int WINAPI hostMessage(INT_PTR, DWORD, const char*, const char* const* items, int count, int) {
    return ScriptedHost::current().showMessageBox(items, count);
}

int WINAPI hostMenu(INT_PTR, int x, int y, int maxHeight, DWORD flags, const char* title, const char*,
                    const char* helpTopic, const int*, int*, const FarMenuItem* items, int count) {
    return ScriptedHost::current().showMenu(title, items, count, flags, maxHeight, x, y, helpTopic);
}

int WINAPI hostInputBox(const char* title, const char* prompt, const char* history, const char* initial,
                        char* destination, int length, const char*, DWORD flags) {
    return ScriptedHost::current().inputBox(title, prompt, history, initial, destination, length, flags);
}

int WINAPI hostControl(HANDLE, int command, void* parameter) {
    return ScriptedHost::current().control(command, parameter);
}

int WINAPI hostEditorControl(int command, void* parameter) {
    return ScriptedHost::current().editorControl(command, parameter);
}

INT_PTR WINAPI hostAdvControl(INT_PTR, int command, void* parameter) {
    return ScriptedHost::current().advancedControl(command, parameter);
}

int WINAPI hostEditor(const char* path, const char*, int, int, int, int, DWORD flags, int line, int column) {
    return ScriptedHost::current().openEditor(path, line, column, flags);
}

void WINAPI hostText(int x, int y, int color, const char* text) { ScriptedHost::current().drawText(x, y, color, text); }

HANDLE WINAPI hostSaveScreen(int, int, int, int) { return ScriptedHost::current().saveScreen(); }

void WINAPI hostRestoreScreen(HANDLE screen) { ScriptedHost::current().restoreScreen(screen); }

BOOL WINAPI hostShowHelp(const char*, const char* topic, DWORD) {
    ScriptedHost::current().helpTopics.push_back(topic ? topic : "");
    return 1;
}

}  // namespace

ScriptedHost::ScriptedHost(int screenWidth, int screenHeight, const std::string& languageFile)
    : width(screenWidth), height(screenHeight) {
    characters.assign(height, std::string(width, ' '));
    attributes.assign(height, std::vector<int>(width, kUntouched));
    Window panels;
    panels.type = WTYPE_PANELS;
    panels.name = "Panels";
    windows.push_back(panels);
    LanguageFile language;
    if (loadLanguageFile(languageFile, language)) {
        for (const std::string& text : language.messages) messageTexts.emplace_back(text);
    }
    activeHost = this;
}

ScriptedHost::~ScriptedHost() {
    if (activeHost == this) activeHost = nullptr;
}

ScriptedHost& ScriptedHost::current() {
    if (!activeHost) throw std::logic_error("no scripted host");
    return *activeHost;
}

PluginStartupInfo ScriptedHost::startupInfo(const std::string& moduleName) const {
    PluginStartupInfo info{};
    info.StructSize = sizeof info;
    std::strncpy(info.ModuleName, moduleName.c_str(), sizeof info.ModuleName - 1);
    info.ModuleNumber = 7;
    info.Menu = hostMenu;
    info.Message = hostMessage;
    info.GetMsg = hostGetMsg;
    info.Control = hostControl;
    info.SaveScreen = hostSaveScreen;
    info.RestoreScreen = hostRestoreScreen;
    info.Editor = hostEditor;
    info.Text = hostText;
    info.EditorControl = hostEditorControl;
    info.ShowHelp = hostShowHelp;
    info.AdvControl = hostAdvControl;
    info.InputBox = hostInputBox;
    return info;
}

std::string ScriptedHost::message(int index) const {
    const char* text = getMessage(index);
    return text ? text : "";
}

std::vector<std::string> ScriptedHost::messageBoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : messageBoxes) texts.push_back(box.size() > 1 ? box[1] : "");
    return texts;
}

std::string ScriptedHost::rowText(int y) const {
    std::string text = row(y);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string ScriptedHost::shownMenuItem(const std::string& item, char* hotkey) {
    std::string shown;
    bool marked = false;
    for (size_t i = 0; i < item.size(); ++i) {
        if (!marked && item[i] == '&' && i + 1 < item.size()) {
            ++i;
            if (item[i] != '&') {
                marked = true;
                if (hotkey) *hotkey = item[i];
            }
        }
        shown += item[i];
    }
    if (!marked && hotkey) *hotkey = ' ';
    return shown;
}

std::string ScriptedHost::menuItemText(const std::string& item) {
    std::string shown = shownMenuItem(item);
    size_t blank = shown.find(' ');
    return blank == std::string::npos ? shown : shown.substr(blank + 1);
}

std::vector<std::string> ScriptedHost::shownTexts() const {
    std::vector<std::string> texts;
    for (const Menu& menu : menus) {
        texts.push_back(menu.title);
        texts.insert(texts.end(), menu.shownItems.begin(), menu.shownItems.end());
    }
    for (const InputBoxCall& box : inputBoxes) {
        texts.push_back(box.title);
        texts.push_back(box.prompt);
    }
    for (const std::vector<std::string>& box : messageBoxes) texts.insert(texts.end(), box.begin(), box.end());
    return texts;
}

const char* ScriptedHost::getMessage(int index) const {
    if (index < 0 || index >= static_cast<int>(messageTexts.size()) || !messageTexts[index]) return nullptr;
    return messageTexts[index]->c_str();
}

int ScriptedHost::showMessageBox(const char* const* items, int count) {
    std::vector<std::string> box;
    for (int i = 0; i < count; ++i) box.push_back(items[i] ? items[i] : "<null>");
    messageBoxes.push_back(box);
    if (messageAnswers.empty()) return 0;
    int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

int ScriptedHost::showMenu(const char* title, const FarMenuItem* items, int count, DWORD flags, int maxHeight, int x,
                           int y, const char* helpTopic) {
    Menu menu;
    menu.title = title ? title : "";
    menu.flags = flags;
    menu.maxHeight = maxHeight;
    menu.x = x;
    menu.y = y;
    menu.helpTopic = helpTopic ? helpTopic : "";
    for (int i = 0; i < count; ++i) {
        menu.items.emplace_back(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text));
        char hotkey = ' ';
        menu.shownItems.push_back(shownMenuItem(menu.items.back(), &hotkey));
        menu.hotkeys += hotkey;
        if (items[i].Selected) menu.selected = i;
    }
    menus.push_back(menu);
    if (menuAnswers.empty()) return -1;
    int answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

int ScriptedHost::inputBox(const char* title, const char* prompt, const char* history, const char* initial,
                           char* destination, int length, DWORD flags) {
    inputBoxes.push_back({title ? title : "", prompt ? prompt : "", history ? history : "", initial ? initial : "", flags,
                          length});
    if (inputAnswers.empty()) return 0;
    std::optional<std::string> answer = inputAnswers.front();
    inputAnswers.pop_front();
    if (!answer) return 0;
    std::strncpy(destination, answer->c_str(), length - 1);
    destination[length - 1] = 0;
    return 1;
}

int ScriptedHost::control(int command, void* parameter) {
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
    panelDirectory_ = currentFolder();
    std::strncpy(panel->CurDir, panelDirectory_.c_str(), NM - 1);
    return 1;
}

int ScriptedHost::editorControl(int command, void* parameter) {
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
            if (window.saveFails) return 0;
            window.modified = false;
            ++window.saves;
            return 1;
        default:
            return 0;
    }
}

INT_PTR ScriptedHost::advancedControl(int command, void* parameter) {
    switch (command) {
        case ACTL_GETWINDOWCOUNT:
            return static_cast<INT_PTR>(windows.size());
        case ACTL_GETWINDOWINFO: {
            WindowInfo* info = static_cast<WindowInfo*>(parameter);
            int position = info->Pos;
            if (position == -1) position = currentWindow;
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
            if (pendingWindow >= 0 && pendingWindow < static_cast<int>(windows.size())) {
                currentWindow = pendingWindow;
                windowSwitches.push_back(pendingWindow);
            }
            pendingWindow = -1;
            return 1;
        default:
            return 0;
    }
}

int ScriptedHost::openEditor(const char* path, int line, int column, DWORD flags) {
    editorOpens.push_back({path ? path : "", line, column, flags});
    Window editor;
    editor.type = WTYPE_EDITOR;
    editor.name = path ? path : "";
    windows.push_back(editor);
    currentWindow = static_cast<int>(windows.size()) - 1;
    return EEC_NOT_MODIFIED;
}

void ScriptedHost::drawText(int x, int y, int color, const char* text) {
    ++textCalls;
    if (!text) {
        ++flushes;
        if (onFlush) onFlush();
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

HANDLE ScriptedHost::saveScreen() {
    savedScreens.push_back(characters);
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(savedScreens.size()));
}

void ScriptedHost::restoreScreen(HANDLE screen) {
    ++restoredScreens;
    restoredHandles.push_back(screen);
    INT_PTR index = reinterpret_cast<INT_PTR>(screen);
    if (index >= 1 && index <= static_cast<INT_PTR>(savedScreens.size())) characters = savedScreens[index - 1];
}
