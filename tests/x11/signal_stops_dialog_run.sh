#!/usr/bin/env bash
# SIGTERM (a logout) during a run in the export dialog's progress window and during a GDPdU build
# ends them as on the command line: the run stops, the earlier file stays as it was, no temporary
# file is left, the protocol entry has its lines, no message box waits for a click, and the
# program ends with exit code 143.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup

out=$T/ausgabe
mkdir -p "$out" "$T/medium"
# Each row costs a little, so that a run lasts about a minute unless it is stopped.
slow="SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < \
1000000) SELECT i, (SELECT max(j) FROM (WITH RECURSIVE m(j) AS (SELECT i UNION ALL SELECT j + 1 \
FROM m WHERE j < i + 300) SELECT j FROM m)) AS k FROM n)"
printf '[Allgemein]\r\nName=Viele Zeilen\r\nDatenquelle=%s\r\nDateiname=%s\r\n[DATENSATZ]\r\n%s\r\n' \
  "$slow" "$out/viele.txt" 'FIELD i,N,,0' >"$H/Drivers/Export/VIELE.EXP"
# The only profile, so that the GDPdU dialog opens with it.
rm -f "$H"/Drivers/Export/*.GDU
printf '[Allgemein]\r\nName=Gross\r\nPfad=%s\r\n[Dateien]\r\nFile01=%s;;Viele;Viele;Viele\r\n' \
  "$T/medium" "$H/Drivers/Export/VIELE.EXP" >"$H/Drivers/Export/GROSS.GDU"

hidden_files() { find "$1" -mindepth 1 -name '.*' | grep .; }

# The export dialog: the definition chosen, F9, SIGTERM once the run writes its temporary file.
printf 'gute alte Datei\r\n' >"$out/viele.txt"
position=$("$CLI" --home "$H" list | grep -n '^Viele Zeilen' | cut -d: -f1)
start_gui export 2>"$T/export.err"
dialog=$(wait_window '^Datenexport$') || fail "no export dialog"
focus "$dialog"
for ((i = 0; i < position; i++)); do xdotool key Down; done
xdotool key F9
poll 150 hidden_files "$out" >/dev/null || fail "the run wrote no temporary file"
kill -TERM "$GUI_PID"
code=0
wait_gui_exit || code=$?
[ "$code" -eq 143 ] || fail "the export dialog ended with $code: $(cat "$T/export.err")"
[ "$(cat "$out/viele.txt")" = $'gute alte Datei\r' ] || fail "the earlier file was changed"
hidden_files "$out" && fail "a temporary file was left"
grep -q 'Der Export wurde abgebrochen' "$T/export.err" ||
  fail "the stop was not reported on stderr: $(cat "$T/export.err")"
"$CLI" --home "$H" protocol --last 1 | grep -q '| Fehler: 18 Der Export wurde abgebrochen' ||
  fail "the protocol entry lacks its lines: $("$CLI" --home "$H" protocol --last 1)"

# The GDPdU dialog: F9 with the profile's period, SIGTERM once the progress window shows.
start_gui gdpdu 2>"$T/gdpdu.err"
dialog=$(wait_window '^Datenträgerüberlassung Finanzamt$') || fail "no GDPdU dialog"
focus "$dialog"
xdotool key F9
wait_window '^GDPdU - Datenausgabe$' >/dev/null || fail "no progress window of the build"
kill -TERM "$GUI_PID"
code=0
wait_gui_exit || code=$?
[ "$code" -eq 143 ] || fail "the GDPdU dialog ended with $code: $(cat "$T/gdpdu.err")"
hidden_files "$T/medium" && fail "the build left a temporary file"
echo "ok"
