// The configuration check: every finding at its place, and the shipped configuration clean.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "config/configuration_check.h"

namespace {

// A finding as "P 3:5 text" (P problem, W warning), for comparing with a table.
std::string described(const ConfigurationFinding& finding) {
    return std::string(finding.problem ? "P " : "W ") + std::to_string(finding.line) + ":" +
           std::to_string(finding.column) + " " + finding.text;
}

}  // namespace

TEST(ConfigurationCheck, NamesThePlaceAndTheReasonOfEveryFinding) {
    const char* text =
        "<tinker-config>\n"
        "  <colours text=\"7\"/>\n"
        "  <parsers>\n"
        "    <good><error pattern=\"/^E (\\w+)/\" file=\"1\" line=\"\" pos=\"4\"/><eror pattern=\"/x/\"/></good>\n"
        "    <bad><error pattern=\"/^(unclosed/\" file=\"1\" line=\"2\"/></bad>\n"
        "    <nofile><warning pattern=\"/^W/\" line=\"\"/></nofile>\n"
        "  </parsers>\n"
        "  <types>\n"
        "    <filetype filename=\"/\\.c$/\">\n"
        "      <command name=\"typo\" parser=\"goood\" prefix=\"ty\">cc</command>\n"
        "      <command name=\"upper\" parser=\"good\" prefx=\"gc\" prefix=\"GCC\">cc</command>\n"
        "      <command name=\"again\" parser=\"bad\" prefix=\"ty\">cc</command>\n"
        "      <command parser=\"good\">cc</command>\n"
        "    </filetype>\n"
        "    <filetype filename=\"/x/q\"/>\n"
        "  </types>\n"
        "</tinker-config>\n";
    std::vector<std::string> expected = {
        "W 2:3 unknown element <colours> is ignored (the sections are colors, options, parsers, types)",
        "W 4:61 parser good, error entry 1: pos=\"4\" names a group the pattern does not have (it has 1)",
        "W 4:65 parser good: unknown element <eror> is ignored (an entry is <error> or <warning>)",
        "P 5:28 parser bad, error entry 1: the pattern /^(unclosed/ does not compile: a bracket or parenthesis is "
        "not closed or not opened (at its character 3), which disables the parser",
        "P 6:13 parser nofile, warning entry 1: it has no file= attribute, which disables the parser",
        "P 10:36 file type 1 /\\.c$/, command 1 \"typo\": the parser goood is not defined, so no line of its output "
        "is classified",
        "W 11:43 file type 1 /\\.c$/, command 2 \"upper\": unknown attribute prefx= is ignored (known: name, parser, "
        "prefix)",
        "W 11:62 file type 1 /\\.c$/, command 2 \"upper\": the prefix GCC can never be reached, as typed prefixes are "
        "looked up in lower case; write it in lower case",
        "P 12:37 file type 1 /\\.c$/, command 3 \"again\": the parser bad is disabled, so no line of its output is "
        "classified",
        "W 12:50 file type 1 /\\.c$/, command 3 \"again\": the prefix ty is also the prefix of file type 1 /\\.c$/, "
        "command 1 \"typo\", which can no longer be reached by it",
        "P 13:7 file type 1 /\\.c$/, command 4: it has no name= attribute and is ignored",
        "P 15:28 file type 2 /x/q: the pattern /x/q does not compile: an unknown option letter (only i, m, o, s, x) "
        "(at its character 4), so the file type is ignored",
    };
    std::vector<std::string> found;
    for (const ConfigurationFinding& finding : CheckConfigurationText(text)) found.push_back(described(finding));
    EXPECT_EQ(found, expected);

    // Text that is not XML, or not ours, is named where it goes wrong.
    const std::pair<const char*, const char*> broken[] = {
        {"<tinker-config>\n  <parsers>\n  <!-- open\n", "P 3:3 the file is not well-formed XML: a comment that is not "
                                                       "closed with -->"},
        {"<tinker-config>\n<parsers>\n</parser>\n", "P 3:1 the file is not well-formed XML: an end tag that does not "
                                                   "close the open element"},
        {"<tinker-config>\n <parsers><a x=\"1></parsers>\n", "P 2:14 the file is not well-formed XML: an attribute not "
                                                             "written name=\"value\", or text out of place"},
        {"<tinker-confg><parsers/></tinker-confg>", "P 1:1 the root element is <tinker-confg>, not <tinker-config>: "
                                                    "nothing in the file is read"},
        {"", "P 1:1 the file is not well-formed XML: the text ends inside a tag, comment or element"},
        {"<tinker-config><types><filetype filename=\"/x/\"/></types></tinker-config>",
         "P 0:0 there is no <parsers> section with a parser in it: nothing is classified and the file types are not "
         "read"},
    };
    for (const auto& entry : broken) {
        std::vector<ConfigurationFinding> findings = CheckConfigurationText(entry.first);
        ASSERT_FALSE(findings.empty()) << entry.first;
        EXPECT_EQ(described(findings.front()), entry.second);
    }

    std::ifstream shipped(std::string(TINKER_DATA_DIR) + "/tinker.xml", std::ios::binary);
    std::stringstream shippedText;
    shippedText << shipped.rdbuf();
    for (const ConfigurationFinding& finding : CheckConfigurationText(shippedText.str().c_str())) {
        ADD_FAILURE() << "the shipped configuration: " << described(finding);
    }
}
