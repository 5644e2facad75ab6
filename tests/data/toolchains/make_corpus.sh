#!/usr/bin/env bash
# Remakes the corpus of real toolchain output that the default configuration is tested against:
# installs Debian's toolchains, builds our small broken programs with each, and writes what they
# printed, line by line, beside the kind and place each line must be given. The tests read only the
# committed corpus; run this again after changing make_corpus.py or on a newer Debian.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends gcc g++ clang clang-tools binutils make cmake ninja-build python3 \
    rustc cargo golang default-jdk-headless node-typescript perl gfortran
# Debian's own tools first, whatever else the machine has on its path.
export PATH="/usr/bin:/bin:/usr/sbin:/sbin:/usr/lib/llvm-14/bin"
export LC_ALL=C.UTF-8
exec /usr/bin/python3 "$here/make_corpus.py" "$here/corpus"
