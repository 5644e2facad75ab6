#include "windows/help_viewer.h"

#include <algorithm>
#include <vector>

#include "far/win_types.h"
#include "widgets/frame.h"

namespace {

const uint8_t kTextColor = 0x30;
const uint8_t kHighlightColor = 0x3F;
const uint8_t kLinkColor = 0x3E;
const uint8_t kSelectedLinkColor = 0x0E;
const int kPreferredWidth = 80;

struct LinkPlace {
    int line = 0;
    int column = 0;
    std::string text;
    std::string target;
};

std::string plainTitle(const HelpTopic& topic) {
    std::string title;
    for (const HelpSegment& segment : parseHelpLine(topic.title.empty() ? topic.name : topic.title[0])) {
        title += segment.text;
    }
    size_t first = title.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : title.substr(first);
}

std::vector<LinkPlace> linksOf(const HelpTopic& topic) {
    std::vector<LinkPlace> links;
    for (size_t line = 0; line < topic.lines.size(); ++line) {
        int column = 0;
        for (const HelpSegment& segment : parseHelpLine(topic.lines[line])) {
            if (segment.kind == HelpSegment::Link) {
                links.push_back(LinkPlace{static_cast<int>(line), column, segment.text, segment.target});
            }
            column += static_cast<int>(segment.text.size());
        }
    }
    return links;
}

class HelpWindow {
public:
    HelpWindow(UiContext& ui, const HelpFile& file) : ui_(ui), file_(file) {}

    bool run(const std::string& name) {
        if (!open(name)) return false;
        ScreenSnapshot under = ui_.display.save();
        for (bool done = false; !done;) {
            draw();
            KeyEvent key;
            KeyWait wait = waitForKey(ui_, key);
            if (wait == KeyWait::Ended) break;
            if (wait == KeyWait::Resized) {
                ui_.display.restore(under);
                continue;
            }
            done = handleKey(key);
        }
        ui_.display.restore(under);
        ui_.display.requestFlush();
        return true;
    }

private:
    bool open(const std::string& name) {
        const HelpTopic* topic = file_.find(name);
        if (!topic) return false;
        topic_ = topic;
        links_ = linksOf(*topic);
        top_ = 0;
        link_ = links_.empty() ? -1 : 0;
        return true;
    }

    int rows() const { return std::max(ui_.display.height() - 4, 1); }

    void draw() {
        int screenWidth = ui_.display.width();
        Box box = placeBox(screenWidth, ui_.display.height(), std::min(kPreferredWidth, screenWidth), ui_.display.height() - 2);
        drawFrame(ui_.display, box, kTextColor, true, plainTitle(*topic_));
        int inner = box.width - 4;
        int visible = box.height - 2;
        top_ = std::max(std::min(top_, static_cast<int>(topic_->lines.size()) - visible), 0);
        for (int row = 0; row < visible && top_ + row < static_cast<int>(topic_->lines.size()); ++row) {
            int column = 0;
            int y = box.y + 1 + row;
            for (const HelpSegment& segment : parseHelpLine(topic_->lines[top_ + row])) {
                uint8_t color = segment.kind == HelpSegment::Highlight ? kHighlightColor
                                : segment.kind == HelpSegment::Link    ? kLinkColor
                                                                       : kTextColor;
                if (segment.kind == HelpSegment::Link && link_ >= 0 && links_[link_].line == top_ + row &&
                    links_[link_].column == column) {
                    color = kSelectedLinkColor;
                }
                ui_.display.text(box.x + 2 + column, y, color, fitText(segment.text, inner - column));
                column += static_cast<int>(segment.text.size());
                if (column >= inner) break;
            }
        }
        ui_.display.setCursor(CursorState{});
    }

    void showSelectedLink() {
        if (link_ < 0) return;
        int line = links_[link_].line;
        if (line < top_) top_ = line;
        if (line >= top_ + rows()) top_ = line - rows() + 1;
    }

    bool handleKey(const KeyEvent& key) {
        int count = static_cast<int>(links_.size());
        switch (key.virtualKey) {
            case VK_ESCAPE:
            case VK_F10:
                return true;
            case VK_UP: --top_; break;
            case VK_DOWN: ++top_; break;
            case VK_PRIOR: top_ -= rows(); break;
            case VK_NEXT: top_ += rows(); break;
            case VK_HOME: top_ = 0; break;
            case VK_END: top_ = static_cast<int>(topic_->lines.size()); break;
            case VK_TAB:
                if (count > 0) link_ = (link_ + (isShiftPressed(key) ? count - 1 : 1)) % count;
                showSelectedLink();
                break;
            case VK_RETURN:
                if (link_ >= 0) {
                    std::string from = topic_->name;
                    if (open(links_[link_].target)) history_.push_back(from);
                }
                break;
            case VK_BACK:
                if (!history_.empty()) {
                    open(history_.back());
                    history_.pop_back();
                }
                break;
            default:
                break;
        }
        top_ = std::max(top_, 0);
        return false;
    }

    UiContext& ui_;
    const HelpFile& file_;
    const HelpTopic* topic_ = nullptr;
    std::vector<LinkPlace> links_;
    std::vector<std::string> history_;
    int top_ = 0;
    int link_ = -1;
};

}  // namespace

bool runHelpViewer(UiContext& ui, const HelpFile& file, const std::string& topic) {
    HelpWindow window(ui, file);
    return window.run(topic);
}
