#!/usr/bin/env python3
"""The desktop program's timings, its window driven by bench/desktop_bench.

Usage: bench/desktop_timings.py [BUILD_DIR] [RUNS]   (default: build, 9)

  preview    a click on a 65-point cube's row until its graded picture is on
             screen, two cubes clicked in turn (target: within 150 ms)
  quit       the window closed until the process has ended: right after it
             opened, and after a batch of 40 65-point cubes, interleaved
             (target: no longer after the batch)

Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 9
bench = os.path.join(build, "bench", "desktop_bench")
tovilut = os.path.join(build, "tovilut")
env = dict(os.environ)
env.setdefault("QT_QPA_PLATFORM", "offscreen")
here = os.path.dirname(os.path.abspath(__file__))
example = os.path.join(here, "..", "examples", "warm.cube")


def cube(folder, name, profile):
    """A 65-point cube from the example, through one output profile."""
    out = os.path.join(folder, name)
    os.makedirs(out)
    subprocess.run([tovilut, "convert", "-q", "-p", profile, "-s", "65", "-o", out, example], check=True)
    return os.path.join(out, os.listdir(out)[0])


def quit_ms(args):
    """From the window's close to the end of the process, in ms."""
    proc = subprocess.Popen([bench, "quit"] + args, stdout=subprocess.PIPE, env=env)
    out, _ = proc.communicate()
    ended = time.monotonic_ns()
    if proc.returncode != 0:
        sys.exit("desktop_bench quit failed")
    return (ended - int(out.split()[-1])) / 1e6


with tempfile.TemporaryDirectory() as tmp:
    env.setdefault("XDG_RUNTIME_DIR", tmp)  # Qt wants one; a fresh machine's root has none
    a = cube(tmp, "a", "cube-resolve")
    b = cube(tmp, "b", "cube-resolve")
    out = subprocess.run([bench, "preview", a, b, str(2 * RUNS)], stdout=subprocess.PIPE, env=env, check=True)
    clicks = [float(x) for x in out.stdout.split()]
    print("preview of a 65-point cube after a click: median %.1f ms, slowest %.1f ms (%d clicks)"
          % (statistics.median(clicks), max(clicks), len(clicks)))

    batch = []
    for i in range(40):
        batch.append(os.path.join(tmp, "in%02d.cube" % i))
        os.link(a, batch[-1])
    # One settings file for every run, as a user's are kept: the first run
    # makes it and is not counted.
    settings = os.path.join(tmp, "settings.conf")
    quit_ms([settings, tmp])
    fresh, after = [], []
    for i in range(RUNS):
        fresh.append(quit_ms([settings, tmp]))
        folder = os.path.join(tmp, "out%d" % i)
        os.makedirs(folder)
        after.append(quit_ms([settings, folder] + batch))
    print("quit right after start: median %.1f ms, slowest %.1f ms" % (statistics.median(fresh), max(fresh)))
    print("quit after a batch of 40 65-point cubes: median %.1f ms, slowest %.1f ms"
          % (statistics.median(after), max(after)))
