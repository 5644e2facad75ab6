#include "line_classifier.h"

const std::vector<ParserEntry>& gccParser() {
    static const std::vector<ParserEntry> entries = {
        {1, "/^(.+):(\\d+):(\\d+): (fatal )?error/", "^(.+):(\\d+):(\\d+): (fatal )?error", 1, 2, 3},
        {1, "/^make(\\[\\d+\\])?: \\*\\*\\* /", "^make(\\[\\d+\\])?: \\*\\*\\* ", -1, 0, -1},
        {2, "/^(.+):(\\d+):(\\d+): warning/", "^(.+):(\\d+):(\\d+): warning", 1, 2, 3},
    };
    return entries;
}
