#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xml/parsed_text.h"

TEST(XmlChildIndex, HashIsTheSignedRemainderOfTheSharedMix) {
    XmlArena* arena = XmlArena::create(256);
    XmlChildIndex index(arena);
    XmlNode nodes[3] = {};
    index.insert("tinker-config", 13, &nodes[0]);
    index.insert("filetype", 8, &nodes[1]);
    index.insert("\xe9t\xe9", 3, &nodes[2]);
    EXPECT_EQ(index.findEntry("tinker-config", 13)->hash, 7773612);
    // Names whose mix is negative keep a negative hash.
    EXPECT_EQ(index.findEntry("filetype", 8)->hash, -7525488);
    EXPECT_EQ(index.findEntry("\xe9t\xe9", 3)->hash, -6748940);
    EXPECT_EQ(index.findPart("\xe9t\xe9", 3), &nodes[2]);
    arena->destroy();
}

TEST(XmlChildIndex, FindComparesWholeNamesAndFindPartTheGivenBytes) {
    XmlArena* arena = XmlArena::create(256);
    XmlChildIndex index(arena);
    XmlNode types = {}, typesAgain = {}, type = {};
    const char* copy = index.insert("types", 5, &types);
    index.insert("type", 4, &type);
    index.insert("types", 5, &typesAgain);
    EXPECT_STREQ(copy, "types");
    EXPECT_EQ(index.find("types"), &types);
    EXPECT_EQ(index.find("type"), &type);
    EXPECT_EQ(index.find("Types"), nullptr);
    EXPECT_EQ(index.find("typ"), nullptr);
    EXPECT_EQ(index.find(nullptr), nullptr);
    EXPECT_EQ(index.findPart("types/colors", 5), &types);
    EXPECT_EQ(index.findPart("types/colors", 4), &type);
    EXPECT_EQ(index.findPart("types", -1), nullptr);
    // A name with a zero inside its length is not the shorter name.
    EXPECT_EQ(index.findPart("type\0s", 6), nullptr);

    std::string longName(300, 'q');
    const char* cut = index.insert(longName.c_str(), 300, &types);
    EXPECT_EQ(std::string(cut), longName.substr(0, 255));
    EXPECT_EQ(index.findPart(longName.c_str(), 255), &types);
    EXPECT_EQ(index.find(longName.c_str()), nullptr);
    arena->destroy();
}

TEST(XmlChildIndex, RebuildsPastFourEntriesPerBucketKeepingOrderWithinAName) {
    XmlArena* arena = XmlArena::create(128);
    XmlChildIndex index(arena);
    const int kCount = 400;
    std::vector<XmlNode> elements(kCount);  // stand-ins: the index only stores and returns them
    const char* names[] = {"error", "warning", "filetype", "command", "x"};
    for (int i = 0; i < kCount; ++i) {
        const char* name = names[i % 5];
        index.insert(name, static_cast<int>(std::strlen(name)), &elements[static_cast<size_t>(i)]);
        if (i == 15) {
            EXPECT_EQ(index.bucketCount(), 4);
        } else if (i == 16) {
            EXPECT_EQ(index.bucketCount(), 34);
        }
    }
    EXPECT_EQ(index.entryCount(), kCount);
    EXPECT_LE(index.entryCount(), 4 * index.bucketCount());
    for (int n = 0; n < 5; ++n) {
        const XmlChildIndex::Entry* entry = index.findEntry(names[n], static_cast<int>(std::strlen(names[n])));
        for (int i = n; i < kCount; i += 5) {
            ASSERT_NE(entry, nullptr) << names[n] << " " << i;
            EXPECT_EQ(entry->element, &elements[static_cast<size_t>(i)]) << names[n] << " " << i;
            entry = XmlChildIndex::nextOfSameName(entry);
        }
        EXPECT_EQ(entry, nullptr);
    }
    arena->destroy();
}
