#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "host_test_support.h"
#include "services/services.h"
#include "support/temporary_directory.h"

namespace {

// The host's services over a temporary folder with a module beside the shipped language file.
struct ServicesFixture : WindowOwner {
    ServicesFixture() : services(fixture.ui, windows, panel, *this) {
        std::ifstream language(std::string(TINKER_DATA_DIR) + "/tinker.lng", std::ios::binary);
        folder.write("module/tinker.lng", std::string(std::istreambuf_iterator<char>(language), {}));
        folder.write("module/tinker.hlf", ".Language=English,English\n@Contents\n$ #Title#\nbody\n");
        folder.write("project/main.c", "int main(void)\n{\n\treturn x;\n}\n");
        folder.write("project/lib/b.c", "b\n");
        folder.write("project/a.c", "a\n");
        folder.write("project/Z.c", "z\n");
        EXPECT_TRUE(services.setModule(folder.path("module/tinker.so")));
        info = services.startupInfo();
        if (getcwd(previous, sizeof previous) == nullptr) previous[0] = 0;
        EXPECT_EQ(chdir(folder.path("project").c_str()), 0);
        panel.read(folder.path("project"));
    }
    ~ServicesFixture() {
        if (previous[0] && chdir(previous) != 0) ADD_FAILURE() << "cannot go back";
    }

    void drawCurrentWindow() override { ++redraws; }
    void runModalViewer(int position) override { modalViewers.push_back(position); }

    WindowInfo window(int position) {
        WindowInfo result{};
        result.Pos = position;
        EXPECT_EQ(info.AdvControl(1, ACTL_GETWINDOWINFO, &result), 1);
        return result;
    }
    EditorInfo editorInfo() {
        EditorInfo result{};
        EXPECT_EQ(info.EditorControl(ECTL_GETINFO, &result), 1);
        return result;
    }

    TemporaryDirectory folder;
    UiFixture fixture{80, 25};
    WindowList windows;
    Panel panel;
    HostServices services;
    PluginStartupInfo info{};
    char previous[4096];
    int redraws = 0;
    std::vector<int> modalViewers;
};

}  // namespace

TEST(HostServices, StartupRecordNamesTheModuleAndEveryServiceThePluginUses) {
    ServicesFixture host;
    EXPECT_EQ(host.info.StructSize, static_cast<int>(sizeof(PluginStartupInfo)));
    EXPECT_STREQ(host.info.ModuleName, host.folder.path("module/tinker.so").c_str());
    for (const void* service : {(const void*)host.info.Menu, (const void*)host.info.Message, (const void*)host.info.GetMsg,
                                (const void*)host.info.Control, (const void*)host.info.SaveScreen,
                                (const void*)host.info.RestoreScreen, (const void*)host.info.Editor,
                                (const void*)host.info.Text, (const void*)host.info.EditorControl,
                                (const void*)host.info.ShowHelp, (const void*)host.info.AdvControl,
                                (const void*)host.info.InputBox}) {
        EXPECT_NE(service, nullptr);
    }
    EXPECT_STREQ(host.info.GetMsg(1, 0), "Tinker");
    EXPECT_STREQ(host.info.GetMsg(1, 11), "S&ave output to file");
    EXPECT_EQ(host.info.GetMsg(1, 999), nullptr);
    EXPECT_EQ(host.info.GetMsg(1, -1), nullptr);
    // A module path the interface cannot carry is refused.
    EXPECT_FALSE(host.services.setModule("/" + std::string(NM, 'x') + "/tinker.so"));
}

