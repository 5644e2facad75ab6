#pragma once

#include <string>
#include <vector>

// What the host showed at the end of one drawing pass, with the number of console input
// records still waiting then (which tells which key the window was about to read).
struct ScreenFrame {
    int pendingInput = 0;
    std::vector<std::string> characters;
    std::vector<std::vector<int>> attributes;

    // The row without its trailing blanks.
    std::string rowText(int y) const {
        std::string text = characters.at(y);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    }
    int attributeAt(int x, int y) const { return attributes.at(y).at(x); }
};
