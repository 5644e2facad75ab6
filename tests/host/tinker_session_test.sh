#!/usr/bin/env bash
# One tinker session over a configuration of our own: an edit of tinker.xml while tinker runs
# is used at the next invocation (a new prefix as soon as it is typed), Ctrl+C stops a build
# that never ends (and tinker lives on), the help opens from the output window, and the output
# of the last build can be shown again from the plug-ins menu.
source "$(dirname "$0")/tmux_driver.sh" "$1"

MODULE="$WORK/module"
PROJECT="$WORK/project"
make_module_copy "$MODULE"
mkdir -p "$PROJECT"
printf 'report.c:3:1: error: first problem\nreport.c:4:2: warning: second problem\n' > "$PROJECT/report.txt"

write_configuration() {  # ERROR_COLOR REPORT_COMMAND [MORE_COMMANDS]
    cat > "$MODULE/tinker.xml.new" <<XML
<tinker-config>
  <colors background="0" text="7" error="$1" warning="14" numbers="11"/>
  <options beep="no"/>
  <parsers>
    <gcc>
      <error pattern="/^(.+?):(\d+):(\d+): error:/" file="1" line="2" pos="3"/>
      <warning pattern="/^(.+?):(\d+):(\d+): warning:/" file="1" line="2" pos="3"/>
    </gcc>
  </parsers>
  <types>
    <filetype filename="/^(.*)\.txt$/">
      <command name="report" parser="gcc" prefix="report">$2</command>${3:-}
    </filetype>
    <filetype filename="/^forever$/">
      <command name="forever" parser="gcc" prefix="forever">echo \$\$ &gt; '$WORK/forever.pid'; echo started; while :; do sleep 1; done</command>
    </filetype>
  </types>
</tinker-config>
XML
    mv "$MODULE/tinker.xml.new" "$MODULE/tinker.xml"
}

write_configuration 12 'cat "$0"'
start_tinker "$PROJECT" --module "$MODULE/tinker.so"
wait_for "report.txt"

type_text "report:report.txt"
send Enter
wait_for_colors "report.c:3:1: error" "30 101"
expect_colors "report.c:4:2: warning" "93 40"
send Escape
wait_for "report.txt"

# The configuration changes while tinker runs: another error colour and another command.
write_configuration 13 'echo "changed command"; cat "$0"'
type_text "report:report.txt"
send Enter
wait_for "changed command"
wait_for_colors "report.c:3:1: error" "30 105"
send Escape
wait_for "report.txt"

# A prefix added while tinker runs reaches the plug-in at once, not the shell.
write_configuration 13 'cat "$0"' '
      <command name="listing" parser="gcc" prefix="listing">echo "listed by the plug-in"; cat "$0"</command>'
type_text "listing:report.txt"
send Enter
wait_for "listed by the plug-in"
not_on_screen "Press any key" || fail "the new prefix went to the shell"
send Escape
wait_for "report.txt"

# A build that never ends: Ctrl+C stops it and its processes, the window shows what came.
type_text "forever:forever"
send Enter
wait_for "started"
wait_until "the build's process" test -s "$WORK/forever.pid"
send C-c
wait_until "the output window after Ctrl+C" title_is "Tinker: build output"
wait_for_colors "started" "30 47"
shell_pid="$(cat "$WORK/forever.pid")"
wait_until "the build's shell to end" bash -c "! kill -0 $shell_pid 2>/dev/null"

# F1 in the output window: the help file's Contents; Enter follows the selected link,
# Backspace comes back, Esc returns to the window.
send F1
wait_for "Tinker: build and step through the errors"
send Enter
wait_for "Tinker: starting a build"
send BSpace
wait_for "Tinker: build and step through the errors"
send Escape
wait_until "the help to close" not_on_screen "Tinker: build and step through the errors"
wait_for_colors "started" "30 47"
send Escape
wait_for "report.txt"

# The plug-ins menu shows the last output again.
send F11
wait_for "Plugins"
send Enter
wait_for "Show output"
send 1
wait_for_colors "started" "30 47"
send Escape
wait_for "report.txt"

# A prefix that the configuration does not give is not the plug-in's: the shell runs it.
type_text "nosuchprefix:x"
send Enter
wait_for "Press any key to return to tinker"
screen_has "nosuchprefix:x: not found" || fail "the shell did not run the line"
send Space
wait_for "report.txt"
quit_tinker
echo "session test passed"
