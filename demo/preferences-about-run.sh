#!/usr/bin/env bash
# Opens the preferences and About windows of a real `orlix` on a private X display, as a user
# does (Ctrl+, on the drop window; About from its context menu), and saves screenshots of them:
#   preferences-window.png          the drop zones turned on (Ctrl, the only key, stays checked)
#   preferences-window-wayland.png  the same window in a session that says it is Wayland
#   about-window.png
# Then checks that the click reached Orlix's helper domain.
# Usage: preferences-about-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER. Needs xvfb, openbox, xdotool,
# imagemagick and dbus-daemon. Every wait ends after at most 30 seconds.
set -euo pipefail
bin=$(realpath "${1:?usage: preferences-about-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER}")
shots=$(realpath "${2:?usage: preferences-about-run.sh BUILD_BIN_FOLDER SCREENSHOT_FOLDER}")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orlix-windows-XXXXXX")
export XDG_CONFIG_HOME="$scratch/.config"
# The first-run questions are answered, so that only the windows asked for are on the screen.
mkdir -p "$XDG_CONFIG_HOME/orlix"
cat >"$XDG_CONFIG_HOME/orlix/co.corvendal.Orlix.plist" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>OXDisplayedEnableDragUIMessage</key><true/>
<key>OXDisplayedEnableAutomaticUpdatesMessage</key><true/>
</dict></plist>
EOF

. "$(dirname "$0")/private-display.sh"

export bin shots
dbus-run-session -- bash -euo pipefail -c '
    openbox >/dev/null 2>&1 &
    sleep 0.5
    window() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
    shot() { import -frame -window "$1" "$shots/$2"; }
    # One launch of Orlix: its drop window, then the preferences window by their shortcut.
    preferences() {
        "$bin/orlix" -no-helper-install 2>/dev/null &
        app=$!
        drop=$(window Orlix)
        xdotool windowactivate --sync "$drop"; sleep 0.5
        xdotool key --clearmodifiers ctrl+comma
        prefs=$(window "Orlix Preferences")
        xdotool windowactivate --sync "$prefs"; sleep 0.5
    }
    quit() { kill $app; timeout 30 bash -c "while kill -0 $app 2>/dev/null; do sleep 0.2; done"; }

    preferences
    xdotool key --clearmodifiers alt+s; sleep 0.5
    shot "$prefs" preferences-window.png
    # The About window from the drop window'"'"'s context menu, whose first item it is.
    xdotool mousemove --window "$drop" 60 60 click 3; sleep 0.5
    xdotool key Down Return
    about=$(window "About Orlix"); sleep 0.5
    shot "$about" about-window.png
    quit

    export XDG_SESSION_TYPE=wayland
    preferences
    shot "$prefs" preferences-window-wayland.png
    quit
'
helper="$XDG_CONFIG_HOME/orlix/co.corvendal.orlix-helper.plist"
if grep -q "<key>OXShowUIOnImageFileDrag</key>" "$helper" 2>/dev/null &&
    grep -A1 "<key>OXDragUIModifierKeys</key>" "$helper" | grep -q "<integer>2</integer>"; then
    echo "the drop zones are on, with Ctrl"
else
    echo "the helper's domain does not hold the choice" >&2
    exit 1
fi
