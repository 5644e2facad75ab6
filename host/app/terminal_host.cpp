#include "app/terminal_host.h"

#include <langinfo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/shell_command.h"
#include "services/environment_expansion.h"
#include "widgets/frame.h"
#include "widgets/key_bar.h"
#include "widgets/menu.h"
#include "widgets/message_box.h"

namespace {

const uint8_t kCommandLineColor = 0x07;
const std::vector<std::string> kPanelKeys = {"Help", "", "View", "View", "", "", "", "", "", "Quit", "Plugins", "Screens"};
const std::vector<std::string> kViewerKeys = {"Help", "", "", "Editor", "", "", "", "", "", "Close", "Plugins", "Screens"};

std::string currentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "/";
}

std::string trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool terminalTakesUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

TerminalHost::TerminalHost() : keys_(terminal_) {}

TerminalHost::~TerminalHost() {
    // The plug-in goes first: it may still call services while it exits.
    module_.exit();
    services_.reset();
    ui_.reset();
    display_.reset();
    terminal_.restore();
}

int TerminalHost::run(const HostOptions& options) {
    if (!terminal_.open()) {
        std::fprintf(stderr, "tinker: there is no terminal to run on (the batch modes need none: tinker --help)\n");
        return 2;
    }
    std::string error;
    if (!module_.load(options.modulePath, error)) {
        std::fprintf(stderr, "tinker: %s\n", error.c_str());
        return 2;
    }
    terminal_.enterHostMode();
    ConsoleSize size = terminal_.size();
    display_.reset(new Display(size.width, size.height, terminalTakesUtf8(), terminal_));
    if (const char* log = std::getenv("TINKER_WRITE_LOG")) display_->recordWritesTo(std::fopen(log, "w"));
    display_->startFlushTimer();
    ui_.reset(new UiContext{*display_, keys_});
    services_.reset(new HostServices(*ui_, windows_, panel_, *this));
    if (!services_->setModule(options.modulePath)) {
        terminal_.restore();
        std::fprintf(stderr, "tinker: the module path is longer than the host interface allows (%d bytes)\n", NM - 1);
        return 2;
    }

    panel_.read(currentDirectory());
    drawCurrentWindow();
    display_->flush();
    module_.start(services_->startupInfo());
    module_.describe();
    if (!options.initialCommand.empty()) execute(options.initialCommand);

    while (!quit_) {
        drawCurrentWindow();
        KeyEvent key;
        KeyWait wait = waitForKey(*ui_, key);
        if (wait == KeyWait::Ended) break;
        if (wait == KeyWait::Resized) continue;
        if (windows_.currentViewer()) {
            handleViewerKey(key);
        } else {
            handlePanelKey(key);
        }
    }
    module_.exit();
    return 0;
}

void TerminalHost::drawCurrentWindow() {
    int width = display_->width();
    int height = display_->height();
    if (Viewer* viewer = windows_.currentViewer()) {
        int rows = services_->viewerRows();
        viewer->draw(*display_, width, rows);
        drawKeyBar(*display_, height - 1, width, kViewerKeys);
        int y = viewer->cursorScreenY();
        display_->setCursor(CursorState{y >= 1 && y <= rows, viewer->cursorScreenX(), y});
        return;
    }
    drawPanelScreen(width, height);
}

void TerminalHost::drawPanelScreen(int width, int height) {
    panel_.draw(*display_, 0, 0, width, std::max(height - 2, 1));
    int y = std::max(height - 2, 0);
    std::string prompt = panel_.directory() + ">";
    int room = std::max(width / 2, 8);
    if (static_cast<int>(prompt.size()) > room) prompt = "..." + prompt.substr(prompt.size() - room + 3);
    display_->fill(0, y, width, 1, kCommandLineColor);
    display_->text(0, y, kCommandLineColor, prompt);
    int promptWidth = std::min(static_cast<int>(prompt.size()), width - 1);
    int cursorX = commandLine_.draw(*display_, promptWidth, y, width - promptWidth, kCommandLineColor);
    drawKeyBar(*display_, height - 1, width, kPanelKeys);
    display_->setCursor(CursorState{true, cursorX, y});
}

