#!/usr/bin/env bash
# Starts vantile on this desktop. Without a display, starts a private virtual desktop (Xvfb,
# Openbox, a few sample windows), runs vantile there, drives a short tour through vantile:// links
# and writes a screenshot of each step into a folder it names.
set -euo pipefail
build=${1:-build}
vantile="$(cd "$build" && pwd)/vantile"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting vantile on $DISPLAY; its menu is in the tray. Try: $vantile snap leftHalf"
  exec "$vantile"
fi

tour=${VANTILE_TOUR_DIR:-$PWD/vantile-tour}
mkdir -p "$tour"
rm -f "$tour"/*.png
workdir=$(mktemp -d /tmp/vantile-demo.XXXXXX)
chmod 700 "$workdir"
cleanup() { kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT

# Waits up to 10 s for a condition; says which one failed.
wait_for() {
  local what=$1; shift
  for _ in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "timed out waiting for $what (logs in $workdir)" >&2
  exit 1
}

step=0
shot() {
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$tour" "$step" "$1")
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$file"
  printf '  %-58s %s\n' "$2" "$(basename "$file")"
}

sample_geometry() {
  xwininfo -name "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width/{w=$2} /Height/{h=$2} END{print w"x"h"+"x"+"y}'
}

exec 3<>"$workdir/displayfd"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1600x900x24 >"$workdir/xvfb.log" 2>&1 &
display_number=""
for _ in $(seq 100); do
  display_number=$(head -n1 "$workdir/displayfd" 2>/dev/null || true)
  [ -n "$display_number" ] && break
  sleep 0.05
done
[ -n "$display_number" ] || { echo "Xvfb did not start; see $workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display_number" XDG_RUNTIME_DIR="$workdir" HOME="$workdir/home"
export XDG_CONFIG_HOME="$workdir/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
xsetroot -solid '#3b4252'

echo "A private virtual desktop ($DISPLAY, 1600x900) for a tour; screenshots go to $tour:"
# Started before any window manager runs, vantile cannot move windows yet and says so.
"$vantile" >"$workdir/vantile.log" 2>&1 &
wait_for "vantile to answer" "$vantile" --ping
# Whether a window titled like the onboarding window is on screen (hidden ones keep their title).
onboarding_shown() {
  local id
  for id in $(xwininfo -root -tree | awk '/"Vantile Window Manager"/{print $1}'); do
    xwininfo -id "$id" | grep IsViewable >/dev/null && return 0
  done
  return 1
}
wait_for "the onboarding window" onboarding_shown
shot onboarding "no window manager yet: the onboarding window"

openbox >"$workdir/openbox.log" 2>&1 &
wait_for "Openbox" sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
wait_for "the onboarding window to go" eval '! onboarding_shown'
for title in Notes Terminal Mail; do
  xterm -geometry 70x18+$((150 + RANDOM % 400))+$((100 + RANDOM % 300)) -title "$title" \
    -bg '#eceff4' -fg '#2e3440' -e sh -c "echo $title; exec sleep 3600" 2>>"$workdir/xterm.log" &
  wait_for "the sample window $title" sh -c "wmctrl -l | grep -q '$title'"
done
shot desktop "Openbox started: vantile is set up, three sample windows"

active_is() {
  local id
  id=$(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')
  xprop -id "$id" WM_NAME | grep >/dev/null "\"$1\""
}
tour_step() { # window, action
  wmctrl -a "$1"
  wait_for "$1 to be active" active_is "$1"
  "$vantile" "vantile://snap?action=$2"
  "$vantile" --ping
  shot "$1-$2" "$(printf '%-8s vantile://snap?action=%-15s -> %s' "$1" "$2" "$(sample_geometry "$1")")"
}
tour_step Notes leftHalf
tour_step Terminal topRight
tour_step Mail bottomRight
tour_step Mail maximize
tour_step Mail restore
tour_step Terminal center

# The region editor: Ctrl+Alt+E, split the left half into two columns, apply with Return, then
# Ctrl+Alt+1..3 place a window in the new regions.
# (grep reads to the end: with pipefail, -q would fail the pipe when it stops reading early)
editor_open() { xwininfo -root -tree | grep '"Vantile Region Editor Toolbar"' >/dev/null; }
xdotool mousemove 800 700
xdotool key ctrl+alt+e
wait_for "the region editor" editor_open
"$vantile" --ping
shot editor "Ctrl+Alt+E: the region editor over the whole screen"
# The left half (0..800 on a 900-high screen): its "two columns" button is right of its centre.
xdotool mousemove 418 478 click 1
"$vantile" --ping
shot editor-split "a click on the split button: the left half in two columns"
xdotool key Return
wait_for "the editor to close" eval '! editor_open'
for n in 1 2 3; do
  wmctrl -a Notes
  wait_for "Notes to be active" active_is Notes
  xdotool key ctrl+alt+$n
  "$vantile" --ping
  shot "region-$n" "$(printf 'Ctrl+Alt+%s: Notes in region %s              -> %s' "$n" "$n" "$(sample_geometry Notes)")"
done
echo "Screenshots are in $tour; logs in $workdir."
