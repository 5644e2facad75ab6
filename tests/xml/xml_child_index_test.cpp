#include <gtest/gtest.h>

#include <string>

#include "xml/parsed_text.h"

TEST(XmlChildIndex, SignedHashesAndWholeOrPartNames) {
    XmlArena* arena = XmlArena::create(256);
    XmlChildIndex index(arena);
    XmlNode types = {}, type = {}, other = {};
    EXPECT_STREQ(index.insert("types", 5, &types), "types");
    index.insert("type", 4, &type);
    index.insert("types", 5, &other);
    index.insert("\xe9t\xe9", 3, &other);
    index.insert("tinker-config", 13, &other);
    EXPECT_EQ(index.findEntry("tinker-config", 13)->hash, 7773612);
    EXPECT_EQ(index.findEntry("types", 5)->hash, -7855603);  // a negative mix stays negative
    EXPECT_EQ(index.findEntry("\xe9t\xe9", 3)->hash, -6748940);

    EXPECT_EQ(index.find("types"), &types);  // the first of that name
    EXPECT_EQ(index.find("type"), &type);
    EXPECT_EQ(index.find("Types"), nullptr);
    EXPECT_EQ(index.find("typ"), nullptr);
    EXPECT_EQ(index.findPart("types/colors", 5), &types);
    EXPECT_EQ(index.findPart("types/colors", 4), &type);
    EXPECT_EQ(index.findPart("type\0s", 6), nullptr);  // a zero inside is not the end

    std::string longName(300, 'q');
    EXPECT_EQ(std::string(index.insert(longName.c_str(), 300, &other)), longName.substr(0, 255));
    EXPECT_EQ(index.findPart(longName.c_str(), 255), &other);
    arena->destroy();
}
