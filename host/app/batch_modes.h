#pragma once

#include <cstdio>
#include <string>

// The modes of `tinker` that need no screen. They use the plug-in's own code (the core
// library) directly. Each returns the process exit code.

// Classifies every line of the file ("" or "-": standard input) with the parser and prints
// KIND, FILE, LINE, COLUMN and TEXT separated by tabs. With resolve, FILE is the path that
// Enter would open, the folders make and ninja enter followed from the current directory on.
// 2 for an unknown parser or a file that cannot be read.
int classifyLines(const std::string& configFile, const std::string& parser, const std::string& inputFile,
                  bool resolve, std::FILE* out, std::FILE* errors);

// Runs the command as a build through the plug-in's own run and capture, without a screen, and
// prints every stored line as classifyLines does, then the verdict on errors. The parser is the
// named one, else that of the first configured command whose prefix or name is the command's
// program, else none (plain text). Returns the build's exit status, 130 when Ctrl+C stopped
// it, 2 for an unknown parser or a command that cannot start. The language file in
// languageDirectory gives the verdict its texts.
int runHeadlessBuild(const std::string& configFile, const std::string& command, const std::string& parser,
                     const std::string& languageDirectory, std::FILE* out, std::FILE* errors);

// Loads a configuration, prints every problem found and a summary; 1 when anything was found.
// The language file in languageDirectory gives the problems their texts.
int checkConfiguration(const std::string& configFile, const std::string& languageDirectory, std::FILE* out);

// Compiles the pattern as the configuration does and matches every subject: 0 when all
// matched, 1 when one did not, 2 when the pattern does not compile.
int matchPattern(const std::string& pattern, const char* const* subjects, int count, std::FILE* out);

// Where under the pattern text the caret of a compile error goes: expression errors count
// from inside the delimiters, option and delimiter errors from the pattern's start.
int caretColumn(const std::string& pattern, int errorCode, int errorPos);
