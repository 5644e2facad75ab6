#pragma once

#include "xml/xml_arena.h"
#include "xml/xml_node.h"

// Reads the file (for reading only) and parses it into a new current document, releasing any
// previous one first; false when it cannot be read or does not parse (no current document then).
bool xmlLoadFile(const char* path);
// Parses a zero-terminated text into the document node; 1 on success, 0 on failure.
int xmlParse(XmlArena* arena, XmlNode* document, const char* text);
// Decodes entities and collapses whitespace in place; returns the text.
char* xmlDecodeText(char* text);

// The current document: the tree of the last successful xmlLoadFile, or none.
XmlNode* xmlCurrentDocument();
// Releases the current document and its arena; harmless when there is none.
void xmlReleaseDocument();
