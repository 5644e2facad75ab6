// Paints arbitrary bytes on the host's screen and renders it, whole and then as a change, for
// a UTF-8 terminal and a plain one: nothing in what goes to the terminal may be a control it
// acts on, beyond the renderer's own cursor, colour and visibility sequences, and a screen
// rendered again unchanged writes nothing. The same bytes as a title or an echoed folder name
// come out of the text filter with their length and nothing the terminal acts on.
// The input is: width, height, flags (bit 0 UTF-8, bit 1 a visible cursor), the row where the
// change starts, then the bytes, the first screen's cells first and the change after them.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/posix/terminal_text.h"
#include "support/terminal_output_check.h"
#include "terminal/screen_renderer.h"

namespace {

const int kMostColumns = 40;
const int kMostRows = 6;

// Writes the bytes into the screen's cells from the given row on, row by row, each with an
// attribute taken from its position; returns how many bytes were used.
size_t paint(Screen& screen, int firstRow, const std::string& bytes, size_t from) {
    size_t at = from;
    for (int y = firstRow; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width() && at < bytes.size(); ++x, ++at) {
            uint8_t attribute = static_cast<uint8_t>(at * 37);
            if (bytes[at] == '\0') {
                screen.fill(x, y, 1, 1, attribute, 0);
            } else {
                screen.text(x, y, attribute, &bytes[at], 1);
            }
        }
    }
    return at - from;
}

void checkOutput(const std::string& output, bool utf8, const char* stage) {
    std::string action = firstTerminalAction(output, utf8);
    FUZZ_CHECK(action.empty(), "%s render, utf8 %d: %s", stage, utf8 ? 1 : 0, action.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Widths come from the locale, as in the host on a UTF-8 terminal.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    int width = 1 + input.takeByte() % kMostColumns;
    int height = 1 + input.takeByte() % kMostRows;
    uint8_t flags = input.takeByte();
    int changeRow = input.takeByte() % height;
    std::string bytes = input.takeRest();
    bool utf8 = flags & 1;
    CursorState cursor{(flags & 2) != 0, width / 2, height - 1};

    ScreenRenderer renderer(utf8);
    Screen screen(width, height);
    size_t used = paint(screen, 0, bytes, 0);
    checkOutput(renderer.render(screen, cursor), utf8, "first");
    paint(screen, changeRow, bytes, used);
    checkOutput(renderer.render(screen, cursor), utf8, "changed");
    FUZZ_CHECK(renderer.render(screen, cursor).empty(), "an unchanged screen wrote something");

    std::string line = bytes;
    replaceTerminalControls(&line[0], line.size(), utf8);
    FUZZ_CHECK(line.size() == bytes.size(), "the filter changed the length");
    std::string action = firstTerminalAction(line, utf8);
    FUZZ_CHECK(action.empty(), "filtered text, utf8 %d: %s", utf8 ? 1 : 0, action.c_str());
    return 0;
}
