// The module as the host first meets it: its exports, what it announces, and the
// configuration it reads again whenever the file's last-write time changes.
#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;

std::string configWithPrefix(const std::string& prefix) {
    return configWith("x", "", "<filetype filename='/^(.+)$/'><command name='c' parser='wine' prefix='" + prefix +
                                   "'>run $0</command></filetype>");
}

std::string announcedPrefix(PluginCase& plugin) {
    PluginInfo info = plugin.describe();
    return info.CommandPrefix ? info.CommandPrefix : "";
}

// An invocation that only runs the configuration check (the disk menu does nothing else).
void touchModule(PluginCase& plugin) { plugin.open(OPEN_DISKMENU, 0, {}); }

}  // namespace

WINE_CASE(TheModuleAnnouncesItsMenusAndPrefixes) {
    PluginCase plugin("announce");
    CHECK(plugin.loaded());
    plugin.writeConfig(configWith("x", "",
                                  "<filetype filename='/^(.+)$/'><command name='c' parser='wine' prefix='cc'>a</command>"
                                  "<command name='p' parser='wine' prefix='PAS'>b</command></filetype>"));
    plugin.start();
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{});
    PluginInfo info = plugin.describe();
    CHECK_EQ(info.StructSize, static_cast<int>(sizeof(PluginInfo)));
    CHECK_EQ(info.Flags, static_cast<DWORD>(PF_EDITOR | PF_FULLCMDLINE));
    CHECK_EQ(info.DiskMenuStringsNumber, 0);
    CHECK_EQ(std::string(info.CommandPrefix), "make:cc:pas");
    CHECK_EQ(info.PluginMenuStringsNumber, 1);
    CHECK_EQ(std::string(info.PluginMenuStrings[0]), plugin.host.message(0));
    CHECK_EQ(info.PluginConfigStringsNumber, 1);
    CHECK_EQ(std::string(info.PluginConfigStrings[0]), plugin.host.message(21));
}

WINE_CASE(TheConfigurationIsReadAgainWhenItsFileTimeChanges) {
    PluginCase plugin("reload");
    plugin.writeConfig(configWithPrefix("one"));
    plugin.start();
    CHECK_EQ(announcedPrefix(plugin), "make:one");

    // New content under the old time is not seen as a change.
    FILETIME loaded = lastWriteTime(plugin.configPath());
    plugin.writeConfig(configWithPrefix("two"));
    CHECK(setLastWriteTime(plugin.configPath(), loaded));
    touchModule(plugin);
    CHECK_EQ(announcedPrefix(plugin), "make:one");
    CHECK(setLastWriteTime(plugin.configPath(), secondsLater(loaded, 10)));
    touchModule(plugin);
    CHECK_EQ(announcedPrefix(plugin), "make:two");

    // Held without sharing by another program, the file has no readable time: it counts as
    // changed and cannot be loaded.
    HANDLE holder = CreateFileA(plugin.configPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
    touchModule(plugin);
    CloseHandle(holder);
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{"Failed to load config!"});
    // The configuration stays empty until the file changes again.
    touchModule(plugin);
    CHECK_EQ(announcedPrefix(plugin), "make");
    CHECK(setLastWriteTime(plugin.configPath(), secondsLater(loaded, 20)));
    touchModule(plugin);
    CHECK_EQ(announcedPrefix(plugin), "make:two");

    DeleteFileA(plugin.configPath().c_str());
    touchModule(plugin);
    CHECK_EQ(plugin.host.messageBoxTexts(), (Lines{"Failed to load config!", "Failed to load config!"}));
    CHECK_EQ(announcedPrefix(plugin), "make");
    plugin.writeConfig(configWithPrefix("three"));
    touchModule(plugin);
    CHECK_EQ(announcedPrefix(plugin), "make:three");
    CHECK_EQ(plugin.host.messageBoxes.size(), 2u);
}

// FAR, built by MSVC, keeps the stack only 4-byte aligned: every export, over a whole build
// whose output is classified, at each alignment. Each call goes through the convention gate
// (registers, x87 control word, direction flag, the arguments removed), and GetPluginInfo's
// record has guard bytes after it.
WINE_CASE(EveryExportKeepsTheConventionAtAnyStackAlignment) {
    for (int skew : {0, 4, 8, 12}) {
        PluginCase plugin("convention");
        plugin.stackSkew = skew;
        plugin.writeConfig(configWith(outputChild() + " bytes"));
        plugin.start();
        CHECK_EQ(std::string(plugin.describe().CommandPrefix), "make");
        plugin.openCommandLine("make:hello.c");
        CHECK_EQ(plugin.keysLeft(), 0);
        const ScreenFrame* window = plugin.frameWithPending(1);
        CHECK(window != nullptr);
        if (window) CHECK_EQ(plugin.rowKinds(*window, 8), (Lines{"-", "-", "-", "-", "-", "E*", "W", "-"}));
        CHECK_EQ(plugin.savedOutput().size(), 12u);
    }
}
