#include <gtest/gtest.h>

#include "far/plugin_api.h"
#include "host_test_support.h"
#include "widgets/input_box.h"
#include "widgets/menu.h"
#include "widgets/message_box.h"

namespace {

MenuRequest menuOf(std::initializer_list<const char*> texts, unsigned flags = FMENU_WRAPMODE) {
    MenuRequest request;
    request.flags = flags;
    request.title = "Choose";
    for (const char* text : texts) {
        MenuEntry entry;
        entry.text = text;
        request.entries.push_back(entry);
    }
    return request;
}

// The fixture's scripted keys, then a look at the screen and Enter.
class ScreenThenEnter : public KeySource {
public:
    explicit ScreenThenEnter(UiFixture& fixture) : fixture_(fixture) {}
    bool readKey(KeyEvent& event) override {
        if (fixture_.keys.left() > 0) return fixture_.keys.readKey(event);
        for (int y = 0; y < fixture_.display.height(); ++y) seen += fixture_.row(y) + "\n";
        event = KeyEvent();
        event.isKey = event.keyDown = true;
        event.virtualKey = VK_RETURN;
        return true;
    }
    std::string seen;

private:
    UiFixture& fixture_;
};

}  // namespace

TEST(Menu, HotkeysEnterEscapeAndWrapping) {
    {
        UiFixture fixture;
        fixture.keys.type("2");
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"&1 gcc", "&2 make", "&3 cl"})).index, 1);
    }
    {
        UiFixture fixture;
        fixture.keys.type("M");  // hotkeys ignore case
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"&Show", "&Make"})).index, 1);
    }
    {
        UiFixture fixture;
        fixture.keys.key(VK_UP).key(VK_RETURN);
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"a", "b", "c"})).index, 2);
    }
    {
        UiFixture fixture;
        fixture.keys.key(VK_UP).key(VK_RETURN);
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"a", "b", "c"}, 0)).index, 0);
    }
    {
        UiFixture fixture;
        fixture.keys.key(VK_DOWN).key(VK_DOWN).key(VK_DOWN).key(VK_RETURN);
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"a", "b", "c"})).index, 0);
    }
    for (int cancel : {VK_ESCAPE, VK_F10}) {
        UiFixture fixture;
        fixture.keys.key(VK_DOWN).key(cancel);
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"a", "b"})).index, -1);
    }
    {
        UiFixture fixture;  // input ends: cancelled
        EXPECT_EQ(runMenu(fixture.ui, menuOf({"a", "b"})).index, -1);
    }
}

TEST(Menu, PreselectionSeparatorsBreakKeysAndHelp) {
    UiFixture fixture;
    MenuRequest request = menuOf({"a", "-", "c", "d"});
    request.entries[1].separator = true;
    request.entries[2].selected = true;
    request.helpTopic = "content";
    request.breakKeys = {VK_F5};
    fixture.keys.key(VK_UP).key(VK_F1).key(VK_F5);
    // F1 is the caller's to answer; run again, the menu carries on where it was.
    Menu menu(fixture.ui, request);
    MenuResult result = menu.run();
    EXPECT_TRUE(result.helpAsked);
    result = menu.run();
    EXPECT_FALSE(result.helpAsked);
    EXPECT_EQ(result.index, 0);  // Up from c skips the separator
    EXPECT_EQ(result.breakCode, 0);
    // Without a help topic F1 is no key of the menu's.
    request.helpTopic.clear();
    fixture.keys.key(VK_F1).key(VK_RETURN);
    result = runMenu(fixture.ui, request);
    EXPECT_FALSE(result.helpAsked);
    EXPECT_EQ(result.index, 2);
}

