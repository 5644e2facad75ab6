#include <gtest/gtest.h>

#include <algorithm>

#include "host_test_support.h"
#include "windows/help_layout.h"
#include "windows/help_viewer.h"

namespace {

std::vector<std::string> rowTexts(const HelpLayout& layout) {
    std::vector<std::string> texts;
    for (const std::vector<HelpPiece>& row : layout.rows) {
        std::string text;
        for (const HelpPiece& piece : row) {
            text.resize(piece.column, ' ');
            text += piece.text;
        }
        texts.push_back(text);
    }
    return texts;
}

std::string withoutBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// Looks at the screen once the first key is asked for, then closes the window with Esc.
class LookThenEscape : public KeySource {
public:
    explicit LookThenEscape(UiFixture& fixture) : fixture_(fixture) {}
    bool readKey(KeyEvent& event) override {
        if (rows.empty()) {
            for (int y = 0; y < fixture_.display.height(); ++y) rows.push_back(fixture_.row(y));
        }
        event = KeyEvent();
        event.isKey = event.keyDown = true;
        event.virtualKey = VK_ESCAPE;
        return true;
    }
    std::vector<std::string> rows;

private:
    UiFixture& fixture_;
};

}  // namespace

TEST(HelpLayout, ParagraphsWrapUnderTheirIndentationAndLoseNothing) {
    HelpTopic topic;
    topic.lines = {"  alpha beta ~gamma delta~@Next@", " abcdefghijklmnop", "", "    #F4#  next", " one two", "three"};
    HelpLayout layout = layOutHelpTopic(topic, 12);
    EXPECT_EQ(rowTexts(layout), (std::vector<std::string>{"  alpha beta", "  gamma", "  delta", " abcdefghijk", " lmnop", "",
                                                           "    F4  next", " one two", " three"}));
    ASSERT_EQ(layout.links.size(), 1u);
    EXPECT_EQ(layout.links[0].row, 1);
    EXPECT_EQ(layout.links[0].target, "Next");
    EXPECT_EQ(layout.rows[2][0].link, 0);  // the link's second half is the same link
    EXPECT_EQ(layout.rows[6][1].kind, HelpSegment::Highlight);
    EXPECT_EQ(rowTexts(layOutHelpTopic(topic, 40)).back(), " one two three");  // "three" carries the paragraph on

    // The shipped help: at any width every character is kept and no row is wider than the room;
    // with room enough, every line that starts a paragraph shows whole at the start of a row.
    HelpFile help;
    ASSERT_TRUE(loadHelpFile(std::string(TINKER_DATA_DIR) + "/tinker.hlf", help));
    for (const HelpTopic& shipped : help.topics) {
        std::string shown;
        for (const std::string& line : shipped.lines) {
            for (const HelpSegment& segment : parseHelpLine(line)) shown += segment.text;
        }
        for (int width : {20, 76, 200}) {
            HelpLayout laid = layOutHelpTopic(shipped, width);
            std::string kept;
            for (const std::string& row : rowTexts(laid)) {
                EXPECT_LE(static_cast<int>(row.size()), width) << shipped.name << ": " << row;
                kept += row;
            }
            EXPECT_EQ(withoutBlanks(kept), withoutBlanks(shown)) << shipped.name << " at " << width;
            for (const HelpLink& link : laid.links) EXPECT_GE(link.row, 0);
            if (width < widestHelpLine(shipped)) continue;
            std::vector<std::string> rows = rowTexts(laid);
            for (const std::string& line : shipped.lines) {
                if (line.empty() || line[0] != ' ') continue;
                std::string plain;
                for (const HelpSegment& segment : parseHelpLine(line)) plain += segment.text;
                bool whole = std::any_of(rows.begin(), rows.end(),
                                         [&](const std::string& row) { return row.rfind(plain, 0) == 0; });
                EXPECT_TRUE(whole) << shipped.name << ": " << plain;
            }
        }
    }
}

TEST(HelpViewer, ShowsTheWholeTextOfItsTopicOnAnyScreen) {
    HelpFile help;
    ASSERT_TRUE(loadHelpFile(std::string(TINKER_DATA_DIR) + "/tinker.hlf", help));
    const std::string sentence = "configuration gives for a file, shows";
    {
        // 80 columns: the paragraph is filled to the box's width and nothing is cut at its edge.
        UiFixture fixture(80, 25);
        LookThenEscape look(fixture);
        UiContext ui{fixture.display, look};
        EXPECT_TRUE(runHelpViewer(ui, help, "Contents"));
        auto row = std::find_if(look.rows.begin(), look.rows.end(),
                                [](const std::string& text) { return text.find("gives for a file,") != std::string::npos; });
        ASSERT_NE(row, look.rows.end());
        EXPECT_EQ(row->find(sentence), std::string::npos) << *row;
        EXPECT_NE((row + 1)->find("#  shows every line"), std::string::npos) << *(row + 1);
    }
    {
        // A wide screen gives the box the width of the widest line.
        UiFixture fixture(120, 30);
        LookThenEscape look(fixture);
        UiContext ui{fixture.display, look};
        EXPECT_TRUE(runHelpViewer(ui, help, "Configuration"));
        bool whole = false;
        for (const std::string& text : look.rows) {
            whole = whole || text.find("prefix=\"gcc\">gcc -c $0 -o $1.o</command>") != std::string::npos;
        }
        EXPECT_TRUE(whole);
    }
}
