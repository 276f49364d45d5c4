#!/usr/bin/env bash
# Starts vantile on this desktop. Without a display, starts a private virtual desktop (Xvfb,
# Openbox, a sample window), runs vantile there and shows a few snaps, so that the program can be
# seen working on a headless machine.
set -euo pipefail
build=${1:-build}
vantile="$(cd "$build" && pwd)/vantile"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting vantile on $DISPLAY. Try: $vantile snap leftHalf"
  exec "$vantile"
fi

workdir=$(mktemp -d /tmp/vantile-demo.XXXXXX)
cleanup() { kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT
exec 3<> "$workdir/displayfd"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1600x900x24 >"$workdir/xvfb.log" 2>&1 &
display_number=""
for _ in $(seq 100); do
  display_number=$(head -n1 "$workdir/displayfd" 2>/dev/null || true)
  [ -n "$display_number" ] && break
  sleep 0.05
done
[ -n "$display_number" ] || { echo "Xvfb did not start; see $workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display_number" XDG_RUNTIME_DIR="$workdir"
chmod 700 "$workdir"
openbox >"$workdir/openbox.log" 2>&1 &
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.05; done
xterm -geometry 80x24+200+150 -title "Sample window" &
until wmctrl -l 2>/dev/null | grep -q "Sample window"; do sleep 0.05; done
wmctrl -a "Sample window"
"$vantile" >"$workdir/vantile.log" 2>&1 &
until "$vantile" --ping >/dev/null 2>&1; do sleep 0.05; done

echo "vantile is running on a private virtual desktop ($DISPLAY, 1600x900)."
for action in leftHalf topRight bottomHalf almostMaximize center restore; do
  "$vantile" snap "$action"
  "$vantile" --ping
  geometry=$(xwininfo -name "Sample window" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width/{w=$2} /Height/{h=$2} END{print w"x"h"+"x"+"y}')
  printf '  vantile snap %-15s -> sample window client area at %s\n' "$action" "$geometry"
done
echo "Logs are in $workdir."
