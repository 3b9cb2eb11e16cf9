#!/usr/bin/env bash
# The period typed into the GDPdU dialog, once typed over a selection and once pasted, is the
# period of the medium: in Index.xml and in the protocol, not a month's first or last day.
# shellcheck source=tests/x11/x11_lib.sh
. "$(dirname "$0")/x11_lib.sh"
setup
# The profile's folder, whether or not the demo made it.
mkdir -p "$H/Daten/GDPdU"

start_gui gdpdu
dialog=$(wait_window '^Datenträgerüberlassung Finanzamt$') || fail "no GDPdU dialog"
title=$(xdotool getwindowname "$dialog")
focus "$dialog"
# Profile, path, "..." and then "von": the later date goes to the clipboard from there, the
# earlier one is typed over it; "bis" gets the later one pasted.
xdotool key Tab Tab Tab ctrl+a
xdotool type 16.06.2025
xdotool key ctrl+a ctrl+c
xdotool type 15.03.2025
xdotool key Tab ctrl+a ctrl+v
xdotool key F9

# Escape answers the closing question "no" (no file manager) and waits out the progress window.
answer() {
  local w
  w=$(other_window "$dialog") && xdotool key --window "$w" Escape 2>/dev/null
  [ -z "$(xdotool search --onlyvisible --pid "$GUI_PID" 2>/dev/null)" ]
}
poll 300 answer || fail "the dialog did not close after the build"
wait_gui_exit || fail "the dialog ended with exit code $?"

index=$H/Daten/GDPdU/Index.xml
[ -f "$index" ] || fail "no Index.xml"
period() { xmllint --xpath "//Validity/Range/$1/text()" "$index" | sort -u; }
[ "$(period From)" = 15.03.2025 ] || fail "Index.xml starts the period with: $(period From)"
[ "$(period To)" = 16.06.2025 ] || fail "Index.xml ends the period with: $(period To)"
info=$(sqlite3 "$H/host.sqlite" \
  "SELECT info FROM norvik_protocol WHERE title = 'GDPdU - Datenausgabe'")
[ "$info" = '15.03.2025 bis 16.06.2025' ] || fail "the protocol names the period: $info"
# The title as designed, without the application's name appended.
[ "$title" = "Datenträgerüberlassung Finanzamt" ] || fail "the dialog is titled: $title"
echo "ok"
