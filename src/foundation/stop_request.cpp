#include "foundation/stop_request.h"

#include <atomic>

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

void SetStopRequested(bool requested) { stopRequested.store(requested, std::memory_order_relaxed); }

bool StopRequested() { return stopRequested.load(std::memory_order_relaxed); }
