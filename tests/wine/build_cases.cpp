// Builds run through the real process runner: the pipe, the child, the standard handles, the
// environment and the working directory, as the host's console program world has them.
#include <cstdio>

#include "handle_census.h"
#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;

struct StandardHandles {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    bool operator==(const StandardHandles& other) const { return output == other.output && error == other.error; }
};

std::string currentDirectory() {
    char directory[MAX_PATH + 1] = {0};
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

// The child is created exactly as a console program of the host must be: with our standard
// handles, which are then the pipe's inheritable write end, and the read end kept back.
void checkChildCreation(PluginCase& plugin, const std::string& commandLine) {
    const SystemCalls& calls = plugin.calls;
    CHECK_EQ(calls.pipes.size(), 1u);
    CHECK_EQ(calls.processes.size(), 1u);
    if (calls.pipes.size() != 1 || calls.processes.size() != 1) return;
    CHECK(calls.pipes[0].inheritable);
    CHECK_EQ(calls.pipes[0].size, 0u);
    const ProcessCreation& child = calls.processes[0];
    CHECK_EQ(child.commandLine, commandLine);
    CHECK(!child.applicationNamed);
    CHECK_EQ(child.inheritHandles, TRUE);
    CHECK_EQ(child.creationFlags, static_cast<DWORD>(CREATE_SUSPENDED));  // resumed once in its job
    CHECK(child.startupHoldsOnlyItsSize);
    CHECK(!child.environmentGiven);
    CHECK(!child.directoryGiven);
    CHECK(child.standardOutputIsPipe);
    CHECK(child.standardErrorIsPipe);
    CHECK(child.writeEndInheritable);
    CHECK(!child.readEndInheritable);
    CHECK(child.started);
}

}  // namespace

WINE_CASE(ABuildThroughCmdCapturesBothStreamsLineByLine) {
    PluginCase plugin("cmd-build");
    std::string command = "cmd /c echo cmd start& " + outputChild() + " bytes";
    plugin.writeConfig(configWith(command));
    plugin.start();
    plugin.enterDirectory("work");
    setConsoleCursor(40, true);
    setConsoleTitle("before the build");
    StandardHandles before;

    plugin.openCommandLine("make:hello.c");
    CHECK(StandardHandles() == before);
    checkChildCreation(plugin, command);
    CHECK_EQ(plugin.keysLeft(), 0);  // the window opened and read the Esc
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{});
    std::string verdict = plugin.host.message(23) + " - exit 0, 2 errors, 1 warning, ";
    CHECK_EQ(consoleTitle().substr(0, verdict.size()), verdict);
    CHECK_EQ(consoleCursor().dwSize, 40u);
    CHECK_EQ(consoleCursor().bVisible, TRUE);

    // What the window showed: the first classified line selected, the console's full size.
    const ScreenFrame* window = plugin.frameWithPending(1);
    CHECK(window != nullptr);
    if (window) {
        CHECK_EQ(plugin.rowKinds(*window, 13), (Lines{"-", "-", "-", "-", "-", "-", "E*", "W", "-", "-", "-", "E", "-"}));
        CHECK_EQ(window->rowText(4), "tab here");
        CHECK_EQ(window->characters[9].substr(0, 3), "aaa");
        CHECK_EQ(window->characters[9][99], '>');  // longer than the console is wide
        CHECK_EQ(window->attributeAt(0, 29), 0x10);  // the last row cleared too
    }
    CHECK_EQ(plugin.host.textCallsOutside, 0);

    CHECK_EQ(plugin.savedOutput(), (Lines{"cmd start",
                                          "plain start",
                                          "lone lf",
                                          "progress 100%",
                                          "tab here",
                                          "ctl nul hi \xE9t\xE9",
                                          "src\\main.c:12:5: error: bad thing",
                                          "src\\util.c:3:1: warning: odd",
                                          "",
                                          std::string(400, 'a'),  // four console widths
                                          "X" + std::string(9, 'b'),
                                          "Z:\\abs\\path.c:7:2: error: absolute",
                                          "unfinished"}));
}

