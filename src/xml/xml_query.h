#pragma once

#include "xml/xml_node.h"

// The element that a path such as "/tinker-config/types" (from the top) or "types" (relative)
// names, or none.
XmlNode* xmlSelect(XmlNode* node, const char* path);

// Iterates the child elements of one name in document order: start with no token, stop when
// the result is none; with a token, element is set to the next child.
const void* xmlNextChild(const XmlNode* parent, const char* name, const void* token, XmlNode** element);

// The decoded value of the element's first attribute of that name, or none.
const char* xmlAttribute(const XmlNode* element, const char* name);
