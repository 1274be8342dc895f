#!/usr/bin/env bash
# Runs Tarnwick. Installs what is missing and builds first. When no device is linked as the
# configured port, the simulated board stands in for it. Without a display both run on a
# virtual one, and a screenshot of the window is saved once the first frames are shown.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWICK_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

config=${XDG_CONFIG_HOME:-$HOME/.config}
ini="$config/Tarnwick/Tarnwick.ini"
port=1
if [[ -f "$ini" ]]; then
  stored=$(sed -n 's/^Meter-ComPort=\s*"\?\([0-9]\+\)"\?\s*$/\1/p' "$ini" | head -n 1)
  [[ -n "$stored" ]] && port=$stored
fi
link="$config/Tarnwick/ports/COM$port"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

board_log=$(mktemp -t tarnwick-board.XXXXXX.log)
if [[ -e "$link" ]]; then
  echo "COM$port is linked to $(readlink -f "$link"); using that device."
else
  echo "No board linked as COM$port: starting the simulated board (log: $board_log)."
  "$build/tools/board-sim/tarnwick-board" --port "$port" >"$board_log" 2>&1 </dev/null &
  pids+=($!)
  for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
  [[ -e "$link" ]] || { echo "The simulated board did not start:" >&2; cat "$board_log" >&2; exit 1; }
fi

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  "$build/src/app/tarnwick"
  exit $?
fi

# No display: a virtual one, and a screenshot once the window shows the board's frames.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done 2>/dev/null || true
sleep 0.5

QT_QPA_PLATFORM=xcb "$build/src/app/tarnwick" &
app=$!
pids+=("$app")

# The window shows the first frame at the poll's second tick; wait for a few requests.
for _ in $(seq 200); do
  requests=$(grep -c 'status request' "$board_log" 2>/dev/null || true)
  [[ ${requests:-0} -ge 5 ]] && break
  kill -0 "$app" 2>/dev/null || { echo "Tarnwick ended early." >&2; exit 1; }
  sleep 0.05
done

mkdir -p "$root/screenshots"
shot="$root/screenshots/tarnwick-$(date +%Y%m%d-%H%M%S).png"
import -display "$display" -window root "$shot"
echo "Screenshot: $shot"
