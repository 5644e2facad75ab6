// Loads a fuzzed tinker.xml the way the host makes the plug-in load it (SetStartupInfo), every
// message box answered by the scripted host, and then uses what was built: the command prefixes
// announced to the host, every parser on sample output lines, the commands for sample file
// names and for every prefix. ExitFAR frees it all, and LeakSanitizer checks that nothing stays.
//
// Every problem in the document must reach the user: the message boxes shown are counted
// against the problems found by walking the document independently.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "session/build_session.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "configuration_problem_count.h"
#include "fuzz_check.h"
#include "fuzzed_plugin.h"
#include "plugin/plugin_exports.h"
#include "xml/xml_reader.h"

namespace {

const char* const kSampleLines[] = {
    "hello.c:6:5: error: 'undefined_name' undeclared (first use in this function)",
    "warnonly.c:5:5: warning: 'x' is used uninitialized [-Wuninitialized]",
    "hello.c(6): error C2065: 'undefined_name': undeclared identifier",
    "make: *** [Makefile:4: hello.o] Error 1",
    "  File \"broken.py\", line 3",
    "collect2: error: ld returned 1 exit status",
    "",
};
const char* const kSampleFiles[] = {"hello.c", "src/Main.CPP", "tools/run.py", "Makefile", "", "$1.c"};
// Lines of the input itself are tried too, so that fuzzed patterns can be made to match.
const size_t kInputLinesTried = 4;
const size_t kLongestInputLine = 200;

std::vector<std::string> inputLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (lines.size() < kInputLinesTried && start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start).substr(0, kLongestInputLine);
        lines.push_back(line.c_str());  // a line is text: it ends at a zero byte
        start = end + 1;
    }
    return lines;
}

void classify(const char* parser, const std::string& text) {
    String line(text.c_str());
    LineMatch match;
    int kind = ClassifyLine(parser, line, match);
    FUZZ_CHECK(kind == MatchNone || kind == MatchError || kind == MatchWarning || kind == MatchNote, "classified as %d",
               kind);
    if (kind == MatchNone) return;
    FUZZ_CHECK(match.kind == kind, "match kind %d for a line classified %d", match.kind, kind);
    FUZZ_CHECK(match.file.text() && std::strstr(text.c_str(), match.file.text()),
               "the file name is not part of the line \"%s\"", text.c_str());
}

void classifyWithEveryParser(const std::vector<std::string>& lines) {
    StringList names;
    ListParserNames(names);
    for (int i = 0; i < names.count(); ++i) {
        for (const std::string& line : lines) classify(names.at(i)->text(), line);
    }
    classify("no such parser", kSampleLines[0]);
}

void findCommands(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        List<BuildCommand> commands;
        int found = FindCommandsForFile(String(file.c_str()), commands);
        FUZZ_CHECK(found == commands.count(), "%d commands reported, %d listed", found, commands.count());
    }
}

void resolveEveryPrefix() {
    String list = PrefixListForHost();
    std::string prefixes = list.text() ? list.text() : "";
    size_t start = 0;
    while (start < prefixes.size()) {
        size_t end = prefixes.find(':', start);
        if (end == std::string::npos) end = prefixes.size();
        BuildCommand command;
        ResolvePrefixCommand(prefixes.substr(start, end - start).c_str(), "hello.c", command);
        start = end + 1;
    }
}

void checkAnnouncedPrefix() {
    PluginInfo info{};
    GetPluginInfo(&info);
    FUZZ_CHECK(info.CommandPrefix, "no command prefix announced");
    size_t length = std::strlen(info.CommandPrefix);
    FUZZ_CHECK(length < 1024 && std::strncmp(info.CommandPrefix, "make", 4) == 0,
               "announced a prefix of %zu bytes", length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedPlugin& plugin = fuzzedPlugin();
    // Colours and options outlive a free by design; each run starts from the defaults.
    configuration().colors = ColorSet();
    configuration().options = Options();
    resetBuildSession();
    plugin.forgetHostRecords();

    std::string bytes(reinterpret_cast<const char*>(data), size);
    plugin.writeConfiguration(bytes);
    plugin.start();

    size_t boxes = plugin.host.messageBoxes.size();
    if (!xmlCurrentDocument()) {
        FUZZ_CHECK(boxes == 1, "a configuration that does not load showed %zu messages", boxes);
    } else {
        int expected = expectedConfigurationProblems(xmlCurrentDocument());
        FUZZ_CHECK(boxes == static_cast<size_t>(expected), "%zu messages shown for %d problems", boxes, expected);
    }

    checkAnnouncedPrefix();
    std::vector<std::string> lines(std::begin(kSampleLines), std::end(kSampleLines));
    std::vector<std::string> files(std::begin(kSampleFiles), std::end(kSampleFiles));
    for (const std::string& line : inputLines(bytes)) {
        lines.push_back(line);
        files.push_back(line);
    }
    classifyWithEveryParser(lines);
    findCommands(files);
    resolveEveryPrefix();

    ExitFAR();
    FUZZ_CHECK(!xmlCurrentDocument() && configuration().fileTypes.count() == 0, "ExitFAR left the configuration");
    return 0;
}
