#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class InvocationRoutes : public PluginFixture {
protected:
    void startWith(const std::string& command, const std::string& extraTypes = "") {
        writeConfig(configWithCommand(command, extraTypes));
        startPlugin();
    }
    void enterDirectory(const std::string& name) {
        std::filesystem::create_directories(directory.path(name));
        std::filesystem::current_path(directory.path(name));
    }
    std::string menuTitle(size_t index) { return host.menus.at(index).title; }
};

const char kTwoLines[] = "printf 'a.c:3:7: error: broken\\nplain\\n'";

}  // namespace

TEST_F(InvocationRoutes, CommandLineBuildShowsClassifiedOutputAndRestoresTheScreen) {
    startWith(std::string("printf 'start\\n'; ") + kTwoLines);
    enterDirectory("work");
    openCommandLine("make:hello.c");
    EXPECT_EQ(outputLines(), (Lines{"start", "a.c:3:7: error: broken", "plain"}));
    EXPECT_EQ(outputMatches(), (Lines{"-", "E a.c:3:7", "-"}));
    EXPECT_EQ(session().selected, 1);  // the first classified line
    EXPECT_EQ(session().mode, WindowFullScreen);
    EXPECT_EQ(std::filesystem::path(session().workingDirectory.text()), std::filesystem::current_path());
    EXPECT_EQ(platform.titles, (Lines{host.message(23) + " - exit 0, 1 error, 0 s"}));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);  // the window ran and Esc closed it
    EXPECT_EQ(host.savedScreens.size(), 1u);
    EXPECT_EQ(host.restoredScreens, 1);
    EXPECT_EQ(host.restoredHandles[0], reinterpret_cast<HANDLE>(1));
    EXPECT_GE(platform.sleeps, 6);  // the selection flashed
    EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(InvocationRoutes, CommandLineForms) {
    startWith("printf 'built $0 $1\\n'",
              "<filetype filename='/^(.+)$/'><command name='Any' parser='sh' prefix='cc'>printf 'cc $1\\n'</command>"
              "</filetype>");
    openCommandLine("MAKE:foo.c");  // the fixed prefix in any case; two types match: a menu
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(menuTitle(0), host.message(5));
    EXPECT_EQ(host.menus[0].items, (Lines{"&1 Run", "&2 Any"}));
    EXPECT_EQ(host.menus[0].selected, 0);
    EXPECT_EQ(host.menus[0].flags, static_cast<DWORD>(FMENU_WRAPMODE));
    EXPECT_EQ(host.menus[0].maxHeight, 20);
    EXPECT_EQ(host.menus[0].helpTopic, "content");
    EXPECT_EQ(host.menus[0].x, -1);
    EXPECT_TRUE(platform.commandsRun.empty());  // cancelled

    host.menuAnswers.push_back(0);
    openCommandLine("make:foo.c");
    EXPECT_EQ(outputLines(), (Lines{"built foo.c foo"}));

    openCommandLine("Cc:bar");  // looked up as cc
    EXPECT_EQ(outputLines(), (Lines{"cc bar"}));

    openCommandLine("gcc:bar");
    openCommandLine("nocolon");
    EXPECT_EQ(host.messageBoxTexts(), (Lines{"Command doesn't match prefix"}));
    EXPECT_EQ(platform.commandsRun.size(), 2u);

    openCommandLine("make:");  // an empty file name matches no type here
    EXPECT_EQ(host.messageBoxTexts().back(), host.message(4));
    EXPECT_EQ(outputLines(), (Lines{"cc bar"}));  // the session keeps its old lines
}

TEST_F(InvocationRoutes, StartFailuresShowTheirMessageAndNoWindow) {
    startWith("printf 'x\\n'");
    platform.forcedRunResult = 1;
    openCommandLine("make:a.c");
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(1)}));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);
    EXPECT_EQ(host.restoredScreens, 1);

    platform.forcedRunResult = -1;
    session().lastCommand.assign("");
    openFromEditor(1);  // repeat with no last command: nothing to start
    EXPECT_EQ(host.messageBoxTexts().back(), host.message(2));
    EXPECT_EQ(session().mode, WindowBottomBand);
}

