#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long the window keeps its user waiting, on a private Xvfb screen of 3840x2160 with a
# screenshot-like 3840x2160 PNG: Paste (the file held on the clipboard by xclip, pasted after
# an idle pause in which the window readies its spare clipboard reader) and Open until the
# picture is painted, Process with 64 retained colours until the result is painted
# (without the fixed 500 ms pause), and the cold start against a minimal Qt Widgets window.
# The real program is then driven from outside by X input events: Paste, Open, Copy, Save and
# Process, each timed from the event to the pixels on the X server, the last byte in xclip or
# the saved file. Prints medians of REPEATS runs and each figure's target. Needs Xvfb, xclip
# and xdotool. Run as root, it adds Paste and Copy on Wayland (wayland_latency.py).
#   bench/window/window_latency.sh [BUILD] [REPEATS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
repeats=${2:-5}
for tool in Xvfb xclip xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb=
clip=
cleanup() {
  [ -n "$clip" ] && kill "$clip" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 3840x2160x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

"$build/bench/huesift_screenshots" 1 "$work" 3840 2160
picture="$work/shot-000.png"
xclip -selection clipboard -t image/png -i "$picture" -loops 0 >/dev/null 2>&1 &
clip=$!
sleep 0.3

# The program finds its cursors in the working directory or beside itself.
cd "$build"
"$build/bench/huesift_window_bench" --in-window "$picture" "$repeats"
"$build/bench/huesift_window_bench" --cold-start "$repeats" "$build/huesift" \
  "$build/bench/huesift_minimal_window"
# The same program driven from outside. The picture it opens is another part of the same
# desktop (3840x2100, 33 rows lower), so that each step changes what is shown.
mkdir "$work/other"
"$build/bench/huesift_screenshots" 2 "$work/other" 3840 2100
"$build/bench/huesift_window_bench" --outside "$repeats" "$build/huesift" "$picture" \
  "$work/other/shot-001.png" "$work"

# Paste and Copy on Wayland, beside the X11 figures: a headless sway run as a throw-away user,
# which only root can make; driven by the end-to-end tests' virtual pointer.
pointer="$build/tests/e2e/e2e_virtual_pointer"
if [ "$(id -u)" -eq 0 ] && [ -x "$pointer" ]; then
  HUESIFT_BENCH_REPEATS=$repeats python3 "$here/wayland_latency.py" \
    --huesift "$build/huesift" --pointer "$pointer" 2>/dev/null ||
    echo "Wayland figures: the session could not be run (see wayland_latency.py)"
else
  echo "Wayland figures: need root (for the session's throw-away user) and $pointer"
fi
