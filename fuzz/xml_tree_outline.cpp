#include "xml_tree_outline.h"

#include <cstring>
#include <map>
#include <vector>

#include "fuzz_check.h"
#include "xml/xml_query.h"

namespace {

void outlineAttributes(const XmlNode* element, std::string& out) {
    const XmlAttributeList* list = element->attributes;
    if (!list) return;
    for (int i = 0; i < list->count(); ++i) {
        const char* name = list->nameAt(i);
        const char* value = list->valueAt(i);
        FUZZ_CHECK(name && value, "attribute %d of <%s> has no name or value", i, element->name);
        // Look-up by name finds the first pair of that name.
        int first = 0;
        while (std::strcmp(list->nameAt(first), name) != 0) ++first;
        FUZZ_CHECK(xmlAttribute(element, name) == list->valueAt(first), "attribute '%s' of <%s> looked up wrongly",
                   name, element->name);
        out += ' ';
        out += name;
        out += "=\"";
        out += value;
        out += '"';
    }
    FUZZ_CHECK(!list->nameAt(list->count()) && !list->nameAt(-1), "an attribute beyond the list of <%s>", element->name);
}

// The child index must hold exactly the child elements, each name's entries in sibling order.
void checkChildIndex(const XmlNode* parent) {
    std::map<std::string, std::vector<const XmlNode*>> byName;
    for (const XmlNode* child = parent->firstChild; child; child = child->next) {
        if (child->isElement()) byName[child->name].push_back(child);
    }
    FUZZ_CHECK(byName.empty() == !parent->childIndex, "child index present without child elements or missing");
    int entries = 0;
    for (const auto& [name, elements] : byName) {
        size_t position = 0;
        XmlNode* element = nullptr;
        for (const void* token = xmlNextChild(parent, name.c_str(), nullptr, &element); token;
             token = xmlNextChild(parent, name.c_str(), token, &element)) {
            FUZZ_CHECK(position < elements.size() && elements[position] == element,
                       "child index order differs for <%s> at %zu", name.c_str(), position);
            ++position;
        }
        FUZZ_CHECK(position == elements.size(), "child index lists %zu of %zu <%s>", position, elements.size(),
                   name.c_str());
        FUZZ_CHECK(xmlSelect(const_cast<XmlNode*>(parent), name.c_str()) == elements.front(),
                   "selecting <%s> does not find the first one", name.c_str());
        entries += static_cast<int>(elements.size());
    }
    if (parent->childIndex) {
        FUZZ_CHECK(parent->childIndex->entryCount() == entries, "child index holds %d entries, %d elements",
                   parent->childIndex->entryCount(), entries);
    }
}

void outlineNode(const XmlNode* node, int depth, std::string& out) {
    out.append(static_cast<size_t>(depth), ' ');
    out += std::to_string(node->kind);
    if (node->isElement()) {
        FUZZ_CHECK(node->name, "an element without a name");
        size_t length = std::strlen(node->name);
        FUZZ_CHECK(length > 0 && length <= static_cast<size_t>(kXmlMaxNameLength), "element name of %zu bytes", length);
        out += " <";
        out += node->name;
        out += '>';
        outlineAttributes(node, out);
    } else if (node->kind != XmlDocument) {
        FUZZ_CHECK(!node->firstChild && !node->attributes && !node->childIndex, "node of kind %d has children",
                   node->kind);
    }
    if (node->value) {
        out += " value \"";
        out += node->value;
        out += '"';
    }
    out += '\n';

    bool hasChildElement = false;
    for (const XmlNode* child = node->firstChild; child; child = child->next) {
        FUZZ_CHECK(child->parent == node, "a child whose parent link points elsewhere");
        if (child->isElement()) hasChildElement = true;
        outlineNode(child, depth + 1, out);
    }
    if (node->kind == XmlEmptyElement) FUZZ_CHECK(!node->firstChild, "an empty element <%s> with children", node->name);
    if (node->isElement() && hasChildElement) {
        FUZZ_CHECK(node->kind == XmlElementWithChildren, "<%s> has child elements but kind %d", node->name, node->kind);
    }
    checkChildIndex(node);
}

}  // namespace

std::string xmlTreeOutline(const XmlNode* node) {
    std::string out;
    outlineNode(node, 0, out);
    return out;
}
