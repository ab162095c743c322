#!/usr/bin/env bash
# Walks the live program through the accessibility bus. Starts everything it
# needs itself and stops all of it again: a private D-Bus session
# (dbus-run-session), the accessibility bus (at-spi-bus-launcher) inside it, an
# Xvfb on a display number it finds free, the panel simulator, and vantor on the
# xcb platform with its accessibility bridge on. The checks are walk.py's.
#
#   a11y_walk_test.sh BINDIR WALK.PY [walk.py arguments...]
#
# A11Y_SIM_SPEED=wire: the simulator answers at the line's speed (the progress
# window then stays up long enough to be walked). Exit 77 (skipped) when Xvfb,
# dbus-run-session, the bus launcher or pyatspi is missing. The whole run is
# bounded by $A11Y_TIMEOUT seconds (default 240).
set -uo pipefail
bindir=${1:?usage: a11y_walk_test.sh BINDIR WALK.PY [arguments]}
walk=${2:?usage: a11y_walk_test.sh BINDIR WALK.PY [arguments]}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
launcher=""
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$l" ] && launcher=$l && break
done
python=/usr/bin/python3
if ! command -v Xvfb >/dev/null || ! command -v dbus-run-session >/dev/null || [ -z "$launcher" ] ||
   ! "$python" -c 'import pyatspi' 2>/dev/null; then
  echo "skipped: needs Xvfb, dbus-run-session, at-spi2-core and python3-pyatspi (scripts/setup)"
  exit 77
fi

if [ "${A11Y_INNER:-}" != 1 ]; then
  # Outside: a private session bus for everything below, and a bound on the time.
  export A11Y_INNER=1 A11Y_LAUNCHER=$launcher
  exec timeout -k 10 "${A11Y_TIMEOUT:-240}" dbus-run-session -- bash "$0" "$bindir" "$walk" "$@"
fi

tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do
    for _ in $(seq 1 30); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Everything below keeps its sockets and settings in here, the bus launcher too.
mkdir -p "$tmp/state" "$tmp/run" "$tmp/home"
chmod 700 "$tmp/run"
export XDG_RUNTIME_DIR="$tmp/run" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"

# The accessibility bus, owned by this session only.
"$A11Y_LAUNCHER" --launch-immediately >/dev/null 2>&1 &
pids+=($!)

# Xvfb tells the display number it took on fd 5.
Xvfb -displayfd 5 -nolisten tcp -screen 0 1280x1024x24 5>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"

# The panel simulator, logging every message it takes.
speed=--fast
[ "${A11Y_SIM_SPEED:-}" = wire ] && speed=""
link=$("$here/../../tools/panelsim/start-sim.sh" "$bindir" "$tmp/panel" $speed --verbose --state "$tmp/state" \
       --watch-pid $$) || { echo "the simulator did not start"; exit 1; }
pids+=("$(cat "$link.pid")")
export A11Y_SIM_LOG="$link.log"

# The program, on the X server, with its accessibility bridge on. Message boxes
# and file dialogs show for real: the walk answers them.
cd "$tmp/home" || exit 1
env -u WAYLAND_DISPLAY -u VANTOR_MESSAGES QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    VANTOR_COM1="$link" "$bindir/vantor" >"$tmp/vantor.out" 2>"$tmp/vantor.err" &
vantor=$!
pids+=("$vantor")
export A11Y_VANTOR_PID=$vantor

"$python" "$walk" "$@"
status=$?
if ! kill -0 "$vantor" 2>/dev/null; then
  echo "vantor ended early"; status=1
fi
[ $status -eq 0 ] || { echo "--- vantor stderr"; tail -n 20 "$tmp/vantor.err"; }
exit $status
