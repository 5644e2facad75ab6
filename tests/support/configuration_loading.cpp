#include "support/configuration_loading.h"

#include "support/temporary_directory.h"
#include "xml/xml_reader.h"

void RecordingReporter::report(ConfigurationProblem problem, const char* argument) {
    std::string entry = std::to_string(static_cast<int>(problem));
    if (argument) entry += std::string(":") + argument;
    problems.push_back(entry);
}

int loadConfigurationFile(const std::string& path, RecordingReporter& reporter) {
    FreeConfiguration();
    if (!xmlLoadFile(path.c_str())) return -1;
    return BuildConfiguration(reporter);
}

int loadConfigurationText(const std::string& xml, RecordingReporter& reporter) {
    TemporaryDirectory directory;
    return loadConfigurationFile(directory.write("tinker.xml", xml), reporter);
}

std::string describeMatch(int kind, const LineMatch& match) {
    if (kind == 0) return "-";
    return std::string(kind == MatchError ? "E " : kind == MatchNote ? "N " : "W ") + match.file.text() + ":" + std::to_string(match.line) + ":" +
           std::to_string(match.column);
}
