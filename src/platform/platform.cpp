#include "platform/platform.h"

namespace {
Platform* installedPlatform = nullptr;
}

Platform& platform() { return installedPlatform ? *installedPlatform : systemPlatform(); }

void setPlatform(Platform* replacement) { installedPlatform = replacement; }
