#!/usr/bin/env bash
# Runs Tarnwick. Installs what is missing and builds the program and the simulated board
# first (nothing else). When no device is linked as the configured port, the simulated
# board stands in for it. Without a display both run on a virtual one of their own, and a
# screenshot of the window is saved once the first frames are shown; the program then ends,
# before its display does.
#
# TARNWICK_KEEP_BOARD_LOG=1 keeps the simulated board's log (its path is printed); otherwise
# it goes with the run. TARNWICK_RUN_SECONDS=N keeps the program on the virtual display for
# N seconds after the screenshot (default 0).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWICK_BUILD_DIR:-$root/build}
keep_log=${TARNWICK_KEEP_BOARD_LOG:-0}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" tarnwick tarnwick-board

config=${XDG_CONFIG_HOME:-$HOME/.config}
ini="$config/Tarnwick/Tarnwick.ini"
port=1
if [[ -f "$ini" ]]; then
  stored=$(sed -n 's/^Meter-ComPort=\s*"\?\([0-9]\+\)"\?\s*$/\1/p' "$ini" | head -n 1)
  [[ -n "$stored" ]] && port=$stored
fi
link="$config/Tarnwick/ports/COM$port"

work=$(mktemp -d -t tarnwick-run.XXXXXX)
board_log="$work/tarnwick-board.log"
app_pid=""
board_pid=""
xvfb_pid=""

# Ends one process and waits for it, so the next one is ended only after it is gone.
stop() {
  local pid=$1
  [[ -n "$pid" ]] || return 0
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# The program first (it saves its settings and releases the port), then the board it talks
# to, then the display it shows on.
cleanup() {
  stop "$app_pid"
  stop "$board_pid"
  stop "$xvfb_pid"
  if [[ "$keep_log" == 1 && -s "$board_log" ]]; then
    kept=$(mktemp -t tarnwick-board.XXXXXX.log)
    cp "$board_log" "$kept"
    echo "Board log: $kept"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

if [[ -e "$link" ]]; then
  echo "COM$port is linked to $(readlink -f "$link"); using that device."
else
  echo "No board linked as COM$port: starting the simulated board."
  "$build/tools/board-sim/tarnwick-board" --port "$port" >"$board_log" 2>&1 </dev/null &
  board_pid=$!
  for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
  [[ -e "$link" ]] || { echo "The simulated board did not start:" >&2; cat "$board_log" >&2; exit 1; }
fi

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  "$build/src/app/tarnwick" &
  app_pid=$!
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
  exit "$status"
fi

# No display: Xvfb picks a free display number itself and writes it once it accepts
# connections, so no other server's display is ever used.
displayfd="$work/display"
xvfb_log="$work/xvfb.log"
mkfifo "$displayfd"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfd" >"$xvfb_log" 2>&1 &
xvfb_pid=$!
number=""
read -r -t 30 number <"$displayfd" || true
if [[ ! "$number" =~ ^[0-9]+$ ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "Xvfb did not start:" >&2
  cat "$xvfb_log" >&2
  exit 1
fi
display=":$number"
export DISPLAY=$display
unset WAYLAND_DISPLAY
# The number came from our own Xvfb, so the display is ours; it must also answer.
xdpyinfo >/dev/null 2>&1 || { echo "Display $display does not answer." >&2; exit 1; }
echo "Virtual display $display (Xvfb, process $xvfb_pid)."

QT_QPA_PLATFORM=xcb "$build/src/app/tarnwick" >"$work/tarnwick.log" 2>&1 &
app_pid=$!

# The window shows the first frame at the poll's second tick; wait for a few requests.
for _ in $(seq 200); do
  requests=$(grep -c 'status request' "$board_log" 2>/dev/null || true)
  [[ ${requests:-0} -ge 5 ]] && break
  kill -0 "$app_pid" 2>/dev/null || { echo "Tarnwick ended early:" >&2; cat "$work/tarnwick.log" >&2; exit 1; }
  sleep 0.05
done

mkdir -p "$root/screenshots"
shot="$root/screenshots/tarnwick-$(date +%Y%m%d-%H%M%S).png"
import -display "$display" -window root "$shot"
echo "Screenshot: $shot"
sleep "${TARNWICK_RUN_SECONDS:-0}"
