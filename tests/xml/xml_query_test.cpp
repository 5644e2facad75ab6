#include <gtest/gtest.h>

#include <string>

#include "xml/parsed_text.h"
#include "xml/xml_query.h"

namespace {

const char kConfiguration[] = R"(<tinker-config>
  <parsers>
    <gcc>
      <error pattern="/first/" file="1"/>
      <warning pattern="/only/"/>
      <!-- between -->
      <error pattern="/second/" file="" line="" line="3"/>
    </gcc>
  </parsers>
  <types id="first"><filetype><command>gcc -c $0</command></filetype></types>
  <types id="second"/>
  <plain>only text</plain>
</tinker-config>
)";

std::string attributeOr(const XmlNode* element, const char* name) {
    const char* value = xmlAttribute(element, name);
    return value ? value : "(none)";
}

// The values of one attribute over the children of one name, in the order xmlNextChild gives.
std::string iterate(const XmlNode* parent, const char* name, const char* attribute) {
    std::string seen;
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(parent, name, nullptr, &element); token;
         token = xmlNextChild(parent, name, token, &element)) {
        seen += attributeOr(element, attribute) + ";";
    }
    return seen;
}

}  // namespace

TEST(XmlQuery, PathsFromTheTopAndRelative) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* root = xmlSelect(parsed.document, "/tinker-config");
    XmlNode* types = xmlSelect(parsed.document, "/tinker-config/types");
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(attributeOr(types, "id"), "first");  // the first of two
    EXPECT_EQ(xmlSelect(root, "types"), types);
    EXPECT_STREQ(xmlSelect(types, "filetype/command")->value, "gcc -c $0");
    // "/" starts at the top from any node, even a comment deep inside.
    XmlNode* comment = xmlSelect(root, "parsers/gcc/warning")->next;
    ASSERT_EQ(comment->kind, XmlComment);
    EXPECT_EQ(xmlSelect(comment, "/tinker-config/types"), types);

    for (const char* path : {"/", "", "/tinker-config/", "/tinker-config//types", "//tinker-config",
                             "/tinker-config/Types", "/tinker-config/type", "/tinker-config/typesx",
                             "/tinker-config/./types", "/tinker-config/plain/x", "/tinker-config/types/id"}) {
        EXPECT_EQ(xmlSelect(parsed.document, path), nullptr) << path;
    }
    EXPECT_EQ(xmlSelect(comment, "types"), nullptr);
    EXPECT_EQ(xmlSelect(nullptr, "/tinker-config"), nullptr);
}

TEST(XmlQuery, ChildrenOfOneNameAndTheEndMarker) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* gcc = xmlSelect(parsed.document, "/tinker-config/parsers/gcc");
    EXPECT_EQ(iterate(gcc, "error", "pattern"), "/first/;/second/;");
    EXPECT_EQ(iterate(gcc, "warning", "pattern"), "/only/;");
    EXPECT_EQ(iterate(gcc, "Error", "pattern"), "");
    EXPECT_EQ(iterate(xmlSelect(gcc, "/tinker-config/plain"), "x", "pattern"), "");
    EXPECT_EQ(iterate(nullptr, "error", "pattern"), "");

    XmlNode* element = nullptr;
    const void* last = xmlNextChild(gcc, "warning", nullptr, &element);
    ASSERT_NE(last, nullptr);
    XmlNode* untouched = nullptr;
    EXPECT_EQ(xmlNextChild(gcc, "warning", last, &untouched), nullptr);
    EXPECT_EQ(untouched, nullptr);
}

TEST(XmlQuery, ManyChildrenOfOneNameStayInOrderThroughRebuilds) {
    std::string text = "<types>", expected;
    for (int i = 0; i < 300; ++i) {
        text += "<filetype n='" + std::to_string(i) + "'/><other/><!-- c -->";
        if (i % 3 == 0) text += "<x" + std::to_string(i) + "/>";
        expected += std::to_string(i) + ";";
    }
    ParsedText parsed(text + "</types>");
    ASSERT_TRUE(parsed.ok());
    XmlNode* types = parsed.document->firstChild;
    EXPECT_EQ(iterate(types, "filetype", "n"), expected);
    // 700 entries: rebuilt at the 17th (34 buckets) and the 137th (274 buckets).
    EXPECT_EQ(types->childIndex->entryCount(), 700);
    EXPECT_EQ(types->childIndex->bucketCount(), 274);
    EXPECT_STREQ(xmlSelect(types, "x297")->name, "x297");
}

TEST(XmlQuery, AttributesFirstOfDuplicatesAndEmptyIsNotNone) {
    ParsedText parsed(kConfiguration);
    ASSERT_TRUE(parsed.ok());
    XmlNode* gcc = xmlSelect(parsed.document, "/tinker-config/parsers/gcc");
    XmlNode* second = gcc->firstChild->next->next->next;  // error, warning, comment, error
    ASSERT_EQ(attributeOr(second, "pattern"), "/second/");
    EXPECT_EQ(attributeOr(second, "line"), "");
    EXPECT_EQ(attributeOr(second, "pos"), "(none)");
    EXPECT_EQ(attributeOr(second, "Line"), "(none)");
    EXPECT_EQ(attributeOr(gcc, "pattern"), "(none)");
    EXPECT_EQ(attributeOr(nullptr, "pattern"), "(none)");
}
