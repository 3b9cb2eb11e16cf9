#!/usr/bin/env bash
# The export dialog worked by keyboard alone in a real window. First Alt+D goes to the file name,
# Alt+O runs, Enter on the progress window's focused Abbrechen stops the run within seconds (the
# file is not written), Enter closes the message and the window, and Alt+A closes the dialog.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup

out=$T/ausgabe
mkdir -p "$out"
hidden_files() { find "$out" -mindepth 1 -name '.*' | grep .; }

define_export VIELE.EXP "Viele Zeilen" "$SLOW_ROWS" "$out/alt.txt"
open_export "Viele Zeilen" "$T/gui.err"
xdotool key alt+d ctrl+a
xdotool type "$out/neu.txt"
xdotool key alt+o
# Once the run writes, Enter on the progress window's focused Abbrechen stops it within 5 s; Enter
# closes the stop's message box over it and the window itself.
progress=$(poll 150 other_window "$dialog") || fail "no progress window"
poll 150 hidden_files >/dev/null || fail "the run wrote no temporary file"
focus "$progress"
start=$(date +%s%N)
xdotool key Return
box=$(poll 150 other_window "$dialog" "$progress") || fail "Enter on Abbrechen did not stop the run"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -lt 5000 ] || fail "the run stopped only after $elapsed ms"
focus "$box"
close_by_key Return "$box" || fail "Enter did not close the message"
focus "$progress"
close_by_key Return "$progress" || fail "Enter did not close the progress window"
focus "$dialog"
[ -e "$out/neu.txt" ] && fail "the stopped run wrote its file"
xdotool key alt+a
wait_gui_exit || fail "the dialog ended with exit code $?"
hidden_files && fail "a temporary file was left"
last_entry_has "$out/neu.txt"
echo "ok"
