#!/usr/bin/env python3
"""Each picture figure beside its peer, whole processes, interleaved, medians.

Usage: bench/pictures_vs_peers.py [BUILD_DIR] [RUNS]   (default: build, 7)
Needs ffmpeg and ImageMagick (identify, convert) on PATH.

  info on a 64 x 48 16-bit TIFF       against identify  (time and peak memory)
  apply, 65-point cube, 1920 x 1080:  16-bit TIFF, uncompressed float EXR,
                                      10-bit DPX; and a 3840 x 2160 BMP
                                      against ffmpeg's lut3d (trilinear, its
                                      default threads), same file types
  hald --level 8 to PNG               against convert hald:8 (time and size)

Each pair runs alternately, so both see the same machine; on a shared machine
the ratios hold better than the absolute times.
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
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
tovilut = os.path.join(build, "tovilut")
for tool in ("ffmpeg", "identify", "convert"):
    if not shutil.which(tool):
        sys.exit("%s is not installed (apt-get install ffmpeg imagemagick)" % tool)


def run(cmd):
    """Wall time in ms and peak resident memory in MB of one process. `info`
    on a picture that holds no LUT says so and exits 1, which counts too."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = (time.perf_counter() - start) * 1000
    if os.waitstatus_to_exitcode(status) not in (0, 1 if "info" in cmd else 0):
        sys.exit("failed: %s" % " ".join(cmd))
    return wall, usage.ru_maxrss / 1024


def pair(ours, peer):
    """Medians of (wall, memory) of both commands, run alternately."""
    a, b = [], []
    for _ in range(RUNS):
        a.append(run(ours))
        b.append(run(peer))
    med = lambda xs, i: statistics.median(x[i] for x in xs)
    return (med(a, 0), med(a, 1)), (med(b, 0), med(b, 1))


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-v", "error", "-y"] + list(args), check=True)


with tempfile.TemporaryDirectory() as tmp:
    p = lambda name: os.path.join(tmp, name)
    lut = p("grade.cube")
    write_cube(lut, 65)
    print("Pictures against their peers: median of %d interleaved runs each" % RUNS)

    ffmpeg("-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1", "-pix_fmt", "rgb48le",
           p("small.tif"))
    (ow, om), (pw, pm) = pair([tovilut, "info", p("small.tif")], ["identify", p("small.tif")])
    print("info, 64 x 48 16-bit TIFF        ours %6.1f ms %5.1f MB | identify %6.1f ms %5.1f MB"
          " | time %.2fx (target <= 1), memory target <= 30 MB" % (ow, om, pw, pm, ow / pw))

    src = "mandelbrot=size=1920x1080"
    cases = [("16-bit TIFF", "tif", ["-pix_fmt", "rgb48le"]),
             ("float EXR", "exr", ["-pix_fmt", "gbrpf32le", "-format", "float", "-compression", "none"]),
             ("10-bit DPX", "dpx", ["-pix_fmt", "gbrp10le"])]
    for label, ext, fmt in cases:
        ffmpeg("-f", "lavfi", "-i", src, "-frames:v", "1", *fmt, p("frame." + ext))
    ffmpeg("-f", "lavfi", "-i", "mandelbrot=size=3840x2160", "-frames:v", "1", "-pix_fmt", "bgr24",
           p("frame.bmp"))
    cases.append(("3840 x 2160 BMP", "bmp", []))
    for label, ext, fmt in cases:
        ours = [tovilut, "apply", "--overwrite", lut, p("frame." + ext), "-o", p("ours." + ext)]
        peer = ["ffmpeg", "-v", "error", "-y", "-i", p("frame." + ext), "-vf",
                "lut3d=file=%s:interp=trilinear" % lut, "-frames:v", "1", *fmt, p("peer." + ext)]
        (ow, om), (pw, pm) = pair(ours, peer)
        target = 2.0 if ext == "bmp" else 1.3
        print("apply, %-16s          ours %6.1f ms %5.1f MB | ffmpeg   %6.1f ms %5.1f MB"
              " | speed %.2fx ffmpeg's (target >= %.1f)" % (label, ow, om, pw, pm, pw / ow, target))

    ours = [tovilut, "hald", "--overwrite", "--level", "8", p("ours.png")]
    peer = ["convert", "hald:8", p("peer.png")]
    (ow, om), (pw, pm) = pair(ours, peer)
    os_, ps = os.path.getsize(p("ours.png")), os.path.getsize(p("peer.png"))
    print("hald --level 8, PNG              ours %6.1f ms %6d B | convert  %6.1f ms %6d B"
          " | time %.2fx, size %.2fx (targets <= 2)" % (ow, os_, pw, ps, ow / pw, os_ / ps))
