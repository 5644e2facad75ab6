#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xml/parsed_text.h"

namespace {

std::vector<const XmlNode*> children(const XmlNode* node) {
    std::vector<const XmlNode*> result;
    for (const XmlNode* child = node->firstChild; child; child = child->next) result.push_back(child);
    return result;
}

std::string valueOf(const XmlNode* node) {
    return node && node->value ? node->value : "(none)";
}

bool parses(const std::string& text) {
    return ParsedText(text).ok();
}

}  // namespace

TEST(XmlParse, ElementKindsAttributesAndParents) {
    ParsedText parsed("<a><b x='1' y=\"2\"/></a>");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.document->kind, XmlDocument);
    EXPECT_EQ(parsed.document->parent, nullptr);
    const XmlNode* a = parsed.document->firstChild;
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->name, "a");
    EXPECT_EQ(a->kind, XmlElementWithChildren);
    EXPECT_EQ(a->parent, parsed.document);
    EXPECT_EQ(a->next, nullptr);
    const XmlNode* b = a->firstChild;
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->name, "b");
    EXPECT_EQ(b->kind, XmlEmptyElement);
    EXPECT_EQ(b->parent, a);
    ASSERT_NE(b->attributes, nullptr);
    ASSERT_EQ(b->attributes->count(), 2);
    EXPECT_STREQ(b->attributes->nameAt(0), "x");
    EXPECT_STREQ(b->attributes->valueAt(0), "1");
    EXPECT_STREQ(b->attributes->nameAt(1), "y");
    EXPECT_STREQ(b->attributes->valueAt(1), "2");
    EXPECT_EQ(a->attributes, nullptr);

    ParsedText leaf("<a><c>text</c></a>");
    ASSERT_TRUE(leaf.ok());
    EXPECT_EQ(leaf.document->firstChild->firstChild->kind, XmlElement);
}

TEST(XmlParse, MarkupNodesKeepTheirRawContent) {
    ParsedText parsed(
        "<?xml version='1.0'?>\n<!DOCTYPE cfg>\n"
        "<a><!-- note &amp; --><b></b><![CDATA[x]y]]>tail &lt;</a>");
    ASSERT_TRUE(parsed.ok());
    auto top = children(parsed.document);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0]->kind, XmlProcessingInstruction);
    EXPECT_EQ(valueOf(top[0]), "xml version='1.0'?");
    EXPECT_EQ(top[0]->name, nullptr);
    EXPECT_EQ(top[1]->kind, XmlDeclaration);
    EXPECT_EQ(valueOf(top[1]), "DOCTYPE cfg");
    EXPECT_STREQ(top[2]->name, "a");

    auto inner = children(top[2]);
    ASSERT_EQ(inner.size(), 4u);
    EXPECT_EQ(inner[0]->kind, XmlComment);
    EXPECT_EQ(valueOf(inner[0]), " note &amp; ");
    EXPECT_STREQ(inner[1]->name, "b");
    EXPECT_EQ(inner[2]->kind, XmlDeclaration);
    EXPECT_EQ(valueOf(inner[2]), "[CDATA[x]y]]");
    EXPECT_EQ(inner[3]->kind, XmlText);
    EXPECT_EQ(valueOf(inner[3]), "tail <");
    for (const XmlNode* node : inner) EXPECT_EQ(node->parent, top[2]);
    // Only elements are indexed.
    EXPECT_EQ(top[2]->childIndex->entryCount(), 1);
}

