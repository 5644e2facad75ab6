#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "session/build_session.h"
#include "session/output_capture.h"
#include "session/output_window.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// Feeds chunks straight into the capture, as the pipe reader would, on a console 10 wide
// (lines are cut at 40 bytes).
class OutputCapture : public PluginFixture {
protected:
    void SetUp() override {
        writeConfig(configWithCommand("true"));
        startPlugin();
        platform.size = {10, 25};
        ClearWindowArea(false);
        session().currentParser.assign("sh");
    }
    Lines feed(const std::vector<std::string>& chunks) {
        session().clearOutput();
        for (const std::string& chunk : chunks) CaptureOutput(chunk.data(), static_cast<unsigned>(chunk.size()));
        FinishCapture();
        return outputLines();
    }
};

}  // namespace

TEST_F(OutputCapture, LineEndsAndCarriageReturns) {
    EXPECT_EQ(feed({"a\r\nb\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(feed({"abc\rxy\n"}), (Lines{"xy"}));  // a progress line keeps what follows its last CR
    EXPECT_EQ(feed({"\n\n"}), (Lines{"", ""}));
    EXPECT_EQ(feed({"one\rtwo\rthree\r\n"}), (Lines{"three"}));
    EXPECT_EQ(feed({"lf\n\rcr\n"}), (Lines{"lf", "cr"}));
}

TEST_F(OutputCapture, ALineEndSplitAcrossReadsStillEndsOneLine) {
    EXPECT_EQ(feed({"a\r", "\nb\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(feed({"abc\r", "xy\n"}), (Lines{"xy"}));
    EXPECT_EQ(feed({"a\r", "\r\n"}), (Lines{""}));
    EXPECT_EQ(feed({"done\r"}), (Lines{}));  // a final lone CR discards its line
}

TEST_F(OutputCapture, TheUnfinishedLastLineIsKeptAndClassified) {
    EXPECT_EQ(feed({"first\nf.c:1:2: error: last"}), (Lines{"first", "f.c:1:2: error: last"}));
    EXPECT_EQ(outputMatches(), (Lines{"-", "E f.c:1:2"}));
}

TEST_F(OutputCapture, ControlBytesBecomeBlanksAndHighBytesStay) {
    EXPECT_EQ(feed({std::string("a\tb\x01\x1b[0mc\x7f\xe4\n", 12)}), (Lines{"a b c\x7f\xe4"}));
}

TEST_F(OutputCapture, ALongLineIsCutWithoutLosingAByte) {
    std::string long45(45, 'x');
    long45[39] = 'L';
    long45[40] = 'N';
    Lines lines = feed({long45 + "\n"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 40u);
    EXPECT_EQ(lines[0].back(), 'L');
    EXPECT_EQ(lines[1], "Nxxxx");
    // Exactly full, then its line end: one line.
    EXPECT_EQ(feed({std::string(40, 'y') + "\n"}), (Lines{std::string(40, 'y')}));
}

TEST_F(OutputCapture, AnyChunkingGivesTheSameLines) {
    std::string bytes = "gcc -c a.c\r\na.c:3:1: warning: w\n\tprogress 10%\rprogress 100%\r\n" + std::string(90, 'q') +
                        "\n\n\rx\r\r\nend";
    Lines whole = feed({bytes});
    Lines wholeMatches = outputMatches();
    ASSERT_NE(std::count(wholeMatches.begin(), wholeMatches.end(), "-"), long(wholeMatches.size()));
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> chunks;
        for (size_t start = 0; start < bytes.size();) {
            size_t size = 1 + random() % 7;
            chunks.push_back(bytes.substr(start, size));
            start += size;
        }
        ASSERT_EQ(feed(chunks), whole) << "round " << round;
        ASSERT_EQ(outputMatches(), wholeMatches) << "round " << round;  // classified chunk by chunk
    }
}

class CapturedBuild : public PluginFixture {};

TEST_F(CapturedBuild, TenMegabytesFromOneChild) {
    writeConfig(configWithCommand("yes 0123456789abcdefghijklmnopqrstuvwxyz | head -n 262144; printf 'a.c:9:1: error: end'"));
    startPlugin();
    openCommandLine("make:big.c");
    ASSERT_EQ(session().lineCount(), 262145);
    EXPECT_STREQ(session().lines.at(0)->text(), "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_STREQ(session().lines.at(262143)->text(), "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(session().selected, 262144);
    EXPECT_EQ(session().top, 262144 - 25 / 2);
}

TEST_F(CapturedBuild, SlowOutputIsShownLineByLineAsItArrives) {
    writeConfig(configWithCommand("printf 'first\\n'; sleep 0.5; printf 'second\\n'"));
    startPlugin();
    bool firstShownAlone = false;
    host.onFlush = [&] {
        bool first = host.rowText(0) == "first";
        bool second = host.rowText(1) == "second";
        if (first && !second && platform.titles.empty()) firstShownAlone = true;
    };
    openCommandLine("make:a.c");
    EXPECT_TRUE(firstShownAlone);
    EXPECT_EQ(outputLines(), (Lines{"first", "second"}));
}

TEST_F(CapturedBuild, AFloodEndsWithTheNewestLinesOnScreen) {
    writeConfig(configWithCommand("seq 1 50000"));
    startPlugin();
    std::string bottomAtLastCaptureDraw;
    host.onFlush = [&] {
        if (platform.titles.empty()) bottomAtLastCaptureDraw = host.rowText(24);
    };
    std::string windowTopRow;
    platform.beforeKey = [&](const KeyEvent&) { windowTopRow = host.rowText(0); };
    openCommandLine("make:a.c");
    EXPECT_EQ(bottomAtLastCaptureDraw, "50000");
    EXPECT_EQ(windowTopRow, "1");  // the window shows the output from its first line
}
