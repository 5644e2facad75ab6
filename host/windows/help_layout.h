#pragma once

#include <string>
#include <vector>

#include "windows/help_file.h"

// A help topic's lines laid out in rows of a width. As in the host's help files, a line that
// starts with a blank begins a paragraph and a line that does not carries on the one above; a
// paragraph longer than the width wraps at a blank (or, in a word longer than a row, anywhere)
// and goes on under its own indentation, so that nothing of it is lost at the window's edge.
struct HelpPiece {
    int column = 0;
    std::string text;
    HelpSegment::Kind kind = HelpSegment::Plain;
    int link = -1;  // index into HelpLayout::links
};

struct HelpLink {
    int row = 0;  // the row it starts in
    std::string target;
};

struct HelpLayout {
    std::vector<std::vector<HelpPiece>> rows;
    std::vector<HelpLink> links;
};

HelpLayout layOutHelpTopic(const HelpTopic& topic, int width);
// The widest line of the topic as shown (markup removed).
int widestHelpLine(const HelpTopic& topic);
