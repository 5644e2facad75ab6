#include "windows/help_layout.h"

#include <algorithm>

namespace {

// The characters of a line as shown, each with the segment it came from.
struct ShownLine {
    std::string text;
    std::vector<HelpSegment::Kind> kinds;
    std::vector<int> links;
};

void appendLine(const std::string& line, ShownLine& shown, HelpLayout& layout) {
    for (const HelpSegment& segment : parseHelpLine(line)) {
        int link = -1;
        if (segment.kind == HelpSegment::Link) {
            link = static_cast<int>(layout.links.size());
            layout.links.push_back(HelpLink{-1, segment.target});
        }
        shown.text += segment.text;
        shown.kinds.insert(shown.kinds.end(), segment.text.size(), segment.kind);
        shown.links.insert(shown.links.end(), segment.text.size(), link);
    }
}

// The topic's paragraphs: a line without a blank in front joins the text line above it.
std::vector<ShownLine> paragraphsOf(const HelpTopic& topic, HelpLayout& layout) {
    std::vector<ShownLine> paragraphs;
    bool joinable = false;
    for (const std::string& line : topic.lines) {
        bool continues = joinable && !line.empty() && line[0] != ' ';
        if (continues) {
            ShownLine& paragraph = paragraphs.back();
            paragraph.text += ' ';
            paragraph.kinds.push_back(HelpSegment::Plain);
            paragraph.links.push_back(-1);
        } else {
            paragraphs.emplace_back();
        }
        appendLine(line, paragraphs.back(), layout);
        joinable = !line.empty();
    }
    return paragraphs;
}

// One row: the characters [from, to) of the line from a column, in pieces of one kind and link.
void addRow(const ShownLine& shown, size_t from, size_t to, int column, HelpLayout& layout) {
    int row = static_cast<int>(layout.rows.size());
    layout.rows.emplace_back();
    std::vector<HelpPiece>& pieces = layout.rows.back();
    for (size_t i = from; i < to; ++i) {
        if (pieces.empty() || pieces.back().kind != shown.kinds[i] || pieces.back().link != shown.links[i]) {
            pieces.push_back(HelpPiece{column + static_cast<int>(i - from), std::string(), shown.kinds[i], shown.links[i]});
            int link = shown.links[i];
            if (link >= 0 && layout.links[link].row < 0) layout.links[link].row = row;
        }
        pieces.back().text += shown.text[i];
    }
}

}  // namespace

HelpLayout layOutHelpTopic(const HelpTopic& topic, int width) {
    width = std::max(width, 1);
    HelpLayout layout;
    for (const ShownLine& shown : paragraphsOf(topic, layout)) {
        const std::string& text = shown.text;
        size_t indent = std::min(text.find_first_not_of(' '), text.size());
        // Deep indentation would leave no room for the text that wraps under it.
        size_t continuation = indent < static_cast<size_t>(width) / 2 ? indent : 0;
        size_t position = 0;
        for (bool first = true;; first = false) {
            size_t column = first ? 0 : continuation;
            size_t room = width - column;
            if (text.size() - position <= room) {
                addRow(shown, position, text.size(), static_cast<int>(column), layout);
                break;
            }
            // The last blank that ends a row with something besides blanks on it.
            size_t end = position + room;
            size_t start = first ? std::max(position, indent) : position;
            while (end > start && text[end] != ' ') --end;
            if (end <= start) end = position + room;
            addRow(shown, position, end, static_cast<int>(column), layout);
            position = end;
            while (position < text.size() && text[position] == ' ') ++position;
            if (position == text.size()) break;
        }
    }
    return layout;
}

int widestHelpLine(const HelpTopic& topic) {
    int widest = 0;
    for (const std::string& line : topic.lines) {
        int width = 0;
        for (const HelpSegment& segment : parseHelpLine(line)) width += static_cast<int>(segment.text.size());
        widest = std::max(widest, width);
    }
    return widest;
}