TEST_F(InvocationRoutes, ModifiedEditorsAreSavedBeforeEveryBuild) {
    startWith("printf 'x\\n'");
    host.windows.push_back({WTYPE_EDITOR, true, "/src/a.c"});
    host.windows.push_back({WTYPE_VIEWER, true, "/src/b.c"});
    host.windows.push_back({WTYPE_EDITOR, false, "/src/c.c"});
    openCommandLine("make:a.c");
    EXPECT_EQ(host.windows[1].saves, 1);
    EXPECT_EQ(host.windows[2].saves, 0);
    EXPECT_EQ(host.windows[3].saves, 0);
    EXPECT_EQ(host.windowSwitches, (std::vector<int>{1}));

    host.windows[1].modified = true;
    host.windows[1].saveFails = true;
    session().clearOutput();
    openCommandLine("make:a.c");
    EXPECT_EQ(platform.commandsRun.size(), 1u);  // the failed save stopped the build, silently
    EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(InvocationRoutes, RepeatRunsInTheSavedWorkingDirectoryAndComesBack) {
    startWith("pwd");
    enterDirectory("first");
    openCommandLine("make:a.c");
    std::string first = std::filesystem::current_path().string();
    EXPECT_EQ(outputLines(), (Lines{first}));

    enterDirectory("second");
    openFromPluginsMenu(1);
    EXPECT_EQ(outputLines(), (Lines{first}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(directory.path("second")));
    EXPECT_EQ(menuTitle(0), host.message(9));
    EXPECT_EQ(host.menus[0].items.size(), 6u);
    EXPECT_EQ(ScriptedHost::menuItemText(host.menus[0].items[1]), "Repeat last build");

    openFromEditor(1);
    EXPECT_EQ(outputLines(), (Lines{first}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(directory.path("second")));
    EXPECT_EQ(host.menus[1].items.size(), 3u);

    // From the plug-ins menu, a repeat with no last command does nothing at all.
    session().lastCommand.assign("");
    openFromPluginsMenu(1);
    EXPECT_EQ(platform.commandsRun.size(), 3u);

    // The build's folder is gone: the repeat says so and runs nothing, here or anywhere.
    openCommandLine("make:a.c");
    std::filesystem::remove(directory.path("second"));
    enterDirectory("third");
    openFromPluginsMenu(1);
    EXPECT_EQ(platform.commandsRun.size(), 4u);
    EXPECT_EQ(host.messageBoxTexts(), (Lines{"Cannot enter the build's folder " + directory.path("second") + ": nothing was run"}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(directory.path("third")));
}

TEST_F(InvocationRoutes, BuildingTheEditedFileRunsInTheCurrentFolder) {
    startWith("pwd; printf '$0\\n'");
    std::string source = directory.write("project/src/main.c", "int main;\n");
    host.windows.push_back({WTYPE_EDITOR, false, source});
    host.currentWindow = 1;
    enterDirectory("project");
    openFromEditor(2);
    EXPECT_EQ(outputLines(), (Lines{directory.path("project"), source}));
    EXPECT_EQ(session().mode, WindowBottomBand);
    EXPECT_EQ(std::string(session().workingDirectory.text()), directory.path("project"));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(directory.path("project")));
    EXPECT_EQ(ScriptedHost::menuItemText(host.menus[0].items[2]), "Build this file");
}

TEST_F(InvocationRoutes, BuildingTheFileUnderTheCursor) {
    startWith("printf 'built $0\\n'");
    openFromPluginsMenu(2);  // an empty panel: nothing to build
    EXPECT_TRUE(platform.commandsRun.empty());
    host.panelItems = {"..", "one.c", "two.c"};
    host.panelCurrent = 2;
    openFromPluginsMenu(2);
    EXPECT_EQ(outputLines(), (Lines{"built two.c"}));
    EXPECT_EQ(session().mode, WindowFullScreen);
}

TEST_F(InvocationRoutes, ShowingTheOutputAgain) {
    startWith(kTwoLines);
    openFromPluginsMenu(0);  // nothing to show yet
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);
    openCommandLine("make:a.c");
    openFromPluginsMenu(0);
    EXPECT_EQ(platform.readsAfterKeysRanOut, 2);
    EXPECT_EQ(host.restoredScreens, 2);
    openFromEditor(0);
    EXPECT_EQ(platform.readsAfterKeysRanOut, 3);
    EXPECT_EQ(session().mode, WindowBottomBand);
    openFromEditor(-1);  // cancelled: nothing
    EXPECT_EQ(platform.readsAfterKeysRanOut, 3);
}

TEST_F(InvocationRoutes, SavingTheOutput) {
    startWith(kTwoLines);
    openCommandLine("make:a.c");
    openFromPluginsMenu(4);  // cancelled input box
    ASSERT_EQ(host.inputBoxes.size(), 1u);
    EXPECT_EQ(host.inputBoxes[0].title, "Save output to file");  // the menu item's text, as FAR shows a title
    EXPECT_EQ(host.inputBoxes[0].prompt, host.message(19));
    EXPECT_EQ(host.inputBoxes[0].flags, static_cast<DWORD>(FIB_BUTTONS | FIB_EXPANDENV));
    EXPECT_EQ(host.inputBoxes[0].destLength, 256);

    std::string saved = directory.path("saved.log");
    host.inputAnswers.push_back(saved);
    openFromPluginsMenu(4);
    EXPECT_EQ(readWholeFile(saved), "a.c:3:7: error: broken\nplain\n");

    host.inputAnswers.push_back(directory.path("missing/dir/out.log"));
    openFromPluginsMenu(4);
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(20)}));

    // Writes that fail are reported, whether the disk is full or a size limit is reached.
    host.inputAnswers.push_back("/dev/full");
    openFromPluginsMenu(4);
    EXPECT_EQ(host.messageBoxTexts().size(), 2u);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);  // as the terminal host has it
        rlimit limit{10, 10};
        setrlimit(RLIMIT_FSIZE, &limit);
        host.inputAnswers.push_back(directory.path("limited.log"));
        openFromPluginsMenu(4);
        _exit(host.messageBoxTexts().size() == 3 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

class LoadingOutput : public InvocationRoutes {
protected:
    void startWithParsers(const std::string& parsers) {
        writeConfig("<tinker-config><parsers>" + parsers +
                    "</parsers><types><filetype filename='/x/'/></types></tinker-config>");
        startPlugin();
        enterDirectory("logs");
        host.panelItems = {"build.log"};
    }
    void writeLog(const std::string& text) { directory.write("logs/build.log", text); }
};

const char kParserA[] = "<alpha><error pattern='/^A(\\d)/' file='' line='1'/></alpha>";
const char kParserB[] = "<beta><warning pattern='/^B(\\d)/' file='' line='1'/></beta>";
const char kParserC[] = "<gamma><error pattern='/^C/' file='' line=''/></gamma>";

TEST_F(LoadingOutput, OneRecognisingParserIsTakenAtOnce) {
    startWithParsers(std::string(kParserA) + kParserB);
    writeLog("x\nB2\nA1\n");
    host.panelItems = {};
    openFromPluginsMenu(3);  // empty panel: stops
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);
    host.panelItems = {"missing.log"};
    openFromPluginsMenu(3);
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(14)}));

    writeLog("x\nA1\nA2\n");
    host.panelItems = {"build.log"};
    openFromPluginsMenu(3);
    EXPECT_EQ(outputLines(), (Lines{"x", "A1", "A2"}));
    EXPECT_EQ(outputMatches(), (Lines{"-", "E :1:-1", "E :2:-1"}));
    EXPECT_STREQ(session().currentParser.text(), "alpha");
    EXPECT_EQ(std::string(session().logFile.text()), directory.path("logs/build.log"));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
    EXPECT_EQ(session().selected, 0);
}

