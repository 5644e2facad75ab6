#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/bulk_memory.h"
#include "foundation/list.h"
#include "foundation/string_list.h"

TEST(ListNodes, ReleasedNodesAreReusedAndEveryElementSurvives) {
    List<std::string> list;
    for (int i = 0; i < 100000; ++i) list.append(std::to_string(i));
    for (int i = list.count() - 1; i >= 0; i -= 2) {
        list.seek(i);
        list.removeCurrent();
    }
    ASSERT_EQ(list.count(), 50000);
    for (int i = 0; i < 50000; ++i) list.append("again " + std::to_string(i));
    ASSERT_EQ(list.count(), 100000);
    for (int i = 0; i < 50000; ++i) ASSERT_EQ(*list.at(i), std::to_string(2 * i));
    EXPECT_EQ(*list.at(50000), "again 0");
    EXPECT_EQ(*list.at(-1), "again 49999");
    list.clear();
    list.append("after clear");
    EXPECT_EQ(*list.at(0), "after clear");
}

TEST(StringListText, KeptTextsStayApartAndGrowIntoBuffersOfTheirOwn) {
    StringList lines;
    std::string longText(70000, 'L');  // longer than a kept text: a buffer of its own
    for (int i = 0; i < 20000; ++i) lines.appendText(("line " + std::to_string(i)).c_str(), 5 + int(std::to_string(i).size()));
    lines.appendText(longText.c_str(), int(longText.size()));
    EXPECT_EQ(std::string(lines.at(-1)->text()), longText);

    String& grown = *lines.at(10);
    grown.append(" and a much longer tail that no longer fits where the line was kept");
    EXPECT_STREQ(grown.text(), "line 10 and a much longer tail that no longer fits where the line was kept");
    EXPECT_STREQ(lines.at(11)->text(), "line 11");  // its neighbour is untouched
    String copy(*lines.at(12));
    lines.at(12)->assign("x");
    EXPECT_STREQ(copy.text(), "line 12");
    EXPECT_STREQ(lines.at(12)->text(), "x");

    lines.seek(5);
    lines.removeCurrent();
    EXPECT_STREQ(lines.at(5)->text(), "line 6");
    StringList sorted;
    lines.sortInto(sorted);
    EXPECT_EQ(sorted.count(), lines.count());
    lines.clear();
    EXPECT_EQ(lines.count(), 0);
    lines.appendText("fresh", 5);
    EXPECT_STREQ(lines.at(0)->text(), "fresh");
}

namespace {

int suppliedBlocks = 0;
std::vector<void*> suppliedMemory;

void* countingAllocate(size_t size) {
    ++suppliedBlocks;
    suppliedMemory.push_back(::operator new(size));
    return suppliedMemory.back();
}

void countingRelease(void* block, size_t) {
    --suppliedBlocks;
    ::operator delete(block);
}

const BulkMemory kCountingMemory = {countingAllocate, countingRelease};

}  // namespace

TEST(BulkMemory, LargeBlocksReturnToTheAllocatorThatGaveThem) {
    setBulkMemory(&kCountingMemory);
    {
        StringList lines;
        std::string text(100, 't');
        for (int i = 0; i < 100000; ++i) lines.appendText(text.c_str(), int(text.size()));
        EXPECT_GT(suppliedBlocks, 0);  // ten megabytes of text and nodes: bulk blocks
        setBulkMemory(nullptr);  // blocks given out stay with their allocator
        lines.appendText("more", 4);
    }
    EXPECT_EQ(suppliedBlocks, 0);
    BulkBlock small = allocateBulk(64);
    EXPECT_EQ(small.supplier, nullptr);
    releaseBulk(small, 64);
}
