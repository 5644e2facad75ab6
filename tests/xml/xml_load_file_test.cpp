#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/temporary_directory.h"
#include "xml/xml_query.h"
#include "xml/xml_reader.h"

namespace {

const char kSmallConfiguration[] = "<?xml version=\"1.0\"?>\n<tinker-config><types/> </tinker-config>\n";

class XmlLoadFile : public ::testing::Test {
protected:
    void TearDown() override { xmlReleaseDocument(); }
    TemporaryDirectory directory;
};

// Run in a child as the nobody user: 0 when the file loads, otherwise a reason by number.
const char* const kChildOutcomes[] = {"loaded", "a read-only configuration was refused",
                                      "the child could not become nobody",
                                      "nobody may write the file, so the test proves nothing",
                                      "nobody cannot read the temporary folder"};

int loadAsNobody(const std::string& path) {
    const uid_t kNobody = 65534;
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) return 2;
    std::FILE* probe = std::fopen(path.c_str(), "rb+");
    if (probe) return 3;
    probe = std::fopen(path.c_str(), "rb");
    if (!probe) return 4;
    std::fclose(probe);
    return xmlLoadFile(path.c_str()) && xmlSelect(xmlCurrentDocument(), "/tinker-config/types") ? 0 : 1;
}

}  // namespace

TEST_F(XmlLoadFile, AReadOnlyFileLoadsForAnOrdinaryUser) {
    std::string path = directory.write("tinker.xml", kSmallConfiguration);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(directory.root().c_str(), 0755), 0);
    if (geteuid() != 0) {  // an ordinary user already
        ASSERT_EQ(std::fopen(path.c_str(), "rb+"), nullptr);
        EXPECT_TRUE(xmlLoadFile(path.c_str()));
        return;
    }
    // Root may write anything, so the load runs in a child that has become nobody.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(loadAsNobody(path));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    int outcome = WEXITSTATUS(status);
    EXPECT_EQ(outcome, 0) << (outcome < 5 ? kChildOutcomes[outcome] : "the child failed");
}

TEST_F(XmlLoadFile, TheTreeBecomesCurrentUntilReleasedOrReplaced) {
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
    ASSERT_TRUE(xmlLoadFile(directory.write("one.xml", kSmallConfiguration).c_str()));
    ASSERT_NE(xmlCurrentDocument(), nullptr);
    EXPECT_EQ(xmlCurrentDocument()->kind, XmlDocument);
    EXPECT_NE(xmlSelect(xmlCurrentDocument(), "/tinker-config/types"), nullptr);

    ASSERT_TRUE(xmlLoadFile(directory.write("two.xml", "<other>text</other>").c_str()));
    EXPECT_EQ(xmlSelect(xmlCurrentDocument(), "/tinker-config"), nullptr);
    EXPECT_STREQ(xmlSelect(xmlCurrentDocument(), "/other")->value, "text");
    xmlReleaseDocument();
    EXPECT_EQ(xmlCurrentDocument(), nullptr);

    // A zero byte ends the text: read past it, the cut end tag would fail the parse.
    ASSERT_TRUE(xmlLoadFile(directory.write("zero.xml", std::string("<a><b></b>\0</a", 14)).c_str()));
    ASSERT_TRUE(xmlLoadFile(directory.write("blank.xml", " \r\n\t\n").c_str()));
    EXPECT_EQ(xmlCurrentDocument()->firstChild, nullptr);
}

TEST_F(XmlLoadFile, FailuresLeaveNoCurrentDocument) {
    ASSERT_TRUE(xmlLoadFile(directory.write("good.xml", kSmallConfiguration).c_str()));
    EXPECT_FALSE(xmlLoadFile(directory.write("bad.xml", "<tinker-config x = '1'></tinker-config>").c_str()));
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
    EXPECT_FALSE(xmlLoadFile(directory.write("empty.xml", "").c_str()));
    EXPECT_FALSE(xmlLoadFile(directory.path("missing.xml").c_str()));
    EXPECT_FALSE(xmlLoadFile(directory.root().c_str()));  // a folder
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
}
