// The build command of the Windows cases: a console program that writes known bytes to its
// standard output and error, exactly as given (no text-mode translation), so that the cases
// can check every byte's fate on the way through the plug-in's pipe.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void writeTo(DWORD stream, const std::string& bytes) {
    HANDLE handle = GetStdHandle(stream);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

void out(const std::string& bytes) { writeTo(STD_OUTPUT_HANDLE, bytes); }
void err(const std::string& bytes) { writeTo(STD_ERROR_HANDLE, bytes); }

// Every kind of line end and byte the capture must handle, on both streams.
void writeKnownBytes() {
    out("plain start\r\n");
    out("lone lf\n");
    out("progress 10%\rprogress 100%\r\n");
    out("tab\there\n");
    out(std::string("ctl\x01nul\0hi \xE9t\xE9\n", 15));
    err("src\\main.c:12:5: error: bad thing\r\n");
    out("src\\util.c:3:1: warning: odd\n");
    out("\n");
    out(std::string(400, 'a') + "X" + std::string(9, 'b') + "\r\n");
    err("Z:\\abs\\path.c:7:2: error: absolute\n");
    out("unfinished");
}

// Far more than one pipe buffer, in lines of a known shape.
void writeManyLines(int count) {
    std::string block;
    char line[160];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, "line %06d %s\r\n", i, std::string(120, static_cast<char>('a' + i % 26)).c_str());
        block += line;
        if (block.size() > 60000) {
            out(block);
            block.clear();
        }
    }
    out(block);
}

// Two lines, then a pause until the test host has seen them drawn: the plug-in must show what
// it has while the child still runs.
void writeTailThenWait(const char* eventName) {
    HANDLE shown = CreateEventA(nullptr, TRUE, FALSE, eventName);
    out("first\nsecond\n");
    bool seen = shown && WaitForSingleObject(shown, 10000) == WAIT_OBJECT_0;
    out(seen ? "tail shown\n" : "tail late\n");
    if (shown) CloseHandle(shown);
}

void writeArguments(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        size_t length = std::strlen(argv[i]);
        if (length < 200) {
            out(std::string("arg: ") + argv[i] + "\n");
        } else {
            out("arg of length " + std::to_string(length) + "\n");
        }
    }
}

// As a compiler does: each file named on the command line opened by its narrow name.
void readFiles(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        std::FILE* file = std::fopen(argv[i], "rb");
        if (!file) {
            out(std::string("cannot read ") + argv[i] + "\n");
            continue;
        }
        char content[200] = {0};
        size_t length = std::fread(content, 1, sizeof content - 1, file);
        std::fclose(file);
        out(std::string("read ") + argv[i] + ": " + std::string(content, length));
    }
}

void writeCurrentDirectory() {
    char directory[MAX_PATH + 1] = {0};
    GetCurrentDirectoryA(sizeof directory, directory);
    out(std::string("cwd: ") + directory + "\n");
}

// A grandchild that would sleep for a minute, its id in the file, then the same wait here:
// only a stop that reaches the whole job ends both.
int startGrandchildAndWait(const char* self, const char* idFile) {
    std::string command = std::string("\"") + self + "\" sleep 60000";
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION grandchild;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &grandchild)) {
        err("cannot start the grandchild\n");
        return 2;
    }
    CloseHandle(grandchild.hThread);
    CloseHandle(grandchild.hProcess);
    FILE* ids = std::fopen(idFile, "w");
    if (ids) {
        std::fprintf(ids, "%lu\n", grandchild.dwProcessId);
        std::fclose(ids);
    }
    out("started\n");
    Sleep(60000);
    out("never\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "bytes") {
        writeKnownBytes();
    } else if (mode == "many") {
        writeManyLines(argc > 2 ? std::atoi(argv[2]) : 1000);
    } else if (mode == "tail") {
        writeTailThenWait(argc > 2 ? argv[2] : "");
    } else if (mode == "args") {
        writeArguments(argc, argv);
    } else if (mode == "read") {
        readFiles(argc, argv);
    } else if (mode == "cwd") {
        writeCurrentDirectory();
    } else if (mode == "exit") {
        out("a.c:1:1: error: failed\n");
        return argc > 2 ? std::atoi(argv[2]) : 0;
    } else if (mode == "grandchild") {
        return startGrandchildAndWait(argv[0], argc > 2 ? argv[2] : "ids.txt");
    } else if (mode == "sleep") {
        Sleep(static_cast<DWORD>(argc > 2 ? std::atoi(argv[2]) : 0));
        out("slept\n");
    } else {
        err("unknown mode\n");
        return 2;
    }
    return 0;
}
