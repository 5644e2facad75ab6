#include "support/fake_platform.h"

#include "far/win_types.h"

KeyEvent keyPress(int virtualKey, unsigned controlState) {
    KeyEvent event;
    event.isKey = true;
    event.keyDown = true;
    event.virtualKey = virtualKey;
    event.controlState = controlState;
    return event;
}

FakePlatform::FakePlatform() { setPlatform(this); }

FakePlatform::~FakePlatform() { setPlatform(nullptr); }

void FakePlatform::pressKey(int virtualKey, unsigned controlState) { keys.push_back(keyPress(virtualKey, controlState)); }

bool FakePlatform::openConsole() {
    ++consoleOpens;
    return true;
}

bool FakePlatform::readKey(KeyEvent& event) {
    if (keys.empty()) {
        ++readsAfterKeysRanOut;
        event = keyPress(VK_ESCAPE);
    } else {
        event = keys.front();
        keys.pop_front();
    }
    if (beforeKey) beforeKey(event);
    return true;
}

bool FakePlatform::pollKey(KeyEvent& event) {
    ++keyLooks;
    return waitingKey && waitingKey(event);
}

int64_t FakePlatform::clockSeconds() {
    int64_t now = clockSeconds_.front();
    if (clockSeconds_.size() > 1) clockSeconds_.pop_front();
    return now;
}

int FakePlatform::runCommand(const char* commandLine, OutputSink& sink) {
    commandsRun.push_back(commandLine ? commandLine : "");
    if (forcedRunResult >= 0) return forcedRunResult;
    return PosixPlatform::runCommand(commandLine, sink);
}
