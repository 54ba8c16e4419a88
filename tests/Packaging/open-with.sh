#!/bin/sh
# Installs Orlix into a scratch prefix, makes it the desktop's application for PNG images and
# opens one with `gio open`, as a file manager's "Open With" does: Orlix starts with the file's
# URI, asks for the export settings (answered with Return), writes the output and quits by
# itself. Runs inside a private session bus, against a private X server, with a scratch home.
set -eu
. "$(dirname "$0")/../Support/require-programs.sh"
require_programs Xvfb:xvfb cmake:cmake gdbus:libglib2.0-bin gio:libglib2.0-bin xdg-mime:xdg-utils \
    xdotool:xdotool
build=${1:?usage: open-with.sh BUILD_FOLDER}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orlix-open-with-XXXXXX")
server=
cleanup() {
    # Orlix started its helper on this private bus: it goes with the test.
    timeout 10 gdbus call --session --dest co.corvendal.orlix-helper \
        --object-path /co/corvendal/OrlixHelper --method co.corvendal.OrlixHelper.Terminate \
        >/dev/null 2>&1 || true
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "open-with: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_DATA_DIRS="$scratch/prefix/share:/usr/share" PATH="$scratch/prefix/bin:$PATH"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

xdg-mime default co.corvendal.Orlix.desktop image/png
[ "$(xdg-mime query default image/png)" = co.corvendal.Orlix.desktop ] ||
    fail "Orlix is not the default application for PNG images"
# The reveal at the end of the run opens the folder: let that open nothing.
printf '[Desktop Entry]\nType=Application\nName=Nothing\nExec=true %%U\nNoDisplay=true\n' \
    >"$XDG_DATA_HOME/applications/nothing.desktop"
xdg-mime default nothing.desktop inode/directory

exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "the X server did not start"
export DISPLAY=":$(cat "$scratch/display")"

mkdir "$scratch/images"
"$build/bin/orlix-sample-images" "$scratch/images" >/dev/null
gio open "$scratch/images/screenshot.png"

window=$(timeout 60 xdotool search --sync --onlyvisible --name '.') ||
    fail "no export-settings window appeared"
xdotool windowfocus --sync "$(echo "$window" | head -n 1)" key Return

running() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner co.corvendal.Orlix | grep -q true
}
for _ in $(seq 600); do
    if ls "$scratch/images"/screenshot-orlix*.png >/dev/null 2>&1 && ! running; then
        [ -f "$XDG_CONFIG_HOME/autostart/co.corvendal.orlix-persist.desktop" ] ||
            fail "the helper's autostart entry was not installed"
        exit 0
    fi
    sleep 0.1
done
ls "$scratch/images"/screenshot-orlix*.png >/dev/null 2>&1 || fail "no output was written"
fail "Orlix did not quit after the run"
