#include <gtest/gtest.h>

#include <string>

#include "xml/parsed_text.h"

TEST(XmlParse, NodeKindsValuesAndAttributes) {
    EXPECT_EQ(dump("<a><b x='1' y=\"2\"/><c>t</c></a>"), "{a+{b/[x=1 y=2],c\"t\"}}");
    EXPECT_EQ(dump("<?xml version='1.0'?>\n<!DOCTYPE cfg>\n"
                   "<a><!-- note &amp; --><b></b><![CDATA[ <x>]y ]]>tail &lt;</a>"),
              "{?\"xml version='1.0'?\",!\"DOCTYPE cfg\","
              "a+{!--\" note &amp; \",b,!\"[CDATA[ <x>]y ]]\",text\"tail <\"}}");
    // Text after a start tag is the element's value; after an empty element it replaces the
    // enclosing element's value; after an end tag it is a node.
    EXPECT_EQ(dump("<a>  one\n two  <b/>  replaced &amp; decoded <c>c</c> after c </a>"),
              "{a+\"replaced & decoded\"{b/,c\"c\",text\"after c\"}}");
    EXPECT_EQ(dump("<a>one<b></b></a>"), "{a+\"one\"{b}}");
    EXPECT_EQ(dump("<a> \n\t</a>"), "{a}");
    EXPECT_EQ(dump("<a/> top <b></b>"), "\"top\"{a/,b}");
    EXPECT_EQ(dump("<a x='1'y=\"'2'\" z='  a\n &quot;b&quot;  ' x='' ='anon'></a>"),
              "{a[x=1 y='2' z=a \"b\" x= =anon]}");
}

TEST(XmlParse, AttributesKeepOrderAndDuplicatesAcrossChunks) {
    std::string tag = "<a", expected = "{a[";
    for (int i = 0; i < 40; ++i) {
        std::string pair = "n" + std::to_string(i % 7) + "=";
        tag += " " + pair + "'v" + std::to_string(i) + "'";
        expected += (i ? " " : "") + pair + "v" + std::to_string(i);
    }
    EXPECT_EQ(dump(tag + "></a>"), expected + "]}");
}

TEST(XmlParse, TolerancesAndTheEndOfParsing) {
    EXPECT_EQ(dump(" \r\n\t "), "");
    EXPECT_EQ(dump("<a></a >"), "{a}");
    EXPECT_EQ(dump("<a><b></b>"), "{a+{b}}");  // a stays open
    EXPECT_EQ(dump("<a>< b</a>"), "{a{text\"b\"}}");  // "< " starts no markup
    // Markup other than CDATA ends at its first ">", quoted or not.
    EXPECT_EQ(dump("lead <a><?pi > ?></a>"), "{text\"lead\",a{?\"pi \",text\"?>\"}}");
    // Nothing after the end tag of the first top-level element is read.
    EXPECT_EQ(dump("<a></a><b></b>"), "{a}");
    EXPECT_EQ(dump("<a></a> <<< & <!-- "), "{a}");
    EXPECT_EQ(dump("<a><!-- c -->\n\n\n"), "{a{!--\" c \"}}");
    EXPECT_EQ(dump("<a><!----></a>"), "{a{!--\"\"}}");
}

TEST(XmlParse, DocumentedFailuresAndMarkupCutOffByTheEnd) {
    for (const char* text : {"", "<a x = '1'></a>", "<a x ='1'></a>", "<a x= '1'></a>", "<a x=1></a>",
                             "<a/ ></a>", "<a x='1'/x></a>", "<a></b>", "<abc></ab>", "<ab></abc>", "<a></A>",
                             "</a>", "<a></a x>", "<a/>", "<a/>   ", "<a>", "<a>text", "text",
                             // a comment needs three bytes after it
                             "<a><!-- c -->", "<a><!-- c -->\n\n", "<a><!-- open </a>", "<a><!-->", "<a><!--",
                             // cut off by the end of the text
                             "<", "<a", "<a x", "<a x=", "<a x='", "<a x='1", "<a x='1'", "<a/", "<a></",
                             "<a></a", "<a><!DOCTYPE", "<a><?pi", "<a><![CDATA[x]]", "<a><![CDATA[x]>y</a>",
                             "<a><"}) {
        EXPECT_EQ(dump(text), "fail") << text;
    }
}

TEST(XmlParse, AtMost256ElementsAreOpen) {
    auto nested = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) open += "<e>", close += "</e>";
        return open + "x" + close;
    };
    ParsedText deepest(nested(256));
    ASSERT_TRUE(deepest.ok());
    const XmlNode* node = deepest.document;
    for (int depth = 0; depth < 256; ++depth) node = node->firstChild;
    EXPECT_STREQ(node->value, "x");
    EXPECT_EQ(dump(nested(257)), "fail");
    EXPECT_EQ(dump(nested(20000)), "fail");
    std::string wide = "<r>";
    for (int i = 0; i < 300; ++i) wide += "<e><f></f></e>";
    EXPECT_TRUE(ParsedText(wide + "</r>").ok());  // closing frees the places again
}

TEST(XmlParse, NamesLongerThan255Bytes) {
    std::string name(300, 'n');
    // The element's name is cut, its end tag compared alike; attribute names are kept whole.
    EXPECT_EQ(dump("<" + name + " " + name + "='v'></" + name + ">"),
              "{" + name.substr(0, 255) + "[" + name + "=v]}");
    EXPECT_EQ(dump("<" + name + "></" + name.substr(0, 254) + ">"), "fail");
}
