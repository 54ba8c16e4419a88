#!/bin/sh
# Runs Orlix's main job on sample images: `orlix -quick-optimize FILES...`, as a file manager's
# "open with" does, then lists every output with its size and reduction. Exits 0 only when every
# input got its output. The second argument runs another orlix than the build folder's (CI runs
# the installed one).
set -eu
bin=${1:?usage: run-demo.sh BUILD_BIN_FOLDER [ORLIX]}
orlix=${2:-$bin/orlix}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orlix-demo-XXXXXX")
"$bin/orlix-sample-images" "$scratch"
# A private configuration, so that the demonstration neither reads nor changes the user's; and the
# helper's login item of the session is left as it is (-no-helper-install).
export XDG_CONFIG_HOME="$scratch/.config"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$scratch/.runtime"
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
echo "Optimising the sample images in $scratch ..."
# Qt's offscreen platform notes every window feature it lacks (fades, raising, the file manager's
# reveal); they say nothing about the images, so they are left out.
platform_notes='^This plugin does not support '
{ "$orlix" -no-helper-install -quick-optimize "$scratch"/*.png "$scratch"/*.jpg 2>&1 >&3 3>&- |
    { grep -Ev "$platform_notes" || true; } >&2; } 3>&1
status=0
for input in "$scratch"/*.png "$scratch"/*.jpg; do
    case "$input" in *-orlix*) continue ;; esac
    base=${input%.*}
    extension=${input##*.}
    output="$base-orlix.$extension"
    if [ -f "$output" ]; then
        before=$(wc -c < "$input")
        after=$(wc -c < "$output")
        echo "$(basename "$output"): $before -> $after bytes ($(( (before - after) * 100 / before ))% smaller)"
    else
        echo "$(basename "$input"): no output"
        status=1
    fi
done
exit $status
