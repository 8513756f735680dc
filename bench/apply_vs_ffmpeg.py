#!/usr/bin/env python3
"""`tovilut apply` beside FFmpeg's lut3d filter (trilinear) on the same UHD frame.

Usage: bench/apply_vs_ffmpeg.py [BUILD_DIR]   (default: build; needs ffmpeg on PATH)
Both grade one 3840 x 2160 8-bit frame with the same 65-point .cube, reading
and writing the same file type; runs are interleaved so both see the same
machine. Prints medians of wall time and of CPU time (user + system).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from grade_cube import write_cube

build = sys.argv[1] if len(sys.argv) > 1 else "build"
tovilut = os.path.join(build, "tovilut")
RUNS = 11
if not shutil.which("ffmpeg"):
    sys.exit("ffmpeg is not installed (apt-get install ffmpeg)")


def run(cmd):
    """Wall and CPU time in ms of one process."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = (time.perf_counter() - start) * 1000
    if status != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    return wall, (usage.ru_utime + usage.ru_stime) * 1000


with tempfile.TemporaryDirectory() as tmp:
    lut = os.path.join(tmp, "grade.cube")
    write_cube(lut, 65)
    frame = os.path.join(tmp, "frame.png")
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "mandelbrot=size=3840x2160,format=rgb24", "-frames:v", "1", frame], check=True)
    for ext in ("bmp", "png"):
        src = os.path.join(tmp, "frame." + ext)
        if ext != "png":
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", frame, "-pix_fmt", "bgr24", src],
                           check=True)
        ours_cmd = [tovilut, "apply", "--overwrite", lut, src, "-o", os.path.join(tmp, "ours." + ext)]
        ff_cmd = ["ffmpeg", "-v", "error", "-y", "-i", src, "-vf",
                  "lut3d=file=%s:interp=trilinear" % lut, "-frames:v", "1",
                  os.path.join(tmp, "ffmpeg." + ext)]
        ours, ff = [], []
        for _ in range(RUNS):
            ours.append(run(ours_cmd))
            ff.append(run(ff_cmd))
        ow, fw = statistics.median(t[0] for t in ours), statistics.median(t[0] for t in ff)
        oc, fc = statistics.median(t[1] for t in ours), statistics.median(t[1] for t in ff)
        print("3840x2160 .%s through a 65-point cube (median of %d runs)" % (ext, RUNS))
        print("  tovilut apply : %7.1f ms wall, %7.1f ms CPU" % (ow, oc))
        print("  ffmpeg lut3d  : %7.1f ms wall, %7.1f ms CPU" % (fw, fc))
        print("  ratio         : %7.2f wall, %7.2f CPU (target: wall <= 0.77, 1.3 times as fast)"
              % (ow / fw, oc / fc))
