#!/usr/bin/env bash
# The Windows step: builds the i686 tinker.dll for FAR and checks its exports and imports (its
# record layouts are static assertions of that compile), then builds it again with the test host
# in a tree of its own and runs every Windows case on it under Wine.
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

# The Wine cases run on the product itself, the i686 DLL, in wine64's WoW64 mode with Wine's
# own i386 DLLs beside it. The x86_64 build adds nothing there (no FAR runs it, and it has one
# calling convention and no 2-byte packing to get wrong), so it runs only where 32-bit Windows
# code cannot: then the Windows code is still exercised.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d"
# A killed case would leave the child, the console host and the server behind.
trap '"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null' EXIT

# Wine's i386 PE DLLs from Debian's libwine:i386, fetched with an apt state of our own: the i386
# architecture is never added to the system (an inconsistent i386 index would break every
# apt-get update). Prints the folder to give WINEDLLPATH, or nothing.
fetch_wine_i386() {
  local folder="$TINKER_ROOT/out/wine-i386"
  local dlls="$folder/lib/i386-linux-gnu/wine"
  if [ ! -d "$dlls/i386-windows" ]; then
    mkdir -p "$folder/lists/partial" "$folder/cache/archives/partial"
    local apt_options=(-o Dir::State::Lists="$folder/lists" -o Dir::Cache="$folder/cache" -o APT::Architectures::=i386)
    # One i386 index may be mid-sync: the package can still be found.
    apt-get "${apt_options[@]}" update -qq >/dev/null 2>&1 || true
    if ! ls "$folder"/libwine_*_i386.deb >/dev/null 2>&1; then
      (cd "$folder" && apt-get "${apt_options[@]}" download libwine:i386 >/dev/null 2>&1) || return 0
    fi
    local package
    package=$(ls "$folder"/libwine_*_i386.deb | head -n 1)
    dpkg-deb --fsys-tarfile "$package" | tar -x -C "$folder" --strip-components=2 \
      ./usr/lib/i386-linux-gnu/wine/i386-windows || return 0
  fi
  echo "$dlls"
}

# Makes the prefix once; WINEDLLPATH must be set before, or its syswow64 stays empty for good.
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    timeout 300 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  # One server for the run, its services started away from the log's pipe.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  timeout 120 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

# Runs every case of one build's test host: run_wine_cases NAME TREE
run_wine_cases() {
  local name="$1" tree="$2"
  local log="$tree/wine-cases.log" status
  set +e
  timeout 300 "$WINE" "$tree/bin/wine_tests.exe" </dev/null >"$log" 2>&1
  status=$?
  set -e
  cat "$log"
  # Exit codes come back from Wine cut to a byte: the summary line must say it too.
  if [ $status -ne 0 ] || ! grep -Eq "^$name: SUMMARY: [0-9]+ passed, 0 failed" "$log"; then
    echo "$name: Windows cases failed (exit $status)" >&2
    exit 1
  fi
}

echo "== Windows i686 module and test host"
TINKER_BUILD_TYPE=Release configure_tree out/win32-tests \
  -DCMAKE_TOOLCHAIN_FILE="$TINKER_ROOT/cmake/mingw-i686.cmake" -DTINKER_TESTS=OFF -DTINKER_WINE_TESTS=ON
cmake --build out/win32-tests -j "$JOBS" --target tinker_module wine_tests output_child
check_dll i686-w64-mingw32-objdump out/win32-tests/bin/tinker.dll

i686_skipped=""
wine_i386=$(fetch_wine_i386)
if [ -z "$wine_i386" ]; then
  i686_skipped="Wine's i386 DLLs (libwine:i386) could not be fetched"
else
  export WINEDLLPATH="$wine_i386" WINEPREFIX="$TINKER_ROOT/out/wine-i686"
  prepare_prefix
  # A kernel without a 32-bit compatibility mode cannot run i686 code this way at all.
  printf 'int main() { return 42; }\n' >out/win32-tests/trivial.c
  i686-w64-mingw32-gcc -static -o out/win32-tests/trivial.exe out/win32-tests/trivial.c
  set +e
  timeout 60 "$WINE" out/win32-tests/trivial.exe </dev/null >out/win32-tests/trivial.log 2>&1
  trivial_status=$?
  set -e
  if [ $trivial_status -ne 42 ]; then
    i686_skipped="a trivial static i686 program does not run here (exit $trivial_status: $(head -c 200 out/win32-tests/trivial.log))"
  fi
fi

if [ -z "$i686_skipped" ]; then
  echo "== Windows cases under Wine on the i686 DLL"
  run_wine_cases i686 out/win32-tests
  exit 0
fi

echo "i686: the Windows cases were skipped: $i686_skipped"
"$WINESERVER" -k 2>/dev/null || true
unset WINEDLLPATH
echo "== Windows x86_64 module and test host, in their place"
TINKER_BUILD_TYPE=Release configure_tree out/win64 \
  -DCMAKE_TOOLCHAIN_FILE="$TINKER_ROOT/cmake/mingw-x86_64.cmake" -DTINKER_TESTS=OFF -DTINKER_WINE_TESTS=ON
cmake --build out/win64 -j "$JOBS" --target tinker_module wine_tests output_child
check_dll x86_64-w64-mingw32-objdump out/win64/bin/tinker.dll
export WINEPREFIX="$TINKER_ROOT/out/wine64"
prepare_prefix
run_wine_cases x86_64 out/win64
