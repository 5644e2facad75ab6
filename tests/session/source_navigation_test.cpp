#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/build_session.h"
#include "session/output_window.h"
#include "session/source_navigation.h"
#include "support/plugin_fixture.h"
#include "support/session_setup.h"

namespace {

class SourceNavigation : public PluginFixture {
protected:
    void SetUp() override {
        writeConfig(configWithCommand("true"));
        startPlugin();
        session().workingDirectory.assign("/proj");
    }
    void run(const std::vector<int>& keys, unsigned control = 0) {
        for (int code : keys) platform.pressKey(code, control);
        ClearWindowArea(false);
        OutputWindow();
    }
    void addEditor(const std::string& name, int totalLines = 100, int windowRows = 24) {
        ScriptedHost::Window editor;
        editor.type = WTYPE_EDITOR;
        editor.name = name;
        editor.totalLines = totalLines;
        editor.windowSizeY = windowRows;
        host.windows.push_back(editor);
    }
};

}  // namespace

TEST(PathRules, NormalisedPathsCompareByteForByteOnPosix) {
    struct Case {
        const char* path;
        char separator;
        const char* normal;
    } cases[] = {
        {"build/libiberty/../../include/x.h", '/', "include/x.h"},
        {"/proj//src/./a.c", '/', "/proj/src/a.c"},
        {"/proj/../../a.c", '/', "/a.c"},  // not above the root
        {"../../a.c", '/', "../../a.c"},   // kept where nothing is to climb out of
        {"a/../../b", '/', "../b"},
        {"C:/proj\\sub/../a.c", '\\', "C:\\proj\\a.c"},
        {"\\\\server\\share\\..\\x", '\\', "\\\\server\\x"},
        {"./", '/', "."},
        {"/", '/', "/"},
    };
    for (const Case& c : cases) EXPECT_STREQ(NormalisePath(c.path, c.separator).text(), c.normal) << c.path;
    EXPECT_TRUE(SamePath("/proj/build/lib/../../include/x.h", "/proj/include/x.h"));
    EXPECT_TRUE(SamePath("/x/y.c", "\\x\\y.c"));
    EXPECT_FALSE(SamePath("/x/Y.c", "/x/y.c"));  // two files on POSIX
    EXPECT_FALSE(SamePath("/x/y.c", "/x/y.cc"));
    EXPECT_TRUE(SamePath("", ""));
}

TEST_F(SourceNavigation, EnterOpensANewEditorAtTheLineAndColumn) {
    fillSession({"x", "E:src/a.c:12:5 error", "E:/abs/b.c:3:-1 e"});
    session().selected = 1;
    run({VK_RETURN});
    ASSERT_EQ(host.editorOpens.size(), 1u);
    EXPECT_EQ(host.editorOpens[0].path, "/proj/src/a.c");
    EXPECT_EQ(host.editorOpens[0].line, 12);
    EXPECT_EQ(host.editorOpens[0].column, 5);
    EXPECT_EQ(host.editorOpens[0].flags, static_cast<DWORD>(EF_NONMODAL));
    EXPECT_FALSE(session().editorRedraw);
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);  // Enter left the window
    EXPECT_GE(platform.cursorRestores, 1);

    session().selected = 2;
    run({VK_RETURN});
    EXPECT_EQ(host.editorOpens[1].path, "/abs/b.c");  // absolute: used as written
    EXPECT_EQ(host.editorOpens[1].column, 1);          // no column: the line's start

    session().selected = 0;
    run({VK_RETURN});  // no match: the window stays until Esc
    EXPECT_EQ(host.editorOpens.size(), 2u);
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
}

