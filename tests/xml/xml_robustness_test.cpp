#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "xml/parsed_text.h"
#include "xml/xml_query.h"

namespace {

const char kRealisticConfiguration[] = R"(<?xml version="1.0" encoding="windows-1252"?>
<!DOCTYPE tinker-config>
<!-- Tinker configuration: colours, options, parsers and file types. -->
<tinker-config>
  <colors background="1" text="7" error="12" warning="14" numbers="11"/>
  <options shownumbers="yes" autodelete='no' beep="yes" beeptime="10" wavefile="sounds/done.wav"/>
  <parsers>
    <gcc>
      <error pattern="/^(.+):(\d+):(\d+): error/" file="1" line="2" pos="3"/>
      <warning pattern="/^(.+):(\d+):(\d+): warning/" file="1" line="2" pos="3"/>
    </gcc>
    <cl>
      <error pattern="/^(.+)\((\d+)\) ?: (fatal )?error/i" file="1" line="2"/>
      <warning pattern="/^(.+)\((\d+)\) ?: warning/i" file="1" line="2"/>
      <error pattern="/^LINK : fatal error/" file="" line=""/>
    </cl>
  </parsers>
  <types>
    <filetype filename="/^(.*)\.c$/i">
      <command name="Compile" parser="gcc" prefix="gcc">gcc -c $0 -o $1.o &amp;&amp; echo &#x4F;&#75;</command>
      <command name="Make all" parser="gcc">make -f %MAKEFILE%
          all</command>
    </filetype>
    <filetype filename="/^(.*)\.cpp$/i">
      <command name="Compile" parser="cl" prefix="cl">cl /nologo /c $0<![CDATA[ /W4 ]]></command>
      <?tinker note?>
    </filetype>
  </types>
</tinker-config>
)";

// What the queries rely on, for every node below this one; budget bounds a walk into a cycle.
void checkTree(const XmlNode* node, int* budget) {
    for (const XmlNode* child = node->firstChild; child; child = child->next) {
        ASSERT_GT(--*budget, 0) << "more nodes than the text has bytes";
        ASSERT_EQ(child->parent, node);
        ASSERT_GE(child->kind, XmlElementWithChildren);
        ASSERT_LE(child->kind, XmlDeclaration);
        ASSERT_EQ(child->isElement(), child->name != nullptr);
        if (child->isElement()) {
            ASSERT_LE(std::strlen(child->name), 255u);
            ASSERT_NE(node->childIndex->find(child->name), nullptr);
        }
        checkTree(child, budget);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Parses the text and, when it parses, checks its tree and reads every name and value of it,
// so that the sanitizer sees any that runs past its allocation; returns the parse result.
int parseAndCheck(const std::string& text, size_t blockSize) {
    ParsedText parsed(text, blockSize);
    EXPECT_TRUE(parsed.result == 0 || parsed.result == 1);
    if (parsed.ok()) {
        int budget = static_cast<int>(text.size()) + 1;
        checkTree(parsed.document, &budget);
        if (!::testing::Test::HasFatalFailure()) static_cast<void>(dumpNode(parsed.document));
    }
    return parsed.result;
}

}  // namespace

TEST(XmlRobustness, EveryPrefixOfARealisticConfigurationEndsCleanly) {
    std::string full = kRealisticConfiguration;
    size_t rootEnd = full.find("</tinker-config>") + std::strlen("</tinker-config>");
    int successes = 0;
    for (size_t length = 0; length <= full.size(); ++length) {
        std::string prefix = full.substr(0, length);
        int result = parseAndCheck(prefix, 64);
        if (HasFatalFailure()) FAIL() << "prefix of " << length << " bytes";
        successes += result;
        if (length == 0) {
            EXPECT_EQ(result, 0);
        } else if (length >= rootEnd) {
            EXPECT_EQ(result, 1) << length;
        }
        // Cut inside the root's start tag or its name, the text cannot parse.
        if (length > full.find("<tinker-config>") && length <= full.find("<tinker-config>") + 15) {
            EXPECT_EQ(result, 0) << length;
        }
    }
    EXPECT_GT(successes, 0);
    EXPECT_LT(successes, static_cast<int>(full.size()));
}

TEST(XmlRobustness, RandomByteMutationsEndCleanly) {
    const std::string full = kRealisticConfiguration;
    const char kAlphabet[] = "<>/!?-[]&#;x'\"= \n\tCDATA0123456789abz\xff\x80";
    std::mt19937 random(20240611u);
    auto pick = [&](size_t bound) { return static_cast<size_t>(random() % bound); };
    int outcomes[2] = {0, 0};
    for (int round = 0; round < 4000; ++round) {
        std::string text = full;
        int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits && !text.empty(); ++e) {
            size_t at = pick(text.size());
            char byte = random() % 4 == 0 ? static_cast<char>(pick(255) + 1) : kAlphabet[pick(sizeof kAlphabet - 1)];
            switch (pick(5)) {
            case 0: text[at] = byte; break;
            case 1: text.insert(at, 1, byte); break;
            case 2: text.erase(at, 1 + pick(8)); break;
            case 3: text.insert(at, text.substr(pick(text.size()), pick(40))); break;
            default: text.resize(at); break;
            }
        }
        int result = parseAndCheck(text, round % 2 ? 64 : text.size() + text.size() / 2);
        if (HasFatalFailure()) FAIL() << "round " << round << ": " << text;
        ++outcomes[result == 1];
    }
    EXPECT_GT(outcomes[0], 0);
    EXPECT_GT(outcomes[1], 0);
}
