// Output files on Windows: a log with Windows line ends loaded from the panel, read again when
// its last-write time changes, and the output saved in text mode.
#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;

const char kParsers[] =
    "<tinker-config><colors background='1' text='7' error='12' warning='14'/>"
    "<parsers><alpha><error pattern='/^A(\\d)$/' file='' line='1'/></alpha>"
    "<beta><warning pattern='/^B(\\d)$/' file='' line='1'/></beta></parsers>"
    "<types><filetype filename='/x/'/></types></tinker-config>";

}  // namespace

WINE_CASE(OutputFilesAreLoadedAndSavedWithWindowsLineEnds) {
    PluginCase plugin("output-files");
    plugin.writeConfig(kParsers);
    plugin.start();
    plugin.enterDirectory("logs");
    std::string log = plugin.write("logs\\build.log", "x\r\nA1\r\nA2\r\n");
    plugin.host.panelItems = {"..", "build.log"};
    plugin.host.panelCurrent = 1;

    plugin.openFromPluginsMenu(3);  // only alpha recognises a line: no parser menu
    CHECK_EQ(plugin.host.menus.size(), 1u);
    CHECK_EQ(plugin.keysLeft(), 0);
    const ScreenFrame* shown = plugin.frameWithPending(1);
    CHECK(shown != nullptr);
    if (shown) CHECK_EQ(plugin.rowKinds(*shown, 3), (Lines{"-*", "E", "E"}));
    CHECK_EQ(plugin.savedOutput(), (Lines{"x", "A1", "A2"}));
    CHECK_EQ(readFile(plugin.path("saved-output.txt")), "x\r\nA1\r\nA2\r\n");

    // Changed on disk: read again before it is shown.
    FILETIME loaded = lastWriteTime(log);
    plugin.write("logs\\build.log", "A1\r\nB2\r\nA3\r\n");
    CHECK(setLastWriteTime(log, secondsLater(loaded, 5)));
    plugin.openFromPluginsMenu(0);
    shown = plugin.frameWithPending(1);
    if (shown) {
        CHECK_EQ(shown->rowText(1), "B2");
        CHECK_EQ(plugin.rowKinds(*shown, 3), (Lines{"E*", "-", "E"}));
    }

    // Held without sharing by another program, the log has no readable time: what was loaded
    // is shown as it is.
    HANDLE holder = CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
    plugin.frames.clear();
    plugin.openFromPluginsMenu(0);
    CloseHandle(holder);
    CHECK_EQ(plugin.keysLeft(), 0);
    shown = plugin.frameWithPending(1);
    if (shown) CHECK_EQ(shown->rowText(1), "B2");
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{});

    plugin.host.inputAnswers.push_back(plugin.path("missing\\folder\\out.txt"));
    plugin.openFromPluginsMenu(4);
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(20)});

    plugin.host.panelItems = {"gone.log"};
    plugin.host.panelCurrent = 0;
    plugin.openFromPluginsMenu(3);
    CHECK_EQ(plugin.host.messageBoxTexts(), (Lines{plugin.host.message(20), plugin.host.message(14)}));
}