TEST(XmlParse, ElementValuesComeFromTheTextAfterAStartTag) {
    ParsedText parsed("<a>  one\n two  <b/>  replaced &amp; decoded <c>c text</c> after c </a>");
    ASSERT_TRUE(parsed.ok());
    const XmlNode* a = parsed.document->firstChild;
    // The text after the empty element b replaced a's own text; after c's end tag it is a node.
    EXPECT_EQ(valueOf(a), "replaced & decoded");
    auto inner = children(a);
    ASSERT_EQ(inner.size(), 3u);
    EXPECT_EQ(valueOf(inner[0]), "(none)");
    EXPECT_EQ(valueOf(inner[1]), "c text");
    EXPECT_EQ(inner[2]->kind, XmlText);
    EXPECT_EQ(valueOf(inner[2]), "after c");

    ParsedText whitespaceOnly("<a>   \n\t</a>");
    ASSERT_TRUE(whitespaceOnly.ok());
    EXPECT_EQ(whitespaceOnly.document->firstChild->value, nullptr);
    EXPECT_EQ(whitespaceOnly.document->firstChild->firstChild, nullptr);
}

TEST(XmlParse, AttributesKeepOrderAndDuplicatesAcrossChunks) {
    std::string tag = "<a";
    for (int i = 0; i < 40; ++i) tag += " n" + std::to_string(i % 7) + "='v" + std::to_string(i) + "'";
    ParsedText parsed(tag + "></a>");
    ASSERT_TRUE(parsed.ok());
    const XmlAttributeList* list = parsed.document->firstChild->attributes;
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 40);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(std::string(list->nameAt(i)), "n" + std::to_string(i % 7));
        EXPECT_EQ(std::string(list->valueAt(i)), "v" + std::to_string(i));
    }
    EXPECT_EQ(list->nameAt(40), nullptr);
    EXPECT_EQ(list->nameAt(-1), nullptr);
    EXPECT_STREQ(list->find("n3"), "v3");

    ParsedText packed("<a x='1'y=\"'2'\" z='  a\n &quot;b&quot;  ' e='' ='anonymous'></a>");
    ASSERT_TRUE(packed.ok());
    list = packed.document->firstChild->attributes;
    ASSERT_EQ(list->count(), 5);
    EXPECT_STREQ(list->find("y"), "'2'");
    EXPECT_STREQ(list->find("z"), "a \"b\"");
    EXPECT_STREQ(list->find("e"), "");
    EXPECT_STREQ(list->nameAt(4), "");
}

TEST(XmlParse, ParsingStopsAfterTheFirstTopLevelElement) {
    ParsedText parsed("<a></a><b></b>");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.document->firstChild->next, nullptr);
    EXPECT_TRUE(parses("<a></a> anything <<< & <!-- "));

    ParsedText empties("<a/> <b></b><c></c>");
    ASSERT_TRUE(empties.ok());
    auto top = children(empties.document);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_STREQ(top[0]->name, "a");
    EXPECT_STREQ(top[1]->name, "b");

    ParsedText open("<a><b></b>");
    ASSERT_TRUE(open.ok());
    EXPECT_STREQ(open.document->firstChild->firstChild->name, "b");
}

TEST(XmlParse, TolerableOddities) {
    EXPECT_TRUE(parses(" \r\n\t "));
    ParsedText blanks(" \n ");
    EXPECT_EQ(blanks.document->firstChild, nullptr);
    EXPECT_TRUE(parses("<a></a >"));
    EXPECT_TRUE(parses("<a></a\n>"));
    // A "<" that starts no markup is passed over together with the byte after it.
    ParsedText stray("<a>< b</a>");
    ASSERT_TRUE(stray.ok());
    EXPECT_EQ(valueOf(stray.document->firstChild->firstChild), "b");
    EXPECT_TRUE(parses("lead text <a></a>"));
    EXPECT_TRUE(parses("<a><?pi > ?></a>"));
}

