#!/usr/bin/env bash
# F8 from the output band under the viewer, on a recursive make: a header reached through ../
# opens in a new viewer with its line in view above the band, on the character gcc's caret
# marks in a tab-indented line.
source "$(dirname "$0")/tmux_driver.sh" "$1"

PROJECT="$WORK/project"
mkdir -p "$PROJECT/app" "$PROJECT/include"
printf 'all:\n\t$(MAKE) -C app\n' > "$PROJECT/Makefile"
printf 'all:\n\tgcc -Wall -Wextra -c main.c -o main.o\n' > "$PROJECT/app/Makefile"
printf 'int broken(void) { return missing; }\n#include "../include/inner.h"\nint main(void) { return inner(1u, -1); }\n' \
    > "$PROJECT/app/main.c"
{
    for i in $(seq 1 37); do printf '/* filler %d */\n' "$i"; done
    printf 'static inline int inner(unsigned u, int i)\n{\n\treturn\tu < i;\n}\n'
    for i in $(seq 42 60); do printf '/* filler %d */\n' "$i"; done
} > "$PROJECT/include/inner.h"

start_tinker "$PROJECT"
wait_for "Makefile"
type_text "make:Makefile"
send Enter
wait_for "Choose a build command"
send 1
wait_for_colors "main.c:1:27: error" "30 101"
send Enter
wait_for_row 0 "$PROJECT/app/main.c"

# "Build this file" from the viewer runs make in the current folder: the top makefile.
build_this_file_with_make
wait_for_colors "main.c:1:27: error" "30 101"
band_top=$((HEIGHT - 20))

# F8 passes over the notes to the header's warning, "../include/inner.h:40:19", which is
# relative to app/, where make said it went.
send F8
wait_for_row 0 "$PROJECT/include/inner.h"
wait_for_row 0 "Line 40/60  Col 11"
row_has 2 "return  u < i;" || fail "line 40 is not under one line of context"
row_has 1 "{" || fail "the context line is not line 39"
[ "$band_top" -gt 2 ] || fail "the band leaves no room"
row_has "$band_top" "make -C app" || row_has "$band_top" "Entering directory" || fail "the band moved"
# The cursor stands on the "<": the 19th screen column, under the viewer's tabs of eight.
[ "$(tm display-message -p '#{cursor_x} #{cursor_y}')" = "18 2" ] ||
    fail "the cursor is at $(tm display-message -p '#{cursor_x} #{cursor_y}')"
send Escape
wait_until "the band to close" not_on_screen "Entering directory"
# (Two Escapes in a row would reach the host as one key: wait in between.)
send Escape
wait_for_row 0 "$PROJECT/app/main.c"
send Escape
wait_for "Makefile"
quit_tinker
echo "band test passed"
