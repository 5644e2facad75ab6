#include <gtest/gtest.h>

#include <new>
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

int allocationsLeft = 0;  // before the counting allocator runs out
void* limitedAllocate(size_t size) { return allocationsLeft-- > 0 ? countingAllocate(size) : nullptr; }
const BulkMemory kLimitedMemory = {limitedAllocate, countingRelease};

void fillLines(StringList& lines, int count) {
    std::string text(100, 't');
    for (int i = 0; i < count; ++i) lines.appendText(text.c_str(), int(text.size()));
}

}  // namespace

TEST(BulkMemory, LargeBlocksReturnToTheAllocatorThatGaveThem) {
    setBulkMemory(&kCountingMemory);
    {
        StringList lines;
        fillLines(lines, 100000);
        EXPECT_GT(suppliedBlocks, 0);  // ten megabytes of text and nodes: bulk blocks
        setBulkMemory(nullptr);  // blocks given out stay with their allocator
        lines.appendText("more", 4);
    }
    EXPECT_EQ(suppliedBlocks, 0);
    BulkBlock small = allocateBulk(64);
    EXPECT_EQ(small.supplier, nullptr);
    releaseBulk(small, 64);
}

// Output that replaces output reuses its blocks; what is not reused goes back when the
// replacement is done, and a kept block never stands in the way of a new one.
TEST(BulkMemory, ReleasedBlocksServeTheNextOutputAndThenGoBack) {
    setBulkMemory(&kCountingMemory);
    StringList lines;
    fillLines(lines, 100000);
    int used = suppliedBlocks;
    {
        BulkRecycling recycling;
        lines.clear();
        EXPECT_EQ(suppliedBlocks, used);  // kept, not handed back
        fillLines(lines, 50000);
        EXPECT_EQ(suppliedBlocks, used);  // the smaller output fits in what was kept
    }
    EXPECT_LT(suppliedBlocks, used);  // the blocks it did not need are back
    lines.clear();
    EXPECT_EQ(suppliedBlocks, 0);

    fillLines(lines, 100000);
    used = suppliedBlocks;
    setBulkMemory(&kLimitedMemory);
    {
        BulkRecycling recycling;
        lines.clear();
        allocationsLeft = 0;
        // Blocks of a size that was never kept cannot be served from the kept ones: those are
        // handed back before the allocator is asked again, and it fails all the same.
        EXPECT_THROW(allocateBulk(kBulkBlockSize * 3), std::bad_alloc);
        EXPECT_EQ(suppliedBlocks, 0);
        allocationsLeft = used;
        fillLines(lines, 100000);
    }
    lines.clear();
    EXPECT_EQ(suppliedBlocks, 0);
    setBulkMemory(nullptr);
}