TEST(XmlParse, DocumentedFailures) {
    EXPECT_FALSE(parses(""));
    EXPECT_FALSE(parses("<a x = '1'></a>"));
    EXPECT_FALSE(parses("<a x ='1'></a>"));
    EXPECT_FALSE(parses("<a x= '1'></a>"));
    EXPECT_FALSE(parses("<a x=1></a>"));
    EXPECT_TRUE(parses("<a x='1'y='2'></a>"));
    EXPECT_FALSE(parses("<a/ ></a>"));
    EXPECT_FALSE(parses("<a x='1'/x></a>"));
    EXPECT_FALSE(parses("<a></b>"));
    EXPECT_FALSE(parses("<abc></ab>"));
    EXPECT_FALSE(parses("<ab></abc>"));
    EXPECT_FALSE(parses("<a></A>"));
    EXPECT_FALSE(parses("</a>"));
    EXPECT_FALSE(parses("<a></a x>"));
    EXPECT_FALSE(parses("<a/>"));
    EXPECT_FALSE(parses("<a/>   "));
    EXPECT_FALSE(parses("<a>"));
    EXPECT_FALSE(parses("<a>text"));
    EXPECT_FALSE(parses("text"));
    EXPECT_FALSE(parses("<a></a"));
}

TEST(XmlParse, ACommentNeedsThreeBytesAfterIt) {
    EXPECT_FALSE(parses("<a><!-- c -->"));
    EXPECT_FALSE(parses("<a><!-- c -->\n\n"));
    EXPECT_TRUE(parses("<a><!-- c -->\n\n\n"));
    EXPECT_TRUE(parses("<!-- c --><a></a>"));
    EXPECT_FALSE(parses("<a><!-- never closed </a>"));
    EXPECT_FALSE(parses("<a><!-->"));
    // "<!--" with nothing after it is other markup, which finds no ">".
    EXPECT_FALSE(parses("<a><!--"));
    ParsedText empty("<a><!----></a>");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(valueOf(empty.document->firstChild->firstChild), "");
}

TEST(XmlParse, MarkupCutOffByTheEndFails) {
    for (const char* text : {"<a", "<a x", "<a x=", "<a x='", "<a x='1", "<a x='1'", "<a/", "<a></",
                             "<a></a", "<a></a ", "<a><!DOCTYPE", "<a><?pi", "<a><![CDATA[x]]",
                             "<a><![CDATA[x]>y</a>", "<a><", "<"}) {
        EXPECT_FALSE(parses(text)) << text;
    }
    // A CDATA section ends at "]]>" even when a ">" comes first.
    ParsedText cdata("<a><![CDATA[ <b> ]]></a>");
    ASSERT_TRUE(cdata.ok());
    EXPECT_EQ(valueOf(cdata.document->firstChild->firstChild), "[CDATA[ <b> ]]");
}

TEST(XmlParse, OpenElementsAreLimitedTo256) {
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<e>";
        text += "x";
        for (int i = 0; i < depth; ++i) text += "</e>";
        return text;
    };
    ParsedText deepest(nested(256));
    ASSERT_TRUE(deepest.ok());
    int depth = 0;
    const XmlNode* node = deepest.document->firstChild;
    for (; node->firstChild; node = node->firstChild) ++depth;
    EXPECT_EQ(depth, 255);
    EXPECT_EQ(valueOf(node), "x");

    EXPECT_FALSE(parses(nested(257)));
    EXPECT_FALSE(parses(nested(20000)));
    // Closing elements frees their places again.
    std::string wide = "<r>";
    for (int i = 0; i < 300; ++i) wide += "<e><f></f></e>";
    EXPECT_TRUE(parses(wide + "</r>"));
}

TEST(XmlParse, LongNamesAreCutTo255BytesWithoutOverrun) {
    std::string longName(300, 'n');
    ParsedText parsed("<" + longName + " " + longName + "='v'><x/> </" + longName + "></z>");
    ASSERT_TRUE(parsed.ok());
    const XmlNode* element = parsed.document->firstChild;
    EXPECT_EQ(std::string(element->name), longName.substr(0, 255));
    // Attribute names are kept whole.
    EXPECT_EQ(std::string(element->attributes->nameAt(0)), longName);
    EXPECT_FALSE(parses("<" + longName + "></" + longName.substr(0, 254) + ">"));
}