void TerminalHost::handlePanelKey(const KeyEvent& key) {
    bool control = isControlPressed(key);
    int page = std::max(display_->height() - 6, 1);
    bool lineEmpty = commandLine_.text().empty();
    if (control) {
        switch (key.virtualKey) {
            case 'R': refreshPanel(); return;
            case 'O': withTerminalReleased(true, "", [] {}); return;
            case 'E':
            case 'X': {
                if (history_.empty()) return;
                int step = key.virtualKey == 'E' ? -1 : 1;
                historyPosition_ = std::max(std::min(historyPosition_ + step, static_cast<int>(history_.size())), 0);
                commandLine_.setText(historyPosition_ < static_cast<int>(history_.size()) ? history_[historyPosition_] : "");
                return;
            }
            case VK_PRIOR: enterDirectory(".."); return;
            default: break;
        }
    }
    switch (key.virtualKey) {
        case VK_F10: quit_ = true; return;
        case VK_F11: showPluginsMenu(OPEN_PLUGINSMENU); return;
        case VK_F12: showWindowsMenu(); return;
        case VK_F1: showKeys(); return;
        case VK_F3:
        case VK_F4: viewCurrentEntry(); return;
        case VK_ESCAPE: commandLine_.setText(""); return;
        case VK_UP: panel_.moveCursor(-1); return;
        case VK_DOWN: panel_.moveCursor(1); return;
        case VK_PRIOR: panel_.moveCursor(-page); return;
        case VK_NEXT: panel_.moveCursor(page); return;
        case VK_RETURN:
            if (!lineEmpty) {
                std::string line = commandLine_.text();
                commandLine_.setText("");
                execute(line);
            } else if (const PanelEntry* entry = panel_.currentEntry()) {
                if (entry->directory) enterDirectory(entry->name);
            }
            return;
        case VK_HOME:
        case VK_END:
            if (lineEmpty) {
                panel_.setCursor(key.virtualKey == VK_HOME ? 0 : static_cast<int>(panel_.entries().size()) - 1);
                return;
            }
            break;
        default:
            break;
    }
    commandLine_.handleKey(key);
}

void TerminalHost::handleViewerKey(const KeyEvent& key) {
    switch (key.virtualKey) {
        case VK_ESCAPE:
        case VK_F10: windows_.close(windows_.current()); return;
        case VK_F11: showPluginsMenu(OPEN_EDITOR); return;
        case VK_F12: showWindowsMenu(); return;
        case VK_F1: showKeys(); return;
        case VK_F4: editInExternalEditor(); return;
        default: break;
    }
    if (Viewer* viewer = windows_.currentViewer()) viewer->handleKey(key, services_->viewerRows());
}

void TerminalHost::runModalViewer(int position) {
    Viewer* viewer = windows_.viewerAt(position);
    if (!viewer) return;
    std::string path = viewer->path();
    while (!quit_) {
        int now = windows_.find(path);
        if (now < 0) return;
        windows_.makeCurrent(now);
        drawCurrentWindow();
        KeyEvent key;
        KeyWait wait = waitForKey(*ui_, key);
        if (wait == KeyWait::Ended) return;
        if (wait == KeyWait::Key) handleViewerKey(key);
    }
}

void TerminalHost::execute(const std::string& text) {
    std::string line = trim(text);
    if (line.empty()) return;
    history_.erase(std::remove(history_.begin(), history_.end(), line), history_.end());
    history_.push_back(line);
    historyPosition_ = static_cast<int>(history_.size());

    // The plug-in's prefixes follow its configuration, which may have changed since it was
    // last asked.
    module_.describe();
    std::string passed;
    if (module_.routeCommandLine(line, passed)) {
        callPlugin(OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>(passed.c_str()));
    } else if (line == "cd" || line.rfind("cd ", 0) == 0) {
        changeDirectory(trim(line.substr(2)));
    } else if (line == "exit") {
        quit_ = true;
    } else {
        runShellCommand(line);
    }
}

void TerminalHost::callPlugin(int openFrom, INT_PTR item) {
    drawCurrentWindow();
    // The plug-in draws over our screen and hides the cursor itself while it works.
    display_->setCursor(CursorState{});
    display_->flush();
    terminal_.allowInterrupt(true);
    module_.open(openFrom, item);
    terminal_.allowInterrupt(false);
    display_->forgetCursor();
    display_->flushPending();
    // The plug-in's prefixes and menus may have changed with its configuration, and the build
    // may have made files.
    module_.describe();
    refreshPanel();
}

void TerminalHost::showPluginsMenu(int openFrom) {
    if (openFrom == OPEN_EDITOR && !module_.offeredInEditor()) return;
    MenuRequest request;
    request.title = "Plugins";
    request.flags = FMENU_WRAPMODE;
    const std::vector<std::string>& strings = module_.menuStrings();
    for (size_t i = 0; i < strings.size(); ++i) {
        MenuEntry entry;
        entry.text = (i < 9 ? "&" + std::to_string(i + 1) + "  " : "   ") + strings[i];
        request.entries.push_back(entry);
    }
    if (request.entries.empty()) return;
    MenuResult result = runMenu(*ui_, request);
    if (result.index >= 0) callPlugin(openFrom, result.index);
}

void TerminalHost::showWindowsMenu() {
    MenuRequest request;
    request.title = "Screens";
    request.flags = FMENU_WRAPMODE;
    for (int position = 0; position < windows_.count(); ++position) {
        MenuEntry entry;
        std::string hotkey = position < 10 ? "&" + std::to_string(position) + "  " : "   ";
        Viewer* viewer = windows_.viewerAt(position);
        entry.text = hotkey + (viewer ? "Edit    " + viewer->path() : "Panels  " + panel_.directory());
        entry.selected = position == windows_.current();
        request.entries.push_back(entry);
    }
    MenuResult result = runMenu(*ui_, request);
    if (result.index >= 0) windows_.makeCurrent(result.index);
}