TEST_F(LoadingOutput, SeveralCandidatesAskTheUser) {
    startWithParsers(std::string(kParserA) + kParserB + kParserC);
    writeLog("B2\nA1\nC\n");
    host.menuAnswers.push_back(3);
    host.menuAnswers.push_back(-1);  // the parser chooser is cancelled
    OpenPlugin(OPEN_PLUGINSMENU, 0);
    ASSERT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(menuTitle(1), host.message(13));
    EXPECT_EQ(host.menus[1].items.size(), 3u);
    EXPECT_EQ(outputLines().size(), 3u);
    EXPECT_EQ(outputMatches(), (Lines{"-", "-", "-"}));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);

    host.menuAnswers.push_back(3);
    host.menuAnswers.push_back(0);
    OpenPlugin(OPEN_PLUGINSMENU, 0);
    std::string chosen = ScriptedHost::menuItemText(host.menus[3].items[0]);
    EXPECT_STREQ(session().currentParser.text(), chosen.c_str());
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
}

TEST_F(LoadingOutput, NoRecognisingParserOffersThemAllSorted) {
    startWithParsers(std::string(kParserC) + kParserB + kParserA);
    writeLog("nothing\n");
    host.menuAnswers.push_back(3);
    host.menuAnswers.push_back(1);
    OpenPlugin(OPEN_PLUGINSMENU, 0);
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(24)}));
    ASSERT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(host.menus[1].items, (Lines{"&1 alpha", "&2 beta", "&3 gamma"}));
    EXPECT_STREQ(session().currentParser.text(), "beta");
}

TEST_F(LoadingOutput, WithoutAnyParserTheLinesAreShownPlain) {
    writeConfig("<tinker-config><parsers><p><error pattern='/(/' file='' line=''/></p></parsers>"
                "<types><filetype filename='/x/'/></types></tinker-config>");
    startPlugin();
    host.messageBoxes.clear();
    enterDirectory("logs");
    host.panelItems = {"build.log"};
    writeLog("one\ntwo\n");
    openFromPluginsMenu(3);
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(24)}));
    EXPECT_EQ(outputMatches(), (Lines{"-", "-"}));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
}

