#!/usr/bin/env bash
# The terminal host's rooms depend one way: each includes only the rooms below it, so that the
# widgets know nothing of the windows and the windows nothing of the services. Fails on any
# include that points up, on an include that does not name its room, and on a file outside a room.
set -uo pipefail
HOST_DIR="$(cd "$(dirname "$0")/../../host" && pwd)"
ROOMS=(terminal widgets windows services app)
failures=0

rank() {
    local i
    for i in "${!ROOMS[@]}"; do
        if [ "${ROOMS[$i]}" = "$1" ]; then
            echo "$i"
            return
        fi
    done
    echo -1
}

for file in "$HOST_DIR"/*; do
    case "$(basename "$file")" in
        CMakeLists.txt) ;;
        *) [ "$(rank "$(basename "$file")")" -ge 0 ] || { echo "FAIL: $file is in no room"; failures=$((failures + 1)); } ;;
    esac
done

for room in "${ROOMS[@]}"; do
    own=$(rank "$room")
    for file in "$HOST_DIR/$room"/*.h "$HOST_DIR/$room"/*.cpp; do
        [ -e "$file" ] || continue
        while IFS= read -r included; do
            first="${included%%/*}"
            if [ "$first" = "$included" ]; then
                echo "FAIL: ${file#$HOST_DIR/} includes \"$included\" without naming its room"
                failures=$((failures + 1))
                continue
            fi
            other=$(rank "$first")
            if [ "$other" -gt "$own" ]; then
                echo "FAIL: ${file#$HOST_DIR/} ($room) includes \"$included\" from a room above it"
                failures=$((failures + 1))
            fi
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done
done

if [ "$failures" -gt 0 ]; then
    echo "$failures fault(s) in the order of the rooms"
    exit 1
fi
echo "rooms in order: ${ROOMS[*]}"
