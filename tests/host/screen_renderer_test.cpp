#include <gtest/gtest.h>

#include <clocale>

#include "platform/posix/terminal_text.h"
#include "support/terminal_output_check.h"
#include "terminal/screen_renderer.h"

namespace {

Screen screenWith(int width, int height, const std::string& text, uint8_t attribute, int x = 0, int y = 0) {
    Screen screen(width, height);
    screen.text(x, y, attribute, text.data(), static_cast<int>(text.size()));
    return screen;
}

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
    return found;
}

// The renderer takes UTF-8 only where the locale does, and asks the locale for widths.
class ScreenRendererInUtf8 : public testing::Test {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_CTYPE, nullptr);
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    }
    void TearDown() override { std::setlocale(LC_CTYPE, saved_.c_str()); }

private:
    std::string saved_;
};

}  // namespace

TEST(ScreenRenderer, ConsoleColoursBecomeAnsiColours) {
    EXPECT_EQ(ansiColors(0x07), "37;40");
    EXPECT_EQ(ansiColors(0x0C), "91;40");   // light red
    EXPECT_EQ(ansiColors(0x70), "30;47");   // black on grey
    EXPECT_EQ(ansiColors(0x1E), "93;44");   // yellow on blue
    EXPECT_EQ(ansiColors(0xC1), "34;101");  // blue on light red
    EXPECT_EQ(ansiColors(0x83), "36;100");  // cyan on dark grey
}

TEST(ScreenRenderer, WritesOnlyTheCellsThatChanged) {
    ScreenRenderer renderer(true);
    Screen screen = screenWith(20, 3, "hello", 0x1E);
    std::string first = renderer.render(screen, CursorState{});
    EXPECT_NE(first.find("\x1b[93;44mhello"), std::string::npos);
    EXPECT_EQ(count(first, " "), 20u * 3 - 5);  // the first render paints every cell

    EXPECT_EQ(renderer.render(screen, CursorState{}), "");

    screen.text(3, 2, 0x1E, "X", 1);
    std::string change = renderer.render(screen, CursorState{});
    EXPECT_NE(change.find("\x1b[3;4H\x1b[93;44mX"), std::string::npos);
    EXPECT_EQ(change.find("hello"), std::string::npos);
    EXPECT_EQ(count(change, " "), 0u);

    // Two changes a few cells apart go out as one run; far apart, as two.
    screen.text(0, 1, 0x07, "ab", 2);
    screen.text(5, 1, 0x07, "cd", 2);
    screen.text(18, 1, 0x07, "e", 1);
    std::string runs = renderer.render(screen, CursorState{});
    EXPECT_NE(runs.find("ab   cd"), std::string::npos);
    EXPECT_NE(runs.find("\x1b[2;19He"), std::string::npos);
}

TEST(ScreenRenderer, SetsColoursOnlyWhenTheyChange) {
    ScreenRenderer renderer(true);
    Screen screen(10, 1);
    screen.text(0, 0, 0x0C, "ab", 2);
    screen.text(2, 0, 0x0C, "cd", 2);
    screen.text(4, 0, 0x0A, "ef", 2);
    std::string bytes = renderer.render(screen, CursorState{});
    EXPECT_EQ(count(bytes, "\x1b[91;40m"), 1u);
    EXPECT_NE(bytes.find("\x1b[91;40mabcd\x1b[92;40mef\x1b[37;40m"), std::string::npos);
}

TEST_F(ScreenRendererInUtf8, Utf8TextTakesOneColumnPerCharacterAndTheRowIsPadded) {
    ScreenRenderer renderer(true);
    // "‘x’" is 7 bytes, so 7 cells, but 3 columns on a UTF-8 terminal.
    Screen screen = screenWith(10, 1, "\xE2\x80\x98x\xE2\x80\x99", 0x07);
    std::string bytes = renderer.render(screen, CursorState{});
    EXPECT_NE(bytes.find("\xE2\x80\x98x\xE2\x80\x99       "), std::string::npos);  // 3 + 7 columns

    // A change after the characters is written at its column (cell 8 is column 5), and the
    // rest of the row is rewritten up to the edge.
    screen.text(8, 0, 0x07, "z", 1);
    std::string change = renderer.render(screen, CursorState{});
    EXPECT_NE(change.find("\x1b[1;5Hz     "), std::string::npos);
    EXPECT_EQ(change.find("x"), std::string::npos);
    // A change inside a character rewrites it whole.
    screen.text(6, 0, 0x07, "\x80", 1);
    EXPECT_NE(renderer.render(screen, CursorState{}).find("\x1b[1;3H\xE2\x80\x80 z    "), std::string::npos);

    // A byte that starts no character shows as '?', and the host's glyphs are UTF-8 too.
    Screen odd = screenWith(4, 1, "a\xFF", 0x07);
    odd.glyph(2, 0, 0x07, GlyphDoubleHorizontal);
    std::string oddBytes = ScreenRenderer(true).render(odd, CursorState{});
    EXPECT_NE(oddBytes.find("a?\xE2\x95\x90 "), std::string::npos);
}

