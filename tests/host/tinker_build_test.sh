#!/usr/bin/env bash
# A build from the command line, the jump into the viewer, a build from the viewer with the
# output as a band under it, F8 moving the viewer along, the external editor key, resizes.
source "$(dirname "$0")/tmux_driver.sh" "$1"

cp -r "$(dirname "$0")/../../examples" "$WORK/examples"
PROJECT="$WORK/examples"
start_tinker "$PROJECT"
wait_for "Makefile"

# The command line: make:hello.c offers the commands for C files; 3 is make.
type_text "make:hello.c"
send Enter
wait_for "Choose a build command"
send 3
wait_for "make: Target 'hello' not remade because of errors."
wait_until "the output window's title and verdict" title_starts "Tinker: build output - exit 2, 4 errors, 3 warnings, "
# The first error is selected (its colours swapped), the rest in their own colours.
wait_for_colors 'hello.c:12:38: error' "30 101"
expect_colors "hello.c:9:9: warning" "93 40"
expect_colors "src/util.c:13:24: error" "91 40"
expect_colors "src/util.c:9:19: warning" "93 40"
expect_colors "gcc -Wall -Wextra   -c -o src/util.o" "37 40"

# Enter lands in the viewer at the error's line and column.
send Enter
wait_for_row 0 "$PROJECT/hello.c"
wait_for_row 0 "Line 12/14  Col 38"
screen_row 12 | grep -qF 'printf("%d greeting(s)\n", count)' || fail "line 12 is not in row 12"

# From the viewer, "Build this file" with make. The output takes the bottom
# 20 rows, the viewer stays above it.
build_this_file_with_make
wait_for_colors 'hello.c:12:38: error' "30 101"
band_top=$((HEIGHT - 20))
wait_for_row "$band_top" "gcc -Wall -Wextra   -c -o hello.o hello.c"
screen_row $((band_top - 1)) | grep -qF "int unused;" || fail "the viewer does not show above the band"

# F8: the next error or warning; the viewer follows while the band stays.
send F8
wait_for_row 0 "Line 9/14  Col 9"
wait_for_colors 'hello.c:9:9: warning' "30 103"
row_has "$band_top" "gcc -Wall -Wextra   -c -o hello.o hello.c" || fail "the band moved"
# Two more: make's own message (no file: the viewer stays), then src/util.c opens.
send F8
send F8
wait_for_row 0 "$PROJECT/src/util.c"
wait_for_row 0 "Line 9/14  Col 19"
row_has "$band_top" "gcc -Wall -Wextra   -c -o hello.o hello.c" || fail "the band moved"
# Shift+F8 goes back to make's message, Esc closes the band.
send S-F8
wait_for_colors 'make: *** [<builtin>: hello.o]' "30 101"
send Escape
wait_until "the band to close" not_on_screen "not remade"
# A band redrawn after a step is blank for a moment: the key bar back proves it closed.
wait_for_row $((HEIGHT - 1)) "4Editor"
wait_for_row 0 "$PROJECT/src/util.c"

# The viewer hands the file to $EDITOR at the cursor's line.
send F4
wait_until "the editor to run" test -s "$WORK/editor-arguments"
[ "$(cat "$WORK/editor-arguments")" = "$(printf '+9\n%s' "$PROJECT/src/util.c")" ] ||
    fail "the editor got: $(cat "$WORK/editor-arguments")"
wait_for_row 0 "$PROJECT/src/util.c"

# Two viewers are open besides the panel; Esc closes them one by one.
send F12
wait_for "Screens"
screen_has "Edit    $PROJECT/hello.c" || fail "hello.c's viewer is not in the window list"
# (Two Escapes in a row would reach the host as one key: wait in between.)
send Escape
wait_until "the window list to close" not_on_screen "Edit    $PROJECT/hello.c"
send Escape
wait_for_row 0 "$PROJECT/hello.c"
send Escape
wait_for "Makefile"

# A smaller terminal is picked up.
tm resize-window -x 80 -y 24
wait_until "the panel at 80 columns" screen_width_is 80
wait_for_row 23 "10Quit"
# So is one that happens while a shell command has the terminal.
type_text "true"
send Enter
wait_for "Press any key to return to tinker"
tm resize-window -x 90 -y 26
sleep 0.3
send Space
wait_until "the panel at 90 columns" screen_width_is 90
wait_for_row 25 "10Quit"
quit_tinker
echo "build test passed"