TEST(Menu, ScrollsPastItsHeightAndGivesBackTheScreen) {
    UiFixture fixture(60, 30);
    fixture.display.fill(0, 0, 60, 30, 0x1B, '.');
    MenuRequest request;
    request.maxHeight = 5;
    for (int i = 1; i <= 30; ++i) request.entries.push_back(MenuEntry{"item " + std::to_string(i), false, false, false});
    fixture.keys.key(VK_END);
    ScreenThenEnter keys(fixture);
    UiContext ui{fixture.display, keys};
    EXPECT_EQ(runMenu(ui, request).index, 29);
    // At the end the last five items are in the box, the first ones not.
    EXPECT_NE(keys.seen.find("item 30"), std::string::npos);
    EXPECT_NE(keys.seen.find("item 26"), std::string::npos);
    EXPECT_EQ(keys.seen.find("item 25 "), std::string::npos);
    EXPECT_EQ(keys.seen.find("item 1 "), std::string::npos);
    // Closed, the menu leaves the screen as it found it.
    for (int y = 0; y < 30; ++y) EXPECT_EQ(fixture.row(y), std::string(60, '.'));
}

TEST(Menu, LabelsTakeTheFirstAmpersandForTheHotkeyUnlessAsked) {
    struct Case {
        const char* text;
        const char* shown;
        int hotkey;
    };
    // As FAR draws them: after the hotkey's mark an '&' shows as written.
    for (const Case& item : {Case{"S&ave output", "Save output", 1}, Case{"Tom && Jerry", "Tom & Jerry", -1},
                             Case{"&1 &Show output", "1 &Show output", 0}, Case{"&2 Build & run", "2 Build & run", 0},
                             Case{"a&&b &c && d", "a&b c && d", 4}, Case{"end&", "end&", -1}}) {
        EXPECT_EQ(menuLabel(item.text, false).text, item.shown) << item.text;
        EXPECT_EQ(menuLabel(item.text, false).hotkey, item.hotkey) << item.text;
    }
    EXPECT_EQ(menuLabel("&1 x", true).text, "&1 x");
    EXPECT_EQ(menuLabel("&1 x", true).hotkey, -1);
}

TEST(MessageBox, ButtonsKeysAndTheScreenUnderIt) {
    {
        UiFixture fixture;
        fixture.display.fill(0, 0, 80, 25, 0x07, '.');
        fixture.keys.key(VK_RETURN);
        EXPECT_EQ(runMessageBox(fixture.ui, {"Tinker", "Something happened", "Ok"}, 1), 0);
        EXPECT_FALSE(fixture.screenHas("Something happened"));
        EXPECT_EQ(fixture.row(12), std::string(80, '.'));
    }
    {
        UiFixture fixture;
        fixture.keys.key(VK_RIGHT).key(VK_RETURN);
        EXPECT_EQ(runMessageBox(fixture.ui, {"Q", "Really?", "&Yes", "&No"}, 2), 1);
    }
    {
        UiFixture fixture;
        fixture.keys.type("n");
        EXPECT_EQ(runMessageBox(fixture.ui, {"Q", "Really?", "&Yes", "&No"}, 2), 1);
    }
    {
        UiFixture fixture;
        fixture.keys.key(VK_ESCAPE);
        EXPECT_EQ(runMessageBox(fixture.ui, {"Q", "Really?", "Ok"}, 1), -1);
    }
    {
        // No buttons: drawn and left there, without waiting.
        UiFixture fixture;
        fixture.keys.key(VK_RETURN);
        EXPECT_EQ(runMessageBox(fixture.ui, {"Wait", "Working on it"}, 0), -1);
        EXPECT_TRUE(fixture.screenHas("Working on it"));
        EXPECT_EQ(fixture.keys.left(), 1u);
    }
}

TEST(MessageBox, LongTextIsWrappedAtBlanks) {
    std::vector<std::string> lines = wrapText("one two three four\nfive", 9);
    EXPECT_EQ(lines, (std::vector<std::string>{"one two", "three", "four", "five"}));
    EXPECT_EQ(wrapText("abcdefghijkl", 5), (std::vector<std::string>{"abcde", "fghij", "kl"}));
}

