#include "app/shell_command.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

int runOnTerminal(int terminalFd, const std::vector<std::string>& arguments) {
    if (arguments.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        dup2(terminalFd, 0);
        dup2(terminalFd, 1);
        dup2(terminalFd, 2);
        static const int reset[] = {SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGHUP, SIGWINCH, SIGXFSZ};
        for (int signalNumber : reset) signal(signalNumber, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

std::vector<std::string> shellArguments(const std::string& command) { return {"/bin/sh", "-c", command}; }

std::vector<std::string> editorArguments(const std::string& path, int line) {
    // $EDITOR may carry options of its own ("code -w"): the shell splits it.
    return {"/bin/sh", "-c", "exec ${EDITOR:-vi} \"$@\"", "tinker", "+" + std::to_string(line), path};
}
