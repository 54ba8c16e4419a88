#!/usr/bin/env bash
# The helper on a real X server: a drag of PNG files from another program with Ctrl held shows the
# floating drop panel under the pointer, a drop on its quick optimize zone reaches the running Orlix,
# which writes the outputs; the same drag without Ctrl shows nothing; and a change of the show flag
# written by another program switches the panel off and on.
#   run-x11-drag-test.sh BIN_FOLDER DRAG_SOURCE [SCREENSHOT.png]
# Every wait is bounded; every program started here is stopped by its saved pid.
set -euo pipefail
. "$(dirname "$0")/../Support/require-programs.sh"
require_programs Xvfb:xvfb dbus-run-session:dbus-daemon dbus-send:dbus-bin import:imagemagick \
    openbox:openbox xdotool:xdotool xdpyinfo:x11-utils xwininfo:x11-utils

if [ "${1:-}" != --inner ]; then
    bin=$(cd "$1" && pwd) source=$(cd "$(dirname "$2")" && pwd)/$(basename "$2") shot=${3:-}
    [ -z "$shot" ] || shot=$(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")
    display=90
    while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
    Xvfb :$display -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    for _ in $(seq 100); do xdpyinfo -display :$display >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo -display :$display >/dev/null 2>&1 || { echo "no X server"; exit 1; }
    export DISPLAY=:$display
    dbus-run-session -- bash "$0" --inner "$bin" "$source" "$shot"
    exit $?
fi

bin=$2 source=$3 shot=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/orlix-x11-drag-XXXXXX")
pids=()
stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    sleep 0.3
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop_all EXIT
fail() { echo "FAIL: $*"; for log in "$work"/*.log; do echo "--- $log"; tail -20 "$log"; done; exit 1; }

unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_SESSION_TYPE=x11 XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME/orlix" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
helper_defaults=$XDG_CONFIG_HOME/orlix/co.corvendal.orlix-helper.plist

# Replaced whole, as the application writes it.
write_show_flag() {
    cat > "$helper_defaults.tmp" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>OXDragUIModifierKeys</key><integer>2</integer>
<key>OXShowUIOnImageFileDrag</key><$1/>
</dict></plist>
PLIST
    mv "$helper_defaults.tmp" "$helper_defaults"
}

# wait_for SECONDS COMMAND...: true as soon as the command succeeds.
wait_for() {
    local tenths=$(($1 * 10)); shift
    for _ in $(seq "$tenths"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
has_bus_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        "string:$1" | grep -q "boolean true"
}
panel_window() { xdotool search --onlyvisible --name '^Orlix drop panel$' | head -1; }
panel_shown() { [ -n "$(panel_window)" ]; }
panel_gone() { ! panel_shown; }

openbox >/dev/null 2>&1 & pids+=($!)
"$bin/orlix-sample-images" "$work" >/dev/null
mkdir "$work/images" && mv "$work"/*.png "$work/images/"
write_show_flag true

"$bin/orlix" -no-helper-install > "$work/orlix.log" 2>&1 & pids+=($!)
wait_for 20 has_bus_name co.corvendal.Orlix || fail "Orlix did not start"
"$bin/orlix-helper" > "$work/helper.log" 2>&1 & pids+=($!)
wait_for 20 has_bus_name co.corvendal.orlix-helper || fail "the helper did not start"
"$source" "$work/images"/*.png > "$work/source.log" 2>&1 & pids+=($!)
wait_for 20 grep -q '^ready' "$work/source.log" || fail "the drag source did not start"
read -r _ source_x source_y < <(grep '^ready' "$work/source.log")

# start_drag [ctrl]: presses on the source and starts the drag.
start_drag() {
    [ "${1:-}" != ctrl ] || xdotool keydown ctrl
    xdotool mousemove --sync "$source_x" "$source_y"
    xdotool mousedown 1
    wait_for 20 grep -q '^dragging' "$work/source.log" || fail "the press on the source started no drag"
    xdotool mousemove --sync $((source_x + 15)) $((source_y + 10))
    # A few small moves, as a hand makes: the source needs them to find its target.
    for step in 1 2 3; do
        sleep 0.1
        xdotool mousemove --sync $((source_x + 15 + step)) $((source_y + 10))
    done
}
end_drag() {
    xdotool mouseup 1
    xdotool keyup ctrl
    wait_for 20 grep -Eq '^(dropped|refused)' "$work/source.log" || fail "the drag did not end"
    : > "$work/source.log"
}

# Without Ctrl: nothing shows.
start_drag
sleep 1
panel_shown && fail "a drag without Ctrl showed the panel"
end_drag
echo "ok: no panel without Ctrl"

# With Ctrl: the panel floats under the pointer, and a drop on its quick optimize zone (the left
# column) hands the files to the running Orlix.
start_drag ctrl
wait_for 20 panel_shown || fail "a drag with Ctrl held showed no panel"
eval "$(xdotool getmouselocation --shell)"
window=$(panel_window)
geometry=$(xwininfo -id "$window")
left=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
top=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
width=$(awk '/Width/ {print $2}' <<<"$geometry")
height=$(awk '/Height/ {print $2}' <<<"$geometry")
echo "ok: panel ${width}x${height} at $left,$top with the pointer at $X,$Y"
[ "$X" -ge "$left" ] && [ "$X" -lt $((left + width)) ] && [ "$Y" -ge "$top" ] &&
    [ "$Y" -le $((top + height)) ] || fail "the panel is not under the pointer"
zone_x=$((left + width / 4)) zone_y=$((top + height / 2))
xdotool mousemove --sync $zone_x $zone_y
sleep 0.1
xdotool mousemove --sync $((zone_x + 2)) $((zone_y + 1))
# Over its zone the drag shows quick optimize's accent, also beside the texts at the zone's left
# edge (the popover's frame is 6 pixels wide there).
accent() { [ "$(import -window root -crop "1x1+$((left + 10))+$zone_y" -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}')" = "#FF2968" ]; }
wait_for 20 accent || fail "the zone under the drag does not show its accent: $(import -window root \
    -crop "1x1+$((left + 10))+$zone_y" -depth 8 txt:- | tail -1)"
echo "ok: the zone under the drag shows its accent"
[ -z "$shot" ] || import -window root "$shot"
end_drag
outputs() { [ "$(ls "$work/images"/*-orlix.png 2>/dev/null | wc -l)" -eq "$(ls "$work/images"/*.png | grep -vc -- -orlix)" ]; }
wait_for 60 outputs || fail "Orlix wrote no outputs"
echo "ok: the drop reached Orlix, which wrote $(ls "$work/images"/*-orlix.png | wc -l) outputs"
wait_for 20 panel_gone || fail "the panel stayed"

# Another program switches the panel off, then on again. A drag under way when the helper takes a
# change in keeps what it began with (and a panel it showed then stays up), so each drag waits until
# the helper has read the flag: the first read of a file after it was written moves its access
# time past its change (relatime), and the helper reads and applies the flag in one turn of its
# event loop, before it sees any drag that comes after.
flag_read() {
    local times
    times=$(stat -c '%.9X %.9Y' "$helper_defaults")
    [[ "${times% *}" > "${times#* }" ]]
}
write_show_flag false
wait_for 20 flag_read || fail "the helper did not read its defaults"
start_drag ctrl
wait_for 2 panel_shown && fail "the panel showed after it was switched off"
end_drag
write_show_flag true
wait_for 20 flag_read || fail "the helper did not read its defaults"
start_drag ctrl
wait_for 20 panel_shown || fail "the panel did not come back when switched on"
end_drag
echo "ok: the show flag switched off and on by another program"