TEST(InputBox, TypingConfirmingCancellingAndEmptyAnswers) {
    InputRequest request;
    request.title = "Save";
    request.prompt = "File:";
    request.maxLength = 255;
    request.flags = FIB_BUTTONS | FIB_EXPANDENV;
    {
        UiFixture fixture;
        fixture.keys.type("out.txt").key(VK_LEFT).key(VK_BACK).key(VK_RETURN);
        std::string answer;
        EXPECT_TRUE(runInputBox(fixture.ui, request, answer));
        EXPECT_EQ(answer, "out.tt");
        EXPECT_FALSE(fixture.screenHas("File:"));
    }
    {
        UiFixture fixture;
        fixture.keys.type("x").key(VK_ESCAPE);
        std::string answer = "unchanged";
        EXPECT_FALSE(runInputBox(fixture.ui, request, answer));
        EXPECT_EQ(answer, "unchanged");
    }
    {
        // Tab to Ok, Tab to Cancel: Enter there cancels.
        UiFixture fixture;
        fixture.keys.type("x").key(VK_TAB).key(VK_TAB).key(VK_RETURN);
        std::string answer;
        EXPECT_FALSE(runInputBox(fixture.ui, request, answer));
    }
    {
        // An empty answer needs FIB_ENABLEEMPTY: Enter is ignored without it.
        UiFixture fixture;
        fixture.keys.key(VK_RETURN).key(VK_ESCAPE);
        std::string answer;
        EXPECT_FALSE(runInputBox(fixture.ui, request, answer));
        EXPECT_EQ(fixture.keys.left(), 0u);
        InputRequest empty = request;
        empty.flags |= FIB_ENABLEEMPTY;
        UiFixture second;
        second.keys.key(VK_RETURN);
        EXPECT_TRUE(runInputBox(second.ui, empty, answer));
        EXPECT_EQ(answer, "");
    }
    {
        // F1 with a help topic: asked of the caller, and the box carries on with its text.
        UiFixture fixture;
        InputRequest helped = request;
        helped.helpTopic = "content";
        fixture.keys.type("ab").key(VK_F1).type("c").key(VK_RETURN);
        InputBox box(fixture.ui, helped);
        EXPECT_EQ(box.run(), InputResult::HelpAsked);
        EXPECT_EQ(box.run(), InputResult::Confirmed);
        EXPECT_EQ(box.text(), "abc");
    }
    {
        // The answer never exceeds the destination; the initial text is there to edit.
        UiFixture fixture;
        InputRequest small = request;
        small.maxLength = 5;
        small.initialText = "abc";
        fixture.keys.type("defgh").key(VK_RETURN);
        std::string answer;
        EXPECT_TRUE(runInputBox(fixture.ui, small, answer));
        EXPECT_EQ(answer, "abcde");
    }
    for (unsigned flags : {0u, static_cast<unsigned>(FIB_NOAMPERSAND)}) {
        // FAR shows the title as it is, unless told to take its '&' for a hotkey mark.
        UiFixture fixture;
        ScreenThenEnter keys(fixture);
        UiContext ui{fixture.display, keys};
        InputRequest titled = request;
        titled.title = "S&ave output";
        titled.flags = flags | FIB_ENABLEEMPTY;
        std::string answer;
        EXPECT_TRUE(runInputBox(ui, titled, answer));
        EXPECT_NE(keys.seen.find(flags ? " Save output " : " S&ave output "), std::string::npos) << keys.seen;
    }
}

TEST(InputBox, TheHistoryBringsBackEarlierAnswersAndKeepsTheNewOne) {
    std::vector<std::string> history = {"make all", "make test"};
    InputRequest request;
    request.title = "Run command";
    request.initialText = "make";
    request.flags = FIB_BUTTONS;
    request.history = &history;
    UiFixture fixture;
    // Up twice reaches the oldest, once more stays there; Down comes back to the newer one,
    // then to the text the box opened with.
    fixture.keys.key(VK_UP).key(VK_UP).key(VK_UP).key(VK_DOWN).key(VK_DOWN).key(VK_UP).key(VK_UP).type(" -k").key(VK_RETURN);
    std::string answer;
    EXPECT_TRUE(runInputBox(fixture.ui, request, answer));
    EXPECT_EQ(answer, "make all -k");
    EXPECT_EQ(history, (std::vector<std::string>{"make all", "make test", "make all -k"}));

    UiFixture again;
    again.keys.key(VK_UP).key(VK_RETURN);
    EXPECT_TRUE(runInputBox(again.ui, request, answer));
    EXPECT_EQ(answer, "make all -k");
    EXPECT_EQ(history, (std::vector<std::string>{"make all", "make test", "make all -k"}));  // once, the newest
}
