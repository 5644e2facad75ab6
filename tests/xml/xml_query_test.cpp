#include <gtest/gtest.h>

#include <string>

#include "xml/parsed_text.h"
#include "xml/xml_query.h"

namespace {

const char kConfiguration[] = R"(<?xml version="1.0"?>
<tinker-config>
  <colors background="1" text="7"/>
  <parsers>
    <gcc>
      <error pattern="/first/" file="1" line="2"/>
      <warning pattern="/only/" file="1" line="2"/>
      <!-- between -->
      <error pattern="/second/" file="" line="" line="3"/>
    </gcc>
  </parsers>
  <types id="first">
    <filetype filename="/^(.*)\.c$/i"><command name="Compile" parser="gcc">gcc -c $0</command></filetype>
  </types>
  <types id="second"/>
  <plain>only text</plain>
</tinker-config>
)";

std::string attributeOr(const XmlNode* element, const char* name) {
    const char* value = xmlAttribute(element, name);
    return value ? value : "(none)";
}

}  // namespace

TEST(XmlSelect, PathsFromTheTopAndRelative) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* root = xmlSelect(parsed.document, "/tinker-config");
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->name, "tinker-config");
    XmlNode* types = xmlSelect(parsed.document, "/tinker-config/types");
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(attributeOr(types, "id"), "first");  // the first of two in document order
    EXPECT_EQ(xmlSelect(root, "types"), types);

    // From any node, even a comment deep inside, "/" starts at the top.
    XmlNode* error = xmlSelect(root, "parsers/gcc/error");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(xmlSelect(error, "/tinker-config/types"), types);
    XmlNode* comment = error->next->next;
    ASSERT_EQ(comment->kind, XmlComment);
    EXPECT_EQ(xmlSelect(comment, "/tinker-config/types"), types);
    EXPECT_EQ(xmlSelect(comment, "types"), nullptr);
    EXPECT_EQ(xmlSelect(types, "filetype/command")->value, std::string("gcc -c $0"));
}

TEST(XmlSelect, EmptySegmentsCaseAndMissingChildrenGiveNone) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* document = parsed.document;
    for (const char* path : {"/", "", "/tinker-config/", "/tinker-config//types", "//tinker-config",
                             "/tinker-config/Types", "/Tinker-config/types", "/tinker-config/type",
                             "/tinker-config/typesx", "/tinker-config/plain/x", "/tinker-config/colors/x",
                             "/tinker-config/parsers/gcc/error/deeper", "/tinker-config/./types"}) {
        EXPECT_EQ(xmlSelect(document, path), nullptr) << path;
    }
    EXPECT_EQ(xmlSelect(nullptr, "/tinker-config"), nullptr);
    EXPECT_EQ(xmlSelect(document, nullptr), nullptr);
    EXPECT_EQ(xmlSelect(document, std::string(300, 'a').c_str()), nullptr);
}

TEST(XmlNextChild, IteratesOneNameInDocumentOrderThenEnds) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* gcc = xmlSelect(parsed.document, "/tinker-config/parsers/gcc");
    ASSERT_NE(gcc, nullptr);

    std::string seen;
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(gcc, "error", nullptr, &element); token;
         token = xmlNextChild(gcc, "error", token, &element)) {
        seen += attributeOr(element, "pattern");
    }
    EXPECT_EQ(seen, "/first//second/");

    const void* token = xmlNextChild(gcc, "warning", nullptr, &element);
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(attributeOr(element, "pattern"), "/only/");
    // The end marker yields none and leaves the element alone.
    XmlNode* untouched = nullptr;
    EXPECT_EQ(xmlNextChild(gcc, "warning", token, &untouched), nullptr);
    EXPECT_EQ(untouched, nullptr);

    EXPECT_EQ(xmlNextChild(gcc, "note", nullptr, &element), nullptr);
    EXPECT_EQ(xmlNextChild(gcc, "Error", nullptr, &element), nullptr);
    EXPECT_EQ(xmlNextChild(nullptr, "error", nullptr, &element), nullptr);
    XmlNode* plain = xmlSelect(parsed.document, "/tinker-config/plain");
    EXPECT_EQ(xmlNextChild(plain, "x", nullptr, &element), nullptr);
}

TEST(XmlNextChild, ManyChildrenOfOneNameAmongOthersStayInOrder) {
    std::string text = "<types>";
    for (int i = 0; i < 300; ++i) {
        text += "<filetype n='" + std::to_string(i) + "'/><other/><!-- c -->";
        if (i % 3 == 0) text += "<x" + std::to_string(i) + "/>";
    }
    ParsedText parsed(text + "</types>");
    ASSERT_TRUE(parsed.ok());
    XmlNode* types = parsed.document->firstChild;
    int expected = 0;
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(types, "filetype", nullptr, &element); token;
         token = xmlNextChild(types, "filetype", token, &element)) {
        EXPECT_EQ(attributeOr(element, "n"), std::to_string(expected));
        ++expected;
    }
    EXPECT_EQ(expected, 300);
    EXPECT_GT(types->childIndex->bucketCount(), 4);
    EXPECT_STREQ(xmlSelect(types, "x297")->name, "x297");
}

TEST(XmlAttribute, FirstOfDuplicatesEmptyIsNotNone) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* second = xmlSelect(parsed.document, "/tinker-config/parsers/gcc/error");
    second = second->next->next->next;
    ASSERT_STREQ(second->name, "error");
    EXPECT_EQ(attributeOr(second, "line"), "");  // written twice: the first counts
    EXPECT_EQ(attributeOr(second, "file"), "");
    EXPECT_EQ(attributeOr(second, "pos"), "(none)");
    EXPECT_EQ(attributeOr(second, "Line"), "(none)");
    EXPECT_EQ(attributeOr(second, nullptr), "(none)");

    XmlNode* parsers = xmlSelect(parsed.document, "/tinker-config/parsers");
    EXPECT_EQ(attributeOr(parsers, "id"), "(none)");
    EXPECT_EQ(attributeOr(nullptr, "id"), "(none)");
    EXPECT_EQ(attributeOr(xmlSelect(parsed.document, "/tinker-config/types/filetype"), "filename"), "/^(.*)\\.c$/i");
}