TEST(ScreenRenderer, WithoutUtf8BytesGoOutAsTheyAreAndGlyphsBecomeAscii) {
    ScreenRenderer renderer(false);
    Screen screen = screenWith(6, 1, "\xE9t\xE9", 0x07);
    screen.glyph(3, 0, 0x07, GlyphDoubleTopLeft);
    screen.glyph(4, 0, 0x07, GlyphDoubleHorizontal);
    screen.glyph(5, 0, 0x07, GlyphVertical);
    EXPECT_NE(renderer.render(screen, CursorState{}).find("\xE9t\xE9+-|"), std::string::npos);
}

TEST(ScreenRenderer, CursorIsPlacedAndShownOnlyWhenAskedOrChanged) {
    ScreenRenderer renderer(true);
    Screen screen(10, 5);
    std::string first = renderer.render(screen, CursorState{true, 4, 2});
    EXPECT_EQ(first.substr(first.size() - 12), "\x1b[3;5H\x1b[?25h");
    EXPECT_EQ(renderer.render(screen, CursorState{true, 4, 2}), "");
    EXPECT_EQ(renderer.render(screen, CursorState{true, 5, 2}), "\x1b[3;6H\x1b[?25h");
    EXPECT_EQ(renderer.render(screen, CursorState{}), "\x1b[?25l");
    EXPECT_EQ(renderer.render(screen, CursorState{}), "");
    renderer.forgetCursor();
    EXPECT_EQ(renderer.render(screen, CursorState{}), "\x1b[?25l");
}

TEST(ScreenRenderer, InvalidatedOrResizedScreenIsPaintedWhole) {
    ScreenRenderer renderer(true);
    Screen screen = screenWith(8, 2, "abc", 0x07);
    renderer.render(screen, CursorState{});
    renderer.invalidate();
    std::string again = renderer.render(screen, CursorState{});
    EXPECT_NE(again.find("abc"), std::string::npos);
    EXPECT_EQ(count(again, " "), 8u * 2 - 3);

    screen.resize(10, 3);
    std::string resized = renderer.render(screen, CursorState{});
    EXPECT_NE(resized.find("abc"), std::string::npos);
    EXPECT_EQ(count(resized, " "), 10u * 3 - 3);
}

TEST_F(ScreenRendererInUtf8, NothingTheTerminalActsOnReachesIt) {
    // Names and output lines as an attacker would write them, each with what a UTF-8 terminal
    // should show for it (nullptr: only that nothing acts).
    struct Hostile {
        const char* text;
        const char* shownInUtf8;
    };
    const Hostile hostile[] = {
        {"t\x1b]0;owned\x07", "t?]0;owned?"},                  // title (OSC with BEL)
        {"\x1b]52;c;cm0gLXJmIH4=\x1b\\", "?]52;c;cm0gLXJmIH4=?\\"},  // clipboard
        {"a\xC2\x9B" "2Jb", "a??2Jb"},                           // CSI as UTF-8 C1: erase
        {"\xC2\x9D" "0;x\xC2\x9C", "??0;x??"},                   // OSC and ST as UTF-8
        {"\x9B" "2J\x9D" "0;x\x9C", "?2J?0;x?"},                // the same as raw 8-bit C1
        {"\xC2\x85\xC2\x8D\xC2\x90", "??????"},                  // NEL, RI, DCS
        {"del\x7F\x08\x0D\x0A\x0E", "del?????"},                 // DEL, BS, CR, LF, SO
        {"\xCD\xB8z", "??z"},                                     // U+0378: no width (-1)
        {"\xE2\x80\xAEgpj.exe", nullptr},                          // right-to-left override
        {"\xC0\x9B\xE0\x80\x9B\xED\xA0\x80", nullptr},              // overlong forms, surrogate
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},       // ordinary text stays
    };
    for (const Hostile& entry : hostile) {
        SCOPED_TRACE(testing::PrintToString(std::string(entry.text)));
        std::string text = entry.text;
        for (bool utf8 : {true, false}) {
            ScreenRenderer renderer(utf8);
            Screen screen = screenWith(24, 2, text, 0x07);
            std::string first = renderer.render(screen, CursorState{true, 1, 1});
            EXPECT_EQ(firstTerminalAction(first, utf8), "") << "utf8 " << utf8;
            if (utf8 && entry.shownInUtf8) {
                EXPECT_NE(first.find(entry.shownInUtf8), std::string::npos);
            }
            // A change in the middle of the text redraws from there on.
            screen.text(2, 0, 0x1E, text.data(), static_cast<int>(text.size()));
            EXPECT_EQ(firstTerminalAction(renderer.render(screen, CursorState{}), utf8), "") << "utf8 " << utf8;

            // The title and the folder echoed before a shell command take the same treatment.
            std::string line = text;
            replaceTerminalControls(&line[0], line.size(), utf8);
            EXPECT_EQ(firstTerminalAction(line, utf8), "") << "utf8 " << utf8;
            EXPECT_EQ(line.size(), text.size());
            if (utf8 && entry.shownInUtf8) {
                EXPECT_EQ(line, entry.shownInUtf8);
            }
        }
    }
    // Without UTF-8, bytes from 0xA0 up are the locale's letters and go out as they are.
    EXPECT_NE(ScreenRenderer(false).render(screenWith(4, 1, "\x9B\xE9", 0x07), CursorState{}).find("?\xE9"),
              std::string::npos);
}