TEST_F(SourceNavigation, AnOpenEditorIsReusedHoweverItsPathIsSpelt) {
    session().workingDirectory.assign("/proj/build/..");
    addEditor("/proj//src/./a.c");
    addEditor("/other.c");
    fillSession({"E:src/a.c:10:4 e", "E:src/a.c:1:2 e"});
    run({VK_RETURN});
    EXPECT_TRUE(host.editorOpens.empty());
    EXPECT_EQ(host.windowSwitches, (std::vector<int>{1}));
    ASSERT_EQ(host.positionings.size(), 1u);
    const EditorSetPosition& place = host.positionings[0].place;
    EXPECT_EQ(place.CurLine, 9);
    EXPECT_EQ(place.CurPos, 3);  // the tool's fourth character
    EXPECT_EQ(place.CurTabPos, -1);
    EXPECT_EQ(place.TopScreenLine, 8);  // one line of context
    EXPECT_EQ(place.LeftPos, 0);
    EXPECT_EQ(place.Overtype, -1);
    EXPECT_TRUE(session().editorRedraw);

    session().selected = 1;
    run({VK_RETURN});
    EXPECT_EQ(host.positionings[1].place.TopScreenLine, 0);  // line 1

    host.windows[1].totalLines = 10;  // the whole file fits the window
    session().selected = 0;
    run({VK_RETURN});
    EXPECT_EQ(host.positionings[2].place.TopScreenLine, 0);
}

TEST_F(SourceNavigation, TheRedrawFlagIsConsumedAfterTheWindowCloses) {
    addEditor("/proj/a.c");
    writeConfig(configWithCommand("printf 'a.c:4:2: error: x\\n'"));
    touchConfig();
    session().workingDirectory.assign("");
    std::string cwd = platform.currentDirectory().text();
    host.windows[1].name = cwd + "/a.c";
    platform.pressKey(VK_RETURN);
    openCommandLine("make:a.c");
    EXPECT_EQ(host.positionings.size(), 1u);
    EXPECT_EQ(host.redraws, 1);
    EXPECT_FALSE(session().editorRedraw);
}

TEST_F(SourceNavigation, StepsMoveBetweenMatchesAndStopAtTheEnds) {
    fillSession({"a", "E:f:1:1 e1", "N:f:1:1 n", "W:f:2:1 w", "N:f:2:1 n", "E:f:3:1 e2", "d"});
    session().selected = 1;
    run({VK_F8});  // notes are passed over
    EXPECT_EQ(session().selected, 3);
    run({VK_F4, VK_F9});
    EXPECT_EQ(session().selected, 5);
    run({VK_F8});  // the last match: stays
    EXPECT_EQ(session().selected, 5);
    run({VK_F5, VK_F6, VK_F7}, SHIFT_PRESSED);
    EXPECT_EQ(session().selected, 1);  // the first match: stays
    EXPECT_TRUE(host.editorOpens.empty());  // full screen: no editor follows
}

TEST_F(SourceNavigation, FromTheEditorTheEditorFollowsEachStep) {
    session().mode = WindowBottomBand;
    addEditor("/proj/f.c");
    host.currentWindow = 1;
    fillSession({"E:f.c:5:2 e1", "noise", "W::7:3 same file", "E:g.c:9:1 e3"});
    platform.pressKey(VK_F8);
    platform.pressKey(VK_F8);
    platform.pressKey(VK_F8, SHIFT_PRESSED);
    ClearWindowArea(false);
    OutputWindow();
    EXPECT_EQ(session().selected, 2);
    // The step to line 2 repositioned the open editor (an empty file means the edited one)...
    ASSERT_GE(host.positionings.size(), 2u);
    EXPECT_EQ(host.positionings[0].place.CurLine, 6);
    EXPECT_EQ(host.positionings[0].place.CurPos, 2);
    // ...the step to g.c opened a new editor...
    ASSERT_EQ(host.editorOpens.size(), 1u);
    EXPECT_EQ(host.editorOpens[0].path, "/proj/g.c");
    EXPECT_EQ(host.editorOpens[0].line, 9);
    // ...and every repositioning was redrawn at once, while the window stayed open.
    EXPECT_EQ(host.redraws, static_cast<int>(host.positionings.size()));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
}

TEST_F(SourceNavigation, AMatchWithoutAFileNeedsTheEditor) {
    fillSession({"E::3:1 no file"});
    run({VK_RETURN});  // full screen: ignored
    EXPECT_TRUE(host.editorOpens.empty());
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);

    session().mode = WindowBottomBand;
    addEditor("/proj/edited.c");
    host.currentWindow = 1;
    run({VK_RETURN});
    ASSERT_EQ(host.positionings.size(), 1u);
    EXPECT_EQ(host.positionings[0].editor, "/proj/edited.c");
    EXPECT_EQ(host.positionings[0].place.CurLine, 2);
}
