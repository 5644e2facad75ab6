#pragma once

#include <sstream>
#include <string>
#include <vector>

// A small case runner for the Windows test host, which runs under Wine without a test
// framework: named cases, checks that report and go on, and a closing summary line.

using CaseFunction = void (*)();

struct CaseRegistration {
    CaseRegistration(const char* name, CaseFunction run);
};

#define WINE_CASE(name)                                                \
    static void name();                                                \
    static const CaseRegistration name##Registration(#name, name);     \
    static void name()

// Runs every registered case (or those whose name contains the filter); returns the failures.
int runCases(const char* filter);

// The name of the case that runs now.
const char* currentCaseName();

void recordCheck(bool passed, const char* file, int line, const std::string& what);

inline std::string describe(const std::string& value) { return "\"" + value + "\""; }
inline std::string describe(const char* value) { return value ? describe(std::string(value)) : "null"; }
template <typename Number>
std::string describe(const Number& value) {
    std::ostringstream text;
    text << value;
    return text.str();
}
template <typename Item>
std::string describe(const std::vector<Item>& values) {
    std::string text = "{";
    for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + describe(values[i]);
    return text + "}";
}

template <typename Actual, typename Expected>
void checkEqual(const Actual& actual, const Expected& expected, const char* actualText, const char* file, int line) {
    bool same = actual == expected;
    recordCheck(same, file, line,
                same ? "" : std::string(actualText) + "\n      is " + describe(actual) + "\n    not " + describe(expected));
}

#define CHECK(condition) recordCheck((condition), __FILE__, __LINE__, "CHECK(" #condition ")")
#define CHECK_EQ(actual, expected) checkEqual((actual), (expected), #actual, __FILE__, __LINE__)
