#!/usr/bin/env bash
# The module must export exactly the four entry points.
set -euo pipefail
module="$1"
exported=$(nm -D --defined-only "$module" | awk '$2 ~ /^[TtWwDdBbVvRr]$/ {print $3}' | sort | tr '\n' ' ')
expected="ExitFAR GetPluginInfo OpenPlugin SetStartupInfo "
if [ "$exported" != "$expected" ]; then
  echo "$module exports: $exported" >&2
  echo "expected exactly: $expected" >&2
  exit 1
fi
echo "exports of $module: $exported"
