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
define_export VIELE.EXP "Viele Zeilen" "$SLOW_ROWS" "$out/viele.txt"
# The only profile, so that the GDPdU dialog opens with it.
rm -f "$H"/Drivers/Export/*.GDU
printf '[Allgemein]\r\nName=Gross\r\nPfad=%s\r\n[Dateien]\r\nFile01=%s;;Viele;Viele;Viele\r\n' \
  "$T/medium" "$H/Drivers/Export/VIELE.EXP" >"$H/Drivers/Export/GROSS.GDU"
hidden_files() { find "$1" -mindepth 1 -name '.*' | grep .; }

# The export dialog: the definition chosen, F9, SIGTERM once the run writes its temporary file.
printf 'gute alte Datei\r\n' >"$out/viele.txt"
open_export "Viele Zeilen" "$T/export.err"
xdotool key F9
poll 150 hidden_files "$out" >/dev/null || fail "the run wrote no temporary file"
kill -TERM "$GUI_PID"
ends_with 143 "$T/export.err"
[ "$(cat "$out/viele.txt")" = $'gute alte Datei\r' ] || fail "the earlier file was changed"
hidden_files "$out" && fail "a temporary file was left"
grep -q 'Der Export wurde abgebrochen' "$T/export.err" ||
  fail "the stop was not reported on stderr: $(cat "$T/export.err")"
last_entry_has '| Fehler: 18 Der Export wurde abgebrochen'

# The GDPdU dialog: F9 with the profile's period, SIGTERM once the progress window shows.
start_gui gdpdu 2>"$T/gdpdu.err"
dialog=$(wait_window '^Datenträgerüberlassung Finanzamt$') || fail "no GDPdU dialog"
focus "$dialog"
xdotool key F9
wait_window '^GDPdU - Datenausgabe$' >/dev/null || fail "no progress window of the build"
kill -TERM "$GUI_PID"
ends_with 143 "$T/gdpdu.err"
hidden_files "$T/medium" && fail "the build left a temporary file"
echo "ok"
