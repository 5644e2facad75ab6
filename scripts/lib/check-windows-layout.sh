#!/usr/bin/env bash
# Our declarations of the host's records must have the host's 32-bit layout; the static
# assertions in the header fail this compile when they do not.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
for compiler in i686-w64-mingw32-g++ x86_64-w64-mingw32-g++; do
  echo '#include "far/plugin_api.h"' |
    "$compiler" -std=c++17 -Wall -Wextra -Werror -I"$root/src" -x c++ -fsyntax-only -
  echo "host records: $compiler layout checked"
done
