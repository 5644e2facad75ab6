#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host_test_support.h"

namespace {

const int64_t kInterval = Display::kMinFlushIntervalUs;

bool waitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 5000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

}  // namespace

TEST(Display, FlushesSoonerThanTheIntervalAreDeferredAndTheLastStateIsWritten) {
    UiFixture fixture(20, 2);
    Display& display = fixture.display;
    display.text(0, 0, 0x07, "one");
    display.requestFlush();
    EXPECT_EQ(fixture.output.writes(), 1);

    fixture.clock = kInterval / 3;
    display.text(0, 0, 0x07, "two");
    display.requestFlush();
    fixture.clock = kInterval / 2;
    display.text(0, 0, 0x07, "six");
    display.requestFlush();
    EXPECT_EQ(fixture.output.writes(), 1);
    EXPECT_TRUE(display.flushDeferred());

    // Before anyone waits for a key the deferred state goes out: the newest one only.
    display.flushPending();
    EXPECT_EQ(fixture.output.writes(), 2);
    EXPECT_FALSE(display.flushDeferred());
    EXPECT_EQ(fixture.output.bytes().find("two"), std::string::npos);
    EXPECT_NE(fixture.output.bytes().find("six"), std::string::npos);
    display.flushPending();
    EXPECT_EQ(fixture.output.writes(), 2);

    // Once the interval is over, a request is written at once.
    fixture.clock = kInterval / 2 + kInterval;
    display.text(0, 1, 0x07, "ten");
    display.requestFlush();
    EXPECT_EQ(fixture.output.writes(), 3);
}

TEST(Display, AFloodOfPassesIsWrittenAtMostOncePerInterval) {
    UiFixture fixture(20, 2);
    // A build printing a line every 100 microseconds for a second: ten thousand passes.
    for (int pass = 0; pass < 10000; ++pass) {
        fixture.clock = pass * 100;
        fixture.display.text(0, 0, 0x07, "line " + std::to_string(pass));
        fixture.display.requestFlush();
    }
    fixture.display.flushPending();
    int writes = fixture.output.writes();
    EXPECT_LE(writes, 1000000 / kInterval + 2);
    EXPECT_GE(writes, 1000000 / kInterval - 2);
    // The terminal got the final state: a flush now has nothing left to write.
    fixture.display.flush();
    EXPECT_EQ(fixture.output.writes(), writes);
}

TEST(Display, TheTimerWritesADeferredStateWhileNobodyDraws) {
    UiFixture fixture(20, 2);
    fixture.display.startFlushTimer();
    fixture.display.text(0, 0, 0x07, "AAAAA");
    fixture.display.requestFlush();
    fixture.clock = 1000;
    fixture.display.text(0, 0, 0x07, "BBBBB");
    fixture.display.requestFlush();
    ASSERT_TRUE(fixture.display.flushDeferred());
    // The build falls silent; only time passes.
    fixture.clock = kInterval + 1000;
    EXPECT_TRUE(waitUntil([&] { return fixture.output.bytes().find("BBBBB") != std::string::npos; }));
    EXPECT_FALSE(fixture.display.flushDeferred());
}

TEST(Display, NothingIsWrittenWhileSuspendedAndEverythingAfter) {
    UiFixture fixture(10, 2);
    fixture.display.text(0, 0, 0x07, "before");
    fixture.display.flush();
    fixture.display.suspend();
    fixture.display.text(0, 1, 0x07, "during");
    fixture.display.flush();
    fixture.display.requestFlush();
    EXPECT_EQ(fixture.output.bytes().find("during"), std::string::npos);
    fixture.display.resume();
    fixture.display.flush();
    std::string bytes = fixture.output.bytes();
    EXPECT_NE(bytes.find("during"), std::string::npos);
    EXPECT_NE(bytes.rfind("before"), bytes.find("before"));  // repainted whole
}

TEST(Display, SavedRectangleComesBackInPlace) {
    UiFixture fixture(10, 4);
    Display& display = fixture.display;
    display.text(0, 1, 0x07, "abcdefghij");
    ScreenSnapshot middle = display.save(2, 1, 4, 2);
    EXPECT_EQ(middle.width, 3);
    EXPECT_EQ(middle.height, 2);
    ScreenSnapshot whole = display.save(0, 0, -1, -1);
    EXPECT_EQ(whole.width, 10);
    EXPECT_EQ(whole.height, 4);
    display.fill(0, 0, 10, 4, 0x17, 'x');
    display.restore(middle);
    EXPECT_EQ(fixture.row(1), "xxcdexxxxx");
    display.restore(whole);
    EXPECT_EQ(fixture.row(1), "abcdefghij");
    EXPECT_EQ(display.cellAt(0, 1).attribute, 0x07);
}
