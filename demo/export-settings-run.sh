#!/usr/bin/env bash
# Drives the export-settings window of a real `orlix FILE` run (resize and optimize) on a private
# X display, as a user at the keyboard does, and saves screenshots along the way:
#   JPEG at 50 %, the "Tumblr Cover" preset (a fixed size with the resolution explanation), the
#   create-preset sheet refusing an empty title, and the new PNG preset that is then confirmed:
#   PNG, width 800, "Using defined size as highest resolution".
# Then checks that the run wrote NAME-orlix@2x.png 800 pixels wide and NAME-orlix@1x.png 400 wide,
# and that `orlix -last-used-settings` on a second image reuses those settings.
# Usage: export-settings-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER. Needs xvfb, openbox, xdotool,
# imagemagick and dbus-daemon. Every wait ends after at most 30 seconds.
set -euo pipefail
bin=$(realpath "${1:?usage: export-settings-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER}")
shots=$(realpath "${2:?usage: export-settings-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER}")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orlix-settings-XXXXXX")
"$bin/orlix-sample-images" "$scratch" >/dev/null
input="$scratch/screenshot.png"
second="$scratch/second.png"
cp "$input" "$second"
export XDG_CONFIG_HOME="$scratch/.config"

. "$(dirname "$0")/private-display.sh"

export bin shots input second
dbus-run-session -- bash -euo pipefail -c '
    openbox >/dev/null 2>&1 &
    sleep 0.5
    window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
    keys() { for key in "$@"; do xdotool key --clearmodifiers "$key"; sleep 0.4; done; }
    shot() { import -window root "$shots/$1"; convert "$shots/$1" -fuzz 2% -trim +repage "$shots/$1"; }
    "$bin/orlix" -no-helper-install "$input" 2>/dev/null &
    app=$!
    settings=$(timeout 30 bash -c "$(declare -f window); window \"Export Settings\"")
    xdotool windowactivate --sync "$settings"; sleep 0.5

    keys alt+j alt+p alt+a; xdotool type 50; keys Tab
    shot export-settings-jpeg.png

    keys alt+e; xdotool type --delay 20 "Tu"; sleep 0.8
    shot export-settings-fixed-resolution.png

    keys alt+n alt+w; xdotool type 800; keys alt+h BackSpace Tab alt+r Home Down
    keys alt+s
    timeout 30 bash -c "$(declare -f window); window \"Save Preset\"" >/dev/null
    keys Return
    shot export-settings-create-preset-error.png
    keys Return; xdotool type "Web PNG @2x"; keys Return
    shot export-settings-png-preset.png

    keys Return
    timeout 30 bash -c "while kill -0 $app 2>/dev/null; do sleep 0.2; done"
    timeout 30 "$bin/orlix" -no-helper-install -last-used-settings "$second" 2>/dev/null
'
width() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(struct.unpack(">I", d[16:20])[0])' "$1"; }
status=0
for image in "$input" "$second"; do
    base=${image%.png}
    for expected in "@2x 800" "@1x 400"; do
        set -- $expected
        output="$base-orlix$1.png"
        if [ -f "$output" ] && [ "$(width "$output")" = "$2" ]; then
            echo "$(basename "$output"): $2 pixels wide"
        else
            echo "$(basename "$output"): missing or not $2 pixels wide"
            status=1
        fi
    done
done
exit $status
