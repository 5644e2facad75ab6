#pragma once

#include <string>

// Replaces the environment references in a text the way both worlds write them: $NAME,
// ${NAME} and %NAME%, and a leading ~ for the home directory. Unset names stay as written.
std::string expandEnvironmentReferences(const std::string& text);
