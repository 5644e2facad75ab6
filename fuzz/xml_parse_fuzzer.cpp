// Parses arbitrary bytes as a document, twice: in an arena of the size the file loader picks
// and in one of tiny blocks that makes nearly every allocation start a new block. Both parses
// must agree, and a parsed tree must hold together.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "fuzz_check.h"
#include "xml/xml_reader.h"
#include "xml_tree_outline.h"

namespace {

struct ParseResult {
    int status;
    std::string outline;
};

ParseResult parseInArena(const std::string& text, size_t blockSize) {
    XmlArena* arena = XmlArena::create(blockSize);
    XmlNode* document = new (arena->allocateZeroed(sizeof(XmlNode))) XmlNode();
    document->kind = XmlDocument;
    ParseResult result;
    result.status = xmlParse(arena, document, text.c_str());
    FUZZ_CHECK(result.status == 0 || result.status == 1, "xmlParse answered %d", result.status);
    if (result.status) result.outline = xmlTreeOutline(document);
    arena->destroy();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader takes zero-terminated text, as the loader hands it a file: a zero byte inside
    // ends the text there.
    std::string text(reinterpret_cast<const char*>(data), size);
    ParseResult usual = parseInArena(text, size + size / 2);
    ParseResult tiny = parseInArena(text, 1 + size % 61);
    FUZZ_CHECK(usual.status == tiny.status, "the arena's block size changed the result: %d, %d", usual.status,
               tiny.status);
    FUZZ_CHECK(usual.outline == tiny.outline, "the arena's block size changed the tree:\n%s\n---\n%s",
               usual.outline.c_str(), tiny.outline.c_str());
    return 0;
}
