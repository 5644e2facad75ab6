#include <gtest/gtest.h>

#include <vector>

#include "foundation/list.h"
#include "foundation/string_list.h"

namespace {

using Trace = List<int>::SeekTrace;
using Origin = List<int>::SeekOrigin;

void fill(List<int>& list, int count) {
    for (int i = 0; i < count; ++i) list.append(i);
}

}  // namespace

TEST(ListIndexing, IndexesClampAndCountFromTheEnd) {
    List<int> list;
    EXPECT_EQ(list.at(0), nullptr);
    fill(list, 10);
    EXPECT_EQ(*list.at(-1), 9);
    EXPECT_EQ(*list.at(-25), 0);
    EXPECT_EQ(*list.at(10), 9);
    EXPECT_EQ(*list.at(500), 9);
    EXPECT_EQ(*list.at(4), 4);
    EXPECT_EQ(list.position(), 4);
}

TEST(ListSeek, TheWalkStartsFromTheNearestPlaceWithTheTieRules) {
    List<int> list;
    fill(list, 10);
    auto seekFromCursorAt5 = [&](int index) {
        list.seek(5);
        list.seek(index);
        EXPECT_EQ(list.position(), index);
        return list.lastSeek();
    };
    Trace forward = seekFromCursorAt5(6);
    EXPECT_EQ(forward.origin, Origin::Cursor);
    EXPECT_EQ(forward.steps, 1);
    Trace tailTie = seekFromCursorAt5(7);  // cursor and tail both 2 away: the tail wins
    EXPECT_EQ(tailTie.origin, Origin::Tail);
    EXPECT_EQ(tailTie.steps, 2);
    Trace head = seekFromCursorAt5(2);  // head 2, cursor 3
    EXPECT_EQ(head.origin, Origin::Head);
    EXPECT_EQ(head.steps, 2);
    Trace back = seekFromCursorAt5(4);
    EXPECT_EQ(back.origin, Origin::Cursor);
    EXPECT_EQ(back.steps, 1);

    list.seek(0);
    list.seek(9);  // cursor and tail: the tail
    EXPECT_EQ(list.lastSeek().origin, Origin::Tail);
    list.seek(4);  // head 4, tail 5, cursor 5: the head
    EXPECT_EQ(list.lastSeek().origin, Origin::Head);
    List<int> small;
    fill(small, 3);
    small.seek(0);
    small.seek(1);  // head 1, cursor 1, tail 1: the head wins both ties
    EXPECT_EQ(small.lastSeek().origin, Origin::Head);
}

TEST(ListAppend, TheCursorFollowsTheNewElement) {
    List<int> list;
    fill(list, 5);
    list.seek(2);
    list.append(99);
    EXPECT_EQ(list.position(), 5);
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(*list.at(list.count() - 2), 4);
}

TEST(ListRemoval, RemovingAtTheEndsKeepsTheCursorValid) {
    List<int> list;
    fill(list, 4);
    list.seek(3);
    list.removeCurrent();  // the last: cursor on the new last
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.position(), 2);
    EXPECT_EQ(*list.at(list.position()), 2);
    list.seek(0);
    list.removeCurrent();  // the first: cursor on its follower at position 0
    EXPECT_EQ(list.position(), 0);
    EXPECT_EQ(*list.at(0), 1);
    EXPECT_EQ(*list.at(1), 2);
    list.seek(1);
    list.removeCurrent();
    list.removeCurrent();  // the only element
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.position(), 0);
    EXPECT_EQ(list.at(0), nullptr);
    list.removeCurrent();  // harmless on an empty list
    list.append(7);
    EXPECT_EQ(*list.at(0), 7);
}

TEST(ListRemoval, AMiddleElementHandsTheCursorToItsFollower) {
    StringList list;
    for (const char* text : {"a", "b", "c"}) list.append(String(text));
    list.seek(1);
    list.removeCurrent();
    EXPECT_EQ(list.position(), 1);
    EXPECT_STREQ(list.at(list.position())->text(), "c");
    EXPECT_STREQ(list.at(0)->text(), "a");
}