WINE_CASE(AllOfALongOutputIsRead) {
    PluginCase plugin("long-output");
    plugin.writeConfig(configWith(outputChild() + " many 20000"));
    plugin.start();
    plugin.openCommandLine("make:a.c");
    Lines lines = plugin.savedOutput();
    CHECK_EQ(lines.size(), 20000u);
    if (lines.size() != 20000u) return;
    CHECK_EQ(lines[0], "line 000001 " + std::string(120, 'b'));
    CHECK_EQ(lines[12345], "line 012346 " + std::string(120, 'a' + 12346 % 26));
    CHECK_EQ(lines.back(), "line 020000 " + std::string(120, 'a' + 20000 % 26));
}

WINE_CASE(LinesAreShownWhileTheChildStillRuns) {
    PluginCase plugin("tail");
    char eventName[64];
    std::snprintf(eventName, sizeof eventName, "TinkerWineTail%lu", GetCurrentProcessId());
    HANDLE shown = CreateEventA(nullptr, TRUE, FALSE, eventName);
    // The child waits with its last line until the host has drawn the first two.
    plugin.onFrame = [&](const ScreenFrame& frame) {
        if (frame.rowText(1) == "second") SetEvent(shown);
    };
    plugin.writeConfig(configWith(outputChild() + " tail " + eventName));
    plugin.start();
    plugin.openCommandLine("make:a.c");
    plugin.onFrame = nullptr;
    CloseHandle(shown);
    CHECK_EQ(plugin.savedOutput(), (Lines{"first", "second", "tail shown"}));
}

WINE_CASE(AProgramThatCannotStartShowsMessage2) {
    StandardHandles before;
    {
        PluginCase plugin("missing-program");
        std::string command = "\"" + plugin.path("no such program.exe") + "\" --flag";
        plugin.writeConfig(configWith(command));
        plugin.start();
        setConsoleCursor(40, true);
        plugin.openCommandLine("make:a.c");
        CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(2)});
        CHECK(StandardHandles() == before);
        CHECK_EQ(plugin.keysLeft(), 1);  // no window
        CHECK_EQ(plugin.calls.processes.size(), 1u);
        CHECK_EQ(plugin.host.restoredScreens, 1);
        CHECK_EQ(consoleCursor().bVisible, TRUE);
    }
    // Nothing to start at all: repeating before any build, from the editor menu.
    PluginCase plugin("missing-program-repeat");
    plugin.writeConfig(configWith("cmd /c echo never"));
    plugin.start();
    plugin.openFromEditor(1);
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(2)});
    CHECK(StandardHandles() == before);
}

WINE_CASE(NoHandleOutlivesARun) {
    PluginCase plugin("handles");
    plugin.writeConfig(configWith(outputChild() + " bytes"));
    plugin.start();
    plugin.openCommandLine("make:a.c");  // whatever the first run sets up for good
    std::vector<HANDLE> before = nextHandleValues();
    plugin.openCommandLine("make:a.c");
    CHECK(nextHandleValues() == before);

    plugin.writeConfig(configWith("\"" + plugin.path("absent.exe") + "\""));
    setLastWriteTime(plugin.configPath(), secondsLater(lastWriteTime(plugin.configPath()), 10));
    plugin.openCommandLine("make:a.c");
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(2)});
    CHECK(nextHandleValues() == before);
}

WINE_CASE(EnvironmentReferencesAreExpandedBeforeTheRun) {
    PluginCase plugin("environment");
    SetEnvironmentVariableA("TINKER_WINE_WORD", "expanded");
    SetEnvironmentVariableA("TINKER_WINE_LONG", std::string(5000, 'L').c_str());
    std::string command = outputChild() +
                          " args %TINKER_WINE_WORD% %tinker_wine_word% %TINKER_WINE_UNDEFINED% %TINKER_WINE_LONG% 100%";
    plugin.writeConfig(configWith(command));
    plugin.start();
    plugin.openCommandLine("make:a.c");
    CHECK_EQ(plugin.savedOutput(), (Lines{"arg: expanded", "arg: expanded", "arg: %TINKER_WINE_UNDEFINED%",
                                          "arg of length 5000", "arg: 100%"}));
    SetEnvironmentVariableA("TINKER_WINE_WORD", nullptr);
    SetEnvironmentVariableA("TINKER_WINE_LONG", nullptr);
}

