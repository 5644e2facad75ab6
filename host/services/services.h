#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "far/plugin_api.h"
#include "services/language_file.h"
#include "services/window_owner.h"
#include "widgets/ui_context.h"
#include "windows/help_file.h"
#include "windows/panel.h"
#include "windows/window_list.h"

// The host's side of the service table: what each service the plug-in calls does on the
// terminal host's screen, panel and windows. One instance is active at a time; the table's
// functions reach it through active().
class HostServices {
public:
    static const INT_PTR kModuleNumber = 1;

    HostServices(UiContext& ui, WindowList& windows, Panel& panel, WindowOwner& owner);
    ~HostServices();
    HostServices(const HostServices&) = delete;
    HostServices& operator=(const HostServices&) = delete;

    static HostServices* active();

    // The module's absolute path: its directory holds the language and help files.
    // False when the path does not fit the interface's ModuleName.
    bool setModule(const std::string& modulePath);
    PluginStartupInfo startupInfo() const;

    // Opens a viewer on the file at a 0-based line and position, or makes the one already
    // showing it current and moves it there; the window's position, -1 when it cannot be read.
    int openViewer(const std::string& path, int line, int pos, std::string& error);
    // Shows a help topic the way ShowHelp does (FHELP_* flags); false when there is none.
    bool showHelp(const std::string& location, const std::string& topic, DWORD flags);
    // Text rows of a viewer on the current screen (below its status line, above the key bar).
    int viewerRows();

    // The services.
    const char* getMsg(int index) const;
    int message(const char* const* items, int count, int buttons);
    int menu(int x, int y, int maxHeight, DWORD flags, const char* title, const char* bottom, const char* helpTopic,
             const int* breakKeys, int* breakCode, const FarMenuItem* items, int count);
    int inputBox(const char* title, const char* prompt, const char* initial, char* destination, int length,
                 const char* helpTopic, DWORD flags);
    int control(int command, void* parameter);
    int editorControl(int command, void* parameter);
    INT_PTR advancedControl(int command, void* parameter);
    int editor(const char* path, DWORD flags, int startLine, int startChar);
    void text(int x, int y, int color, const char* text);
    HANDLE saveScreen(int x1, int y1, int x2, int y2);
    void restoreScreen(HANDLE screen);

    // Releases every screen the plug-in saved and never restored.
    void releaseSavedScreens();

private:
    UiContext& ui_;
    WindowList& windows_;
    Panel& panel_;
    WindowOwner& owner_;
    std::string modulePath_;
    std::string moduleDirectory_;
    LanguageFile language_;
    std::set<ScreenSnapshot*> savedScreens_;
};
