#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the benchmark program the way collecting tools do: JSON on standard output and in a
file, a filter, and the ratio table beside them on standard error (on standard output with
the console table)."""
import json
import os
import subprocess
import sys
import tempfile

bench = sys.argv[1]
args = [bench, "--benchmark_filter=^memcpy|^process_strip/1/", "--benchmark_min_time=0.01"]
with tempfile.TemporaryDirectory() as folder:
    saved_path = os.path.join(folder, "out.json")
    run = subprocess.run(args + ["--benchmark_format=json", "--benchmark_out=" + saved_path,
                                 "--benchmark_out_format=json"],
                         capture_output=True, text=True, check=True)
    shown = json.loads(run.stdout)  # nothing but JSON on standard output
    with open(saved_path) as f:
        saved = json.load(f)
names = {b["run_name"].split("/repeats")[0] for b in shown["benchmarks"]}
assert names == {"memcpy", "process_strip/1"}, names
assert {b["run_name"].split("/repeats")[0] for b in saved["benchmarks"]} == names
assert "Ratios in this run" in run.stderr and "process_strip/1 " in run.stderr, run.stderr

console = subprocess.run(args, capture_output=True, text=True, check=True)
assert "Ratios in this run" in console.stdout, console.stdout
assert "process_strip/1/repeats:" in console.stdout and "_median" in console.stdout
print("benchmark flags work")
