#!/usr/bin/env bash
# The export dialog worked by keyboard alone in a real window. First Alt+D goes to the file name,
# Alt+O runs, Enter on the progress window's focused Abbrechen stops the run within seconds (the
# file is not written), Enter closes the message and the window, and Alt+A closes the dialog. Then
# a sorted statement over millions of rows: the window answers while the database sorts, and Enter
# on Abbrechen (focused while the statement runs) cancels it in SQLite within a second or two
# instead of after the sort; the earlier file stays as it was.
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

define_export SORTIERT.EXP Sortiert "SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL \
SELECT i + 1 FROM n WHERE i < 50000000) SELECT i, (i * 7919) % 1000003 AS k FROM n) ORDER BY k" \
  "$out/sortiert.txt"
printf 'gute alte Datei\r\n' >"$out/sortiert.txt"
open_export Sortiert "$T/gui.err"
xdotool key F9
stop_by_enter 2000
close_by_key F10 "$dialog" || fail "F10 did not close the dialog"
wait_gui_exit || fail "the dialog ended with exit code $?"
[ "$(cat "$out/sortiert.txt")" = $'gute alte Datei\r' ] || fail "the earlier file was changed"
last_entry_has '| Fehler: 18 Der Export wurde abgebrochen'
echo "ok"