TEST_F(LoadingOutput, AChangedLogIsReadAgainBeforeItIsShown) {
    startWithParsers(kParserA);
    writeLog("A1\n");
    openFromPluginsMenu(3);
    EXPECT_EQ(outputLines(), (Lines{"A1"}));
    writeLog("A1\nmore\nA3\n");
    std::filesystem::last_write_time(directory.path("logs/build.log"),
                                     std::filesystem::last_write_time(directory.path("logs/build.log")) +
                                         std::chrono::seconds(5));
    openFromPluginsMenu(0);
    EXPECT_EQ(outputLines(), (Lines{"A1", "more", "A3"}));
    EXPECT_EQ(outputMatches(), (Lines{"E :1:-1", "-", "E :3:-1"}));

    // A build forgets the log: showing the output no longer reads it.
    writeConfig(configWithCommand("printf 'built\\n'"));
    touchConfig();
    openCommandLine("make:a.c");
    writeLog("changed again\n");
    std::filesystem::last_write_time(directory.path("logs/build.log"),
                                     std::filesystem::last_write_time(directory.path("logs/build.log")) +
                                         std::chrono::seconds(10));
    openFromPluginsMenu(0);
    EXPECT_EQ(outputLines(), (Lines{"built"}));
}

TEST_F(LoadingOutput, ALoadedLogLeavesTheLastBuildToRepeat) {
    writeConfig("<tinker-config><parsers>" + std::string(kParserA) +
                "<sh><error pattern='/^(.+?):(\\d+): error/' file='1' line='2'/></sh></parsers><types>"
                "<filetype filename='/.*c$/'><command name='Run' parser='sh'>pwd; printf 'a.c:3: error\\n'</command>"
                "</filetype></types></tinker-config>");
    startPlugin();
    enterDirectory("project");
    openCommandLine("make:a.c");
    enterDirectory("logs");
    host.panelItems = {"build.log"};
    writeLog("A1\r\nA2\r\n");
    openFromPluginsMenu(3);
    EXPECT_EQ(outputLines(), (Lines{"A1", "A2"}));  // no CR left at the line ends
    EXPECT_STREQ(session().currentParser.text(), "alpha");

    openFromPluginsMenu(1);  // repeat: the build's command, parser and folder, not the log's
    EXPECT_EQ(outputLines(), (Lines{directory.path("project"), "a.c:3: error"}));
    EXPECT_EQ(outputMatches(), (Lines{"-", "E a.c:3:-1"}));
    EXPECT_EQ(platform.commandsRun.size(), 2u);
    EXPECT_EQ(platform.commandsRun[0], platform.commandsRun[1]);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(directory.path("logs")));
}

// FAR takes the first '&' of a menu item for the hotkey and shows every title and message as it
// is: the numbers are the hotkeys, the language texts' own marks never show, a configured name's
// '&' shows as written.
TEST_F(InvocationRoutes, MenusAndTitlesShowAsFarShowsThem) {
    startWith(kTwoLines, "<filetype filename='/^(.+)$/'><command name='Build &amp; run' parser='sh'>true</command>"
                         "</filetype>");
    host.menuAnswers.push_back(-1);
    openCommandLine("make:a.c");
    openFromPluginsMenu(-1);
    openFromEditor(-1);
    host.inputAnswers.push_back(directory.path("missing/dir/out.log"));
    openFromPluginsMenu(4);
    ASSERT_EQ(host.menus.size(), 4u);
    EXPECT_EQ(host.menus[0].shownItems, (Lines{"1 Run", "2 Build & run"}));
    EXPECT_EQ(host.menus[0].hotkeys, "12");
    EXPECT_EQ(host.menus[1].shownItems, (Lines{"1 Show output", "2 Repeat last build", "3 Build file under cursor",
                                               "4 Load output from file", "5 Save output to file",
                                               "6 Run command..."}));
    EXPECT_EQ(host.menus[1].hotkeys, "123456");
    EXPECT_EQ(host.menus[2].shownItems, (Lines{"1 Show output", "2 Repeat last build", "3 Build this file"}));
    EXPECT_EQ(host.menus[2].hotkeys, "123");
    EXPECT_EQ(host.inputBoxes.at(0).title, "Save output to file");
    EXPECT_EQ(host.messageBoxTexts(), (Lines{host.message(20)}));
    for (const std::string& text : host.shownTexts()) {
        if (text == "2 Build & run") continue;
        EXPECT_EQ(text.find('&'), std::string::npos) << text;
    }
}
