#include "support/plugin_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "config/configuration.h"

PluginFixture::PluginFixture() : host(80, 25, std::string(TINKER_DATA_DIR) + "/tinker.lng") {
    resetBuildSession();
    configuration().colors = ColorSet();
    configuration().options = Options();
    savedDirectory_ = std::filesystem::current_path().string();
    std::filesystem::create_directories(moduleDirectory());
}

PluginFixture::~PluginFixture() {
    ExitFAR();
    resetBuildSession();
    std::filesystem::current_path(savedDirectory_);
}

void PluginFixture::writeConfig(const std::string& xml) { directory.write("plugin/tinker.xml", xml); }

void PluginFixture::startPlugin() {
    PluginStartupInfo info = host.startupInfo(moduleDirectory() + "/tinker.so");
    SetStartupInfo(&info);
}

void PluginFixture::openCommandLine(const std::string& text) {
    OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>(text.c_str()));
}

void PluginFixture::openFromPluginsMenu(int choice) {
    host.menuAnswers.push_front(choice);
    OpenPlugin(OPEN_PLUGINSMENU, 0);
}

void PluginFixture::openFromEditor(int choice) {
    host.menuAnswers.push_front(choice);
    OpenPlugin(OPEN_EDITOR, 0);
}

timespec PluginFixture::configTime() const {
    struct stat status;
    EXPECT_EQ(stat(configPath().c_str(), &status), 0);
    return status.st_mtim;
}

void PluginFixture::setConfigTime(const timespec& time) {
    timespec times[2] = {time, time};
    EXPECT_EQ(utimensat(AT_FDCWD, configPath().c_str(), times, 0), 0);
}

void PluginFixture::touchConfig() {
    timespec later = configTime();
    later.tv_sec += 10;
    setConfigTime(later);
}

std::vector<std::string> PluginFixture::outputLines() {
    std::vector<std::string> lines;
    BuildSession& state = session();
    for (int i = 0; i < state.lineCount(); ++i) lines.push_back(state.lines.at(i)->text());
    return lines;
}

std::vector<std::string> PluginFixture::outputMatches() {
    std::vector<std::string> matches;
    BuildSession& state = session();
    for (int i = 0; i < state.lineCount(); ++i) {
        const LineMatch* match = state.matchAt(i);
        if (!match) {
            matches.push_back("-");
            continue;
        }
        matches.push_back(std::string(match->kind == MatchError ? "E " : match->kind == MatchNote ? "N " : "W ") +
                          match->file.text() + ":" +
                          std::to_string(match->line) + ":" + std::to_string(match->column));
    }
    return matches;
}

std::vector<std::string> PluginFixture::messageTexts() {
    std::vector<std::string> texts;
    for (const auto& box : host.messageBoxes) texts.push_back(box.size() > 1 ? box[1] : "");
    return texts;
}

std::string configWithCommand(const std::string& command, const std::string& extra) {
    return "<tinker-config>\n"
           "  <parsers>\n"
           "    <sh>\n"
           "      <error pattern='/^(.+):(\\d+):(\\d+): error/' file='1' line='2' pos='3'/>\n"
           "      <warning pattern='/^(.+):(\\d+):(\\d+): warning/' file='1' line='2' pos='3'/>\n"
           "    </sh>\n"
           "  </parsers>\n"
           "  <types>\n"
           "    <filetype filename='/^(.*)\\.c$/'>\n"
           "      <command name='Run' parser='sh'>" + command + "</command>\n"
           "    </filetype>\n" + extra +
           "  </types>\n"
           "</tinker-config>\n";
}
