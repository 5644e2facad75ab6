#!/usr/bin/env bash
# The plug-ins menu (F11 on the panel): load a saved output from the file under the cursor,
# then save the output to a file named in the input box, with an environment reference.
source "$(dirname "$0")/tmux_driver.sh" "$1"

PROJECT="$WORK/project"
mkdir -p "$PROJECT" "$WORK/saved"
cat > "$PROJECT/build.log" <<'LOG'
Compiling the parts
main.c:7:3: error: 'count' undeclared
main.c:9:1: warning: control reaches end of non-void function
All done
LOG
TINKER_E2E_HOME="$WORK/saved" start_tinker "$PROJECT"
wait_for "build.log"
# The panel: "..", then build.log.
send Down
wait_for_row 26 "build.log"

send F11
wait_for "Plugins"
send Enter
wait_for "Load output from file"
send 4
# gcc and make both recognise the lines: the parser is chosen from a menu.
wait_for "Choose an output parser"
screen_has "2 gcc" || fail "gcc is not offered"
send 2
wait_for "All done"
wait_for_colors "Compiling the parts" "30 47"
expect_colors "main.c:7:3: error" "91 40"
expect_colors "main.c:9:1: warning" "93 40"
# F8 steps to the error; Esc closes the window.
send F8
wait_for_colors "main.c:7:3: error" "30 101"
send Escape
wait_for "build.log"

# Save the output: the input box expands $HOME (tinker runs with $WORK/saved as its home).
send F11
wait_for "Plugins"
send Enter
wait_for "Save output to file"
send 5
wait_for "Save the output to the file:"
type_text "\$HOME/copy.txt"
send Enter
wait_until "the saved output" test -s "$WORK/saved/copy.txt"
diff "$PROJECT/build.log" "$WORK/saved/copy.txt" >/dev/null || fail "the saved output differs: $(cat "$WORK/saved/copy.txt")"
wait_for "build.log"

# Cancelling the input box saves nothing.
send F11
wait_for "Plugins"
send Enter
wait_for "Save output to file"
send 5
wait_for "Save the output to the file:"
type_text "never.txt"
send Escape
wait_until "the input box to close" not_on_screen "Save the output to the file:"
[ ! -e "$PROJECT/never.txt" ] || fail "a cancelled save wrote a file"
quit_tinker
echo "output files test passed"
