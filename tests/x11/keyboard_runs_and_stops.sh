#!/usr/bin/env bash
# The export dialog worked by keyboard alone in a real window: Alt+D goes to the file name, Alt+O
# runs, Enter on the progress window's focused Abbrechen stops the run within seconds (the file
# is not written, the window says after how many rows), Enter closes the message and the window,
# and Alt+A closes the dialog.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup

out=$T/ausgabe
mkdir -p "$out"
# Each row costs a little, so that a run lasts about a minute unless it is stopped.
slow="SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < \
1000000) SELECT i, (SELECT max(j) FROM (WITH RECURSIVE m(j) AS (SELECT i UNION ALL SELECT j + 1 \
FROM m WHERE j < i + 300) SELECT j FROM m)) AS k FROM n)"
printf '[Allgemein]\r\nName=Viele Zeilen\r\nDatenquelle=%s\r\nDateiname=%s\r\n[DATENSATZ]\r\n%s\r\n' \
  "$slow" "$out/alt.txt" 'FIELD i,N,,0' >"$H/Drivers/Export/VIELE.EXP"
position=$("$CLI" --home "$H" list | grep -n '^Viele Zeilen' | cut -d: -f1)

hidden_files() { find "$out" -mindepth 1 -name '.*' | grep .; }

start_gui export 2>"$T/gui.err"
dialog=$(wait_window '^Datenexport$') || fail "no export dialog"
focus "$dialog"
for ((i = 0; i < position; i++)); do xdotool key Down; done
xdotool key alt+d ctrl+a
xdotool type "$out/neu.txt"
xdotool key alt+o
progress_window() { other_window "$dialog"; }
progress=$(poll 150 progress_window) || fail "no progress window"
poll 150 hidden_files >/dev/null || fail "the run wrote no temporary file"
focus "$progress"
start=$(date +%s%N)
xdotool key Return
# The stop's message box comes over the progress window.
message_box() { other_window "$dialog" "$progress"; }
box=$(poll 150 message_box) || fail "Enter on Abbrechen did not stop the run"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -lt 5000 ] || fail "the run stopped only after $elapsed ms"
[ -e "$out/neu.txt" ] && fail "the stopped run wrote its file"
focus "$box"
close_by_key Return "$box" || fail "Enter did not close the message"
focus "$progress"
close_by_key Return "$progress" || fail "Enter did not close the progress window"
focus "$dialog"
xdotool key alt+a
wait_gui_exit || fail "the dialog ended with exit code $?"
hidden_files && fail "a temporary file was left"
"$CLI" --home "$H" protocol --last 1 | grep -q "neu.txt" ||
  fail "the run did not take the typed file name: $("$CLI" --home "$H" protocol --last 1)"
echo "ok"
