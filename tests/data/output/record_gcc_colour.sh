#!/bin/sh
# Records gcc's diagnostics for one faulty file twice, plain and colour-forced, for the test
# that a coloured build is classified exactly like a plain one. Needs gcc (apt-get install gcc).
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/colours.c" <<'SOURCE'
static int unused(void) { return 1; }
int main(void) {
    int x;
    undeclared = 3;
    return x + "text";
}
SOURCE
cd "$work"
gcc -Wall -c colours.c -fdiagnostics-color=never >"$here/gcc_plain.txt" 2>&1 || true
gcc -Wall -c colours.c -fdiagnostics-color=always >"$here/gcc_colour.txt" 2>&1 || true
