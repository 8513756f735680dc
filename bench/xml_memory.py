#!/usr/bin/env python3
"""Peak memory of reading large XML documents, beside the file's own size.

Usage: bench/xml_memory.py [BUILD_DIR] [MEGABYTES]   (default: build 126)
Each shape is written to a temporary folder, read by `tovilut info` as a
Clipster 3D file (whole file into memory, then the node tree), and removed.
The shapes are the ones that cost the tree the most for their size: a tag of
a million long attributes, a million elements with text, a million empty
elements beside one long text, and a single long text.
"""
import os
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build"
size = int(sys.argv[2]) if len(sys.argv) > 2 else 126
tovilut = os.path.join(build, "tovilut")
N = size * 1000 * 1000
ITEMS = 999000  # below the item limit of one million


def attributes(f):
    value = "v" * (N // ITEMS - 10)
    f.write("<LUT3D")
    for i in range(ITEMS):
        f.write(" n%d=%s" % (i, value))
    f.write("/>")


def elements_with_text(f):
    text = "z" * (N // ITEMS - 7)
    f.write('<LUT3D N="2">')
    for _ in range(ITEMS):
        f.write("<a>%s</a>" % text)
    f.write("</LUT3D>")


def empty_elements_and_text(f):
    f.write('<LUT3D N="2">' + "<a/>" * ITEMS)
    f.write("q" * (N - 4 * ITEMS - 30) + "</LUT3D>")


def one_text(f):
    f.write('<?xml version="1.0"?>\n<LUT3D N="2">' + "x" * (N - 60) + "</LUT3D>\n")


def peak_kb(path):
    proc = subprocess.Popen([tovilut, "info", path], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(proc.pid, 0)
    return usage.ru_maxrss


print("%-32s %10s %10s %6s" % ("shape", "file MB", "peak MB", "ratio"))
with tempfile.TemporaryDirectory() as tmp:
    for name, write in [("a million attributes", attributes),
                        ("a million elements with text", elements_with_text),
                        ("a million empty elements, text", empty_elements_and_text),
                        ("one text", one_text)]:
        path = os.path.join(tmp, "shape.xml")
        with open(path, "w") as f:
            write(f)
        mb = os.path.getsize(path) / 1e6
        peak = peak_kb(path) * 1024 / 1e6
        print("%-32s %10.1f %10.1f %6.2f" % (name, mb, peak, peak / mb))
        os.remove(path)
