#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/name_map.h"

namespace {

std::vector<std::string> keysInOrder(NameMap<int>& map) {
    std::vector<std::string> keys;
    map.resetIteration();
    const char* key = nullptr;
    int* value = nullptr;
    while (map.next(&key, &value)) keys.push_back(key);
    return keys;
}

}  // namespace

TEST(NameHash, KnownValues) {
    EXPECT_EQ(NameMap<int>::hash(""), 12451u);
    EXPECT_EQ(NameMap<int>::hash("a"), 84328u);
    EXPECT_EQ(NameMap<int>::hash("gcc"), 3703906u);
    // Bytes above 0x7F count as negative values; the remainder is taken on the unsigned sum.
    EXPECT_LT(NameMap<int>::hash("\xff\xfe\xfd"), 8882693u);
}

TEST(NameMapOrder, IterationFollowsBucketsNotInsertion) {
    NameMap<int> map;
    EXPECT_EQ(map.find("gcc"), nullptr);  // no buckets yet
    map.insertOrReplace("gcc", 1);
    map.insertOrReplace("cl", 2);
    EXPECT_EQ(map.size(), 8);
    EXPECT_EQ(map.bucketOf("cl"), 1);
    EXPECT_EQ(map.bucketOf("gcc"), 2);
    EXPECT_EQ(keysInOrder(map), (std::vector<std::string>{"cl", "gcc"}));
}

TEST(NameMapGrowth, TheEighthEntryDoublesTheTableAndRelinksInBucketOrder) {
    NameMap<int> map;
    const char* names[] = {"p0", "p1", "p2", "p3", "p4", "p5", "p6"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(map.insertOrReplace(names[i], i), 1);
    EXPECT_EQ(map.size(), 8);
    map.insertOrReplace("p7", 7);
    EXPECT_EQ(map.size(), 16);
    EXPECT_EQ(map.count(), 8);
    map.insertOrReplace("ninth", 8);
    EXPECT_EQ(map.bucketOf("ninth"), static_cast<int>(NameMap<int>::hash("ninth") % 16));

    // Every key is still found, and the iteration visits buckets in ascending order.
    std::vector<std::string> keys = keysInOrder(map);
    ASSERT_EQ(keys.size(), 9u);
    int lastBucket = -1;
    for (const std::string& key : keys) {
        EXPECT_NE(map.find(key.c_str()), nullptr) << key;
        EXPECT_GE(map.bucketOf(key.c_str()), lastBucket);
        lastBucket = map.bucketOf(key.c_str());
    }
}

TEST(NameMapGrowth, KeysSharingABucketKeepTheirOrderAcrossGrowth) {
    NameMap<int> map;
    // Find three keys that share a bucket in a 16-bucket table, inserted in this order.
    std::vector<std::string> sharing;
    for (int i = 0; sharing.size() < 3; ++i) {
        std::string key = "k" + std::to_string(i);
        if (NameMap<int>::hash(key.c_str()) % 16 == 5) sharing.push_back(key);
    }
    for (const std::string& key : sharing) map.insertOrReplace(key.c_str(), 0);
    for (int i = 0; map.size() < 16; ++i) map.insertOrReplace(("filler" + std::to_string(i)).c_str(), 0);
    std::vector<std::string> keys = keysInOrder(map);
    std::vector<std::string> inBucket;
    for (const std::string& key : keys) {
        if (map.bucketOf(key.c_str()) == 5) inBucket.push_back(key);
    }
    ASSERT_GE(inBucket.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(inBucket.begin(), inBucket.begin() + 3), sharing);
}

TEST(NameMapUpdates, ReplaceFindOrInsertAndRemove) {
    NameMap<int> map;
    EXPECT_EQ(map.insertOrReplace("a", 1), 1);
    EXPECT_EQ(map.insertOrReplace("a", 2), 0);
    EXPECT_EQ(*map.find("a"), 2);
    map.findOrInsert("b") = 5;
    EXPECT_EQ(*map.find("b"), 5);
    EXPECT_EQ(map.findOrInsert("a"), 2);
    EXPECT_EQ(map.find("A"), nullptr);  // exact, case-sensitive
    EXPECT_EQ(map.remove("a"), 1);
    EXPECT_EQ(map.remove("a"), 0);
    EXPECT_EQ(map.count(), 1);
    EXPECT_EQ(map.find("a"), nullptr);
    map.clear();
    EXPECT_EQ(map.size(), 0);
    EXPECT_EQ(map.find("b"), nullptr);
    EXPECT_EQ(map.remove("b"), 0);
}
