#!/usr/bin/env bash
# Keys during a running build: the live view scrolls and says more is coming, End follows the
# newest lines again, Esc asks whether to stop and Stop ends the build and what it started.
source "$(dirname "$0")/tmux_driver.sh" "$1"

MODULE="$WORK/module"
PROJECT="$WORK/project"
make_module_copy "$MODULE"
mkdir -p "$PROJECT"
touch "$PROJECT/slow"
cat > "$MODULE/tinker.xml" <<XML
<tinker-config>
  <options beep="no"/>
  <parsers>
    <gcc><error pattern="/^(.+?):(\d+):(\d+): error:/" file="1" line="2" pos="3"/></gcc>
  </parsers>
  <types>
    <filetype filename="/^slow$/">
      <command name="slow" parser="gcc" prefix="slow">sleep 300 &amp; echo \$! &gt; '$WORK/grandchild.pid'; seq 1 100; echo "waiting"; sleep 3; echo "after the wait"; sleep 300</command>
    </filetype>
  </types>
</tinker-config>
XML
start_tinker "$PROJECT" --module "$MODULE/tinker.so"
wait_for "slow"

type_text "slow:slow"
send Enter
wait_for "waiting"
# Up holds the view a line above the newest ones, marked.
send Up
wait_for "more output below"
wait_for_row 0 "71"
send PageUp
wait_for_row 0 "41"
# The build goes on underneath; End follows its newest lines again.
send End
wait_until "the mark to go" not_on_screen "more output below"
wait_for "after the wait"

# Esc asks; Continue lets the build run, Stop ends it and its background process.
send Escape
wait_for "Stop the build?"
send Right
send Enter
wait_until "the question to close" not_on_screen "Stop the build?"
send Escape
wait_for "Stop the build?"
send Enter
wait_until "the verdict" title_starts "Tinker: build output - stopped, no errors, "
wait_for "stopped, no errors, "
grandchild="$(cat "$WORK/grandchild.pid")"
wait_until "the build's background process to end" bash -c "! kill -0 $grandchild 2>/dev/null"
send Escape
wait_for "slow"
quit_tinker
echo "build keys test passed"