TEST(HostServices, PanelInfoListsThePanelWithItsCurrentItemAndFolder) {
    ServicesFixture host;
    host.panel.setCursor(3);
    PanelInfo panel{};
    ASSERT_EQ(host.info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel), 1);
    ASSERT_EQ(panel.ItemsNumber, 5);
    const char* expected[] = {"..", "lib", "a.c", "main.c", "Z.c"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(panel.PanelItems[i].FindData.cFileName, expected[i]);
    EXPECT_EQ(panel.CurrentItem, 3);
    EXPECT_STREQ(panel.PanelItems[panel.CurrentItem].FindData.cFileName, "main.c");
    EXPECT_NE(panel.PanelItems[1].FindData.dwFileAttributes & 0x10, 0u);
    EXPECT_EQ(panel.PanelItems[3].FindData.nFileSizeLow, 30u);
    EXPECT_STREQ(panel.CurDir, host.folder.path("project").c_str());
    EXPECT_EQ(host.info.Control(INVALID_HANDLE_VALUE, FCTL_GETANOTHERPANELINFO, &panel), 0);
    EXPECT_EQ(host.info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, nullptr), 0);
}

TEST(HostServices, EditorOpensAViewerThatTheWindowListAndEditorControlSee) {
    ServicesFixture host;
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 1);
    EXPECT_EQ(host.info.EditorControl(ECTL_GETINFO, nullptr), 0);

    // A relative name with detours names the same file as its plain absolute path.
    std::string path = host.folder.path("project/main.c");
    EXPECT_EQ(host.info.Editor("lib/../main.c", "", 0, 0, -1, -1, EF_NONMODAL, 3, 9), EEC_NOT_MODIFIED);
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 2);
    WindowInfo panels = host.window(0);
    EXPECT_EQ(panels.Type, WTYPE_PANELS);
    EXPECT_EQ(panels.Current, 0);
    WindowInfo editor = host.window(-1);
    EXPECT_EQ(editor.Pos, 1);
    EXPECT_EQ(editor.Type, WTYPE_EDITOR);
    EXPECT_EQ(editor.Current, 1);
    EXPECT_EQ(editor.Modified, 0);
    EXPECT_EQ(std::string(editor.Name), path);
    WindowInfo missing{};
    missing.Pos = 2;
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWINFO, &missing), 0);

    // Line and character count from 1 for Editor, from 0 in EditorInfo.
    EditorInfo info = host.editorInfo();
    EXPECT_EQ(std::string(info.FileName), path);
    EXPECT_EQ(info.TotalLines, 4);
    EXPECT_EQ(info.CurLine, 2);
    EXPECT_EQ(info.CurPos, 8);
    EXPECT_EQ(info.CurTabPos, 15);  // the tab takes the line to column 8
    EXPECT_EQ(info.WindowSizeX, 80);
    EXPECT_EQ(info.WindowSizeY, 23);

    // The same file again reuses its viewer.
    EXPECT_EQ(host.info.Editor(path.c_str(), "", 0, 0, -1, -1, EF_NONMODAL, 1, 1), EEC_NOT_MODIFIED);
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 2);
    EXPECT_EQ(host.editorInfo().CurLine, 0);
    EXPECT_TRUE(host.modalViewers.empty());
    // Without EF_NONMODAL the owner of the windows runs the viewer until it closes.
    EXPECT_EQ(host.info.Editor(path.c_str(), "", 0, 0, -1, -1, 0, 1, 1), EEC_NOT_MODIFIED);
    EXPECT_EQ(host.modalViewers, std::vector<int>{1});

    // A file that cannot be read: a message, no window.
    host.fixture.keys.key(VK_RETURN);
    EXPECT_EQ(host.info.Editor("nothere.c", "", 0, 0, -1, -1, EF_NONMODAL, 1, 1), EEC_OPEN_ERROR);
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 2);
    EXPECT_EQ(host.fixture.keys.left(), 0u);
}

