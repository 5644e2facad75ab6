#!/usr/bin/env bash
# tinker's batch modes: what they print and how they exit.
set -uo pipefail
BIN_DIR="$(cd "$1" && pwd)"
TINKER="$BIN_DIR/tinker"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/tinker-batch.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
failures=0

# check NAME EXPECTED_EXIT EXPECTED_STDOUT -- COMMAND...: runs the command (standard input
# from $WORK/stdin when it exists) and compares its exit code and output.
check() {
    local name="$1" expected_exit="$2" expected_output="$3"
    shift 4
    local output status
    if [ -e "$WORK/stdin" ]; then
        output="$("$@" < "$WORK/stdin" 2>"$WORK/stderr")"
    else
        output="$("$@" < /dev/null 2>"$WORK/stderr")"
    fi
    status=$?
    if [ "$status" != "$expected_exit" ] || [ "$output" != "$expected_output" ]; then
        echo "FAIL: $name: exit $status (expected $expected_exit)"
        diff <(printf '%s\n' "$expected_output") <(printf '%s\n' "$output") | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

stderr_has() {
    if ! grep -qF -- "$2" "$WORK/stderr"; then
        echo "FAIL: $1: standard error lacks '$2': $(cat "$WORK/stderr")"
        failures=$((failures + 1))
    fi
}

TAB=$'\t'

# --match: spans of every group, groups that took no part, several subjects.
check "match with groups" 0 "match
0 0 10
1 0 6
2 7 9" -- "$TINKER" --match '/^(.+?):(\d+):/' 'main.c:42: error'
check "group without part" 0 "match
0 0 1
1 -1 -1" -- "$TINKER" --match '/(a)|b/' b
check "one subject fails" 1 "match
0 0 1
no match" -- "$TINKER" --match '/a/i' A b
check "match limit" 1 "match limit exceeded" -- "$TINKER" --match '/(a|a)*x/' 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaay x'
# A pattern that does not compile: the caret stands under the place, inside or outside the
# delimiters as the position counts.
check "unbalanced group" 2 "error 3 at 1
/a(b/
  ^" -- "$TINKER" --match '/a(b/' x
check "unknown option letter" 2 "error 5 at 4
/ab/q
    ^" -- "$TINKER" --match '/ab/q' x
check "no delimiter" 2 "error 2 at 0
ab
^" -- "$TINKER" --match 'ab' x
check "no closing delimiter" 2 "error 2 at 2
/ab
  ^" -- "$TINKER" --match '/ab' x
check "subjects that look like options" 0 "match
0 0 3" -- "$TINKER" --match '/--\w/' '--help'

# --classify: a file, standard input, the default and another configuration.
printf 'cc -c x.c\nx.c:3:7: error: bad\r\nx.c:9: warning: odd\tthing\n' > "$WORK/output.txt"
check "classify a file" 0 "-${TAB}${TAB}0${TAB}-1${TAB}cc -c x.c
E${TAB}x.c${TAB}3${TAB}7${TAB}x.c:3:7: error: bad
W${TAB}x.c${TAB}9${TAB}-1${TAB}x.c:9: warning: odd thing" -- "$TINKER" --classify gcc "$WORK/output.txt"
cp "$WORK/output.txt" "$WORK/stdin"
check "classify standard input" 0 "$("$TINKER" --classify gcc "$WORK/output.txt")" -- "$TINKER" --classify gcc
check "classify standard input by -" 0 "$("$TINKER" --classify gcc "$WORK/output.txt")" -- "$TINKER" --classify gcc -
rm "$WORK/stdin"
check "unknown parser" 2 "" -- "$TINKER" --classify nosuch "$WORK/output.txt"
stderr_has "unknown parser" "unknown parser 'nosuch'"
stderr_has "unknown parser" "cmake, gcc, gfortran, go, java, make, msvc, ninja, perl, python, rust, tsc"
check "unreadable input" 2 "" -- "$TINKER" --classify gcc "$WORK/missing.txt"
stderr_has "unreadable input" "cannot read $WORK/missing.txt"
check "a folder as input" 2 "" -- "$TINKER" --classify gcc "$WORK"
stderr_has "a folder as input" "cannot read $WORK: Is a directory"
# A lone CR keeps what follows it, as in a build; a last line that a CR ends is dropped.
printf 'progress 10%%\rx.c:1:2: error: e\r\nplain\r\r\nlast\r' > "$WORK/progress.txt"
check "carriage returns as a build has them" 0 "E${TAB}x.c${TAB}1${TAB}2${TAB}x.c:1:2: error: e
-${TAB}${TAB}0${TAB}-1${TAB}" -- "$TINKER" --classify gcc "$WORK/progress.txt"
# Output that cannot be written is a failure, in every batch mode.
check "classify into a full disk" 2 "" -- sh -c '"$0" --classify gcc "$1" > /dev/full' "$TINKER" "$WORK/output.txt"
check "check-config into a full disk" 2 "" -- sh -c '"$0" --check-config > /dev/full' "$TINKER"
check "match into a full disk" 2 "" -- sh -c '"$0" --match /a/ a > /dev/full' "$TINKER"
mkfifo "$WORK/fifo.xml"
check "check-config of a FIFO" 1 "$WORK/fifo.xml
problem: not a regular file" -- "$TINKER" --check-config "$WORK/fifo.xml"
cat > "$WORK/own.xml" <<'XML'
<tinker-config>
  <parsers><lint><warning pattern="/^LINT (\w+) (\d+)/" file="1" line="2"/></lint></parsers>
  <types><filetype filename="/x/"><command name="n" parser="lint">true</command></filetype></types>
</tinker-config>
XML
printf 'LINT main 12\n' > "$WORK/lint.txt"
check "classify with --config" 0 "W${TAB}main${TAB}12${TAB}-1${TAB}LINT main 12" -- \
    "$TINKER" --config "$WORK/own.xml" --classify lint "$WORK/lint.txt"
check "missing configuration" 2 "" -- "$TINKER" --config "$WORK/none.xml" --classify gcc "$WORK/lint.txt"

# --check-config: the shipped configuration is clean; a broken one lists every problem.
check "shipped configuration" 0 "$BIN_DIR/tinker.xml
parsers: 12 (cmake, gcc, gfortran, go, java, make, msvc, ninja, perl, python, rust, tsc)
file types: 16
commands: 34
prefixes: 12 (gcc, clang, cl, gpp, clangpp, gfortran, py, rustc, go, javac, tsc, perl)
no problems" -- "$TINKER" --check-config
cat > "$WORK/broken.xml" <<'XML'
<tinker-config>
  <parsers>
    <good><error pattern="/^E (\w+)/" file="1" line=""/></good>
    <bad><error pattern="/^(unclosed/" file="1" line="2"/></bad>
  </parsers>
  <types>
    <filetype filename="/[a-/"><command name="x" parser="good">x</command></filetype>
    <filetype filename="/\.c$/">
      <command name="no parser">cc</command>
      <command name="typo" parser="goood" prefix="ty">cc</command>
    </filetype>
  </types>
</tinker-config>
XML
# The plug-in's own messages first, then each problem at its place and why.
check "broken configuration" 1 "$WORK/broken.xml
problem: Invalid entry in parser bad: it is disabled
problem: Invalid file name pattern: /[a-/
problem: A command lacks its name or parser attribute
problem: line 4, column 28: parser bad, error entry 1: the pattern /^(unclosed/ does not compile: a bracket or parenthesis is not closed or not opened (at its character 3), which disables the parser
problem: line 7, column 26: file type 1 /[a-/: the pattern /[a-/ does not compile: a bracket or parenthesis is not closed or not opened (at its character 2), so the file type is ignored
problem: line 9, column 7: file type 2 /\.c$/, command 1 \"no parser\": it has no parser= attribute and is ignored
problem: line 10, column 36: file type 2 /\.c$/, command 2 \"typo\": the parser goood is not defined, so no line of its output is classified
parsers: 1 (good)
file types: 1
commands: 1
prefixes: 1 (ty)
7 problem(s)" -- "$TINKER" --check-config "$WORK/broken.xml"
# What the loader ignores without a word is warned about; warnings alone still pass.
cat > "$WORK/misspelt.xml" <<'XML'
<tinker-config>
  <parsers><p><error pattern="/^E/" file="" line=""/><eror pattern="/^X/" file="" line=""/></p></parsers>
  <types><filetype filename="/x/"><command name="n" parser="p" prefx="a" prefix="Up">true</command></filetype></types>
</tinker-config>
XML
check "unknown names and unreachable prefixes" 0 "$WORK/misspelt.xml
warning: line 2, column 54: parser p: unknown element <eror> is ignored (an entry is <error> or <warning>)
warning: line 3, column 64: file type 1 /x/, command 1 \"n\": unknown attribute prefx= is ignored (known: name, parser, prefix)
warning: line 3, column 82: file type 1 /x/, command 1 \"n\": the prefix Up can never be reached, as typed prefixes are looked up in lower case; write it in lower case
parsers: 1 (p)
file types: 1
commands: 1
prefixes: 1 (Up)
no problems, 3 warning(s)" -- "$TINKER" --check-config "$WORK/misspelt.xml"
check "configuration given by --config" 1 "$("$TINKER" --check-config "$WORK/broken.xml")" -- \
    "$TINKER" --config "$WORK/broken.xml" --check-config
printf '<tinker-config><parsers>' > "$WORK/cut.xml"
check "not XML" 1 "$WORK/cut.xml
problem: line 1, column 25: the file is not well-formed XML: the text ends inside a tag, comment or element" -- \
    "$TINKER" --check-config "$WORK/cut.xml"
check "unreadable" 1 "$WORK/none.xml
problem: the file cannot be read" -- "$TINKER" --check-config "$WORK/none.xml"
printf '<tinker-confg><parsers><p/></parsers></tinker-confg>' > "$WORK/root.xml"
check "misspelt root element" 1 "$WORK/root.xml
problem: line 1, column 1: the root element is <tinker-confg>, not <tinker-config>: nothing in the file is read
parsers: 0 ()
file types: 0
commands: 0
prefixes: 0 ()
1 problem(s)" -- "$TINKER" --check-config "$WORK/root.xml"
printf '<tinker-config><types><filetype filename="/x/"/></types></tinker-config>' > "$WORK/noparsers.xml"
check "no parsers section" 1 "$WORK/noparsers.xml
problem: there is no <parsers> section with a parser in it: nothing is classified and the file types are not read
parsers: 0 ()
file types: 0
commands: 0
prefixes: 0 ()
1 problem(s)" -- "$TINKER" --check-config "$WORK/noparsers.xml"

# --help names every mode; a wrong command line is exit 2.
help="$("$TINKER" --help)" || { echo "FAIL: --help exit"; failures=$((failures + 1)); }
for mode in "--classify PARSER [FILE]" "--check-config [FILE]" "--match PATTERN SUBJECT..." "--module PATH" "--config FILE"; do
    grep -qF -- "$mode" <<< "$help" || { echo "FAIL: --help lacks $mode"; failures=$((failures + 1)); }
done
check "unknown option" 2 "" -- "$TINKER" --frobnicate
check "classify without parser" 2 "" -- "$TINKER" --classify
check "two modes" 2 "" -- "$TINKER" --classify gcc --match /x/
check "no terminal" 2 "" -- setsid "$TINKER"
stderr_has "no terminal" "no terminal"

# The interactive host refuses a module it cannot find or whose path the interface cannot carry.
check "missing module" 2 "" -- "$TINKER" --module "$WORK/nowhere/tinker.so"
stderr_has "missing module" "cannot find the module $WORK/nowhere/tinker.so"
deep="$WORK/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
mkdir -p "$deep"
cp "$BIN_DIR/tinker.so" "$deep/"
check "module path too long" 2 "" -- "$TINKER" --module "$deep/tinker.so"
stderr_has "module path too long" "longer than the host interface allows (259 bytes)"

[ "$failures" -eq 0 ] && echo "batch modes test passed"
exit $((failures > 0))
