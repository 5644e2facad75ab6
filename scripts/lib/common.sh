# Shared by the scripts: the project root, package installation and the plain build.
set -euo pipefail
TINKER_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$TINKER_ROOT"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Installs the Debian packages that are missing (only possible as root).
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  if [ -z "${TINKER_APT_UPDATED:-}" ]; then
    apt-get update -qq
    export TINKER_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake make g++ libgtest-dev)

# Configures one tree: configure_tree DIR [cmake options...]
configure_tree() {
  local directory="$1"
  shift
  cmake -S "$TINKER_ROOT" -B "$directory" -DCMAKE_BUILD_TYPE="${TINKER_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
}

# Configures and builds one tree whole: configure_and_build DIR [cmake options...]
configure_and_build() {
  configure_tree "$@"
  cmake --build "$1" -j "$JOBS"
}