TEST(HostServices, WindowSwitchHappensAtCommit) {
    ServicesFixture host;
    host.info.Editor("main.c", "", 0, 0, -1, -1, EF_NONMODAL, 1, 1);
    host.info.Editor("a.c", "", 0, 0, -1, -1, EF_NONMODAL, 1, 1);
    ASSERT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 3);
    EXPECT_EQ(host.window(-1).Pos, 2);

    EXPECT_EQ(host.info.AdvControl(1, ACTL_SETCURRENTWINDOW, reinterpret_cast<void*>(INT_PTR(1))), 1);
    EXPECT_EQ(host.window(-1).Pos, 2);
    int redraws = host.redraws;
    EXPECT_EQ(host.info.AdvControl(1, ACTL_COMMIT, nullptr), 1);
    EXPECT_EQ(host.window(-1).Pos, 1);
    EXPECT_GT(host.redraws, redraws);
    EXPECT_EQ(std::string(host.editorInfo().FileName), host.folder.path("project/main.c"));

    EXPECT_EQ(host.info.AdvControl(1, ACTL_SETCURRENTWINDOW, reinterpret_cast<void*>(INT_PTR(7))), 0);
    host.info.AdvControl(1, ACTL_COMMIT, nullptr);
    EXPECT_EQ(host.window(-1).Pos, 1);

    // On the panels there is no editor to control.
    host.info.AdvControl(1, ACTL_SETCURRENTWINDOW, nullptr);
    host.info.AdvControl(1, ACTL_COMMIT, nullptr);
    EditorInfo none{};
    EXPECT_EQ(host.info.EditorControl(ECTL_GETINFO, &none), 0);
    EXPECT_EQ(host.info.EditorControl(ECTL_REDRAW, nullptr), 0);
}

TEST(HostServices, SetPositionRedrawSaveAndQuit) {
    ServicesFixture host;
    host.info.Editor("main.c", "", 0, 0, -1, -1, EF_NONMODAL, 1, 1);
    EditorSetPosition place{3, 1, -1, 2, 0, -1};
    EXPECT_EQ(host.info.EditorControl(ECTL_SETPOSITION, &place), 1);
    EditorInfo info = host.editorInfo();
    EXPECT_EQ(info.CurLine, 3);
    EXPECT_EQ(info.CurPos, 1);
    EXPECT_EQ(info.TopScreenLine, 2);
    // Negative values leave their item alone; a line past the end stops at the last.
    EditorSetPosition partly{99, -1, -1, -1, -1, -1};
    host.info.EditorControl(ECTL_SETPOSITION, &partly);
    info = host.editorInfo();
    EXPECT_EQ(info.CurLine, 3);
    EXPECT_EQ(info.CurPos, 1);
    EXPECT_EQ(host.info.EditorControl(ECTL_SETPOSITION, nullptr), 0);

    int redraws = host.redraws;
    int writes = host.fixture.output.writes();
    EXPECT_EQ(host.info.EditorControl(ECTL_REDRAW, nullptr), 1);
    EXPECT_EQ(host.redraws, redraws + 1);
    EXPECT_GT(host.fixture.output.writes(), writes);

    EXPECT_EQ(host.info.EditorControl(ECTL_SAVEFILE, nullptr), 1);
    EditorSaveFile copy{};
    std::strcpy(copy.FileName, "copy.c");
    EXPECT_EQ(host.info.EditorControl(ECTL_SAVEFILE, &copy), 1);
    EXPECT_EQ(readWholeFile(host.folder.path("project/copy.c")), "int main(void)\n{\n\treturn x;\n}\n");

    EXPECT_EQ(host.info.EditorControl(ECTL_QUIT, nullptr), 1);
    EXPECT_EQ(host.info.AdvControl(1, ACTL_GETWINDOWCOUNT, nullptr), 1);
    EXPECT_EQ(host.info.EditorControl(99, nullptr), 0);
}