WINE_CASE(ARepeatRunsInTheBuildsFolderAndComesBack) {
    PluginCase plugin("repeat");
    plugin.writeConfig(configWith(outputChild() + " cwd"));
    plugin.start();
    plugin.enterDirectory("first");
    plugin.openCommandLine("make:a.c");
    CHECK_EQ(plugin.savedOutput(), Lines{"cwd: " + plugin.path("first")});

    plugin.enterDirectory("second");
    plugin.openFromPluginsMenu(1);
    CHECK_EQ(plugin.calls.processes.size(), 2u);
    CHECK_EQ(plugin.savedOutput(), Lines{"cwd: " + plugin.path("first")});
    CHECK_EQ(currentDirectory(), plugin.path("second"));
}

WINE_CASE(EscAndStopEndsTheBuildsWholeJobAndTheVerdictSaysSo) {
    PluginCase plugin("stop");
    std::string idFile = plugin.path("grandchild.txt");
    plugin.writeConfig(configWith(outputChild() + " grandchild \"" + idFile + "\""));
    plugin.start();
    // Esc once the live view shows the child's line: the grandchild is running by then.
    bool typed = false;
    plugin.onFrame = [&](const ScreenFrame& frame) {
        if (typed || frame.rowText(0) != "started") return;
        typed = plugin.console.write({keyDown(VK_ESCAPE)});
    };
    plugin.host.messageAnswers = {0};
    DWORD start = GetTickCount();
    plugin.openCommandLine("make:a.c");
    plugin.onFrame = nullptr;
    CHECK(GetTickCount() - start < 30000);  // ends, not hangs
    CHECK(typed);
    CHECK_EQ(plugin.host.messageBoxes.size(), 1u);
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(39)});
    std::string stopped = plugin.host.message(23) + " - " + plugin.host.message(30) + ", ";
    CHECK_EQ(consoleTitle().substr(0, stopped.size()), stopped);
    CHECK_EQ(plugin.keysLeft(), 0);

    unsigned long grandchildId = 0;
    FILE* ids = std::fopen(idFile.c_str(), "r");
    CHECK(ids != nullptr);
    if (ids) {
        CHECK_EQ(std::fscanf(ids, "%lu", &grandchildId), 1);
        std::fclose(ids);
    }
    HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, grandchildId);
    CHECK(!grandchild || WaitForSingleObject(grandchild, 5000) == WAIT_OBJECT_0);
    if (grandchild) CloseHandle(grandchild);
    CHECK_EQ(plugin.savedOutput(), Lines{"started"});
}

WINE_CASE(TheExitStatusIsReadAndShown) {
    PluginCase plugin("exit-status");
    plugin.writeConfig(configWith(outputChild() + " exit 3"));
    plugin.start();
    plugin.openCommandLine("make:a.c");
    std::string failed = plugin.host.message(23) + " - exit 3, 1 error, ";
    CHECK_EQ(consoleTitle().substr(0, failed.size()), failed);
    plugin.writeConfig(configWith(outputChild() + " exit 0"));
    setLastWriteTime(plugin.configPath(), secondsLater(lastWriteTime(plugin.configPath()), 10));
    plugin.openCommandLine("make:a.c");
    std::string passed = plugin.host.message(23) + " - exit 0, 1 error, ";
    CHECK_EQ(consoleTitle().substr(0, passed.size()), passed);
}

// File names an attacker would give, through CreateProcessA and the C runtime's splitting of
// the child's command line: each reaches the program as itself, wherever the command puts it;
// %VAR% in a name stays as it is, and a name that starts a word with '-' is no option.
WINE_CASE(HostileNamesReachTheProgramIntact) {
    PluginCase plugin("hostile-names");
    SetEnvironmentVariableA("TINKER_WINE_WORD", "expanded");
    plugin.writeConfig(configWith(outputChild() + " args $0 \"$0\" x$0 -o \"$1.o\""));
    plugin.start();
    const char* const names[] = {"d$(touch X).c", "b`touch X`.c", "x\";touch X;\".c", "q\"uote.c",
                                 "%TINKER_WINE_WORD%.c", "-leading.c", "sp ace.c", "end\\.c", "a&b|c>d^e<f.c",
                                 "two\\\\\"quote.c"};
    for (const std::string name : names) {
        std::string stem = name.substr(0, name.size() - 2);
        std::string guard = name[0] == '-' ? ".\\" : "";
        plugin.openCommandLine("make:" + name);
        CHECK_EQ(plugin.savedOutput(), (Lines{"arg: " + guard + name, "arg: " + guard + name, "arg: x" + name,
                                              "arg: -o", "arg: " + guard + stem + ".o"}));
    }
    SetEnvironmentVariableA("TINKER_WINE_WORD", nullptr);
}
