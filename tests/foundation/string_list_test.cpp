#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
