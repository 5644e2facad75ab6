#include <gtest/gtest.h>

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

TEST(ScreenRenderer, Utf8TextTakesOneColumnPerCharacterAndTheRowIsPadded) {
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
