#pragma once

#include <vector>

#include "xml/xml_arena.h"
#include "xml/xml_node.h"

// Where a parse went, for telling a person where a file is wrong: the start ('<') of every
// element in document order, and where the parse stopped when it failed.
struct XmlParseTrace {
    std::vector<const char*> elementStarts;
    const char* failedAt = nullptr;
};

// Reads the file (for reading only) and parses it into a new current document, releasing any
// previous one first; false when it cannot be read or does not parse (no current document then).
bool xmlLoadFile(const char* path);
// Parses a zero-terminated text into the document node; 1 on success, 0 on failure. A trace,
// when given, is filled as the parse goes.
int xmlParse(XmlArena* arena, XmlNode* document, const char* text, XmlParseTrace* trace = nullptr);
// Decodes entities and collapses whitespace in place; returns the text.
char* xmlDecodeText(char* text);

// The current document: the tree of the last successful xmlLoadFile, or none.
XmlNode* xmlCurrentDocument();
// Releases the current document and its arena; harmless when there is none.
void xmlReleaseDocument();
