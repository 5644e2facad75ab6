#include "app/batch_modes.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "session/build_run.h"
#include "session/build_session.h"
#include "session/build_verdict.h"
#include "session/output_window.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "config/configuration_check.h"
#include "far/host_services.h"
#include "foundation/regular_file.h"
#include "foundation/terminal_escapes.h"
#include "platform/platform.h"
#include "session/folder_tracking.h"
#include "session/source_paths.h"
#include "regex/regex.h"
#include "services/language_file.h"
#include "windows/help_file.h"
#include "xml/xml_reader.h"

namespace {

const char kUserLanguage[] = "English";

// Collects the loader's problems in the order found.
class ProblemCollector : public ConfigurationReporter {
public:
    void report(ConfigurationProblem problem, const char* argument) override {
        problems.emplace_back(problem, argument ? std::string(argument) : std::string());
    }
    std::vector<std::pair<ConfigurationProblem, std::string>> problems;
};

// The text of a problem: the language file's, else our own, filled with its argument.
std::string problemText(const LanguageFile& language, ConfigurationProblem problem, const std::string& argument) {
    std::string format;
    if (problem >= 0 && problem < static_cast<int>(language.messages.size())) format = language.messages[problem];
    if (format.empty()) {
        switch (problem) {
            case ProblemInvalidFilePattern: format = "Invalid file name pattern: %s"; break;
            case ProblemCommandIncomplete: format = "A command lacks its name or parser attribute"; break;
            case ProblemInvalidParser: format = "Invalid entry in parser %s"; break;
            case ProblemNoFileTypes: format = "The configuration defines no file types"; break;
        }
    }
    return formatMessage(format.c_str(), argument.c_str()).text();
}

std::vector<std::string> parserNames() {
    StringList names;
    ListParserNames(names);
    std::vector<std::string> sorted;
    for (int i = 0; i < names.count(); ++i) sorted.push_back(names.at(i)->text());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The text of an output line as a build stores it: without its line end (LF or CR LF), only
// what follows its last lone CR (progress output rewrites its line), colour codes removed and
// other control bytes blank. False for a last line without LF that a CR ends: a build stores
// nothing of it.
bool storedLine(const char* bytes, size_t length, std::string& line) {
    bool ended = length > 0 && bytes[length - 1] == '\n';
    if (ended) --length;
    if (ended && length > 0 && bytes[length - 1] == '\r') --length;
    size_t start = length;
    while (start > 0 && bytes[start - 1] != '\r') --start;
    if (!ended && start == length) return false;
    line.assign(bytes + start, length - start);
    line.resize(static_cast<size_t>(RemoveTerminalEscapes(&line[0], static_cast<int>(line.size()))));
    for (char& ch : line) {
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    }
    return true;
}

bool readConfigurationText(const std::string& path, std::string& text) {
    // A FIFO or a terminal given as the configuration would wait for a writer for ever.
    std::FILE* file = OpenRegularFileForReading(path.c_str());
    if (!file) return false;
    char chunk[16384];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

// "line L, column C: text", with as much of the place as is known.
std::string findingText(const ConfigurationFinding& finding) {
    std::string place = finding.line ? "line " + std::to_string(finding.line) : std::string();
    if (finding.column) place += ", column " + std::to_string(finding.column);
    return place.empty() ? finding.text : place + ": " + finding.text;
}

const char* kindLetter(int kind) {
    switch (kind) {
        case MatchError: return "E";
        case MatchWarning: return "W";
        case MatchNote: return "N";
        default: return "-";
    }
}

// KIND, FILE, LINE, COLUMN and TEXT, as --classify and --run print a line; file, when given,
// stands for the match's own name.
void printClassifiedLine(std::FILE* out, int kind, const LineMatch* match, const char* text,
                         const char* file = nullptr) {
    if (!file) file = kind && match && match->file.text() ? match->file.text() : "";
    std::fprintf(out, "%s\t%s\t%d\t%d\t%s\n", kindLetter(kind), file, kind ? match->line : 0, kind ? match->column : -1,
                 text);
}

// The plug-in's texts for a build without a host: the language file's messages.
LanguageFile headlessLanguage;

const char* WINAPI headlessMessage(INT_PTR, int index) {
    if (index < 0 || index >= static_cast<int>(headlessLanguage.messages.size())) return nullptr;
    return headlessLanguage.messages[static_cast<size_t>(index)].c_str();
}

// The program a command line starts, without its folder and ".exe", in lower case.
std::string programOf(const std::string& command) {
    size_t start = command.find_first_not_of(" \t\"");
    if (start == std::string::npos) return "";
    size_t end = command.find_first_of(" \t\"", start);
    std::string program = command.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t separator = program.find_last_of("/\\");
    if (separator != std::string::npos) program.erase(0, separator + 1);
    for (char& ch : program) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0) program.resize(program.size() - 4);
    return program;
}

// A command name fits a program when it is the program's name, or begins with it and a colon or
// a blank ("gcc: compile").
bool nameFits(const String& name, const std::string& program) {
    std::string text = name.text() ? name.text() : "";
    if (program.empty() || text.size() < program.size()) return false;
    if (strncasecmp(text.c_str(), program.c_str(), program.size()) != 0) return false;
    return text.size() == program.size() || text[program.size()] == ':' || text[program.size()] == ' ';
}

// The parser of the first configured command whose prefix or name fits the program; "" for none.
std::string parserForProgram(const std::string& program) {
    Configuration& model = configuration();
    const PrefixEntry* prefixed = program.empty() ? nullptr : model.prefixes.find(program.c_str());
    for (int i = 0; i < model.fileTypes.count(); ++i) {
        FileType* type = *model.fileTypes.at(i);
        for (int j = 0; j < type->commands.count(); ++j) {
            const BuildCommand* command = *type->commands.at(j);
            if ((prefixed && prefixed->command == command) || nameFits(command->name, program)) {
                return command->parser.text();
            }
        }
    }
    return "";
}

// Loads the configuration for a batch mode; its problems are counted on errors, not shown.
bool loadForBatch(const std::string& configFile, std::FILE* errors) {
    if (!xmlLoadFile(configFile.c_str())) {
        std::fprintf(errors, "tinker: cannot load the configuration %s\n", configFile.c_str());
        return false;
    }
    ProblemCollector collector;
    BuildConfiguration(collector);
    if (!collector.problems.empty()) {
        std::fprintf(errors, "tinker: the configuration has %zu problem(s); see tinker --check-config\n",
                     collector.problems.size());
    }
    return true;
}

}  // namespace

int runHeadlessBuild(const std::string& configFile, const std::string& command, const std::string& parser,
                     const std::string& languageDirectory, std::FILE* out, std::FILE* errors) {
    if (!loadForBatch(configFile, errors)) return 2;
    if (!parser.empty() && !configuration().parsers.find(parser.c_str())) {
        std::fprintf(errors, "tinker: unknown parser '%s' (the configuration has: %s)\n", parser.c_str(),
                     joined(parserNames()).c_str());
        FreeConfiguration();
        return 2;
    }
    headlessLanguage = LanguageFile();
    std::string languagePath = findLanguageFile(languageDirectory, ".lng", kUserLanguage);
    if (!languagePath.empty()) loadLanguageFile(languagePath, headlessLanguage);
    PluginStartupInfo services{};
    services.StructSize = sizeof services;
    services.GetMsg = headlessMessage;
    bindHost(services);

    BuildSession& state = session();
    state.clearOutput();
    state.currentParser.assign(parser.empty() ? parserForProgram(programOf(command)).c_str() : parser.c_str());
    state.lastCommand.assign(command.c_str());
    state.workingDirectory = platform().currentDirectory();
    // No screen: only the line buffer is set up, as wide as a build on screen would have it.
    ClearWindowArea(false);
    RunOutcome outcome;
    int64_t startSeconds = platform().clockSeconds();
    int result = RunCommand(command.c_str(), outcome);
    int64_t elapsed = platform().clockSeconds() - startSeconds;
    int status = 2;
    if (result != RunCompleted) {
        const char* problem = hostMessage(result);
        std::fprintf(errors, "tinker: %s\n", problem ? problem : "the command could not be started");
    } else {
        for (int i = 0; i < state.lineCount(); ++i) {
            const LineMatch* match = state.matchAt(i);
            printClassifiedLine(out, match ? match->kind : MatchNone, match, state.lines.at(i)->text());
        }
        std::fflush(out);
        std::fprintf(errors, "%s\n", MakeVerdict(outcome, elapsed).text());
        status = outcome.stopped ? 130 : outcome.exitStatus;
    }
    state.clearOutput();
    FreeConfiguration();
    return status;
}

int classifyLines(const std::string& configFile, const std::string& parser, const std::string& inputFile,
                  bool resolve, std::FILE* out, std::FILE* errors) {
    if (!loadForBatch(configFile, errors)) return 2;
    int result = 0;
    std::FILE* input = nullptr;
    if (!configuration().parsers.find(parser.c_str())) {
        std::fprintf(errors, "tinker: unknown parser '%s' (the configuration has: %s)\n", parser.c_str(),
                     joined(parserNames()).c_str());
        result = 2;
    } else if (inputFile.empty() || inputFile == "-") {
        input = stdin;
    } else if (!(input = std::fopen(inputFile.c_str(), "rb"))) {
        std::fprintf(errors, "tinker: cannot read %s: %s\n", inputFile.c_str(), std::strerror(errno));
        result = 2;
    } else if (struct stat status; fstat(fileno(input), &status) == 0 && S_ISDIR(status.st_mode)) {
        // A folder opens, then gives no lines: that would pass for an empty output.
        std::fprintf(errors, "tinker: cannot read %s: %s\n", inputFile.c_str(), std::strerror(EISDIR));
        std::fclose(input);
        input = nullptr;
        result = 2;
    }
    if (input) {
        char* buffer = nullptr;
        size_t capacity = 0;
        ssize_t length;
        FolderTracker folders;
        String workingDirectory = platform().currentDirectory();
        while ((length = getline(&buffer, &capacity, input)) >= 0) {
            std::string text;
            if (!storedLine(buffer, static_cast<size_t>(length), text)) continue;
            String line(text.c_str());
            LineMatch match;
            CaptureSpan folder;
            FolderChange change = resolve ? ReadFolderChange(line, folder) : FolderUnchanged;
            if (change) folders.change(change, line.text(), folder);
            int kind = change ? MatchNone : ClassifyLine(parser.c_str(), line, match);
            String file(kind && match.file.text() ? match.file.text() : "");
            if (resolve && !file.empty()) file = ResolveSourceFile(file.text(), folders.folder(folders.current()), workingDirectory);
            printClassifiedLine(out, kind, &match, text.c_str(), file.text());
        }
        std::free(buffer);
        if (std::ferror(input)) {
            std::fprintf(errors, "tinker: cannot read %s: %s\n", input == stdin ? "the standard input" : inputFile.c_str(),
                         std::strerror(errno));
            result = 2;
        }
        if (input != stdin) std::fclose(input);
    }
    FreeConfiguration();
    return result;
}

int checkConfiguration(const std::string& configFile, const std::string& languageDirectory, std::FILE* out) {
    LanguageFile language;
    std::string languagePath = findLanguageFile(languageDirectory, ".lng", kUserLanguage);
    if (!languagePath.empty()) loadLanguageFile(languagePath, language);

    std::fprintf(out, "%s\n", configFile.c_str());
    if (!xmlLoadFile(configFile.c_str())) {
        std::string text;
        bool readable = readConfigurationText(configFile, text);
        std::vector<ConfigurationFinding> findings = CheckConfigurationText(text.c_str());
        const char* unreadable = KindOfPath(configFile.c_str()) == PathKind::Other ? "not a regular file"
                                                                                     : "the file cannot be read";
        std::fprintf(out, "problem: %s\n", readable && !findings.empty() ? findingText(findings.front()).c_str() : unreadable);
        return 1;
    }
    ProblemCollector collector;
    BuildConfiguration(collector);
    std::vector<std::string> problems;
    for (const auto& problem : collector.problems) problems.push_back(problemText(language, problem.first, problem.second));

    // The close reading names the place of each problem and what the loader would ignore unasked.
    std::vector<std::string> warnings;
    std::string text;
    readConfigurationText(configFile, text);
    for (const ConfigurationFinding& finding : CheckConfigurationText(text.c_str())) {
        (finding.problem ? problems : warnings).push_back(findingText(finding));
    }
    for (const std::string& problem : problems) std::fprintf(out, "problem: %s\n", problem.c_str());
    for (const std::string& warning : warnings) std::fprintf(out, "warning: %s\n", warning.c_str());
    Configuration& model = configuration();
    int commands = 0;
    for (int i = 0; i < model.fileTypes.count(); ++i) commands += (*model.fileTypes.at(i))->commands.count();

    std::vector<std::string> prefixes;
    std::string list = model.prefixList.text() ? model.prefixList.text() : "";
    for (size_t start = 0; start < list.size();) {
        size_t colon = list.find(':', start + 1);
        prefixes.push_back(list.substr(start + 1, colon == std::string::npos ? std::string::npos : colon - start - 1));
        if (colon == std::string::npos) break;
        start = colon;
    }
    std::vector<std::string> parsers = parserNames();
    std::fprintf(out, "parsers: %zu (%s)\n", parsers.size(), joined(parsers).c_str());
    std::fprintf(out, "file types: %d\n", model.fileTypes.count());
    std::fprintf(out, "commands: %d\n", commands);
    std::fprintf(out, "prefixes: %zu (%s)\n", prefixes.size(), joined(prefixes).c_str());
    std::fprintf(out, problems.empty() ? "no problems" : "%zu problem(s)", problems.size());
    std::fprintf(out, warnings.empty() ? "\n" : ", %zu warning(s)\n", warnings.size());
    FreeConfiguration();
    return problems.empty() ? 0 : 1;
}

int caretColumn(const std::string& pattern, int errorCode, int errorPos) {
    bool delimited = !pattern.empty() && pattern[0] == '/';
    if (delimited) {
        size_t i = 1;
        while (i < pattern.size() && pattern[i] != '/') i += pattern[i] == '\\' && i + 1 < pattern.size() ? 2 : 1;
        delimited = i < pattern.size();
    }
    int column = delimited && errorCode != ErrBadOption ? errorPos + 1 : errorPos;
    return std::max(std::min(column, static_cast<int>(pattern.size())), 0);
}

int matchPattern(const std::string& pattern, const char* const* subjects, int count, std::FILE* out) {
    Regex regex;
    if (!regex.compile(pattern.c_str(), RegexDelimited | RegexFirstChars)) {
        std::fprintf(out, "error %d at %d\n%s\n%*s^\n", regex.errorCode(), regex.errorPos(), pattern.c_str(),
                     caretColumn(pattern, regex.errorCode(), regex.errorPos()), "");
        return 2;
    }
    int result = 0;
    std::vector<CaptureSpan> spans(static_cast<size_t>(regex.groupCount()));
    for (int i = 0; i < count; ++i) {
        int written = static_cast<int>(spans.size());
        if (regex.match(subjects[i], spans.data(), written)) {
            std::fprintf(out, "match\n");
            for (int span = 0; span < written; ++span) {
                std::fprintf(out, "%d %d %d\n", span, spans[span].start, spans[span].end);
            }
            continue;
        }
        result = 1;
        std::fprintf(out, regex.errorCode() == ErrMatchLimit ? "match limit exceeded\n" : "no match\n");
    }
    return result;
}
