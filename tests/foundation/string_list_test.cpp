#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/string_list.h"
#include "support/temporary_directory.h"

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace

TEST(StringListFiles, LongLinesAndAnUnterminatedLastLineLoadWhole) {
    TemporaryDirectory directory;
    std::string longLine(1500, 'x');
    longLine[0] = 'A';
    longLine[1499] = 'Z';
    std::string exact(511, 'e');  // fills the first buffer with its line end just outside
    std::string path = directory.path("lines.txt");
    writeFile(path, longLine + "\n" + longLine + "\n" + exact + "\n\nlast");

    StringList lines;
    ASSERT_TRUE(lines.loadLines(path.c_str()));
    ASSERT_EQ(lines.count(), 5);
    EXPECT_EQ(std::string(lines.at(0)->text()), longLine);
    EXPECT_EQ(std::string(lines.at(1)->text()), longLine);
    EXPECT_EQ(std::string(lines.at(2)->text()), exact);
    EXPECT_STREQ(lines.at(3)->text(), "");
    EXPECT_STREQ(lines.at(4)->text(), "last");

    ASSERT_TRUE(lines.loadLines(path.c_str()));  // loading again appends
    EXPECT_EQ(lines.count(), 10);
    EXPECT_STREQ(lines.at(9)->text(), "last");
}

TEST(StringListFiles, EmptyAndMissingFiles) {
    TemporaryDirectory directory;
    std::string path = directory.path("empty.txt");
    writeFile(path, "");
    StringList lines;
    EXPECT_TRUE(lines.loadLines(path.c_str()));
    EXPECT_EQ(lines.count(), 0);
    EXPECT_FALSE(lines.loadLines(directory.path("missing.txt").c_str()));
    EXPECT_FALSE(lines.saveLines(directory.path("no/such/dir/out.txt").c_str()));
}

TEST(StringListFiles, AZeroByteEndsItsLineWithoutStallingTheLoad) {
    TemporaryDirectory directory;
    std::string path = directory.path("binary.txt");
    writeFile(path, std::string("ab\0cd\nnext\n", 11));
    StringList lines;
    ASSERT_TRUE(lines.loadLines(path.c_str()));
    ASSERT_EQ(lines.count(), 2);
    EXPECT_STREQ(lines.at(0)->text(), "ab");
    EXPECT_STREQ(lines.at(1)->text(), "next");
}

TEST(StringListFiles, SavedLinesLoadBackTheSame) {
    TemporaryDirectory directory;
    StringList lines;
    for (const char* text : {"first", "", "third line with blanks  ", "\xe4\xf6"}) lines.append(String(text));
    std::string path = directory.path("saved.txt");
    ASSERT_TRUE(lines.saveLines(path.c_str()));
    StringList loaded;
    ASSERT_TRUE(loaded.loadLines(path.c_str()));
    ASSERT_EQ(loaded.count(), lines.count());
    for (int i = 0; i < lines.count(); ++i) EXPECT_STREQ(loaded.at(i)->text(), lines.at(i)->text());
}

TEST(StringListSort, SortsByUnsignedBytesIntoAnotherList) {
    StringList names;
    for (const char* text : {"gcc", "Make", "\xe9t\xe9", "cl", "gcc"}) names.append(String(text));
    StringList sorted;
    sorted.append(String("stale"));
    names.sortInto(sorted);
    ASSERT_EQ(sorted.count(), 5);
    const char* expected[] = {"Make", "cl", "gcc", "gcc", "\xe9t\xe9"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(sorted.at(i)->text(), expected[i]);
    EXPECT_STREQ(names.at(0)->text(), "gcc");  // the source is unchanged
}

namespace {

// How a file splits into lines: at each line feed, lines too long for one cut into pieces of
// just under a mebibyte, and a zero byte ending the text of its line or piece.
std::vector<std::string> expectedLines(const std::string& bytes) {
    const size_t piece = (1 << 20) - 1;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        bool ended = end != std::string::npos;
        std::string line = bytes.substr(start, (ended ? end : bytes.size()) - start);
        if (ended && !line.empty() && line.back() == '\r') line.pop_back();  // CR LF ends a line too
        for (; line.size() > piece; line.erase(0, piece)) lines.push_back(line.substr(0, piece).c_str());
        lines.push_back(line.c_str());
        start = ended ? end + 1 : bytes.size();
    }
    return lines;
}

}  // namespace

// The file is read in large blocks straight into the lines' storage: lines cross the blocks,
// long ones are cut into pieces, and each line's text lies in a stretch that scanning may read.
TEST(StringListFiles, LinesCrossingTheReadBlocksLoadAsTheyStand) {
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < (3u << 20)) {
        size_t length = random() % 8 == 0 ? random() % 40000 : random() % 120;
        std::string line(length, 'a');
        for (char& byte : line) byte = char('a' + random() % 26);
        if (length > 3 && random() % 50 == 0) line[random() % length] = '\0';
        if (length > 0 && random() % 20 == 0) line.back() = '\r';  // a CR LF line end
        bytes += line + "\n";
    }
    bytes += std::string((1 << 20) - 1, 'p') + "\n";       // exactly one piece
    bytes += std::string((2 << 20) + 5, 'q') + "\n";       // two pieces and a rest
    for (int i = 0; i < 300; ++i) bytes += "short " + std::to_string(i) + "\n";  // found with the long line's end
    bytes += std::string(1 << 20, 's') + std::string(1, '\0') + "cut\n";  // a zero in the second piece
    bytes += std::string((1 << 20) + 3, 'r');             // no line end at all
    TemporaryDirectory directory;
    std::string path = directory.path("blocks.txt");
    writeFile(path, bytes);

    StringList lines;
    lines.appendText("before", 6);
    ASSERT_TRUE(lines.loadLines(path.c_str()));
    std::vector<std::string> expected = expectedLines(bytes);
    ASSERT_EQ(lines.count(), int(expected.size()) + 1);
    const char* previousEnd = nullptr;
    for (int i = 0; i < lines.count(); ++i) {
        const String& line = *lines.at(i);
        if (i > 0) {
            ASSERT_EQ(std::string(line.text(), line.length()), expected[i - 1]) << "line " << i;
        }
        ASSERT_EQ(int(std::strlen(line.text())), line.length()) << "line " << i;
        StringList::TextRegion region = lines.regionOf(line);
        ASSERT_LE(region.begin, line.text());
        ASSERT_LE(line.text() + line.length() + 1, region.end);
        // Lines loaded one after another lie back to back within a stretch.
        if (previousEnd && region.begin < previousEnd && previousEnd <= region.end) {
            ASSERT_LE(previousEnd, line.text());
        }
        previousEnd = line.text() + line.length() + 1;
    }
}
