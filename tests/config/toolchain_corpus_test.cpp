// The default configuration against what real toolchains printed (tests/data/toolchains, made by
// make_corpus.sh): every line of every output gets the kind, file, line and column recorded for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/command_resolution.h"
#include "config/configuration.h"
#include "support/configuration_loading.h"

namespace {

// Lines that the parsers leave as they are on purpose, though the recorded expectation differs.
// Empty while every line agrees; an entry says which line (its start) and why.
struct LeftOut {
    const char* lineStart;
    const char* reason;
};
const LeftOut kLeftOut[] = {{nullptr, nullptr}};

bool leftOut(const std::string& text) {
    for (const LeftOut& entry : kLeftOut) {
        if (entry.lineStart && text.rfind(entry.lineStart, 0) == 0) return true;
    }
    return false;
}

// "KIND<tab>FILE<tab>LINE<tab>COLUMN<tab>TEXT" split in five; the text may hold tabs of its own.
std::vector<std::string> fields(const std::string& row) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t tab = row.find('\t', start);
        if (tab == std::string::npos) break;
        parts.push_back(row.substr(start, tab - start));
        start = tab + 1;
    }
    parts.push_back(row.substr(start));
    return parts;
}

}  // namespace

TEST(ToolchainCorpus, EveryRecordedLineIsClassifiedAsExpected) {
    RecordingReporter reporter;
    ASSERT_EQ(loadConfigurationFile(std::string(TINKER_DATA_DIR) + "/tinker.xml", reporter), 1);
    int files = 0;
    int classified = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(TINKER_TEST_DATA_DIR) + "/toolchains/corpus")) {
        if (entry.path().extension() != ".tsv") continue;
        ++files;
        std::string parser = entry.path().parent_path().filename().string();
        ASSERT_NE(configuration().parsers.find(parser.c_str()), nullptr) << parser;
        std::ifstream file(entry.path(), std::ios::binary);
        int number = 0;
        for (std::string row; std::getline(file, row);) {
            ++number;
            std::vector<std::string> part = fields(row);
            ASSERT_EQ(part.size(), 5u) << entry.path() << ":" << number;
            if (leftOut(part[4])) continue;
            // Stored as a capture stores it: control bytes become blanks.
            std::string text = part[4];
            for (char& ch : text) {
                if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
            }
            LineMatch match;
            int kind = ClassifyLine(parser.c_str(), String(text.c_str()), match);
            std::string expected = part[0] == "-" ? "-" : part[0] + " " + part[1] + ":" + part[2] + ":" + part[3];
            EXPECT_EQ(describeMatch(kind, match), expected)
                << entry.path().filename() << ":" << number << " (" << parser << "): " << part[4];
            if (kind) ++classified;
        }
    }
    EXPECT_GE(files, 15);
    EXPECT_GE(classified, 100);
    FreeConfiguration();
}