void TerminalHost::showKeys() {
    std::vector<std::string> lines = {
        "Panel",
        "Enter        run the command line, or enter the folder",
        "F3, F4       view the file under the cursor",
        "F11          plug-ins menu (Tinker)",
        "F12          switch between the panel and the viewers",
        "Ctrl+E/X     previous/next command      Esc   clear it",
        "Ctrl+O       show the terminal     Ctrl+R  read again",
        "F10          quit",
        "",
        "Viewer",
        "arrows, PgUp, PgDn, Home, End, Ctrl+Home, Ctrl+End",
        "F4           edit the file in $EDITOR at this line",
        "F11          editor plug-ins menu    Esc, F10  close",
    };
    size_t width = 0;
    for (const std::string& line : lines) width = std::max(width, line.size());
    std::vector<std::string> items = {"Keys"};
    // Padded to one width, the centred lines stay aligned.
    for (std::string line : lines) {
        line.resize(width, ' ');
        items.push_back(line);
    }
    items.push_back("Ok");
    runMessageBox(*ui_, items, 1);
}

void TerminalHost::showMessage(const std::string& title, const std::string& text) {
    runMessageBox(*ui_, {title, text, "Ok"}, 1);
}

void TerminalHost::enterDirectory(const std::string& name) {
    std::string from = panel_.directory();
    std::string target = normalizePath(name, from);
    if (chdir(target.c_str()) != 0) {
        showMessage("Folder", "Cannot enter " + target + ": " + std::strerror(errno));
        return;
    }
    if (name == "..") {
        panel_.read(target, baseName(from));
    } else {
        panel_.read(target);
        panel_.setCursor(0);
    }
}

void TerminalHost::changeDirectory(const std::string& argument) {
    std::string target = argument;
    if (target.size() >= 2 && (target[0] == '"' || target[0] == '\'') && target.back() == target[0]) {
        target = target.substr(1, target.size() - 2);
    }
    target = expandEnvironmentReferences(target.empty() ? "~" : target);
    enterDirectory(target);
}

void TerminalHost::refreshPanel() {
    std::string directory = currentDirectory();
    panel_.read(directory);
}

void TerminalHost::viewCurrentEntry() {
    const PanelEntry* entry = panel_.currentEntry();
    if (!entry || entry->directory) return;
    std::string path = normalizePath(entry->name, panel_.directory());
    // A file that is open already is shown where its viewer stands.
    int open = windows_.find(path);
    if (open >= 0) {
        windows_.makeCurrent(open);
        return;
    }
    std::string error;
    if (services_->openViewer(path, 0, 0, error) < 0) showMessage("Viewer", "Cannot open " + path + ": " + error);
}

void TerminalHost::editInExternalEditor() {
    Viewer* viewer = windows_.currentViewer();
    if (!viewer) return;
    std::vector<std::string> arguments = editorArguments(viewer->path(), viewer->cursorLine() + 1);
    withTerminalReleased(false, "", [&] { runOnTerminal(terminal_.fd(), arguments); });
    std::string error;
    if (!viewer->reload(error)) showMessage("Viewer", "Cannot read " + viewer->path() + " again: " + error);
}

void TerminalHost::runShellCommand(const std::string& command) {
    std::string echo = panel_.directory() + "> " + command + "\n";
    withTerminalReleased(true, echo, [&] {
        int status = runOnTerminal(terminal_.fd(), shellArguments(command));
        if (status < 0) {
            terminal_.write(std::string("tinker: cannot start /bin/sh: ") + std::strerror(errno) + "\n");
        } else if (WIFSIGNALED(status)) {
            terminal_.write("[stopped by signal " + std::to_string(WTERMSIG(status)) + "]\n");
        }
    });
    refreshPanel();
}

void TerminalHost::withTerminalReleased(bool waitForKey, const std::string& message,
                                        const std::function<void()>& action) {
    display_->flush();
    display_->suspend();
    terminal_.leaveForProgram();
    if (!message.empty()) terminal_.write(message);
    action();
    if (waitForKey) {
        terminal_.write("\x1b[7mPress any key to return to tinker\x1b[0m");
        terminal_.allowInterrupt(false);
        KeyEvent key;
        while (!keys_.readKey(key) && !keys_.ended()) terminal_.takeResize();
        terminal_.write("\r\n");
    }
    terminal_.enterHostMode();
    // A resize while the terminal was away has been taken by the wait above: the size is read
    // again whatever happened.
    terminal_.takeResize();
    ConsoleSize size = terminal_.size();
    display_->resize(size.width, size.height);
    display_->resume();
}
