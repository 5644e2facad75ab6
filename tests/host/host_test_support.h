#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "far/win_types.h"
#include "terminal/display.h"
#include "terminal/key_source.h"
#include "widgets/ui_context.h"

// Keys from a script; when it runs out, input has ended.
class ScriptedKeys : public KeySource {
public:
    bool readKey(KeyEvent& event) override {
        if (keys_.empty()) {
            ended_ = true;
            return false;
        }
        event = keys_.front();
        keys_.pop_front();
        return true;
    }
    bool ended() const override { return ended_; }

    ScriptedKeys& key(int virtualKey, unsigned state = 0) {
        KeyEvent event;
        event.isKey = event.keyDown = true;
        event.virtualKey = virtualKey;
        event.controlState = state;
        keys_.push_back(event);
        return *this;
    }
    ScriptedKeys& type(const std::string& text) {
        for (char ch : text) {
            KeyEvent event;
            event.isKey = event.keyDown = true;
            event.character = ch;
            event.virtualKey = ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch;
            keys_.push_back(event);
        }
        return *this;
    }
    size_t left() const { return keys_.size(); }

private:
    std::deque<KeyEvent> keys_;
    bool ended_ = false;
};

// Keeps what the display writes.
class RecordedOutput : public TerminalOutput {
public:
    void write(const std::string& bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes_ += bytes;
        ++writes_;
    }
    std::string bytes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return bytes_;
    }
    int writes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return writes_;
    }

private:
    std::mutex mutex_;
    std::string bytes_;
    int writes_ = 0;
};

// A display, keys and the context the dialogs run in.
struct UiFixture {
    explicit UiFixture(int width = 80, int height = 25)
        : display(width, height, true, output, [this] { return clock.load(); }),
          ui{display, keys} {}

    std::string row(int y) {
        std::string text;
        for (int x = 0; x < display.width(); ++x) {
            uint32_t character = display.cellAt(x, y).character;
            text += character < 0x80 ? static_cast<char>(character) : '#';
        }
        return text;
    }
    bool screenHas(const std::string& text) {
        for (int y = 0; y < display.height(); ++y) {
            if (row(y).find(text) != std::string::npos) return true;
        }
        return false;
    }

    RecordedOutput output;
    std::atomic<int64_t> clock{0};
    ScriptedKeys keys;
    Display display;
    UiContext ui;
};
