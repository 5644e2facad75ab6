#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "far/plugin_api.h"

// What the host showed at the end of one drawing pass, with the number of console input
// records still waiting then (which tells which key the window was about to read).
struct ScreenFrame {
    int pendingInput = 0;
    std::vector<std::string> characters;
    std::vector<std::vector<int>> attributes;

    std::string rowText(int y) const;  // without trailing blanks
    int attributeAt(int x, int y) const { return attributes.at(y).at(x); }
};

// The host's part in the Windows cases: its own service table handed to the real module.
// It records every call (message boxes, menus, drawing into a screen of cells, editors) and
// answers from a script (menu choices, input-box texts, a window list, a panel).
class WineHost {
public:
    struct Window {
        int type = WTYPE_PANELS;
        bool modified = false;
        std::string name;
        int totalLines = 100;
        int windowSizeY = 24;
        int saves = 0;
    };
    struct Menu {
        std::string title;
        std::vector<std::string> items;
    };
    struct EditorOpen {
        std::string path;
        int line = 0;
        int column = 0;
        DWORD flags = 0;
    };
    struct Positioning {
        std::string editor;
        EditorSetPosition place{};
    };

    WineHost(int width, int height, const std::string& languageFile);
    ~WineHost();
    WineHost(const WineHost&) = delete;
    WineHost& operator=(const WineHost&) = delete;
    static WineHost& current();

    PluginStartupInfo startupInfo(const std::string& moduleName) const;
    std::string message(int index) const;

    std::vector<std::optional<std::string>> messageTexts;
    std::vector<std::vector<std::string>> messageBoxes;
    std::vector<Menu> menus;
    std::deque<int> menuAnswers;  // cancel when empty
    std::vector<std::string> inputBoxTitles;
    std::deque<std::string> inputAnswers;  // cancel when empty
    std::vector<std::string> panelItems;
    int panelCurrent = 0;
    std::vector<Window> windows;  // position 0 is the panels
    int currentWindow = 0;
    int pendingWindow = -1;
    std::vector<EditorOpen> editorOpens;
    std::vector<Positioning> positionings;
    int redraws = 0;
    std::vector<std::string> helpTopics;

    int width;
    int height;
    std::vector<std::string> characters;
    std::vector<std::vector<int>> attributes;
    int textCallsOutside = 0;  // drawing on rows the console does not have
    std::vector<ScreenFrame> frames;
    std::function<int()> pendingInput;  // how many console input records wait
    std::function<void(const ScreenFrame&)> onFlush;
    int savedScreens = 0;
    int restoredScreens = 0;

    // The message boxes' texts (their second item).
    std::vector<std::string> messageBoxTexts() const;

    // Services, as the module calls them.
    const char* getMessage(int index) const;
    int showMessageBox(const char* const* items, int count);
    int showMenu(const char* title, const FarMenuItem* items, int count);
    int inputBox(const char* title, char* destination, int length);
    int control(int command, void* parameter);
    int editorControl(int command, void* parameter);
    INT_PTR advancedControl(int command, void* parameter);
    int openEditor(const char* path, int line, int column, DWORD flags);
    void drawText(int x, int y, int color, const char* text);
    HANDLE saveScreen();
    void restoreScreen(HANDLE screen);

private:
    std::vector<PluginPanelItem> panelRecords_;
};
