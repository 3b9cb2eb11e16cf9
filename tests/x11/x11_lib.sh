# shellcheck shell=bash
# Shared by the X11 process tests: a private Xvfb display, a demo home, the dialog process and
# the few ways of waiting for windows. Source it with the path of norvik-export as $1.
set -euo pipefail

CLI=${1:?usage: $0 PATH/TO/norvik-export}
GUI_PID=""
XVFB_PID=""

# Missing tools skip the test on a developer's machine; CI must run it.
require_tools() {
  local tool
  for tool in Xvfb xdotool sqlite3; do
    command -v "$tool" >/dev/null && continue
    echo "$tool is not installed"
    [ -n "${CI:-}" ] && exit 1
    exit 77
  done
}

cleanup() {
  set +e
  [ -n "$GUI_PID" ] && kill "$GUI_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$T"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A free display from Xvfb itself, a fresh demo home in H, per-user settings inside the test.
setup() {
  require_tools
  T=$(mktemp -d /tmp/norvik-x11.XXXXXX)
  trap cleanup EXIT
  export XDG_CONFIG_HOME=$T/config XDG_RUNTIME_DIR=$T/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  mkfifo "$T/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$T/display" >"$T/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local number=""
  read -r -t 30 number <"$T/display" || true
  [ -n "$number" ] || fail "Xvfb did not start: $(cat "$T/xvfb.log")"
  export DISPLAY=:$number
  # The pointer in a corner, away from the dialogs: no tooltips open under it.
  xdotool mousemove 0 0
  H=$T/home
  "$CLI" --home "$H" demo >/dev/null
}

# The dialogs on the X server; leak reports of the X libraries are not these tests' concern.
start_gui() {
  QT_QPA_PLATFORM=xcb ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$CLI" --home "$H" gui "$@" &
  GUI_PID=$!
}

# Retries a command up to N times, a fifth of a second apart, until it succeeds.
poll() {
  local attempts=$1 i
  shift
  for ((i = 0; i < attempts; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

# The id of a visible window whose title matches the regular expression, once there is one.
wait_window() {
  timeout 30 xdotool search --sync --onlyvisible --limit 1 --name "$1"
}

# The topmost visible window of the dialog process other than the given ones (a message box,
# the progress window); without a window manager the last one mapped is on top.
other_window() {
  local w found=""
  for w in $(xdotool search --onlyvisible --pid "$GUI_PID" 2>/dev/null); do
    [[ " $* " == *" $w "* ]] || found=$w
  done
  [ -n "$found" ] && echo "$found"
}

window_gone() {
  ! xdotool search --onlyvisible --pid "$GUI_PID" 2>/dev/null | grep -qx "$1"
}

# Presses the key until the window is gone: once, then again every two seconds for a popup that
# took the first press, within half a minute (a loaded machine, a sanitizer build).
close_by_key() {
  local tries
  for ((tries = 0; tries < 15; tries++)); do
    xdotool key "$1"
    poll 10 window_gone "$2" && return 0
  done
  return 1
}

# A definition NAME in the export folder's FILE: rows of SOURCE into OUT, one field i.
define_export() {
  printf '[Allgemein]\r\nName=%s\r\nDatenquelle=%s\r\nDateiname=%s\r\n[DATENSATZ]\r\nFIELD i,N,,0\r\n' \
    "$2" "$3" "$4" >"$H/Drivers/Export/$1"
}

# Rows that each cost a little, so that a run lasts about a minute unless it is stopped.
SLOW_ROWS="SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < \
1000000) SELECT i, (SELECT max(j) FROM (WITH RECURSIVE m(j) AS (SELECT i UNION ALL SELECT j + 1 \
FROM m WHERE j < i + 300) SELECT j FROM m)) AS k FROM n)"

# The export dialog in $dialog, focused, the definition NAME chosen with Down in the sorted list;
# further arguments redirect the dialog's error output (2>FILE).
open_export() {
  local position i
  position=$("$CLI" --home "$H" list | grep -n "^$1" | cut -d: -f1)
  [ -n "$position" ] || fail "no definition $1"
  start_gui export 2>"${2:-/dev/stderr}"
  dialog=$(wait_window '^Datenexport$') || fail "no export dialog"
  focus "$dialog"
  for ((i = 0; i < position; i++)); do xdotool key Down; done
}

# The protocol's last entry has TEXT.
last_entry_has() {
  "$CLI" --home "$H" protocol --last 1 | grep -qF -- "$1" ||
    fail "the last protocol entry lacks $1: $("$CLI" --home "$H" protocol --last 1)"
}

# Without a window manager the keyboard focus is set directly.
focus() {
  xdotool windowfocus --sync "$1"
}

# Waits (bounded) for the dialog process to end and returns its exit code.
wait_gui_exit() {
  timeout 30 tail --pid="$GUI_PID" -s 0.2 -f /dev/null || fail "the dialog did not close"
  local code=0
  wait "$GUI_PID" || code=$?
  GUI_PID=""
  return "$code"
}

# The dialog process ends with CODE; its error output, in FILE, says why not.
ends_with() {
  local code=0
  wait_gui_exit || code=$?
  [ "$code" -eq "$1" ] || fail "the dialog ended with $code: $(cat "$2")"
}
