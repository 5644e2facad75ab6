#!/usr/bin/env bash
# The Windows step: builds the i686 tinker.dll for FAR and checks its exports and imports (its
# record layouts are static assertions of that compile), then builds the x86_64 module with the
# test host and runs every Windows case under Wine.
source "$(dirname "$0")/common.sh"

WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# The module must export exactly the four entry points, undecorated, and import only from the
# system's own libraries: -static leaves nothing to ship beside it.
check_dll() {
  local objdump="$1" dll="$2"
  local exports imports
  exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk '/^\t\[/ {print $3}' | sort | tr '\n' ' ')
  if [ "$exports" != "ExitFAR GetPluginInfo OpenPlugin SetStartupInfo " ]; then
    echo "$dll exports: $exports" >&2
    echo "expected exactly: ExitFAR GetPluginInfo OpenPlugin SetStartupInfo" >&2
    return 1
  fi
  imports=$("$objdump" -p "$dll" | awk '/DLL Name:/ {print toupper($3)}' | sort | tr '\n' ' ')
  local library
  for library in $imports; do
    case "$library" in
      KERNEL32.DLL | USER32.DLL | WINMM.DLL | MSVCRT.DLL) ;;
      *)
        echo "$dll needs $library beside it" >&2
        return 1
        ;;
    esac
  done
  echo "$dll: exports $exports; imports $imports"
}

missing=()
for package in "${WINDOWS_PACKAGES[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" -ne 0 ]; then
  echo "skipping the Windows step: missing ${missing[*]} (run as root to install them)"
  exit 0
fi
ensure_packages "${WINDOWS_PACKAGES[@]}"

echo "== Windows i686 module for FAR"
TINKER_BUILD_TYPE=Release configure_and_build out/win32 \
  -DCMAKE_TOOLCHAIN_FILE="$TINKER_ROOT/cmake/mingw-i686.cmake" -DTINKER_TESTS=OFF
check_dll i686-w64-mingw32-objdump out/win32/bin/tinker.dll
echo "host record layouts: checked by the i686 compile"

echo "== Windows x86_64 module and test host"
TINKER_BUILD_TYPE=Release configure_and_build out/win64 \
  -DCMAKE_TOOLCHAIN_FILE="$TINKER_ROOT/cmake/mingw-x86_64.cmake" -DTINKER_TESTS=OFF -DTINKER_WINE_TESTS=ON
check_dll x86_64-w64-mingw32-objdump out/win64/bin/tinker.dll

echo "== Windows cases under Wine"
export WINEPREFIX="$TINKER_ROOT/out/wine64" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d"
# A killed case would leave the child, the console host and the server behind.
trap '"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  timeout 300 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w
fi
# One server for the whole step, its services started away from the log's pipe.
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
timeout 120 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true

log=out/win64/wine-cases.log
set +e
timeout 300 "$WINE" out/win64/bin/wine_tests.exe </dev/null >"$log" 2>&1
status=$?
set -e
cat "$log"
# Exit codes come back from Wine cut to a byte: the summary line must say it too.
if [ $status -ne 0 ] || ! grep -Eq '^SUMMARY: [0-9]+ passed, 0 failed' "$log"; then
  echo "Windows cases failed (exit $status)" >&2
  exit 1
fi
