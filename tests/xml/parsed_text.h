#pragma once

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "xml/xml_arena.h"
#include "xml/xml_node.h"
#include "xml/xml_reader.h"

// A text parsed into a fresh arena. The text sits in a heap buffer of exactly its size and the
// arena's blocks are small, so a read past the terminator or past a carved record is caught
// by the address sanitizer.
class ParsedText {
public:
    explicit ParsedText(const std::string& text, size_t blockSize = 64) {
        std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
        std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
        arena = XmlArena::create(blockSize);
        document = new (arena->allocateZeroed(sizeof(XmlNode))) XmlNode();
        document->kind = XmlDocument;
        result = xmlParse(arena, document, buffer.get());
    }
    ~ParsedText() { arena->destroy(); }
    ParsedText(const ParsedText&) = delete;
    ParsedText& operator=(const ParsedText&) = delete;

    bool ok() const { return result == 1; }

    XmlArena* arena;
    XmlNode* document;
    int result;
};

// A node and its subtree on one line: the name with "+" for an element with child elements,
// "/" for an empty one, the other kinds as text, !--, ? and !; then [attributes], "value" and
// {children}. A child whose parent is wrong is marked with "^".
inline std::string dumpNode(const XmlNode* node) {
    static const char* const kKindMarks[] = {"", "+", "", "/", "text", "!--", "?", "!"};
    std::string out = std::string(node->name ? node->name : "") + kKindMarks[node->kind & 7];
    if (node->attributes) {
        out += "[";
        for (int i = 0; i < node->attributes->count(); ++i) {
            out += std::string(i ? " " : "") + node->attributes->nameAt(i) + "=" + node->attributes->valueAt(i);
        }
        out += "]";
    }
    if (node->value) out += "\"" + std::string(node->value) + "\"";
    if (node->firstChild) {
        out += "{";
        for (const XmlNode* child = node->firstChild; child; child = child->next) {
            out += (child->parent == node ? "" : "^") + dumpNode(child) + (child->next ? "," : "");
        }
        out += "}";
    }
    return out;
}

// The parsed text's tree, or "fail".
inline std::string dump(const std::string& text) {
    ParsedText parsed(text);
    return parsed.ok() ? dumpNode(parsed.document) : "fail";
}

// A copy of the text in a buffer of exactly its size, decoded.
inline std::string decoded(const std::string& text) {
    std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    return xmlDecodeText(buffer.get());
}
