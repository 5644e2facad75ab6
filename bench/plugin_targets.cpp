#include "plugin_targets.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench_clock.h"
#include "config/command_resolution.h"
#include "session/build_session.h"
#include "plugin/plugin_exports.h"
#include "support/fake_platform.h"
#include "support/scripted_host.h"

namespace {

const char kTargetName[] = "bench.build";

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

long peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

struct ChildFigures {
    double captureSeconds = 0;
    long capturedLines = 0;
    long peakBytes = 0;
    long baselineBytes = 0;
    double loadSeconds = 0;
    long loadedLines = 0;
    double classifySeconds = 0;
    bool ok = false;
};

ChildFigures runChild(const std::string& moduleDirectory, const std::string& logPath) {
    ChildFigures figures;
    char program[4096];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return figures;
    program[length] = 0;
    std::string command = std::string("'") + program + "' --plugin-child '" + moduleDirectory + "' '" + logPath + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child) return figures;
    figures.ok = std::fscanf(child, "capture %lf %ld %ld %ld load %lf %ld classify %lf", &figures.captureSeconds,
                             &figures.capturedLines, &figures.peakBytes, &figures.baselineBytes, &figures.loadSeconds,
                             &figures.loadedLines, &figures.classifySeconds) == 7;
    figures.ok = pclose(child) == 0 && figures.ok;
    return figures;
}

double timeShell(const std::string& command) {
    double start = wallSeconds();
    if (std::system(command.c_str()) != 0) return 0;
    return wallSeconds() - start;
}

std::string seconds(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s", value);
    return text;
}

std::string megabytes(double bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

}  // namespace

void writeBenchmarkConfiguration(const std::string& defaultConfig, const std::string& moduleDirectory,
                                 const std::string& logPath) {
    std::ifstream input(defaultConfig);
    std::stringstream text;
    text << input.rdbuf();
    std::string xml = text.str();
    std::string type = std::string("<filetype filename=\"/^bench\\.build$/\"><command name=\"cat\" parser=\"gcc\">cat \"") +
                       logPath + "\"</command></filetype>\n  </types>";
    xml.replace(xml.rfind("</types>"), 8, type);
    std::ofstream(moduleDirectory + "/tinker.xml") << xml;
}

int runPluginChild(const std::string& moduleDirectory, const std::string& logPath) {
    long baseline = residentBytes();
    FakePlatform platform;
    ScriptedHost host(80, 25, std::string(TINKER_DATA_DIR) + "/tinker.lng");
    PluginStartupInfo info = host.startupInfo(moduleDirectory + "/tinker.so");
    SetStartupInfo(&info);
    if (!host.messageBoxes.empty()) return 3;

    std::string command = std::string("make:") + kTargetName;
    double start = wallSeconds();
    OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>(command.c_str()));
    double captureSeconds = wallSeconds() - start;
    long capturedLines = session().lineCount();
    long peak = peakResidentBytes();

    std::string directory = logPath.substr(0, logPath.rfind('/'));
    if (chdir(directory.c_str()) != 0) return 4;
    host.panelItems = {logPath.substr(logPath.rfind('/') + 1)};
    host.menuAnswers = {3, 0};  // load output; the first of the parsers that recognise it
    double loadStart = threadSeconds();
    OpenPlugin(OPEN_PLUGINSMENU, 0);
    double loadSeconds = threadSeconds() - loadStart;
    long loadedLines = session().lineCount();

    // The load's peer, the classification of the same lines alone, timed right after it, so
    // that both meet the machine at the same speed.
    int classified = 0;
    double classifyStart = threadSeconds();
    session().lines.visitFrom(0, [&classified](int, const String& line) {
        LineMatch match;
        classified += ClassifyLine("gcc", line, match) != MatchNone;
        return true;
    });
    double classifySeconds = threadSeconds() - classifyStart;
    ExitFAR();
    if (classified == 0) return 5;
    std::printf("capture %.6f %ld %ld %ld load %.6f %ld classify %.6f\n", captureSeconds, capturedLines, peak, baseline,
                loadSeconds, loadedLines, classifySeconds);
    return 0;
}

std::vector<TargetResult> measurePluginTargets(const std::string& moduleDirectory, const std::string& logPath,
                                               int rounds) {
    struct stat status {};
    stat(logPath.c_str(), &status);
    long logBytes = static_cast<long>(status.st_size);

    ChildFigures best;
    double bestPeer = 1e300;
    bool ok = true;
    long lines = 0;
    for (int round = 0; round < std::max(rounds, 1); ++round) {
        ChildFigures figures = runChild(moduleDirectory, logPath);
        ok = ok && figures.ok && figures.capturedLines == figures.loadedLines && figures.capturedLines > 0;
        lines = figures.capturedLines;
        if (round == 0 || figures.captureSeconds < best.captureSeconds) best.captureSeconds = figures.captureSeconds;
        if (round == 0 || figures.loadSeconds < best.loadSeconds) best.loadSeconds = figures.loadSeconds;
        if (round == 0 || figures.classifySeconds < best.classifySeconds) best.classifySeconds = figures.classifySeconds;
        if (round == 0 || figures.peakBytes - figures.baselineBytes < best.peakBytes - best.baselineBytes) {
            best.peakBytes = figures.peakBytes;
            best.baselineBytes = figures.baselineBytes;
        }
        double peer = timeShell("cat '" + logPath + "' | wc -l > /dev/null");
        if (peer > 0) bestPeer = std::min(bestPeer, peer);
    }
    std::printf("\nplug-in at work: %ld lines captured and loaded; log %.1f MB\n", lines, double(logBytes) / 1e6);

    double storedBytes = double(best.peakBytes - best.baselineBytes);
    return {
        TargetResult{"capture", seconds(best.captureSeconds) + " (RunBuild of `cat log`, scripted host)",
                     best.captureSeconds, seconds(bestPeer) + " (`cat log | wc -l`)", bestPeer, 3, ok},
        TargetResult{"load", seconds(best.loadSeconds) + " (load output: read, detect, classify)", best.loadSeconds,
                     seconds(best.classifySeconds) + " (ClassifyLine of every loaded line)", best.classifySeconds, 1.5,
                     ok},
        TargetResult{"memory", megabytes(storedBytes) + " (peak resident size of the build)", storedBytes,
                     megabytes(double(logBytes)) + " (bytes of the output's text)", double(logBytes), 2.5, ok},
    };
}
