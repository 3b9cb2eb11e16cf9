#!/usr/bin/env bash
# The file dialog of the export dialog looks at the database's own folder while another process
# writes protocol entries; then two runs in the dialog. Afterwards the database is intact and
# every entry is there. Closing any descriptor of the database's files in the dialog's process
# would drop SQLite's locks, and the other process would delete the WAL under the dialog.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup

# Protocol entries of completed runs of the demo's customer export (240 rows).
completed() {
  sqlite3 "$H/host.sqlite" "SELECT count(DISTINCT protocol_id) FROM norvik_protocol_line
    WHERE text LIKE '%Ausgabe Daten: 240 %'" 2>/dev/null || echo 0
}
at_least() { [ "$(completed)" -ge "$1" ]; }

open_export "Kundenstamm CSV"
dialog_title=$(xdotool getwindowname "$dialog")
# Tab Tab to "...".
xdotool key Tab Tab space
files=$(wait_window '^Dateiname$') || fail "no file dialog titled Dateiname"
files_title=$(xdotool getwindowname "$files")
focus "$files"
xdotool key ctrl+a
xdotool type "$H/"
xdotool key Return
# The completer's list of the database's files, with their icons, shows the folder was read.
xdotool type "host.sqlite"
poll 100 other_window "$dialog" "$files" >/dev/null || fail "the file dialog lists nothing"

# Another process writes protocol entries while the dialog shows the folder.
(for i in 1 2 3; do "$CLI" --home "$H" run KUNDEN.EXP --protocol >/dev/null || exit 1; done) &
wait $! || fail "a run from the shell failed"
close_by_key Escape "$files" || fail "Escape did not close the file dialog"

for run in 1 2; do
  focus "$dialog"
  xdotool key F9
  progress=$(poll 150 other_window "$dialog") || fail "run $run: no progress window"
  # Return only after the run: while it runs the focus may be on a button that cancels it.
  poll 150 at_least $((3 + run)) || fail "run $run: no protocol entry of the run"
  focus "$progress"
  close_by_key Return "$progress" ||
    fail "run $run: Return did not close the progress window"
done
focus "$dialog"
xdotool key F10
wait_gui_exit || fail "the dialog ended with exit code $?"

check=$(sqlite3 "$H/host.sqlite" 'PRAGMA integrity_check' 2>&1) || true
[ "$check" = ok ] || fail "integrity check: $check"
[ "$(completed)" -eq 5 ] || fail "$(completed) protocol entries instead of 5"
# The titles as designed, without the application's name appended.
[ "$dialog_title" = Datenexport ] || fail "the export dialog is titled: $dialog_title"
[ "$files_title" = Dateiname ] || fail "the file dialog is titled: $files_title"
echo "ok"
