// The signal at the end of a long build: the sound file played without waiting for it, or the
// system beep. Without a sound device nothing can be heard, so the calls are what is checked.
#include "plugin_case.h"
#include "wine_check.h"

namespace {

const DWORD kSoundFlags = SND_FILENAME | SND_APPLICATION | SND_ASYNC;

// A build of a little over a second, so that even a beep time of 0 is exceeded.
void buildWithOptions(PluginCase& plugin, const std::string& options, int sleepMilliseconds) {
    plugin.writeConfig(configWith(outputChild() + " sleep " + std::to_string(sleepMilliseconds), options));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    setLastWriteTime(plugin.configPath(), secondsLater(now, static_cast<int>(plugin.calls.processes.size())));
    plugin.openCommandLine("make:a.c");
}

}  // namespace

WINE_CASE(ALongBuildEndsWithItsSoundOrTheBeep) {
    PluginCase plugin("signal");
    plugin.writeConfig(configWith("x"));
    plugin.start();

    buildWithOptions(plugin, "beep='yes' beeptime='0' wavefile='sounds/missing.wav'", 1100);
    CHECK_EQ(plugin.keysLeft(), 0);  // the missing file held nothing up: the window opened
    CHECK_EQ(plugin.calls.sounds.size(), 1u);
    if (!plugin.calls.sounds.empty()) {
        CHECK_EQ(plugin.calls.sounds[0].path, plugin.pluginDirectory() + "\\sounds\\missing.wav");
        CHECK_EQ(plugin.calls.sounds[0].flags, kSoundFlags);
        CHECK(!plugin.calls.sounds[0].moduleGiven);
    }
    CHECK_EQ(plugin.calls.beeps.size(), 0u);

    buildWithOptions(plugin, "beep='yes' beeptime='0' wavefile='Z:\\no\\such\\done.wav'", 1100);
    CHECK_EQ(plugin.calls.sounds.size(), 2u);
    if (plugin.calls.sounds.size() == 2) CHECK_EQ(plugin.calls.sounds[1].path, "Z:\\no\\such\\done.wav");

    buildWithOptions(plugin, "beep='yes' beeptime='0' wavefile=''", 1100);
    CHECK_EQ(plugin.calls.beeps, std::vector<UINT>{0});
    CHECK_EQ(plugin.keysLeft(), 0);

    buildWithOptions(plugin, "beep='yes' beeptime='600'", 0);
    buildWithOptions(plugin, "beep='no' beeptime='0'", 1100);
    CHECK_EQ(plugin.calls.processes.size(), 5u);
    CHECK_EQ(plugin.calls.sounds.size(), 2u);
    CHECK_EQ(plugin.calls.beeps.size(), 1u);
    CHECK_EQ(plugin.host.messageBoxTexts(), std::vector<std::string>{});
}
