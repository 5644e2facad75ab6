#include "handle_census.h"

namespace {

const int kProbes = 32;

}  // namespace

std::vector<HANDLE> nextHandleValues() {
    std::vector<HANDLE> values;
    for (int i = 0; i < kProbes; ++i) values.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    for (HANDLE value : values) CloseHandle(value);
    return values;
}
