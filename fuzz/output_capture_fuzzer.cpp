// Feeds a build's output to the capture twice: in one chunk, and cut into chunks of sizes
// derived from the input, as reads from the pipe would cut it. Both must store exactly the
// same lines with the same matches, and those must be the lines a plain reference split gives.
// The input is: the console width, the parser, the largest chunk, a seed for the chunk sizes
// and the window layout (one byte each), then the output bytes. The layout byte gives the
// console height, the bottom band and the line numbers, so the live tail is drawn every way.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "session/build_session.h"
#include "session/output_capture.h"
#include "session/output_window.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "fuzzed_plugin.h"
#include "reference_line_split.h"

namespace {

// The default configuration's parsers and one that does not exist.
const char* const kParsers[] = {"gcc", "msvc", "make", "python", "none"};
const int kMostColumns = 100;
const int kMostRows = 64;
const uint8_t kBandBit = 0x40;
const uint8_t kNumbersBit = 0x80;
// A chunk as large as a whole pipe read, offered now and then.
const size_t kPipeReadSize = 4096;

struct WindowLayout {
    int columns;
    int rows;
    WindowMode mode;
    bool numbers;
};

struct Captured {
    std::vector<std::string> lines;
    std::vector<std::string> matches;
};

std::string describe(const LineMatch* match) {
    if (!match) return "-";
    return std::to_string(match->kind) + " " + match->file.text() + ":" + std::to_string(match->line) + ":" +
           std::to_string(match->column);
}

void loadDefaultConfiguration(FuzzedPlugin& plugin) {
    std::ifstream file(TINKER_DATA_DIR "/tinker.xml", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    plugin.writeConfiguration(text.str());
    plugin.start();
    FUZZ_CHECK(plugin.host.messageBoxes.empty(), "the default configuration did not load cleanly");
}

// Chunk sizes from 0 up to the largest, drawn with a small linear congruential generator.
std::vector<size_t> chunkSizes(size_t total, size_t largest, uint32_t seed) {
    std::vector<size_t> sizes;
    uint32_t state = seed * 2654435761u + 1;
    for (size_t used = 0; used < total;) {
        state = state * 1103515245u + 12345u;
        size_t size = (state >> 16) % (largest + 1);
        if (size > total - used) size = total - used;
        sizes.push_back(size);
        used += size;
    }
    return sizes;
}

Captured capture(FuzzedPlugin& plugin, const std::string& output, const std::vector<size_t>& sizes,
                 const WindowLayout& layout, const char* parser) {
    resetBuildSession();
    plugin.forgetHostRecords();
    plugin.platform.size = {layout.columns, layout.rows};
    configuration().options.shownumbers = layout.numbers;
    session().mode = layout.mode;
    ClearWindowArea(false);
    session().currentParser.assign(parser);
    size_t offset = 0;
    for (size_t size : sizes) {
        CaptureOutput(output.data() + offset, static_cast<unsigned>(size));
        offset += size;
    }
    FinishCapture();

    Captured captured;
    BuildSession& state = session();
    FUZZ_CHECK(state.matches.count() == state.lineCount(), "%d matches for %d lines", state.matches.count(),
               state.lineCount());
    for (int i = 0; i < state.lineCount(); ++i) {
        const String& line = *state.lines.at(i);
        captured.lines.emplace_back(line.text(), static_cast<size_t>(line.length()));
        captured.matches.push_back(describe(state.matchAt(i)));
    }
    resetBuildSession();
    configuration().options = Options();
    return captured;
}

Captured reference(const std::string& output, size_t capacity, const char* parser) {
    Captured expected;
    expected.lines = referenceLineSplit(output, capacity);
    for (const std::string& text : expected.lines) {
        LineMatch match;
        bool matched = ClassifyLine(parser, String(text.c_str()), match) != MatchNone;
        expected.matches.push_back(describe(matched ? &match : nullptr));
    }
    return expected;
}

void expectSame(const Captured& actual, const Captured& expected, const char* what) {
    FUZZ_CHECK(actual.lines.size() == expected.lines.size(), "%s: %zu lines instead of %zu", what,
               actual.lines.size(), expected.lines.size());
    for (size_t i = 0; i < actual.lines.size(); ++i) {
        FUZZ_CHECK(actual.lines[i] == expected.lines[i], "%s: line %zu is \"%s\" instead of \"%s\"", what, i,
                   actual.lines[i].c_str(), expected.lines[i].c_str());
        FUZZ_CHECK(actual.matches[i] == expected.matches[i], "%s: line %zu matched %s instead of %s", what, i,
                   actual.matches[i].c_str(), expected.matches[i].c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzedPlugin& plugin = fuzzedPlugin();
    static bool configured = false;
    if (!configured) {
        loadDefaultConfiguration(plugin);
        configured = true;
    }

    FuzzInput input(data, size);
    WindowLayout layout;
    layout.columns = 1 + input.takeByte() % kMostColumns;
    const char* parser = kParsers[input.takeByte() % (sizeof kParsers / sizeof kParsers[0])];
    const uint8_t largestByte = input.takeByte();
    const size_t largest = largestByte >= 240 ? kPipeReadSize : 1 + largestByte % 48;
    const uint32_t seed = input.takeByte();
    const uint8_t layoutByte = input.takeByte();
    layout.rows = 1 + layoutByte % kMostRows;
    layout.mode = layoutByte & kBandBit ? WindowBottomBand : WindowFullScreen;
    layout.numbers = (layoutByte & kNumbersBit) != 0;
    const std::string output = input.takeRest();

    Captured whole = capture(plugin, output, {output.size()}, layout, parser);
    Captured chunked = capture(plugin, output, chunkSizes(output.size(), largest, seed), layout, parser);
    expectSame(chunked, whole, "chunked against whole");
    // The window sizes the line buffer at four console widths.
    expectSame(whole, reference(output, static_cast<size_t>(4 * layout.columns), parser), "whole against reference");
    return 0;
}
