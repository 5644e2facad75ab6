#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regex/regex_needle_finder.h"

namespace {

std::vector<RegexNeedleFinder::Needle> needlesOf(const std::vector<std::string>& strings) {
    std::vector<RegexNeedleFinder::Needle> needles;
    for (const std::string& s : strings) needles.push_back({reinterpret_cast<const uint8_t*>(s.data()), uint32_t(s.size())});
    return needles;
}

}  // namespace

TEST(RegexNeedleFinder, TakesAtMostTwentyFourNeedles) {
    std::vector<std::string> strings;
    for (char c = 'a'; c <= 'y'; ++c) strings.push_back(std::string(2, c));
    RegexNeedleFinder finder;
    EXPECT_FALSE(finder.prepare(needlesOf(strings), nullptr, 0));
    EXPECT_FALSE(finder.ready());
    strings.pop_back();
    if (!finder.prepare(needlesOf(strings), nullptr, 0)) GTEST_SKIP() << "no wide instructions";
    EXPECT_TRUE(finder.ready());
}

// Every text length across the wide blocks and the padded tail, a needle at every start: the
// first whole needle is found, and one cut off by the end is not; with bytes looked up by their
// nibbles and whole (where the top bit of a byte is not looked at, so that 'i' and 0xE9 meet).
TEST(RegexNeedleFinder, FindsTheFirstWholeNeedleAtEveryPlace) {
    // The sample makes the long needle's leading windows common, so it is known by a later one.
    const std::string sample = "abcdabcdefgabcdefgh:abcdefghijklmnopqrstu:abcdefghijkl";
    const std::vector<std::vector<std::string>> sets = {
        {"ab"},        {"xyz"}, {"wxyz"}, {"abcdefghijklmnopqrstu"}, {"ab", "xyz", "wxyz", "abcdefghijklmnopqrstu", "q:"},
        {"\xE9t\xE9", "iti"},
        // More needles than lookup bits: groups share a bit, and a window mixed from two
        // needles of one group is no find.
        {"ab", "xyz", "wxyz", "q:", "iti", "bx", "zw", "w:q", "it\xE9", ":a", "yzw"}};
    const char filler[] = "abxyzw:qit\xE9";
    for (bool byBytes : {true, false}) {
        RegexNeedleFinder::allowByteLookup(byBytes);
        std::mt19937 random(7);
        for (const std::vector<std::string>& strings : sets) {
            RegexNeedleFinder finder;
            if (!finder.prepare(needlesOf(strings), reinterpret_cast<const uint8_t*>(sample.data()), sample.size())) {
                RegexNeedleFinder::allowByteLookup(true);
                GTEST_SKIP() << "no wide instructions";
            }
            for (size_t length = 0; length <= 200; ++length) {
                for (size_t at = 0; at <= length; ++at) {
                    const std::string& needle = strings[at % strings.size()];
                    // Filler with the needles' own bytes here and there, so that near misses occur.
                    std::string text;
                    for (size_t i = 0; i < length; ++i) text += random() % 4 ? '.' : filler[random() % (sizeof filler - 1)];
                    text.replace(at, std::min(needle.size(), length - at), needle, 0, std::min(needle.size(), length - at));
                    size_t expected = length;
                    for (const std::string& s : strings) expected = std::min(expected, std::min(text.find(s), length));
                    // An exact-size copy, so that a read past the end is caught.
                    std::unique_ptr<uint8_t[]> bytes(new uint8_t[length]);
                    std::memcpy(bytes.get(), text.data(), length);
                    const uint8_t* found = finder.first(bytes.get(), bytes.get() + length);
                    ASSERT_EQ(size_t(found - bytes.get()), expected)
                        << "needle " << needle << " at " << at << " of " << length << " in " << text << (byBytes ? " by bytes" : "");
                }
            }
        }
    }
    RegexNeedleFinder::allowByteLookup(true);
}

// Collecting goes on past the first needle: the starts come in order, once each, every start
// before the point the search is sure of is there, and that point lies past the text's start,
// whether the search ran to the end or stopped after the most wanted; by bytes and by nibbles.
TEST(RegexNeedleFinder, CollectsEveryStartBeforeWhereItIsSure) {
    const std::vector<std::string> strings = {"ab", "xyz", "abcdefghijklmnopqrstu", "q:", "bxy"};
    const char filler[] = "abxyzw:qcdefghijklmnopqrstu";
    std::mt19937 random(5);
    for (bool byBytes : {true, false}) {
        RegexNeedleFinder::allowByteLookup(byBytes);
        RegexNeedleFinder finder;
        if (!finder.prepare(needlesOf(strings), nullptr, 0)) {
            RegexNeedleFinder::allowByteLookup(true);
            GTEST_SKIP() << "no wide instructions";
        }
        for (int round = 0; round < 300; ++round) {
            size_t length = random() % 700;
            std::string text;
            for (size_t i = 0; i < length; ++i) text += random() % 3 ? '.' : filler[random() % (sizeof filler - 1)];
            std::vector<uint32_t> expected;
            for (size_t start = 0; start < length; ++start) {
                for (const std::string& s : strings) {
                    if (text.compare(start, s.size(), s) == 0) {
                        expected.push_back(uint32_t(start));
                        break;
                    }
                }
            }
            std::unique_ptr<uint8_t[]> bytes(new uint8_t[length]);
            std::memcpy(bytes.get(), text.data(), length);
            for (size_t most : {size_t(1), size_t(5), size_t(1000)}) {
                std::vector<uint32_t> starts(most + RegexNeedleFinder::kMostInBlock);
                size_t complete = 0;
                size_t count = finder.collect(bytes.get(), bytes.get() + length, starts.data(), most, &complete);
                starts.resize(count);
                std::vector<uint32_t> sure;
                for (uint32_t start : expected) {
                    if (start < complete) sure.push_back(start);
                }
                ASSERT_EQ(starts, sure) << "at most " << most << " in " << text << (byBytes ? " by bytes" : "");
                ASSERT_LE(complete, length);
                if (length > 0) {
                    ASSERT_GT(complete, 0u) << "no headway in " << text;
                }
            }
        }
    }
    RegexNeedleFinder::allowByteLookup(true);
}
