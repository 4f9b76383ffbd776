#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Huesift's batch mode against the same job written on libvips (bench/batch/vips_keep.cpp):
# COUNT screenshot-like PNGs of WIDTH x HEIGHT (1920x1080 unless given; "photo" puts a
# photograph in a window on each), the colours KEEP kept, everything else white. Both
# take all files in one process, libvips on its own threads. Each side runs ROUNDS times,
# alternating, and its best round counts (a shared machine slows single rounds). Checks that
# the outputs have identical pixels and prints both times, their ratio and the size ratio.
# Run by hand after building (needs libvips-dev at configure time):
#   bench/batch/batch_vs_vips.sh [BUILD] [COUNT] [ROUNDS] [KEEP] [WIDTH HEIGHT [photo]]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-24}
rounds=${3:-3}
keep=${4:-000000}
width=${5:-1920}
height=${6:-1080}
kind=${7:-}
vips="$build/bench/huesift_vips_keep"
[ -x "$vips" ] || { echo "$vips is not built: install libvips-dev and configure again" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/ours" "$work/theirs"
"$build/bench/huesift_screenshots" "$count" "$work/in" "$width" "$height" $kind

now() { date +%s.%N; }
times_ours=()
times_theirs=()
for ((r = 0; r < rounds; r++)); do
  rm -f "$work"/ours/* "$work"/theirs/*
  t0=$(now)
  "$build/huesift" --keep "$keep" --out-dir "$work/ours" "$work"/in/*.png
  t1=$(now)
  "$vips" --keep "$keep" --out-dir "$work/theirs" "$work"/in/*.png
  t2=$(now)
  times_ours+=("$t0:$t1")
  times_theirs+=("$t1:$t2")
done

different=0
for f in "$work"/in/*.png; do
  name=${f##*/}
  "$vips" --same "$work/ours/$name" "$work/theirs/$name" || { echo "pixels differ: $name" >&2; different=$((different + 1)); }
done

python3 - "$work" "$different" "${times_ours[*]}" "${times_theirs[*]}" "${width}x${height} $kind" <<'PY'
import os, sys
work, different, shape = sys.argv[1], int(sys.argv[2]), sys.argv[5].strip()
def spans(text):
    return [float(b) - float(a) for a, b in (pair.split(":") for pair in text.split())]
ours, theirs = spans(sys.argv[3]), spans(sys.argv[4])
names = sorted(os.listdir(os.path.join(work, "in")))
size_ours = sum(os.path.getsize(os.path.join(work, "ours", n)) for n in names)
size_theirs = sum(os.path.getsize(os.path.join(work, "theirs", n)) for n in names)
best_ours, best_theirs = min(ours), min(theirs)
print(f"{len(names)} pictures {shape}, on {os.cpu_count()} cores, best of {len(ours)} rounds each")
print(f"  huesift batch (one call)        {best_ours:8.2f} s   (rounds: {' '.join(f'{t:.2f}' for t in ours)})")
print(f"  libvips program (one call)      {best_theirs:8.2f} s   (rounds: {' '.join(f'{t:.2f}' for t in theirs)})")
print(f"  libvips / huesift               {best_theirs / best_ours:8.2f}x   target >= 3")
print(f"  output size, huesift / libvips: total {size_ours / size_theirs:.3f}   target <= 1")
print(f"  pixels: {'identical in every output' if different == 0 else f'{different} outputs differ'}")
sys.exit(0 if different == 0 else 1)
PY
