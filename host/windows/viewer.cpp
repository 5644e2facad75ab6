#include "windows/viewer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "widgets/frame.h"
#include "widgets/ui_context.h"

namespace {

const uint8_t kTextColor = 0x1B;
const uint8_t kCursorColor = 0x30;
const uint8_t kStatusColor = 0x30;

}  // namespace

std::string expandTabs(const std::string& text, int tabSize) {
    std::string out;
    for (char ch : text) {
        if (ch == '\t') {
            out.append(tabSize - out.size() % tabSize, ' ');
        } else {
            out += ch == 0 ? ' ' : ch;
        }
    }
    return out;
}

bool Viewer::load(const std::string& path, std::string& error) {
    std::ifstream input(path, std::ios::binary);
    if (!input) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (input.bad()) {
        error = std::strerror(errno);
        return false;
    }
    if (lines.empty()) lines.emplace_back();
    path_ = path;
    lines_.swap(lines);
    moveTo(line_, pos_);
    return true;
}

bool Viewer::reload(std::string& error) { return load(path_, error); }

void Viewer::moveTo(int line, int pos) {
    line_ = std::max(std::min(line, lineCount() - 1), 0);
    pos_ = std::max(pos, 0);
    keepVisible(lastWidth_, lastRows_);
}

int Viewer::tabColumn(int line, int pos) const {
    const std::string& text = lines_[line];
    int column = 0;
    for (int i = 0; i < pos; ++i) {
        if (i < static_cast<int>(text.size()) && text[i] == '\t') {
            column += kTabSize - column % kTabSize;
        } else {
            ++column;
        }
    }
    return column;
}

void Viewer::keepVisible(int width, int textRows) {
    textRows = std::max(textRows, 1);
    if (line_ < top_) top_ = line_;
    if (line_ >= top_ + textRows) top_ = line_ - textRows + 1;
    top_ = std::max(std::min(top_, lineCount() - 1), 0);
    int column = tabColumn(line_, pos_);
    if (column < left_) left_ = column;
    if (column >= left_ + width) left_ = column - width + 1;
    left_ = std::max(left_, 0);
}

bool Viewer::handleKey(const KeyEvent& key, int textRows) {
    int length = static_cast<int>(lines_[line_].size());
    bool control = isControlPressed(key);
    switch (key.virtualKey) {
        case VK_UP: --line_; break;
        case VK_DOWN: ++line_; break;
        case VK_LEFT:
            if (pos_ > length) pos_ = length;
            if (pos_ > 0) --pos_;
            break;
        case VK_RIGHT: ++pos_; break;
        case VK_PRIOR: line_ -= textRows; top_ -= textRows; break;
        case VK_NEXT: line_ += textRows; top_ += textRows; break;
        case VK_HOME:
            if (control) line_ = 0;
            pos_ = 0;
            break;
        case VK_END:
            if (control) line_ = lineCount() - 1;
            pos_ = static_cast<int>(lines_[std::max(std::min(line_, lineCount() - 1), 0)].size());
            break;
        default:
            return false;
    }
    line_ = std::max(std::min(line_, lineCount() - 1), 0);
    top_ = std::max(std::min(top_, lineCount() - 1), 0);
    keepVisible(lastWidth_, textRows);
    return true;
}

int Viewer::cursorScreenX() const { return tabColumn(line_, pos_) - left_; }

void Viewer::draw(Display& display, int width, int textRows) {
    lastWidth_ = width;
    lastRows_ = textRows;
    keepVisible(width, textRows);
    std::string position = "Line " + std::to_string(line_ + 1) + "/" + std::to_string(lineCount()) + "  Col " +
                           std::to_string(pos_ + 1) + " ";
    int nameWidth = std::max(width - static_cast<int>(position.size()) - 1, 0);
    std::string name = path_.size() > static_cast<size_t>(nameWidth) && nameWidth > 1
                           ? "<" + path_.substr(path_.size() - nameWidth + 1)
                           : path_;
    std::string status = fitText(name, nameWidth);
    status.resize(std::max(width - static_cast<int>(position.size()), 0), ' ');
    status += position;
    display.text(0, 0, kStatusColor, fitText(status, width));

    for (int row = 0; row < textRows; ++row) {
        int index = top_ + row;
        std::string text;
        if (index < lineCount()) {
            std::string expanded = expandTabs(lines_[index], kTabSize);
            if (left_ < static_cast<int>(expanded.size())) text = expanded.substr(left_, width);
        }
        text.resize(width, ' ');
        display.text(0, 1 + row, kTextColor, text);
    }
    int cursorX = cursorScreenX();
    int cursorY = cursorScreenY();
    if (cursorY >= 1 && cursorY <= textRows && cursorX >= 0 && cursorX < width) {
        Cell under = display.cellAt(cursorX, cursorY);
        display.glyph(cursorX, cursorY, kCursorColor, under.character);
    }
}

void Viewer::fillEditorInfo(EditorInfo& info, int width, int textRows) const {
    std::memset(&info, 0, sizeof info);
    info.EditorID = id_;
    info.FileName = path_.c_str();
    info.WindowSizeX = width;
    info.WindowSizeY = textRows;
    info.TotalLines = lineCount();
    info.CurLine = line_;
    info.CurPos = pos_;
    info.CurTabPos = tabColumn(line_, pos_);
    info.TopScreenLine = top_;
    info.LeftPos = left_;
    info.Overtype = 0;
    info.TabSize = kTabSize;
}

void Viewer::applyPosition(const EditorSetPosition& place, int width, int textRows) {
    // A negative value leaves that item as it is.
    if (place.CurLine >= 0) line_ = std::min(place.CurLine, lineCount() - 1);
    if (place.CurPos >= 0) {
        pos_ = place.CurPos;
    } else if (place.CurTabPos >= 0) {
        const std::string& text = lines_[line_];
        int pos = 0;
        while (pos < static_cast<int>(text.size()) && tabColumn(line_, pos + 1) <= place.CurTabPos) ++pos;
        pos_ = pos + std::max(place.CurTabPos - tabColumn(line_, pos), 0);
    }
    if (place.TopScreenLine >= 0) top_ = std::min(place.TopScreenLine, lineCount() - 1);
    if (place.LeftPos >= 0) left_ = place.LeftPos;
    lastWidth_ = width;
    lastRows_ = textRows;
    keepVisible(width, textRows);
}

bool Viewer::saveAs(const std::string& path, const char* lineEnd) const {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    if (!output) return false;
    const char* end = lineEnd && *lineEnd ? lineEnd : "\n";
    for (const std::string& text : lines_) output << text << end;
    return static_cast<bool>(output.flush());
}
