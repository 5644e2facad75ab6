#include "terminal/display.h"

#include <signal.h>

#include <algorithm>
#include <chrono>

Display::Display(int width, int height, bool utf8, TerminalOutput& output, Clock clock)
    : screen_(width, height), renderer_(utf8), output_(output), clock_(std::move(clock)) {}

Display::~Display() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (timer_.joinable()) timer_.join();
    if (writeLog_) std::fclose(writeLog_);
}

void Display::recordWritesTo(std::FILE* log) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (writeLog_) std::fclose(writeLog_);
    writeLog_ = log;
}

int64_t Display::now() const {
    if (clock_) return clock_();
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Display::startFlushTimer() {
    if (timer_.joinable()) return;
    // Signals (Ctrl+C, resizes) belong to the host's thread, whose reads they interrupt.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    timer_ = std::thread([this] { timerLoop(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void Display::timerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (!deferred_) {
            wake_.wait(lock);
            continue;
        }
        int64_t due = lastWriteUs_ + kMinFlushIntervalUs - now();
        if (due > 0) {
            wake_.wait_for(lock, std::chrono::microseconds(due));
            continue;
        }
        writeLocked();
    }
}

int Display::width() {
    std::lock_guard<std::mutex> lock(mutex_);
    return screen_.width();
}

int Display::height() {
    std::lock_guard<std::mutex> lock(mutex_);
    return screen_.height();
}

void Display::text(int x, int y, uint8_t attribute, const char* text, int length) {
    std::lock_guard<std::mutex> lock(mutex_);
    screen_.text(x, y, attribute, text, length);
}

void Display::glyph(int x, int y, uint8_t attribute, uint32_t character) {
    std::lock_guard<std::mutex> lock(mutex_);
    screen_.glyph(x, y, attribute, character);
}

void Display::fill(int x, int y, int width, int height, uint8_t attribute, uint32_t character) {
    std::lock_guard<std::mutex> lock(mutex_);
    screen_.fill(x, y, width, height, attribute, character);
}

Cell Display::cellAt(int x, int y) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (x < 0 || y < 0 || x >= screen_.width() || y >= screen_.height()) return Cell();
    return screen_.at(x, y);
}

ScreenSnapshot Display::save(int x1, int y1, int x2, int y2) {
    std::lock_guard<std::mutex> lock(mutex_);
    ScreenSnapshot snapshot;
    if (x2 < 0 || x2 >= screen_.width()) x2 = screen_.width() - 1;
    if (y2 < 0 || y2 >= screen_.height()) y2 = screen_.height() - 1;
    snapshot.x = std::max(x1, 0);
    snapshot.y = std::max(y1, 0);
    snapshot.width = std::max(x2 - snapshot.x + 1, 0);
    snapshot.height = std::max(y2 - snapshot.y + 1, 0);
    snapshot.cells.reserve(static_cast<size_t>(snapshot.width) * snapshot.height);
    for (int y = snapshot.y; y < snapshot.y + snapshot.height; ++y) {
        for (int x = snapshot.x; x < snapshot.x + snapshot.width; ++x) snapshot.cells.push_back(screen_.at(x, y));
    }
    return snapshot;
}

void Display::restore(const ScreenSnapshot& snapshot) {
    std::lock_guard<std::mutex> lock(mutex_);
    screen_.put(snapshot.cells, snapshot.x, snapshot.y, snapshot.width, snapshot.height);
}

void Display::resize(int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (width == screen_.width() && height == screen_.height()) return;
    screen_.resize(width, height);
    renderer_.invalidate();
}

void Display::setCursor(const CursorState& cursor) {
    std::lock_guard<std::mutex> lock(mutex_);
    cursor_ = cursor;
}

void Display::writeLocked() {
    deferred_ = false;
    if (suspended_) return;
    std::string bytes = renderer_.render(screen_, cursor_);
    lastWriteUs_ = now();
    everWritten_ = true;
    if (bytes.empty()) return;
    output_.write(bytes);
    if (writeLog_) std::fprintf(writeLog_, "%lld\n", static_cast<long long>(lastWriteUs_));
}

void Display::requestFlush() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!everWritten_ || now() - lastWriteUs_ >= kMinFlushIntervalUs) {
        writeLocked();
        return;
    }
    if (!deferred_) {
        deferred_ = true;
        wake_.notify_all();
    }
}

void Display::flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLocked();
}

void Display::flushPending() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (deferred_) writeLocked();
}

bool Display::flushDeferred() {
    std::lock_guard<std::mutex> lock(mutex_);
    return deferred_;
}

void Display::invalidate() {
    std::lock_guard<std::mutex> lock(mutex_);
    renderer_.invalidate();
}

void Display::forgetCursor() {
    std::lock_guard<std::mutex> lock(mutex_);
    renderer_.forgetCursor();
}

void Display::suspend() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = true;
    deferred_ = false;
}

void Display::resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = false;
    renderer_.invalidate();
}
