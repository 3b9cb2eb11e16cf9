#!/usr/bin/env bash
# A sorted statement over millions of rows in the export dialog's progress window: the window
# answers while the database sorts, and Enter on its Abbrechen (focused while the statement runs)
# cancels the statement in SQLite within a second or two instead of after the sort; the earlier
# file stays as it was.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup

out=$T/ausgabe
mkdir -p "$out"
sorted="SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE \
i < 50000000) SELECT i, (i * 7919) % 1000003 AS k FROM n) ORDER BY k"
printf '[Allgemein]\r\nName=Sortiert\r\nDatenquelle=%s\r\nDateiname=%s\r\n[DATENSATZ]\r\n%s\r\n' \
  "$sorted" "$out/sortiert.txt" 'FIELD i,N,,0' >"$H/Drivers/Export/SORTIERT.EXP"
printf 'gute alte Datei\r\n' >"$out/sortiert.txt"
position=$("$CLI" --home "$H" list | grep -n '^Sortiert' | cut -d: -f1)

start_gui export 2>"$T/gui.err"
dialog=$(wait_window '^Datenexport$') || fail "no export dialog"
focus "$dialog"
for ((i = 0; i < position; i++)); do xdotool key Down; done
xdotool key F9
progress_window() { other_window "$dialog"; }
progress=$(poll 150 progress_window) || fail "no progress window"
focus "$progress"
start=$(date +%s%N)
xdotool key Return
message_box() { other_window "$dialog" "$progress"; }
box=$(poll 150 message_box) || fail "Enter on Abbrechen did not stop the statement"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -lt 2000 ] || fail "the statement stopped only after $elapsed ms"
focus "$box"
close_by_key Return "$box" || fail "Enter did not close the message"
focus "$progress"
close_by_key Return "$progress" || fail "Enter did not close the progress window"
focus "$dialog"
close_by_key F10 "$dialog" || fail "F10 did not close the dialog"
wait_gui_exit || fail "the dialog ended with exit code $?"
[ "$(cat "$out/sortiert.txt")" = $'gute alte Datei\r' ] || fail "the earlier file was changed"
"$CLI" --home "$H" protocol --last 1 | grep -q '| Fehler: 18 Der Export wurde abgebrochen' ||
  fail "the protocol entry lacks the stop: $("$CLI" --home "$H" protocol --last 1)"
echo "ok"
