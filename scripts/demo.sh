#!/usr/bin/env bash
# Starts the tracking-service simulator on a free loopback port and the window
# pointed at it, with docs/demo-numbers.txt in the clipboard-ready number list.
# Usage: scripts/demo.sh [build folder, default: build]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
sim="$build/tools/tracking-sim/tracking-sim"
app="$build/src/tolvane"
for f in "$sim" "$app"; do
    [ -x "$f" ] || { echo "missing $f: build first (see README)" >&2; exit 1; }
done

out="$(mktemp)"
"$sim" --port 0 >"$out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$out"' EXIT
for _ in $(seq 50); do
    grep -q '^port ' "$out" && break
    sleep 0.1
done
port="$(sed -n 's/^port \([0-9]*\).*/\1/p' "$out" | head -1)"
[ -n "$port" ] || { echo "tracking-sim did not start" >&2; exit 1; }

echo "tracking-sim on 127.0.0.1:$port"
echo "Paste the numbers of docs/demo-numbers.txt into the left box and press 查询,"
echo "or pick 导入查询 in the list's right-click menu and choose that file."
TOLVANE_DETECT_HOST="127.0.0.1:$port" TOLVANE_DETAIL_HOST="127.0.0.1:$port" "$app"
