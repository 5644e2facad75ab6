# Drives `tinker` in a private tmux server at a fixed size for the end-to-end tests.
# Usage: source this file with the build's bin directory as $1.
set -euo pipefail

BIN_DIR="$(cd "$1" && pwd)"
TINKER="$BIN_DIR/tinker"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/tinker-e2e.XXXXXX")"
SOCKET="tinker-e2e-$$"
WIDTH=100
HEIGHT=30
TIMEOUT_SECONDS=${TINKER_E2E_TIMEOUT:-20}
# Tests must not depend on the user's editor: F4 in the viewer runs this recorder.
FAKE_EDITOR="$WORK/fake-editor"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/editor-arguments"\n' "$WORK" > "$FAKE_EDITOR"
chmod +x "$FAKE_EDITOR"

cleanup() {
    tmux -L "$SOCKET" kill-server >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT

tm() { tmux -L "$SOCKET" -f /dev/null "$@"; }

# start_tinker DIRECTORY [ARGUMENTS...]: runs tinker there; its exit code goes to $WORK/status
# and its standard error (sanitizer reports included) to $WORK/stderr.
start_tinker() {
    local directory="$1"
    shift
    local command="cd '$directory' && '$TINKER'"
    local argument
    for argument in "$@"; do command+=" '$argument'"; done
    command+=" 2>'$WORK/stderr'; echo \$? > '$WORK/status'; sleep 600"
    rm -f "$WORK/status"
    tm new-session -d -x "$WIDTH" -y "$HEIGHT" -e LC_ALL=C.UTF-8 -e EDITOR="$FAKE_EDITOR" -e HOME="${TINKER_E2E_HOME:-$HOME}" \
        -e ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" "$command"
}

send() { tm send-keys "$@"; }
type_text() { tm send-keys -l "$1"; }
screen_text() { tm capture-pane -p; }
screen_row() { screen_text | sed -n "$(($1 + 1))p"; }
pane_title() { tm display-message -p '#{pane_title}'; }

fail() {
    echo "FAIL: $*" >&2
    echo "---- screen ----" >&2
    screen_text >&2 || true
    echo "---- stderr ----" >&2
    cat "$WORK/stderr" >&2 2>/dev/null || true
    exit 1
}

# wait_until DESCRIPTION COMMAND...: polls until the command succeeds.
wait_until() {
    local description="$1"
    shift
    local deadline=$((SECONDS + TIMEOUT_SECONDS))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for: $description"
        sleep 0.1
    done
}

not_on_screen() { ! screen_has "$1"; }
screen_width_is() { [ "$(screen_row 0 | wc -m)" -eq $(($1 + 1)) ]; }
screen_has() { screen_text | grep -qF -- "$1"; }
row_has() { screen_row "$1" | grep -qF -- "$2"; }
wait_for() { wait_until "'$1' on the screen" screen_has "$1"; }
wait_for_row() { wait_until "'$2' in row $1" row_has "$1" "$2"; }

# colors_of TEXT: the SGR foreground and background in effect where TEXT first starts on the
# screen, e.g. "91 40" (39 and 49: the terminal's defaults).
colors_of() {
    tm capture-pane -p -e | awk -v wanted="$1" '
        function apply(text,   count, codes, i, code) {
            while (match(text, /\033\[[0-9;]*m/)) {
                count = split(substr(text, RSTART + 2, RLENGTH - 3), codes, ";")
                if (count == 0) { fg = 39; bg = 49 }
                for (i = 1; i <= count; i++) {
                    code = codes[i] + 0
                    if (code == 0) { fg = 39; bg = 49 }
                    else if ((code >= 30 && code <= 37) || (code >= 90 && code <= 97) || code == 39) fg = code
                    else if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107) || code == 49) bg = code
                }
                text = substr(text, RSTART + RLENGTH)
            }
        }
        BEGIN { fg = 39; bg = 49 }
        {
            position = index($0, wanted)
            if (!position) { apply($0); next }
            apply(substr($0, 1, position - 1))
            print fg, bg
            exit
        }'
}

colors_are() { [ "$(colors_of "$1")" = "$2" ]; }
title_is() { [ "$(pane_title)" = "$1" ]; }
title_starts() { [[ "$(pane_title)" == "$1"* ]]; }
wait_for_colors() { wait_until "'$1' in colours '$2'" colors_are "$1" "$2"; }

# From a viewer or editor: F11, the plug-in, "Build this file", then the third build command
# (make in the test configurations).
build_this_file_with_make() {
    send F11
    wait_for "Plugins"
    send Enter
    wait_for "Build this file"
    send 3
    wait_for "Choose a build command"
    send 3
}

expect_colors() {
    local actual
    actual="$(colors_of "$1")"
    [ "$actual" = "$2" ] || fail "'$1' has colours '$actual', expected '$2'"
}

# Ends tinker with F10 from its panel and checks that it left cleanly.
quit_tinker() {
    send F10
    wait_until "tinker to exit" test -s "$WORK/status"
    [ "$(cat "$WORK/status")" = 0 ] || fail "tinker exited with $(cat "$WORK/status")"
    if [ -s "$WORK/stderr" ]; then fail "tinker wrote to standard error"; fi
}

# A module directory of our own, whose configuration a test may change.
make_module_copy() {
    local directory="$1"
    mkdir -p "$directory"
    cp "$BIN_DIR/tinker.so" "$BIN_DIR/tinker.lng" "$BIN_DIR/tinker.hlf" "$directory/"
}
