#!/usr/bin/env bash
# Drops files on each zone of Orlix's drop window, the way a user drags them from a file manager:
# a small drag source started with the files, moved and released by XTEST (xdotool). Quick
# optimize and use previous settings write their outputs at once; resize and optimize asks for
# its settings first (the settings window is accepted with Return). Runs on the display it is
# given (xvfb-run in CI) with a window manager and a private configuration. Every wait is bounded.
#   drop-check.sh BIN_FOLDER
set -euo pipefail
. "$(dirname "$0")/../Support/require-programs.sh"
require_programs openbox:openbox xdotool:xdotool xwininfo:x11-utils
bin=${1:?usage: drop-check.sh BIN_FOLDER}
work=$(mktemp -d "${TMPDIR:-/tmp}/orlix-drop-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

fail() {
    echo "drop check: $*" >&2
    xwininfo -root -tree | grep -i orlix >&2 || true
    [ -f "$work/orlix.log" ] && cat "$work/orlix.log" >&2
    exit 1
}

# until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds; fails after SECONDS.
until_true() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# At rest the drop window is Orlix's only window; during a run the activity window (of the same
# name) shows instead, and fades out after the run while the drop window fades back in.
orlix_windows() { xdotool search --onlyvisible --name '^Orlix$'; }
drop_window() { orlix_windows | head -n 1; }
has_drop_window_alone() { [ "$(orlix_windows | wc -l)" -eq 1 ]; }
outputs() { find "$1" -name '*-orlix*' | wc -l; }
has_outputs() { [ "$(outputs "$1")" -ge "$2" ]; }
settings_window() { xdotool search --onlyvisible --name '^Export Settings$'; }
source_said() { grep -Eq "$2" "$1"; }

openbox >/dev/null 2>&1 & pids+=($!)
for zone in quick resize previous; do
    "$bin/orlix-sample-images" "$work/$zone" >/dev/null
done

"$bin/orlix" -no-helper-install >"$work/orlix.log" 2>&1 & pids+=($!)
until_true 30 has_drop_window_alone || fail "the drop window did not appear"
eval "$(xdotool getwindowgeometry --shell "$(drop_window)")"
# Points in the large panel's zones: the left column, the top and the bottom of the right one.
declare -A target=([quick]="$((X + 140)) $((Y + 40))" [resize]="$((X + 420)) $((Y + 30))"
                   [previous]="$((X + 420)) $((Y + 210))")

# drag ZONE TRY: drags the zone's folder's images from a fresh drag source onto the zone; true when
# the drop was taken.
drag() {
    local zone=$1 log="$work/source-$1-$2.log"
    "$bin/orlix-drag-source" "$work/$zone"/*.png "$work/$zone"/*.jpg >"$log" 2>&1 & pids+=($!)
    until_true 20 source_said "$log" '^ready' || fail "the drag source did not start"
    read -r _ sx sy < <(grep '^ready' "$log")
    read -r tx ty <<<"${target[$zone]}"
    xdotool mousemove --sync "$sx" "$sy"
    xdotool mousedown 1
    until_true 20 source_said "$log" '^dragging' || fail "the press on the source started no drag"
    for step in $(seq 1 20); do
        xdotool mousemove $((sx + (tx - sx) * step / 20)) $((sy + (ty - sy) * step / 20))
        sleep 0.05
    done
    for wiggle in 1 2 3 4; do xdotool mousemove $((tx + wiggle)) "$ty"; sleep 0.1; done
    # Released once a window has taken the files; a drag nothing takes is tried again (see run).
    until_true 5 source_said "$log" '^accepted' || true
    xdotool mouseup 1
    until_true 20 source_said "$log" '^(dropped|refused)' || fail "the drag on $zone did not end"
    grep -q '^dropped' "$log"
}

# run ZONE: drops on the zone and waits for every input's output and for the window's return.
run() {
    local zone=$1
    # The windows of the run before may still be settling for a moment after the drop window is
    # back, and a drag then is refused: drags are tried until one is taken, for at most a minute.
    local try=1 deadline=$((SECONDS + 60))
    until drag "$zone" $try; do
        [ $SECONDS -lt $deadline ] || fail "the drop on $zone was not taken"
        try=$((try + 1))
        sleep 1
    done
    if [ "$zone" = resize ]; then
        until_true 20 settings_window || fail "the settings window did not appear"
        xdotool windowactivate --sync "$(settings_window | head -n 1)" key Return
    fi
    until_true 90 has_outputs "$work/$zone" 3 || fail "no outputs for $zone"
    until_true 30 has_drop_window_alone || fail "the drop window did not come back after $zone"
    sleep 0.5
    echo "drop check: $zone wrote $(outputs "$work/$zone") outputs"
}

run quick
run resize
run previous
kill -TERM "${pids[1]}"
until_true 20 bash -c "! kill -0 ${pids[1]}" || fail "Orlix did not quit"
echo "drop check: passed"
