#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/byte_search.h"

// Line ends of every spacing, from none in a block to a block full of them, and stretches that
// stop at the most wanted: the offsets are those of a byte-by-byte search, and a stretch tells
// whether it holds a zero byte and the watched byte; with the widest comparisons and without.
// The search for either of two bytes finds the carriage returns too.
TEST(ByteSearch, CollectsTheOffsetsOfEveryPlaceInOrder) {
    std::mt19937 random(11);
    std::string text;
    for (int run = 0; run < 400; ++run) {
        int gap = run % 5 == 0 ? 0 : int(random() % (run % 3 == 0 ? 200 : 40));
        text += std::string(size_t(gap), char('a' + run % 26)) + "\n";
    }
    text += std::string(150, '\n') + "tail";
    for (size_t zero : {size_t(700), size_t(5000), text.size() - 2}) text[zero] = '\0';
    for (size_t escape : {size_t(1300), size_t(6100)}) text[escape] = '\x1b';
    for (size_t carriageReturn : {size_t(40), size_t(2047), size_t(2048), text.size() - 1}) text[carriageReturn] = '\r';
    std::vector<uint32_t> lineFeeds, lineEnds;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') lineFeeds.push_back(uint32_t(i));
        if (text[i] == '\n' || text[i] == '\r') lineEnds.push_back(uint32_t(i));
    }
    for (bool either : {false, true}) {
        for (bool wide : {true, false}) {
            allowWideByteSearch(wide);
            for (size_t most : {size_t(1), size_t(7), size_t(256), size_t(100000)}) {
                std::vector<uint32_t> found;
                std::vector<uint32_t> offsets(most + 64);
                size_t from = 0;
                while (from < text.size()) {
                    size_t searched = 0;
                    BytesSeen seen;
                    const char* begin = text.data() + from;
                    const char* end = text.data() + text.size();
                    size_t count = either ? collectEitherByteOffsets(begin, end, '\n', '\r', offsets.data(), most, &searched)
                                          : collectByteOffsets(begin, end, '\n', offsets.data(), most, &searched, '\x1b', &seen);
                    ASSERT_GT(searched, 0u);
                    if (!either) {
                        ASSERT_EQ(seen.zero, text.find('\0', from) < from + searched) << from << " and " << searched;
                        ASSERT_EQ(seen.watched, text.find('\x1b', from) < from + searched) << from << " and " << searched;
                    }
                    for (size_t k = 0; k < count; ++k) {
                        ASSERT_LT(offsets[k], searched);
                        found.push_back(uint32_t(from) + offsets[k]);
                    }
                    from += searched;
                }
                EXPECT_EQ(found, either ? lineEnds : lineFeeds) << (wide ? "wide" : "narrow") << ", at most " << most;
            }
        }
    }
    allowWideByteSearch(true);
}
