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

const char kSmallConfiguration[] =
    "<?xml version=\"1.0\"?>\n<tinker-config>\n  <types><filetype filename=\"/x/\"/></types>\n</tinker-config>\n";

class XmlLoadFile : public ::testing::Test {
protected:
    void TearDown() override { xmlReleaseDocument(); }
    TemporaryDirectory directory;
};

// What a child that loads the file as an ordinary user reports through its exit status.
enum ChildOutcome { Loaded = 0, NotLoaded = 1, CannotDropPrivileges = 2, WriteOpenAllowed = 3, Unreadable = 4 };

int loadAsOrdinaryUser(const std::string& path) {
    const uid_t kNobody = 65534;
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) return CannotDropPrivileges;
    if (std::FILE* probe = std::fopen(path.c_str(), "rb+")) {
        std::fclose(probe);
        return WriteOpenAllowed;  // the file would not prove the open mode
    }
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        return Unreadable;
    }
    return xmlLoadFile(path.c_str()) && xmlSelect(xmlCurrentDocument(), "/tinker-config/types") ? Loaded
                                                                                               : NotLoaded;
}

}  // namespace

TEST_F(XmlLoadFile, AReadOnlyFileLoadsForAnOrdinaryUser) {
    std::string path = directory.write("tinker.xml", kSmallConfiguration);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(directory.root().c_str(), 0755), 0);

    if (geteuid() != 0) {
        // An ordinary user already: write permission really is missing.
        ASSERT_EQ(std::fopen(path.c_str(), "rb+"), nullptr);
        EXPECT_TRUE(xmlLoadFile(path.c_str()));
        EXPECT_NE(xmlSelect(xmlCurrentDocument(), "/tinker-config/types"), nullptr);
        return;
    }
    // Root may write anything, so the load runs in a child that has become nobody.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(loadAsOrdinaryUser(path));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    switch (WEXITSTATUS(status)) {
    case Loaded: break;
    case NotLoaded: FAIL() << "a read-only configuration was refused"; break;
    case CannotDropPrivileges: FAIL() << "the child could not become the nobody user"; break;
    case WriteOpenAllowed: FAIL() << "the file is writable for nobody, so the test proves nothing"; break;
    case Unreadable: FAIL() << "the temporary folder is not readable by nobody: " << path; break;
    default: FAIL() << "unexpected child status " << WEXITSTATUS(status);
    }
}

TEST_F(XmlLoadFile, TheLoadedTreeBecomesCurrentAndAReloadReplacesIt) {
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
    ASSERT_TRUE(xmlLoadFile(directory.write("one.xml", kSmallConfiguration).c_str()));
    XmlNode* document = xmlCurrentDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->kind, XmlDocument);
    EXPECT_EQ(document->firstChild->kind, XmlProcessingInstruction);
    EXPECT_NE(xmlSelect(document, "/tinker-config/types/filetype"), nullptr);

    ASSERT_TRUE(xmlLoadFile(directory.write("two.xml", "<other a='1'>text</other>").c_str()));
    EXPECT_EQ(xmlSelect(xmlCurrentDocument(), "/tinker-config"), nullptr);
    EXPECT_STREQ(xmlSelect(xmlCurrentDocument(), "/other")->value, "text");
    xmlReleaseDocument();
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
    xmlReleaseDocument();  // harmless twice
}

TEST_F(XmlLoadFile, FailuresLeaveNoCurrentDocument) {
    ASSERT_TRUE(xmlLoadFile(directory.write("good.xml", kSmallConfiguration).c_str()));
    EXPECT_FALSE(xmlLoadFile(directory.write("bad.xml", "<tinker-config x = '1'></tinker-config>").c_str()));
    EXPECT_EQ(xmlCurrentDocument(), nullptr);

    EXPECT_FALSE(xmlLoadFile(directory.write("empty.xml", "").c_str()));
    EXPECT_EQ(xmlCurrentDocument(), nullptr);
    EXPECT_FALSE(xmlLoadFile(directory.path("missing.xml").c_str()));
    EXPECT_FALSE(xmlLoadFile(directory.root().c_str()));
    EXPECT_FALSE(xmlLoadFile(nullptr));
    EXPECT_EQ(xmlCurrentDocument(), nullptr);

    ASSERT_TRUE(xmlLoadFile(directory.write("blank.xml", " \r\n\t\n").c_str()));
    ASSERT_NE(xmlCurrentDocument(), nullptr);
    EXPECT_EQ(xmlCurrentDocument()->firstChild, nullptr);
}

TEST_F(XmlLoadFile, AZeroByteEndsTheText) {
    // Read past the zero, the cut end tag would fail the parse.
    std::string path = directory.write("zero.xml", std::string("<a><b></b>\0</a", 14));
    ASSERT_TRUE(xmlLoadFile(path.c_str()));
    EXPECT_NE(xmlSelect(xmlCurrentDocument(), "/a/b"), nullptr);
}
