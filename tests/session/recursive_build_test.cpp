#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "session/build_session.h"
#include "session/output_window.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// A project built the way real ones are: a top makefile that runs make in other folders, one
// of them out of tree (objects in build/, sources reached through ../..) with a make nested in
// it, headers in include/ reached from every folder, and a main.c at the top that is not the
// one the compiler meant.
const struct {
    const char* name;
    const char* text;
} kProject[] = {
    {"Makefile", "all:\n\t-$(MAKE) -C build/lib -f ../../lib/Makefile\n\t-$(MAKE) -C app\n"},
    {"lib/Makefile",
     "all: util.o\n\t-$(MAKE) -C sub -f ../../../lib/sub/Makefile\n\nutil.o:\n"
     "\t-gcc -Wall -I../../include -c ../../lib/util.c -o util.o\n"},
    // A tool that names files from the project's top, and one that names a file not there.
    {"lib/sub/Makefile",
     "all:\n\t-gcc -Wall -I../../../include -c ../../../lib/sub/deep.c -o deep.o\n"
     "\t@echo 'include/inner.h:1: warning: named from the top'\n"
     "\t@echo 'generated.h:2: warning: not made yet'\n"},
    {"app/Makefile", "all:\n\tgcc -Wall -Wextra -I../include -c main.c -o ../build/main.o\n"},
    {"include/common.h",
     "#ifndef COMMON_H\n#define COMMON_H\n#include \"inner.h\"\nstatic int helper(int x)\n{\n\treturn x;\n}\n"
     "int declared(int);\n#endif\n"},
    {"include/inner.h", "static inline int inner(unsigned u, int i)\n{\n\treturn\tu < i;\n}\n"},
    {"lib/util.c", "#include \"common.h\"\n\nint util(void)\n{\n\tint n = missing;\n\treturn n;\n}\n"},
    {"lib/sub/deep.c", "#include \"common.h\"\nint deep(void) { return declared(1, 2); }\n"},
    {"app/main.c",
     "#include \"../include/common.h\"\nint main(void)\n{\n\t\tunsigned u = 1; int i = -1;\n"
     "\t\tif (u < i) return nothing;\n\t\treturn 0;\n}\n"},
    {"main.c", "int decoy;\n"},
    {"build/lib/sub/.keep", ""},
};

// Where Enter lands for every match, "KIND path:line:character" (the path from the project's
// top, the character counted from 1 as the editor's start character), in output order.
// What gcc 12 writes on this machine, each column landing on the character its caret marks.
const Lines kLandings = {
    "E lib/util.c:5:10",           // ../../lib/util.c:5:17, "\tint n = missing;": the m
    "N lib/util.c:5:10",           // its note
    "N lib/util.c:1:1",            // In file included from ../../lib/util.c:1:
    "W include/common.h:4:12",     // ../../include/common.h, from build/lib
    "E lib/sub/deep.c:2:25",       // ../../../lib/sub/deep.c, two makes deep
    "N lib/sub/deep.c:1:1",
    "N include/common.h:8:5",      // note: declared here
    "W include/common.h:4:12",
    "W include/inner.h:1:1",       // not under build/lib/sub: under the top
    "W build/lib/sub/generated.h:2:1",  // nowhere: under the folder make was in
    "N include/common.h:3:1",      // In file included from ../include/common.h:3,
    "N app/main.c:1:1",            //                  from main.c:1: (not the top's main.c)
    "W include/inner.h:3:11",      // "\treturn\tu < i;": 3:19 is the <
    "W app/main.c:5:9",            // "\t\tif (u < i) return nothing;": 5:23 is the <
    "E app/main.c:5:21",           // 5:35, the n
    "N app/main.c:5:21",
    "W include/common.h:4:12",
    "E app/Makefile:2:1",          // make[1]: *** [Makefile:2: all], in app
};

class RecursiveBuild : public PluginFixture {
protected:
    void SetUp() override {
        setenv("LC_ALL", "C", 1);
        writeConfig(readWholeFile(std::string(TINKER_DATA_DIR) + "/tinker.xml"));
        startPlugin();
        for (const auto& file : kProject) directory.write("project/" + std::string(file.name), file.text);
        std::filesystem::current_path(directory.path("project"));
        top = directory.path("project") + "/";
    }
    void TearDown() override { unsetenv("LC_ALL"); }

