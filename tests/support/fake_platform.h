#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

// The real POSIX platform with the parts a test must control replaced: console input and
// size, clock, sound, sleeping and the title. Processes, files and directories stay real.
class FakePlatform : public PosixPlatform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // Scripted key presses; once they run out, every read gives Esc so windows close.
    std::deque<KeyEvent> keys;
    int readsAfterKeysRanOut = 0;
    // Called before each key is handed out, to look at the screen at that moment.
    std::function<void(const KeyEvent&)> beforeKey;
    void pressKey(int virtualKey, unsigned controlState = 0);

    ConsoleSize size{80, 25};
    // Successive clock readings in seconds; the last one repeats.
    std::deque<int64_t> clockSeconds_{1000};

    std::vector<std::string> titles;
    std::vector<std::string> soundsPlayed;
    int beeps = 0;
    int sleeps = 0;
    int consoleOpens = 0;
    int consoleCloses = 0;
    int cursorHides = 0;
    int cursorRestores = 0;

    // When set, commands are not run and this result is returned instead.
    int forcedRunResult = -1;
    std::vector<std::string> commandsRun;

    int runCommand(const char* commandLine, OutputSink& sink) override;
    ConsoleSize consoleSize() override { return size; }
    bool openConsole() override;
    void hideCursor() override { ++cursorHides; }
    void restoreCursor() override { ++cursorRestores; }
    void closeConsole() override { ++consoleCloses; }
    bool readKey(KeyEvent& event) override;
    // Keys waiting while a build runs: the hook gives one (true) or none (false) at each look.
    std::function<bool(KeyEvent&)> waitingKey;
    int keyLooks = 0;
    bool pollKey(KeyEvent& event) override;
    void setTitle(const char* title) override { titles.push_back(title ? title : ""); }
    void playSound(const char* path) override { soundsPlayed.push_back(path); }
    void beep() override { ++beeps; }
    int64_t clockSeconds() override;
    void sleepMilliseconds(int) override { ++sleeps; }
};

KeyEvent keyPress(int virtualKey, unsigned controlState = 0);