TEST(HostServices, TextSaveScreenAndRestoreScreen) {
    ServicesFixture host;
    host.info.Text(2, 1, 0x1E, "abc");
    host.info.Text(78, 1, 0x1E, "xyz");  // cut at the edge
    host.info.Text(0, 99, 0x1E, "off");
    EXPECT_EQ(host.fixture.row(1).substr(0, 6), "  abc ");
    EXPECT_EQ(host.fixture.row(1).substr(78), "xy");
    EXPECT_EQ(host.fixture.display.cellAt(2, 1).attribute, 0x1E);
    EXPECT_EQ(host.fixture.output.writes(), 0);
    host.info.Text(0, 0, 0, nullptr);  // the end of a pass shows it
    EXPECT_EQ(host.fixture.output.writes(), 1);

    HANDLE whole = host.info.SaveScreen(0, 0, -1, -1);
    HANDLE corner = host.info.SaveScreen(2, 1, 3, 1);
    host.info.Text(0, 1, 0x07, "-------");
    host.info.RestoreScreen(corner);
    EXPECT_EQ(host.fixture.row(1).substr(0, 7), "--ab---");
    host.info.RestoreScreen(whole);
    EXPECT_EQ(host.fixture.row(1).substr(0, 6), "  abc ");
    // A handle restores once; a foreign one is ignored; none redraws the current window.
    host.info.Text(0, 1, 0x07, "-------");
    host.info.RestoreScreen(whole);
    int stranger = 0;
    host.info.RestoreScreen(&stranger);
    EXPECT_EQ(host.fixture.row(1).substr(0, 7), "-------");
    int redraws = host.redraws;
    host.info.RestoreScreen(nullptr);
    EXPECT_EQ(host.redraws, redraws + 1);
    // A handle never restored is released with the services (the sanitizer checks).
    host.info.SaveScreen(0, 0, -1, -1);
}

TEST(HostServices, ShowHelpFindsTheModulesHelpFile) {
    ServicesFixture host;
    host.fixture.keys.key(VK_ESCAPE);
    EXPECT_EQ(host.info.ShowHelp(host.info.ModuleName, "Contents", 0), 1);
    EXPECT_EQ(host.fixture.keys.left(), 0u);
    // An unknown topic: a message unless told not to, or the contents with FHELP_USECONTENTS.
    host.fixture.keys.key(VK_RETURN);
    EXPECT_EQ(host.info.ShowHelp(host.info.ModuleName, "Nowhere", 0), 0);
    EXPECT_EQ(host.fixture.keys.left(), 0u);
    EXPECT_EQ(host.info.ShowHelp(host.info.ModuleName, "Nowhere", FHELP_NOSHOWERROR), 0);
    host.fixture.keys.key(VK_ESCAPE);
    EXPECT_EQ(host.info.ShowHelp(host.info.ModuleName, "Nowhere", FHELP_USECONTENTS), 1);
}

TEST(HostServices, MenuAndInputBoxShowTheirHelpTopicAndCarryOn) {
    ServicesFixture host;
    // F1 opens the topic; Esc closes the help, not the menu, and the choice goes on from there.
    host.fixture.keys.key(VK_DOWN).key(VK_F1).key(VK_ESCAPE).key(VK_RETURN);
    FarMenuItem items[2] = {};
    std::strcpy(items[0].Text, "one");
    std::strcpy(items[1].Text, "two");
    EXPECT_EQ(host.info.Menu(1, -1, -1, 0, 0, "Menu", nullptr, "Contents", nullptr, nullptr, items, 2), 1);
    EXPECT_EQ(host.fixture.keys.left(), 0u);

    // The answer keeps what was typed around the help and has its references expanded.
    setenv("TINKER_TEST_FOLDER", "/tmp/saved", 1);
    host.fixture.keys.type("$TINKER_TEST_FOLDER/").key(VK_F1).key(VK_ESCAPE).type("a.txt").key(VK_RETURN);
    char answer[64] = "";
    EXPECT_EQ(host.info.InputBox("Save", "File:", nullptr, "", answer, sizeof answer, "Contents", FIB_EXPANDENV), 1);
    EXPECT_STREQ(answer, "/tmp/saved/a.txt");
    // A destination that holds the typed reference takes what fits of its longer expansion.
    setenv("TINKER_TEST_LONG", "/a/very/long/folder/name", 1);
    host.fixture.keys.type("$TINKER_TEST_LONG").key(VK_RETURN);
    char small[18] = "";
    EXPECT_EQ(host.info.InputBox("Save", "File:", nullptr, "", small, sizeof small, nullptr, FIB_EXPANDENV), 1);
    EXPECT_STREQ(small, "/a/very/long/fold");
}