    // Presses Enter on every matched line, each time with no editor open.
    Lines landings() {
        Lines landed;
        BuildSession& state = session();
        for (int i = 0; i < state.lineCount(); ++i) {
            const LineMatch* match = state.matchAt(i);
            if (!match) continue;
            host.windows.resize(1);
            host.editorOpens.clear();
            state.selected = i;
            platform.pressKey(VK_RETURN);
            ClearWindowArea(false);
            OutputWindow();
            if (host.editorOpens.size() != 1) {
                landed.push_back("none for " + std::string(state.lines.at(i)->text()));
                continue;
            }
            const ScriptedHost::EditorOpen& open = host.editorOpens[0];
            std::string path = open.path.compare(0, top.size(), top) == 0 ? open.path.substr(top.size()) : open.path;
            const char* kinds = "-EWN";
            landed.push_back(std::string(1, kinds[match->kind]) + " " + path + ":" + std::to_string(open.line) + ":" +
                             std::to_string(open.column));
        }
        return landed;
    }

    // The place of the parser in the chooser of a log that gcc, clang and make recognise.
    static int recognisingParserIndex(const char* parser) {
        StringList names;
        ListParserNames(names);
        int index = 0;
        for (int i = 0; i < names.count(); ++i) {
            std::string name = names.at(i)->text();
            if (name == parser) return index;
            if (name == "gcc" || name == "clang" || name == "make") ++index;
        }
        return -1;
    }

    std::string top;
};

}  // namespace

TEST_F(RecursiveBuild, EveryMessageLandsOnTheFileLineAndCharacterTheCompilerMeant) {
    host.menuAnswers.push_back(0);  // make, of the commands for a makefile
    openCommandLine("make:Makefile");
    ASSERT_EQ(platform.commandsRun, (Lines{"make -f \"Makefile\""}));
    // The build starts on its first error, past the include chain's notes.
    EXPECT_EQ(std::string(session().lines.at(session().selected)->text()).find("../../lib/util.c:5:17: error:"), 0u);
    EXPECT_EQ(landings(), kLandings);

    // An editor already open on a header reached through ../ is put on the screen column that
    // gcc counts, tabs stopping at every eighth.
    ScriptedHost::Window editor;
    editor.type = WTYPE_EDITOR;
    editor.name = top + "include/inner.h";
    host.windows.push_back(editor);
    for (int i = 0; i < session().lineCount(); ++i) {
        if (std::string(session().lines.at(i)->text()).find("inner.h:3:19") != std::string::npos) session().selected = i;
    }
    platform.pressKey(VK_RETURN);
    ClearWindowArea(false);
    OutputWindow();
    ASSERT_EQ(host.positionings.size(), 1u);
    EXPECT_EQ(host.positionings[0].place.CurLine, 2);
    EXPECT_EQ(host.positionings[0].place.CurTabPos, 18);
    EXPECT_EQ(host.positionings[0].place.CurPos, -1);

    // Saved as a log with Windows line ends and loaded again, from the same folder.
    host.inputAnswers.push_back(top + "build.log");
    openFromPluginsMenu(4);
    std::string text = readWholeFile(top + "build.log");
    std::string crlf;
    for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    directory.write("project/build.log", crlf);

    // Delete drops the Entering and Leaving lines: each match still knows its folder.
    platform.pressKey(VK_DELETE);
    ClearWindowArea(false);
    OutputWindow();
    EXPECT_EQ(landings(), kLandings);

    host.panelItems = {"build.log"};
    host.menuAnswers.push_back(3);
    host.menuAnswers.push_back(recognisingParserIndex("make"));  // gcc, clang and make all recognise it
    OpenPlugin(OPEN_PLUGINSMENU, 0);
    EXPECT_STREQ(session().currentParser.text(), "make");
    EXPECT_EQ(session().lineCount(), static_cast<int>(std::count(crlf.begin(), crlf.end(), '\n')));
    for (int i = 0; i < session().lineCount(); ++i) EXPECT_EQ(session().lines.at(i)->find("\r", 1, 0), -1) << i;
    EXPECT_EQ(landings(), kLandings);
}
