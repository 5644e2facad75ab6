#include "windows/help_viewer.h"

#include <algorithm>
#include <vector>

#include "far/win_types.h"
#include "widgets/frame.h"
#include "windows/help_layout.h"

namespace {

const uint8_t kTextColor = 0x30;
const uint8_t kHighlightColor = 0x3F;
const uint8_t kLinkColor = 0x3E;
const uint8_t kSelectedLinkColor = 0x0E;
const int kPreferredWidth = 80;

std::string plainTitle(const HelpTopic& topic) {
    std::string title;
    for (const HelpSegment& segment : parseHelpLine(topic.title.empty() ? topic.name : topic.title[0])) {
        title += segment.text;
    }
    size_t first = title.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : title.substr(first);
}

class HelpWindow {
public:
    HelpWindow(UiContext& ui, const HelpFile& file) : ui_(ui), file_(file) {}

    bool run(const std::string& name) {
        if (!open(name)) return false;
        runModal(ui_, [this] { draw(); }, [this](const KeyEvent& key) { return handleKey(key); });
        return true;
    }

private:
    bool open(const std::string& name) {
        const HelpTopic* topic = file_.find(name);
        if (!topic) return false;
        topic_ = topic;
        layout_ = HelpLayout();
        layoutWidth_ = -1;
        top_ = 0;
        link_ = -1;
        return true;
    }

    int rows() const { return std::max(ui_.display.height() - 4, 1); }

    // The box is as wide as the topic's widest line needs, within the screen.
    Box box() const {
        int screenWidth = ui_.display.width();
        int width = std::min(std::max(kPreferredWidth, widestHelpLine(*topic_) + 4), screenWidth);
        return placeBox(screenWidth, ui_.display.height(), width, ui_.display.height() - 2);
    }

    // Lays the topic out again when the room for it changed.
    void layOut(int width) {
        if (width == layoutWidth_) return;
        layout_ = layOutHelpTopic(*topic_, width);
        layoutWidth_ = width;
        if (link_ < 0 || link_ >= static_cast<int>(layout_.links.size())) link_ = layout_.links.empty() ? -1 : 0;
    }

    void draw() {
        Box frame = box();
        drawFrame(ui_.display, frame, kTextColor, true, plainTitle(*topic_));
        layOut(frame.width - 4);
        int visible = frame.height - 2;
        int rowCount = static_cast<int>(layout_.rows.size());
        top_ = std::max(std::min(top_, rowCount - visible), 0);
        for (int row = 0; row < visible && top_ + row < rowCount; ++row) {
            int y = frame.y + 1 + row;
            for (const HelpPiece& piece : layout_.rows[top_ + row]) {
                uint8_t color = piece.kind == HelpSegment::Highlight ? kHighlightColor
                                : piece.kind == HelpSegment::Link    ? kLinkColor
                                                                     : kTextColor;
                if (piece.link >= 0 && piece.link == link_) color = kSelectedLinkColor;
                ui_.display.text(frame.x + 2 + piece.column, y, color, piece.text);
            }
        }
        ui_.display.setCursor(CursorState{});
    }

    void showSelectedLink() {
        if (link_ < 0) return;
        int line = layout_.links[link_].row;
        if (line < top_) top_ = line;
        if (line >= top_ + rows()) top_ = line - rows() + 1;
    }

    bool handleKey(const KeyEvent& key) {
        int count = static_cast<int>(layout_.links.size());
        switch (key.virtualKey) {
            case VK_ESCAPE:
            case VK_F10:
                return true;
            case VK_UP: --top_; break;
            case VK_DOWN: ++top_; break;
            case VK_PRIOR: top_ -= rows(); break;
            case VK_NEXT: top_ += rows(); break;
            case VK_HOME: top_ = 0; break;
            case VK_END: top_ = static_cast<int>(layout_.rows.size()); break;
            case VK_TAB:
                if (count > 0) link_ = (link_ + (isShiftPressed(key) ? count - 1 : 1)) % count;
                showSelectedLink();
                break;
            case VK_RETURN:
                if (link_ >= 0) {
                    std::string from = topic_->name;
                    if (open(layout_.links[link_].target)) history_.push_back(from);
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
    HelpLayout layout_;
    int layoutWidth_ = -1;
    std::vector<std::string> history_;
    int top_ = 0;
    int link_ = -1;
};

}  // namespace

bool runHelpViewer(UiContext& ui, const HelpFile& file, const std::string& topic) {
    HelpWindow window(ui, file);
    return window.run(topic);
}
