#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Huesift's batch mode against ImageMagick on the same work: COUNT screenshot-like 1920x1080
# PNGs, black kept, everything else white. ImageMagick runs once per file, as a script
# would call it; Huesift takes all files in one call. Prints both wall times, their ratio and
# the largest output-size ratio. Run by hand after building: bench/batch/batch_vs_magick.sh [BUILD] [COUNT]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-50}
magick=$(command -v convert-im6.q16 || command -v convert-im7.q16 || true)
[ -n "$magick" ] || { echo "ImageMagick (package imagemagick) is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/ours" "$work/theirs"
"$build/bench/huesift_screenshots" "$count" "$work/in"

now() { date +%s.%N; }
t0=$(now)
"$build/huesift" --keep 000000 --out-dir "$work/ours" "$work"/in/*.png
t1=$(now)
for f in "$work"/in/*.png; do
  "$magick" "$f" -fill white +opaque '#000000' "$work/theirs/${f##*/}"
done
t2=$(now)

python3 - "$t0" "$t1" "$t2" "$work" <<'PY'
import os, sys
t0, t1, t2, work = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
ours, theirs = t1 - t0, t2 - t1
names = sorted(os.listdir(os.path.join(work, "in")))
sizes = [(os.path.getsize(os.path.join(work, "ours", n)), os.path.getsize(os.path.join(work, "theirs", n)))
         for n in names]
worst = max(a / b for a, b in sizes)
print(f"{len(names)} pictures 1920x1080, black kept, on {os.cpu_count()} cores")
print(f"  huesift batch (one call)        {ours:8.2f} s")
print(f"  ImageMagick convert (per file)  {theirs:8.2f} s")
print(f"  ImageMagick / huesift           {theirs / ours:8.2f}x   target >= 3")
print(f"  output size, huesift / ImageMagick: total {sum(a for a, _ in sizes) / sum(b for _, b in sizes):.3f}, "
      f"largest per file {worst:.3f}   target <= 1.25")
PY
