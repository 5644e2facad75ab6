#include <gtest/gtest.h>

#include <string>

#include "config/folder_messages.h"
#include "session/folder_tracking.h"

TEST(FolderMessages, MakeAndNinjaLinesInTheirForms) {
    struct Case {
        const char* line;
        FolderChange change;
        const char* folder;
    } cases[] = {
        {"make[1]: Entering directory '/src/lib'", FolderEntered, "/src/lib"},
        {"make[12]: Leaving directory `/src/lib'", FolderLeft, "/src/lib"},
        {"make: Entering directory '/src/it's here'  ", FolderEntered, "/src/it's here"},
        {"/usr/bin/make[2]: Entering directory '/b'", FolderEntered, "/b"},
        {"C:\\tools\\mingw32-make.exe[1]: Entering directory 'C:/p'", FolderEntered, "C:/p"},
        {"gmake[3]: Leaving directory '/x'", FolderLeft, "/x"},
        {"ninja: Entering directory `build'", FolderEntered, "build"},
        {"xmake[1]: Entering directory '/src'", FolderUnchanged, ""},
        {"make[]: Entering directory '/src'", FolderUnchanged, ""},
        {"make[1]: Entering directory /src", FolderUnchanged, ""},
        {"make[1]: Entering directory ''", FolderUnchanged, ""},
        {"a.c:1: note: Entering directory '/src'", FolderUnchanged, ""},
    };
    for (const Case& c : cases) {
        String line(c.line);
        CaptureSpan folder{-1, -1};
        EXPECT_EQ(ReadFolderChange(line, folder), c.change) << c.line;
        if (c.change) {
            EXPECT_EQ(std::string(c.line + folder.start, folder.end - folder.start), c.folder) << c.line;
        }
    }
}

TEST(FolderTracking, NestedInterleavedAndRelativeFolders) {
    FolderTracker tracker;
    auto say = [&tracker](const char* text) {
        String line(text);
        CaptureSpan folder;
        FolderChange change = ReadFolderChange(line, folder);
        ASSERT_NE(change, FolderUnchanged) << text;
        tracker.change(change, line.text(), folder);
    };
    auto current = [&tracker] {
        const String* folder = tracker.folder(tracker.current());
        return std::string(folder ? folder->text() : "(working directory)");
    };
    EXPECT_EQ(current(), "(working directory)");
    say("make[1]: Entering directory '/p/a'");
    say("make[2]: Entering directory '/p/a/../b/'");  // written untidily
    EXPECT_EQ(current(), "/p/b");
    // Parallel makes interleave: leaving a folder below the newest keeps the newest.
    say("make[1]: Entering directory '/p/c'");
    say("make[2]: Leaving directory '/p/b'");
    EXPECT_EQ(current(), "/p/c");
    say("make[1]: Leaving directory '/p/c'");
    EXPECT_EQ(current(), "/p/a");
    say("make[1]: Leaving directory '/p/never'");  // never entered: nothing changes
    EXPECT_EQ(current(), "/p/a");
    say("ninja: Entering directory `out/x'");  // relative: under the folder in effect
    EXPECT_EQ(current(), "/p/a/out/x");
    say("ninja: Leaving directory `out/x'");
    EXPECT_EQ(current(), "/p/a");
    say("make[1]: Leaving directory '/p/a'");
    EXPECT_EQ(current(), "(working directory)");
}
