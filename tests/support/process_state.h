#pragma once

#include <sys/types.h>

// Whether the process is alive and not a zombie, as /proc tells.
bool processRunning(pid_t pid);
