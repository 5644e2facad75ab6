#include "xml/xml_query.h"

#include <cstring>

namespace {

// The token after the last child of a name: distinct from every entry and from none.
const char kEndOfChildren = 0;

}  // namespace

XmlNode* xmlSelect(XmlNode* node, const char* path) {
    if (!node || !path) return nullptr;
    if (*path == '/') {
        while (node->parent) node = node->parent;
        ++path;
    }
    for (;;) {
        const char* slash = std::strchr(path, '/');
        size_t length = slash ? static_cast<size_t>(slash - path) : std::strlen(path);
        // Empty segments (a doubled or trailing "/", or "/" alone) match nothing.
        if (length == 0 || length > static_cast<size_t>(kXmlMaxNameLength) || !node->childIndex) return nullptr;
        node = node->childIndex->findPart(path, static_cast<int>(length));
        if (!node || !slash) return node;
        path = slash + 1;
    }
}

const void* xmlNextChild(const XmlNode* parent, const char* name, const void* token, XmlNode** element) {
    if (token == &kEndOfChildren) return nullptr;
    if (!parent || !parent->childIndex || !name || !element) return nullptr;
    const XmlChildIndex::Entry* entry = static_cast<const XmlChildIndex::Entry*>(token);
    if (!entry) {
        size_t length = std::strlen(name);
        if (length > static_cast<size_t>(kXmlMaxNameLength)) return nullptr;
        entry = parent->childIndex->findEntry(name, static_cast<int>(length));
        if (!entry) return nullptr;
    }
    *element = entry->element;
    const XmlChildIndex::Entry* following = XmlChildIndex::nextOfSameName(entry);
    return following ? static_cast<const void*>(following) : &kEndOfChildren;
}

const char* xmlAttribute(const XmlNode* element, const char* name) {
    if (!element || !element->attributes) return nullptr;
    return element->attributes->find(name);
}
