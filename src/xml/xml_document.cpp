#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "foundation/regular_file.h"
#include "xml/xml_reader.h"

namespace {

// The current document: the tree of the last successful load and the arena it lives in.
XmlArena* gDocumentArena = nullptr;
XmlNode* gDocument = nullptr;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file with a zero byte after it; false when it cannot be opened or read. It is read
// to its end rather than by the size that seeking reports.
bool readWholeFile(const char* path, std::vector<char>* text) {
    // Reading is all the reader does, so a file that may not be written still loads.
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFileForReading(path));
    if (!file) return false;
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text->insert(text->end(), chunk, chunk + got);
    if (std::ferror(file.get())) return false;
    text->push_back('\0');
    return true;
}

}  // namespace

bool xmlLoadFile(const char* path) {
    xmlReleaseDocument();
    if (!path) return false;
    std::vector<char> text;
    if (!readWholeFile(path, &text)) return false;
    size_t size = text.size() - 1;

    XmlArena* arena = XmlArena::create(size + size / 2);
    XmlNode* document = new (arena->allocateZeroed(sizeof(XmlNode))) XmlNode();
    document->kind = XmlDocument;
    gDocumentArena = arena;
    gDocument = document;
    // Every name and value is copied into the arena, so the text is not needed afterwards.
    if (!xmlParse(arena, document, text.data())) {
        xmlReleaseDocument();
        return false;
    }
    return true;
}

XmlNode* xmlCurrentDocument() {
    return gDocument;
}

void xmlReleaseDocument() {
    if (gDocumentArena) gDocumentArena->destroy();
    gDocumentArena = nullptr;
    gDocument = nullptr;
}