namespace {

// Counts the live copies, and throws when copied after the budget of copies is spent.
struct Counted {
    static int alive;
    static int copiesLeft;
    int value;
    explicit Counted(int v) : value(v) { ++alive; }
    Counted(const Counted& other) : value(other.value) {
        if (copiesLeft-- <= 0) throw std::bad_alloc();
        ++alive;
    }
    ~Counted() { --alive; }
};
int Counted::alive = 0;
int Counted::copiesLeft = 0;

}  // namespace

// Every element is visited and destroyed once, whether the list was only appended to, had
// elements removed and their rooms reused, or failed to make an element.
TEST(ListClear, VisitsAndDestroysEveryElementOnce) {
    for (int removed : {0, 1, 3}) {
        {
            List<Counted> list;
            Counted::copiesLeft = 1000;
            for (int i = 0; i < 300; ++i) list.append(Counted(i));
            for (int r = 0; r < removed; ++r) {
                list.seek(10 * r);
                list.removeCurrent();
            }
            for (int i = 0; i < removed - 1; ++i) list.append(Counted(1000 + i));  // reuses released rooms
            Counted::copiesLeft = 0;
            int count = list.count();
            EXPECT_THROW(list.append(Counted(-1)), std::bad_alloc);
            EXPECT_EQ(list.count(), count);
            Counted::copiesLeft = 1000;
            list.append(Counted(2000));  // takes the room the failed element gave back

            int visited = 0;
            list.visitFrom(0, [&](int, Counted&) { return ++visited > 0; });
            EXPECT_EQ(visited, list.count());
            EXPECT_EQ(Counted::alive, list.count());
        }
        EXPECT_EQ(Counted::alive, 0) << removed << " removed";
    }
}

// Runs of copies fill blocks across their ends and released rooms alike, and link up with the
// elements around them in both directions.
TEST(ListAppend, CopiesAreLinkedLikeSingleAppends) {
    List<int> list;
    std::vector<int> expected;
    auto appendCopies = [&](int value, int count) {
        list.appendCopies(value, count);
        expected.insert(expected.end(), size_t(count > 0 ? count : 0), value);
    };
    appendCopies(1, 3);
    list.append(2);
    expected.push_back(2);
    appendCopies(3, 100);  // past the ends of several blocks
    list.seek(50);
    list.removeCurrent();
    expected.erase(expected.begin() + 50);
    appendCopies(4, 5);  // the released room first
    appendCopies(5, 0);
    appendCopies(6, -2);
    ASSERT_EQ(list.count(), int(expected.size()));
    EXPECT_EQ(list.position(), list.count() - 1);
    std::vector<int> forward;
    list.visitFrom(0, [&](int index, int value) {
        EXPECT_EQ(index, int(forward.size()));
        forward.push_back(value);
        return true;
    });
    EXPECT_EQ(forward, expected);
    // Seeking from the tail walks the links back.
    for (int i = list.count() - 1; i >= list.count() - 30; --i) EXPECT_EQ(*list.at(i), expected[size_t(i)]);
}

// A visit from any index, across the ends of the node blocks, gives the elements in list order
// with their indexes, and stops when asked: before any removal (when the rooms are followed) and
// after one (when the links are).
TEST(ListVisit, VisitsFromAnyIndexInOrderBeforeAndAfterARemoval) {
    List<int> list;
    fill(list, 400);
    for (int round = 0; round < 2; ++round) {
        std::vector<int> expected;  // along the links
        for (int i = 0; i < list.count(); ++i) expected.push_back(*list.at(i));
        for (int first : {0, 3, 4, 19, 20, 21, 84, 85, 300, list.count() - 1}) {
            int next = first;
            list.visitFrom(first, [&](int index, int value) {
                EXPECT_EQ(index, next);
                EXPECT_EQ(value, expected[size_t(index)]);
                ++next;
                return index < first + 70;
            });
            EXPECT_EQ(next, std::min(first + 71, list.count())) << "from " << first;
            EXPECT_EQ(list.position(), first);
        }
        list.seek(10);
        list.removeCurrent();  // the rooms no longer follow the list
        list.append(-1);
    }
}
