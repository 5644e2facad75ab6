#include "platform/platform.h"

#include <new>

namespace {
Platform* installedPlatform = nullptr;
}

Platform& platform() { return installedPlatform ? *installedPlatform : systemPlatform(); }

void setPlatform(Platform* replacement) { installedPlatform = replacement; }

void* Platform::allocateLarge(size_t size) { return ::operator new(size, std::nothrow); }

void Platform::releaseLarge(void* block, size_t) { ::operator delete(block); }
