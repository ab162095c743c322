#!/usr/bin/env bash
# Starts the panel simulator in the background and prints the path to open.
#
#   tools/panelsim/start-sim.sh BINDIR [LINK] [simulator options...]
#
# BINDIR is the build's bin folder (holding vantor-panel-sim); LINK defaults to
# $XDG_RUNTIME_DIR/vantor-panel (or /tmp/vantor-panel-$USER). The simulator's
# content is kept in ${XDG_STATE_HOME:-~/.local/state}/vantor/panel unless a
# --state option is given. It ends when the process that called this script
# ends (--watch-pid $PPID; pass your own --watch-pid to choose another). Prints
# the link path on standard output; the simulator's pid is in LINK.pid.
#
# Typical use in a start script that then execs the program:
#   link=$(tools/panelsim/start-sim.sh build/release/bin) && export VANTOR_COM1=$link
set -euo pipefail
bindir=${1:?usage: start-sim.sh BINDIR [LINK] [options...]}
shift
link=${1:-}
if [ -n "$link" ] && [ "${link#--}" = "$link" ]; then shift; else link=""; fi
if [ -z "$link" ]; then
  if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ]; then
    link="$XDG_RUNTIME_DIR/vantor-panel"
  else
    link="/tmp/vantor-panel-${USER:-$(id -u)}"
  fi
fi
args=("$@")
case " ${args[*]:-} " in *" --state "*) ;; *)
  state="${XDG_STATE_HOME:-$HOME/.local/state}/vantor/panel"
  mkdir -p "$state" 2>/dev/null && args+=(--state "$state") ;;
esac
case " ${args[*]:-} " in *" --watch-pid "*) ;; *) args+=(--watch-pid "$PPID") ;; esac

# An earlier simulator on the same link stops first.
if [ -f "$link.pid" ]; then
  old=$(cat "$link.pid" 2>/dev/null || true)
  if [ -n "$old" ] && kill -0 "$old" 2>/dev/null && grep -q vantor-panel-sim "/proc/$old/cmdline" 2>/dev/null; then
    kill "$old" 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$old" 2>/dev/null || break; sleep 0.1; done
  fi
fi

out=$(mktemp)
"$bindir/vantor-panel-sim" --link "$link" "${args[@]}" </dev/null >"$out" 2>>"${link}.log" &
pid=$!
echo "$pid" >"$link.pid"
for _ in $(seq 1 100); do
  if [ -s "$out" ]; then break; fi
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "start-sim.sh: the simulator did not start (see ${link}.log)" >&2
    rm -f "$out"
    exit 1
  fi
  sleep 0.05
done
path=$(head -n1 "$out")
rm -f "$out"
[ -n "$path" ] || { echo "start-sim.sh: no path from the simulator" >&2; exit 1; }
echo "$path"
