#!/usr/bin/env bash
# start-sim.sh starts the simulator in the background, prints its link, and the
# simulator ends when the process that started it ends.
set -euo pipefail
bindir=$1
script=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
link="$tmp/panel"
# A shell that starts the simulator, checks the link and ends.
bash -c '
  got=$("$0" "$1" "$2" --fast --state "$3/state")
  [ "$got" = "$2" ] || { echo "printed $got, wanted $2" >&2; exit 1; }
  [ -L "$2" ] || { echo "no link at $2" >&2; exit 1; }
  case "$(readlink "$2")" in /dev/pts/*) ;; *) echo "link does not name a pty" >&2; exit 1 ;; esac
' "$script" "$bindir" "$link" "$tmp"
pid=$(cat "$link.pid")
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the simulator outlived the process that started it" >&2
  kill "$pid"
  exit 1
fi
[ ! -e "$link" ] || { echo "the link was left behind" >&2; exit 1; }
[ -s "$tmp/state/panel.kdl" ] || { echo "no state saved" >&2; exit 1; }
echo ok
