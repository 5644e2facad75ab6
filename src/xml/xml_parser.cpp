#include <cstring>
#include <new>
#include <string>

#include "xml/xml_reader.h"

namespace {

const int kMaxOpenElements = 256;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameChar(char c) {
    return c == '-' || c == '.' || c == ':' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

const char* skipSpace(const char* at) {
    while (isXmlSpace(*at)) ++at;
    return at;
}

const char* skipName(const char* at) {
    while (isNameChar(*at)) ++at;
    return at;
}

int spanLength(const char* from, const char* to) {
    return static_cast<int>(to - from);
}

// One pass over a zero-terminated text. Every scan stops at the terminator, which is the end
// of the text; nothing is read beyond it.
class XmlParser {
public:
    XmlParser(XmlArena* arena, XmlNode* document, const char* text, XmlParseTrace* trace)
        : arena_(arena), document_(document), at_(text), open_(document), trace_(trace) {}

    bool run();

private:
    enum class Step { Go, Done, Fail };

    Step comment();
    Step endTag();
    Step startTag();
    Step attributes(XmlNode* element, bool* empty);
    Step markup();
    Step text();
    Step valueBeforeNextTag();

    XmlNode* makeNode(XmlNodeKind kind);
    char* decodedCopy(const char* from, const char* to);

    XmlArena* arena_;
    XmlNode* document_;
    const char* at_;
    XmlNode* open_;
    XmlNode* tail_ = nullptr;
    // The open elements are reached through their parent links; only how many are open is
    // kept, to hold them to kMaxOpenElements.
    int openCount_ = 0;
    std::string attributeName_;
    XmlParseTrace* trace_;
};

bool XmlParser::run() {
    if (!*at_) {
        if (trace_) trace_->failedAt = at_;
        return false;
    }
    while (*at_) {
        if (isXmlSpace(*at_)) {
            ++at_;
            continue;
        }
        Step step;
        if (*at_ != '<') {
            step = text();
        } else if (std::strncmp(at_, "<!--", 4) == 0 && at_[4]) {
            step = comment();
        } else if (at_[1] == '/') {
            step = endTag();
        } else if (isNameChar(at_[1])) {
            step = startTag();
        } else if (at_[1] == '!' || at_[1] == '?') {
            step = markup();
        } else if (at_[1]) {
            at_ += 2;
            step = Step::Go;
        } else {
            step = Step::Fail;  // a "<" that the end of the text cuts off
        }
        if (step == Step::Fail) {
            if (trace_) trace_->failedAt = at_;
            return false;
        }
        if (step == Step::Done) return true;
    }
    return true;  // elements may still be open
}

XmlNode* XmlParser::makeNode(XmlNodeKind kind) {
    XmlNode* node = new (arena_->allocateZeroed(sizeof(XmlNode))) XmlNode();
    node->kind = kind;
    node->parent = open_;
    if (tail_) {
        tail_->next = node;
    } else {
        open_->firstChild = node;
    }
    tail_ = node;
    return node;
}

char* XmlParser::decodedCopy(const char* from, const char* to) {
    return xmlDecodeText(arena_->copyPart(from, spanLength(from, to)));
}

XmlParser::Step XmlParser::comment() {
    const char* body = at_ + 4;
    const char* close = std::strstr(body, "-->");
    if (!close) return Step::Fail;
    const char* after = close + 3;
    if (!after[0] || !after[1] || !after[2]) return Step::Fail;
    makeNode(XmlComment)->value = arena_->copyPart(body, spanLength(body, close));
    at_ = after;
    return Step::Go;
}

XmlParser::Step XmlParser::endTag() {
    const char* name = at_ + 2;
    const char* nameEnd = skipName(name);
    const char* close = skipSpace(nameEnd);
    if (*close != '>') return Step::Fail;
    if (open_ == document_) return Step::Fail;
    // The open element's name was cut to its first 255 bytes; the end tag is compared alike.
    int length = spanLength(name, nameEnd);
    if (length > kXmlMaxNameLength) length = kXmlMaxNameLength;
    if (std::strlen(open_->name) != static_cast<size_t>(length) ||
        std::memcmp(open_->name, name, static_cast<size_t>(length)) != 0) {
        return Step::Fail;
    }
    XmlNode* closed = open_;
    open_ = closed->parent;
    --openCount_;
    if (open_ == document_) return Step::Done;
    tail_ = closed;
    at_ = close + 1;
    return Step::Go;
}

XmlParser::Step XmlParser::startTag() {
    const char* name = at_ + 1;
    const char* nameEnd = skipName(name);
    if (!*nameEnd) return Step::Fail;

    if (trace_) trace_->elementStarts.push_back(at_);
    XmlNode* element = makeNode(XmlElement);
    if (open_ != document_) open_->kind = XmlElementWithChildren;
    if (!open_->childIndex) open_->childIndex = new (arena_->allocate(sizeof(XmlChildIndex))) XmlChildIndex(arena_);
    element->name = open_->childIndex->insert(name, spanLength(name, nameEnd), element);

    at_ = nameEnd;
    bool empty = false;
    if (attributes(element, &empty) == Step::Fail) return Step::Fail;
    if (empty) {
        element->kind = XmlEmptyElement;
    } else {
        if (openCount_ == kMaxOpenElements) return Step::Fail;
        ++openCount_;
        open_ = element;
        tail_ = nullptr;
    }
    return valueBeforeNextTag();
}

XmlParser::Step XmlParser::attributes(XmlNode* element, bool* empty) {
    for (;;) {
        at_ = skipSpace(at_);
        if (!*at_) return Step::Fail;
        if (*at_ == '>') {
            ++at_;
            return Step::Go;
        }
        if (*at_ == '/') {
            if (at_[1] != '>') return Step::Fail;
            at_ += 2;
            *empty = true;
            return Step::Go;
        }
        const char* name = at_;
        const char* nameEnd = skipName(name);
        if (nameEnd[0] != '=' || (nameEnd[1] != '"' && nameEnd[1] != '\'')) return Step::Fail;
        char quote = nameEnd[1];
        const char* value = nameEnd + 2;
        const char* valueEnd = std::strchr(value, quote);
        if (!valueEnd) return Step::Fail;

        if (!element->attributes) {
            element->attributes = new (arena_->allocate(sizeof(XmlAttributeList))) XmlAttributeList(arena_, true, false);
        }
        attributeName_.assign(name, nameEnd);
        element->attributes->add(attributeName_.c_str(), decodedCopy(value, valueEnd));
        at_ = valueEnd + 1;
    }
}

XmlParser::Step XmlParser::valueBeforeNextTag() {
    const char* from = skipSpace(at_);
    if (!*from) return Step::Fail;
    const char* next = std::strchr(from, '<');
    if (!next) return Step::Fail;
    if (next != from) open_->value = decodedCopy(from, next);
    at_ = next;
    return Step::Go;
}

XmlParser::Step XmlParser::markup() {
    XmlNodeKind kind = at_[1] == '!' ? XmlDeclaration : XmlProcessingInstruction;
    const char* close;
    if (std::strncmp(at_, "<![CDATA[", 9) == 0) {
        const char* end = std::strstr(at_ + 9, "]]>");
        close = end ? end + 2 : nullptr;
    } else {
        close = std::strchr(at_ + 1, '>');
    }
    if (!close) return Step::Fail;
    const char* body = at_ + 2;
    makeNode(kind)->value = arena_->copyPart(body, spanLength(body, close));
    at_ = close + 1;
    return Step::Go;
}

XmlParser::Step XmlParser::text() {
    const char* next = std::strchr(at_, '<');
    if (!next) return Step::Fail;
    makeNode(XmlText)->value = decodedCopy(at_, next);
    at_ = next;
    return Step::Go;
}

}  // namespace

int xmlParse(XmlArena* arena, XmlNode* document, const char* text, XmlParseTrace* trace) {
    if (!arena || !document || !text) return 0;
    XmlParser parser(arena, document, text, trace);
    return parser.run() ? 1 : 0;
}
