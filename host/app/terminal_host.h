#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/plugin_module.h"
#include "services/services.h"
#include "terminal/display.h"
#include "terminal/terminal.h"
#include "widgets/edit_line.h"
#include "widgets/ui_context.h"
#include "windows/panel.h"
#include "windows/window_list.h"

struct HostOptions {
    std::string modulePath;      // absolute
    std::string initialCommand;  // run as if typed, once the screen is up
};

// `tinker` on the terminal: a file panel with a command line and a key bar, viewers, and the
// plug-in module behind the command-line prefixes and the plug-ins menus.
class TerminalHost : private WindowOwner {
public:
    TerminalHost();
    ~TerminalHost();
    TerminalHost(const TerminalHost&) = delete;
    TerminalHost& operator=(const TerminalHost&) = delete;
    // Runs until F10; the process exit code.
    int run(const HostOptions& options);

private:
    void drawCurrentWindow() override;
    void runModalViewer(int position) override;
    void drawPanelScreen(int width, int height);
    void handlePanelKey(const KeyEvent& key);
    void handleViewerKey(const KeyEvent& key);

    void execute(const std::string& line);
    void callPlugin(int openFrom, INT_PTR item);
    void showPluginsMenu(int openFrom);
    void showWindowsMenu();
    void showKeys();
    void showMessage(const std::string& title, const std::string& text);

    void enterDirectory(const std::string& name);
    void changeDirectory(const std::string& argument);
    void refreshPanel();
    void viewCurrentEntry();
    void editInExternalEditor();
    void runShellCommand(const std::string& command);
    // Hands the terminal over, runs the action, waits for a key when asked, and takes it back.
    void withTerminalReleased(bool waitForKey, const std::string& message, const std::function<void()>& action);

    Terminal terminal_;
    TerminalKeySource keys_;
    std::unique_ptr<Display> display_;
    std::unique_ptr<UiContext> ui_;
    std::unique_ptr<HostServices> services_;
    PluginModule module_;
    Panel panel_;
    WindowList windows_;
    EditLine commandLine_;
    std::vector<std::string> history_;
    int historyPosition_ = 0;
    bool quit_ = false;
};
