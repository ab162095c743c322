#!/bin/sh
# A headless GNOME compositor (mutter) on the private session bus that
# dbus-run-session made, the desktop portal started by the bus on demand, and
# wev as the compositor's program. Prints "ready <bus address>", then wev's
# output line by line. $1: the runtime folder (XDG_RUNTIME_DIR).
export XDG_RUNTIME_DIR="$1" XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-vantor
# No document portal: it would mount a file system at "doc" in the runtime
# folder, which could outlive a test that dies. A file there keeps it out.
: > "$XDG_RUNTIME_DIR/doc"
mutter --headless --wayland --no-x11 --virtual-monitor 800x600 --wayland-display "$WAYLAND_DISPLAY" \
  >/dev/null 2>&1 &
# The portal's GNOME backend needs mutter on the bus, and finds the compositor
# through the bus's activation environment.
gdbus wait --session --timeout 20 org.gnome.Mutter.RemoteDesktop || exit 1
dbus-update-activation-environment XDG_RUNTIME_DIR XDG_CURRENT_DESKTOP XDG_SESSION_TYPE WAYLAND_DISPLAY
echo "ready $DBUS_SESSION_BUS_ADDRESS"
exec stdbuf -oL wev
