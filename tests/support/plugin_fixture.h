#pragma once

#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <vector>

#include "session/build_session.h"
#include "plugin/plugin_exports.h"
#include "support/fake_platform.h"
#include "support/scripted_host.h"
#include "support/temporary_directory.h"

// A plug-in bound to the scripted host and the fake platform, its module in a fresh folder of
// its own; every test starts from an empty session and default colours and options.
class PluginFixture : public ::testing::Test {
protected:
    PluginFixture();
    ~PluginFixture() override;

    // Writes tinker.xml beside the module.
    void writeConfig(const std::string& xml);
    // Calls SetStartupInfo with the module's path.
    void startPlugin();
    void openCommandLine(const std::string& text);
    void openFromPluginsMenu(int choice);
    void openFromEditor(int choice);
    // Makes the file's last-write time differ from the one recorded (as an edit would).
    void touchConfig();
    timespec configTime() const;
    void setConfigTime(const timespec& time);

    std::vector<std::string> outputLines();
    // "E file:line:column", "W ...", or "-" for each output line.
    std::vector<std::string> outputMatches();
    // Texts of the message boxes shown so far (their second item).
    std::vector<std::string> messageTexts();

    std::string moduleDirectory() const { return directory.path("plugin"); }
    std::string configPath() const { return moduleDirectory() + "/tinker.xml"; }

    TemporaryDirectory directory;
    ScriptedHost host;
    FakePlatform platform;

private:
    std::string savedDirectory_;
};

// A configuration with a parser "sh" for lines "file:line:col: error|warning" and a file type
// for *.c files running the given command.
std::string configWithCommand(const std::string& command, const std::string& extra = "");
