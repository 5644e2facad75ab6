#pragma once

#include <string>
#include <vector>

// Runs a program on the terminal (its standard input, output and error), in our process group
// so that Ctrl+C reaches it, and waits for it. Returns the wait status, -1 when it could not
// be started.
int runOnTerminal(int terminalFd, const std::vector<std::string>& arguments);

// The arguments that run a shell command line.
std::vector<std::string> shellArguments(const std::string& command);
// The arguments that open a file in the user's $EDITOR (vi without one) at a 1-based line.
std::vector<std::string> editorArguments(const std::string& path, int line);
