# Sourced by the scripts that drive Orlix's windows: starts Xvfb on a free display, stopped when
# the script exits, and points the programs at it with a private runtime folder.
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
export DISPLAY=:$display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
runtime=$(mktemp -d); chmod 700 "$runtime"; export XDG_RUNTIME_DIR=$runtime
