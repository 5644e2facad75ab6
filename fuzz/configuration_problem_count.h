#pragma once

#include "xml/xml_node.h"

// How many problems loading this document must report, counted by walking the tree in
// document order (not through the loader): each invalid parser entry, each file type whose
// name pattern does not compile, each command without a name or parser, and the missing
// types section once the parsers were read.
int expectedConfigurationProblems(const XmlNode* document);
