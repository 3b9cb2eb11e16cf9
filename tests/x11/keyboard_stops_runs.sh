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
stop_by_enter 5000 hidden_files
[ -e "$out/neu.txt" ] && fail "the stopped run wrote its file"
xdotool key alt+a
wait_gui_exit || fail "the dialog ended with exit code $?"
hidden_files && fail "a temporary file was left"
last_entry_has "$out/neu.txt"

echo "ok"
