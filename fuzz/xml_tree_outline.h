#pragma once

#include <string>

#include "xml/xml_node.h"

// Writes the tree below the node as text (kinds, names, values and attributes in document
// order), so that two parses can be compared. On the way it checks every link the readers of
// a tree rely on: parent links, name lengths, element kinds, the child index against the
// sibling order, and attribute look-up against the attribute pairs. A broken link aborts.
std::string xmlTreeOutline(const XmlNode* node);
