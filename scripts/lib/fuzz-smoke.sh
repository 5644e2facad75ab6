#!/usr/bin/env bash
# The short fuzzing run of the test command: each target a few seconds on its corpus, so that
# a change that makes a known input crash, or that a few seconds of fuzzing can break, fails.
source "$(dirname "$0")/common.sh"
"$TINKER_ROOT/scripts/fuzz" "${TINKER_FUZZ_SMOKE_SECONDS:-5}"
