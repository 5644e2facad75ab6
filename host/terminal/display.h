#pragma once

#include <cstdio>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "terminal/screen.h"
#include "terminal/screen_renderer.h"

// Where the rendered bytes go: the terminal, or a recorder in tests.
class TerminalOutput {
public:
    virtual ~TerminalOutput() = default;
    virtual void write(const std::string& bytes) = 0;
};

// A copy of a rectangle of the screen, as SaveScreen hands out.
struct ScreenSnapshot {
    std::vector<Cell> cells;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The screen and its way to the terminal. A build redraws its window for every output line;
// the terminal gets at most one write per kMinFlushIntervalUs: an earlier flush request is
// deferred, and the deferred state is written by the flush timer when the interval is over,
// or at once by flush() before anyone blocks for input. The final state is therefore always
// shown, even when the build then falls silent for a long time.
//
// Drawing and flushing may happen on two threads (the host's and the flush timer's), so every
// member locks; the timer thread never calls into the plug-in.
class Display {
public:
    static const int64_t kMinFlushIntervalUs = 1000000 / 60;
    using Clock = std::function<int64_t()>;  // monotonic microseconds

    Display(int width, int height, bool utf8, TerminalOutput& output, Clock clock = Clock());
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Appends the time (microseconds) of every terminal write to the file, for measuring how
    // often the terminal is written to; the display closes it.
    void recordWritesTo(std::FILE* log);
    // Starts the thread that writes deferred flushes when their interval is over.
    void startFlushTimer();

    int width();
    int height();
    void text(int x, int y, uint8_t attribute, const char* text, int length);
    void text(int x, int y, uint8_t attribute, const std::string& text) {
        this->text(x, y, attribute, text.data(), static_cast<int>(text.size()));
    }
    void glyph(int x, int y, uint8_t attribute, uint32_t character);
    void fill(int x, int y, int width, int height, uint8_t attribute, uint32_t character = ' ');
    Cell cellAt(int x, int y);
    // The rectangle from (x1, y1) to (x2, y2) inclusive; -1 for x2 or y2 is the screen's edge.
    ScreenSnapshot save(int x1 = 0, int y1 = 0, int x2 = -1, int y2 = -1);
    void restore(const ScreenSnapshot& snapshot);
    void resize(int width, int height);
    void setCursor(const CursorState& cursor);

    // The end of a drawing pass: written now, or deferred while the last write is too recent.
    void requestFlush();
    // Writes the screen now, deferred or not: before blocking for input.
    void flush();
    // Writes a deferred state now, if there is one.
    void flushPending();
    bool flushDeferred();

    // The terminal was used by someone else: repaint everything at the next flush.
    void invalidate();
    void forgetCursor();
    // While another program owns the terminal nothing is written; resume repaints.
    void suspend();
    void resume();

private:
    int64_t now() const;
    void writeLocked();
    void timerLoop();

    std::mutex mutex_;
    std::condition_variable wake_;
    Screen screen_;
    ScreenRenderer renderer_;
    TerminalOutput& output_;
    Clock clock_;
    CursorState cursor_;
    bool deferred_ = false;
    bool suspended_ = false;
    bool stopping_ = false;
    bool everWritten_ = false;
    int64_t lastWriteUs_ = 0;
    std::thread timer_;
    std::FILE* writeLog_ = nullptr;
};
