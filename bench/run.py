#!/usr/bin/env python3
"""Whole-process benchmarks of tovilut, each beside its comparison in the same run.

Usage: bench/run.py [BUILD_DIR] [--floor PROGRAM]   (default: build, bench/cube_floor)
Prints medians of interleaved runs and the peak resident memory of a conversion.
--floor names another floor program taking IN OUT (a reference floor built elsewhere).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

args = sys.argv[1:]
floor = None
if "--floor" in args:
    k = args.index("--floor")
    floor = os.path.abspath(args[k + 1])
    del args[k:k + 2]
build = args[0] if args else "build"
tovilut = os.path.join(build, "tovilut")
floor = floor or os.path.join(build, "bench", "cube_floor")
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
    """Wall time in ms, peak RSS in kB and CPU time in ms of one process."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return elapsed, usage.ru_maxrss, (usage.ru_utime + usage.ru_stime) * 1000


with tempfile.TemporaryDirectory() as tmp:
    src = os.path.join(tmp, "in.cube")
    write_cube(src, 65)
    out_dir = os.path.join(tmp, "out")
    os.mkdir(out_dir)
    ours_cmd = [tovilut, "convert", "-q", "--overwrite", "-p", "Cube 3D Davinci", "-s", "65",
                "-o", out_dir, src]
    floor_cmd = [floor, src, os.path.join(tmp, "floor.cube")]
    ours, floors, ours_cpu, floors_cpu, peak = [], [], [], [], 0
    for _ in range(RUNS):  # interleaved, so both see the same machine
        t, rss, cpu = run(ours_cmd)
        ours.append(t)
        ours_cpu.append(cpu)
        peak = max(peak, rss)
        t, _, cpu = run(floor_cmd)
        floors.append(t)
        floors_cpu.append(cpu)
    mo, mf = statistics.median(ours), statistics.median(floors)
    co, cf = statistics.median(ours_cpu), statistics.median(floors_cpu)
    print("65-point .cube read and written as a 65-point .cube (median of %d runs)" % RUNS)
    print("  floor program: %s" % floor)
    print("  tovilut convert : %7.1f ms wall %7.1f ms cpu" % (mo, co))
    print("  floor program   : %7.1f ms wall %7.1f ms cpu" % (mf, cf))
    print("  ratio           : %7.2f wall %7.2f cpu (target <= 1.3)" % (mo / mf, co / cf))
    print("  peak memory of tovilut convert: %.1f MB (target <= 25 MB)" % (peak / 1024))
