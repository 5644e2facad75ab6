#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "far/plugin_api.h"

// A host that plays FAR's part in tests: it records every service call the plug-in makes and
// answers from a script (menu choices, input-box texts, a window list, a panel). The Linux tests
// hand its services to the plug-in core linked in; the Windows cases to the real tinker.dll, so
// it uses nothing but the standard library and the host's interface.
class ScriptedHost {
public:
    struct Window {
        int type = WTYPE_PANELS;
        bool modified = false;
        std::string name;
        int totalLines = 100;
        int windowSizeY = 24;
        bool saveFails = false;
        int saves = 0;
    };
    struct Menu {
        std::string title;
        std::vector<std::string> items;
        // The items as FAR draws them, and each one's hotkey (' ' for none).
        std::vector<std::string> shownItems;
        std::string hotkeys;
        int selected = -1;
        DWORD flags = 0;
        int maxHeight = 0;
        int x = 0;
        int y = 0;
        std::string helpTopic;
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
    struct InputBoxCall {
        std::string title;
        std::string prompt;
        std::string history;
        std::string initial;
        DWORD flags = 0;
        int destLength = 0;
    };

    // The attribute of a cell no drawing has reached yet.
    static constexpr int kUntouched = -1;

    // A screen of this size; the language texts come from the module's language file.
    ScriptedHost(int width, int height, const std::string& languageFile);
    ~ScriptedHost();
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    static ScriptedHost& current();

    // The startup record for a module at this path, the services pointing at this host.
    PluginStartupInfo startupInfo(const std::string& moduleName) const;

    // Language texts (index -> text).
    std::vector<std::optional<std::string>> messageTexts;
    std::string message(int index) const;

    // Recorded calls and scripted answers.
    std::vector<std::vector<std::string>> messageBoxes;
    std::deque<int> messageAnswers;  // the button chosen; 0 when empty
    // The message boxes' texts (their second item).
    std::vector<std::string> messageBoxTexts() const;
    std::vector<Menu> menus;
    std::deque<int> menuAnswers;  // -1 (cancel) when empty
    std::vector<InputBoxCall> inputBoxes;
    std::deque<std::optional<std::string>> inputAnswers;  // cancel when empty
    std::vector<std::string> panelItems;
    int panelCurrent = 0;
    std::vector<Window> windows;  // position 0 is the panels
    int currentWindow = 0;
    int pendingWindow = -1;
    std::vector<int> windowSwitches;  // positions made current by a commit
    std::vector<EditorOpen> editorOpens;
    std::vector<Positioning> positionings;
    int redraws = 0;
    std::vector<std::string> helpTopics;

    // The screen the Text service draws into.
    int width;
    int height;
    std::vector<std::string> characters;
    std::vector<std::vector<int>> attributes;
    int flushes = 0;
    // Called at the end of every drawing pass, to look at the screen as it is then.
    std::function<void()> onFlush;
    int textCalls = 0;
    int textCallsOutside = 0;  // drawing on rows the screen does not have
    std::vector<std::vector<std::string>> savedScreens;
    int restoredScreens = 0;
    std::vector<HANDLE> restoredHandles;

    std::string row(int y) const { return characters.at(y); }
    int attributeAt(int x, int y) const { return attributes.at(y).at(x); }
    // The row without its trailing blanks.
    std::string rowText(int y) const;
    // A menu item as FAR draws it: up to the first lone '&' "&&" is one '&'; that '&' is not
    // shown and marks the next character as the hotkey; after it the text shows as written.
    // Titles, prompts and messages FAR shows exactly as given.
    static std::string shownMenuItem(const std::string& item, char* hotkey = nullptr);
    // A menu item as shown, without its "n " number.
    static std::string menuItemText(const std::string& item);
    // Every text the host showed: menu titles and items as drawn, input-box titles and prompts,
    // message boxes.
    std::vector<std::string> shownTexts() const;

    // Services, as the plug-in calls them.
    const char* getMessage(int index) const;
    int showMessageBox(const char* const* items, int count);
    int showMenu(const char* title, const FarMenuItem* items, int count, DWORD flags, int maxHeight, int x, int y,
                 const char* helpTopic);
    int inputBox(const char* title, const char* prompt, const char* history, const char* initial, char* destination,
                 int length, DWORD flags);
    int control(int command, void* parameter);
    int editorControl(int command, void* parameter);
    INT_PTR advancedControl(int command, void* parameter);
    int openEditor(const char* path, int line, int column, DWORD flags);
    void drawText(int x, int y, int color, const char* text);
    HANDLE saveScreen();
    void restoreScreen(HANDLE screen);

private:
    std::vector<PluginPanelItem> panelRecords_;
    std::string panelDirectory_;
};
