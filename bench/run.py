#!/usr/bin/env python3
"""Whole-process benchmarks of tovilut, each beside its comparison in the same run.

Usage: bench/run.py [BUILD_DIR]   (default: build)
Prints medians of interleaved runs and the peak resident memory of a conversion.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
tovilut = os.path.join(build, "tovilut")
floor = os.path.join(build, "bench", "cube_floor")
RUNS = 15


def write_cube(path, n):
    with open(path, "w") as f:
        f.write("# benchmark cube\nLUT_3D_SIZE %d\n" % n)
        s = n - 1
        for b in range(n):
            for g in range(n):
                for r in range(n):
                    f.write("%.6f %.6f %.6f\n" % ((r / s) ** 0.5, g * b / (s * s), (r + b) / (2 * s)))


def run(cmd):
    """Wall time in ms and peak RSS in kB of one process."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return elapsed, usage.ru_maxrss


with tempfile.TemporaryDirectory() as tmp:
    src = os.path.join(tmp, "in.cube")
    write_cube(src, 65)
    out_dir = os.path.join(tmp, "out")
    os.mkdir(out_dir)
    ours_cmd = [tovilut, "convert", "-q", "--overwrite", "-p", "Cube 3D Davinci", "-s", "65",
                "-o", out_dir, src]
    floor_cmd = [floor, src, os.path.join(tmp, "floor.cube")]
    ours, floors, peak = [], [], 0
    for _ in range(RUNS):  # interleaved, so both see the same machine
        t, rss = run(ours_cmd)
        ours.append(t)
        peak = max(peak, rss)
        floors.append(run(floor_cmd)[0])
    mo, mf = statistics.median(ours), statistics.median(floors)
    print("65-point .cube read and written as a 65-point .cube (median of %d runs)" % RUNS)
    print("  tovilut convert : %7.1f ms" % mo)
    print("  floor program   : %7.1f ms" % mf)
    print("  ratio           : %7.2f (target <= 1.5)" % (mo / mf))
    print("  peak memory of tovilut convert: %.1f MB (target < 40 MB)" % (peak / 1024))
