// tinker: the terminal host of the Tinker plug-in, and its batch modes.

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/batch_modes.h"
#include "app/terminal_host.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  tinker [--module PATH] [COMMAND]\n"
    "      The terminal host: a file panel of the current folder with a command line.\n"
    "      A command line that starts with one of the plug-in's prefixes and a colon\n"
    "      (make:hello.c, gcc:hello.c) runs a build; \"cd DIR\" changes the folder; any\n"
    "      other line runs in the shell. COMMAND is run once at the start, as if typed.\n"
    "      Keys: Enter runs the line or enters a folder, F3/F4 view a file, F11 the\n"
    "      plug-ins menu (also in the viewer), F12 the window list, F1 all keys, F10 quits.\n"
    "      In the output window: Enter opens the error's place, F8 / Shift+F8 step\n"
    "      through the errors, Esc closes; Ctrl+C stops a running build.\n"
    "\n"
    "  tinker [--config FILE] --classify PARSER [FILE]\n"
    "      Classifies every line of FILE (standard input without one, or with \"-\") with\n"
    "      the parser PARSER of the configuration and prints one line per input line:\n"
    "      KIND<TAB>FILE<TAB>LINE<TAB>COLUMN<TAB>TEXT, KIND being E (error), W (warning) or\n"
    "      - (neither); FILE is empty, LINE 0 and COLUMN -1 where the match gives none.\n"
    "      Exit 2 for an unknown parser or an unreadable file.\n"
    "\n"
    "  tinker [--config FILE] --check-config [FILE]\n"
    "      Loads a configuration (FILE, else the --config file, else the one beside the\n"
    "      module) and prints every problem found, then a summary of its parsers, file\n"
    "      types, commands and prefixes. Exit 1 when anything was found.\n"
    "\n"
    "  tinker --match PATTERN SUBJECT...\n"
    "      Compiles PATTERN as the configuration does (/expression/letters) and matches it\n"
    "      against every SUBJECT from its first character: prints \"match\" and one line\n"
    "      \"N START END\" per capture group (-1 -1 for a group that took no part), or\n"
    "      \"no match\" (\"match limit exceeded\" when the match ran out of steps). A pattern\n"
    "      that does not compile prints \"error CODE at POS\" and the pattern with a caret\n"
    "      under the place. Exit 0 when every subject matched, 1 when one did not, 2 for\n"
    "      a pattern that does not compile.\n"
    "\n"
    "options:\n"
    "  --module PATH   the plug-in module (default: tinker.so beside this program); its\n"
    "                  folder holds tinker.xml, the language file and the help file\n"
    "  --config FILE   the configuration for the batch modes (default: tinker.xml beside\n"
    "                  the module)\n"
    "  --help          this text\n";

enum class Mode { Interactive, Classify, Check, Match };

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string programDirectory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    path[length] = 0;
    return directoryOf(path);
}

int usageError(const std::string& problem) {
    std::fprintf(stderr, "tinker: %s\n\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Mode mode = Mode::Interactive;
    std::string module;
    std::string config;
    std::vector<std::string> arguments;
    std::vector<const char*> subjects;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        // Everything after the pattern is a subject, whatever it looks like.
        if (mode == Mode::Match && !arguments.empty()) {
            subjects.push_back(argv[i]);
        } else if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == "--module" || argument == "--config") {
            if (i + 1 >= argc) return usageError(argument + " needs a value");
            (argument == "--module" ? module : config) = argv[++i];
        } else if (argument == "--classify" || argument == "--check-config" || argument == "--match") {
            if (mode != Mode::Interactive) return usageError("only one of --classify, --check-config and --match");
            mode = argument == "--classify" ? Mode::Classify : argument == "--check-config" ? Mode::Check : Mode::Match;
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
            return usageError("unknown option " + argument);
        } else {
            arguments.push_back(argument);
        }
    }

    if (module.empty()) module = programDirectory() + "/tinker.so";
    char resolved[PATH_MAX];
    std::string modulePath = realpath(module.c_str(), resolved) ? resolved : module;
    std::string moduleDirectory = directoryOf(modulePath);
    if (config.empty()) config = moduleDirectory + "/tinker.xml";
    // A file-size limit makes a write fail with EFBIG, which is reported, rather than kill us
    // with the terminal left raw.
    signal(SIGXFSZ, SIG_IGN);

    int result = -1;
    switch (mode) {
        case Mode::Classify:
            if (arguments.empty() || arguments.size() > 2) return usageError("--classify takes PARSER [FILE]");
            result = classifyLines(config, arguments[0], arguments.size() > 1 ? arguments[1] : "", stdout, stderr);
            break;
        case Mode::Check:
            if (arguments.size() > 1) return usageError("--check-config takes at most one FILE");
            result = checkConfiguration(arguments.empty() ? config : arguments[0], moduleDirectory, stdout);
            break;
        case Mode::Match:
            if (arguments.empty()) return usageError("--match takes PATTERN SUBJECT...");
            result = matchPattern(arguments[0], subjects.data(), static_cast<int>(subjects.size()), stdout);
            break;
        case Mode::Interactive:
            break;
    }
    if (mode != Mode::Interactive) {
        // What a batch mode printed counts only if it was all written.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "tinker: cannot write the output: %s\n", std::strerror(errno));
            return 2;
        }
        return result;
    }

    if (access(modulePath.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "tinker: cannot find the module %s\n", modulePath.c_str());
        return 2;
    }
    if (modulePath.size() >= NM) {
        std::fprintf(stderr, "tinker: the module path %s is longer than the host interface allows (%d bytes)\n",
                     modulePath.c_str(), NM - 1);
        return 2;
    }
    std::setlocale(LC_CTYPE, "");
    HostOptions options;
    options.modulePath = modulePath;
    for (const std::string& argument : arguments) {
        options.initialCommand += (options.initialCommand.empty() ? "" : " ") + argument;
    }
    TerminalHost host;
    return host.run(options);
}
