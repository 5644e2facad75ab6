#pragma once

#include <string>
#include <vector>

// How /bin/sh cuts a command line into the words a program receives, for the quoting a
// composed command may use: blanks between words, single quotes, double quotes with \$ \` \"
// \\ and backslash-newline, a backslash outside quotes, and a $ that no name follows. Anything
// else (an expansion, a substitution, an operator, a glob or comment character where the shell
// acts on it) is not plain words and is reported as the problem.
//
// A name put in with name() is data: none of its characters act, a backslash right before it
// goes, and at the start of a word a leading '-' is given "./", as the composition promises.
class ShellWordSplitter {
public:
    void text(const std::string& text);
    void name(const std::string& name);
    // False when a quote or an escape is left open, or the text was not plain words.
    bool finish(std::vector<std::string>& words);

    const std::string& problem() const { return problem_; }

private:
    enum class Quote { None, Single, Double };

    void append(char ch) {
        word_ += ch;
        wordExists_ = true;
    }
    void endWord();
    void fail(const char* what, size_t at);

    Quote quote_ = Quote::None;
    bool escaped_ = false;
    bool wordExists_ = false;
    std::string word_;
    std::vector<std::string> words_;
    std::string problem_;
};
