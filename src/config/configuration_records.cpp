#include "config/configuration_records.h"

#include "regex/regex.h"

namespace {

void releasePatterns(List<ParserPattern>& patterns) {
    for (int i = 0; i < patterns.count(); ++i) delete patterns.at(i)->regex;
    patterns.clear();
}

}  // namespace

Parser::~Parser() {
    releasePatterns(errors);
    releasePatterns(warnings);
    releasePatterns(notes);
}

FileType::~FileType() {
    delete regex;
    for (int i = 0; i < commands.count(); ++i) delete *commands.at(i);
    commands.clear();
}

void FileTypeList::releaseAll() {
    for (int i = 0; i < count(); ++i) delete *at(i);
    clear();
}
