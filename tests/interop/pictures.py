#!/usr/bin/env python3
"""Pictures against FFmpeg: a table over format x depth x alpha.

Each picture is written by FFmpeg, read by tovilut and written back as the
same type through an identity LUT (`tovilut apply`), and both files are then
decoded by FFmpeg and compared pixel by pixel at 16 bits (float for OpenEXR).
So every case checks our reading (the values we grade) and our writing (the
values another tool reads back), at the file's own depth and with its alpha.

Usage: pictures.py --tovilut PATH --work DIR      exit 77 without FFmpeg
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys

# (name, extension, FFmpeg's pixel format and options, FFmpeg's format to
# compare in, largest difference allowed in that format's units)
CASES = [
    ("BMP 8-bit", "bmp", ["-pix_fmt", "bgr24"], "rgb48le", 0),
    # libjpeg-turbo and FFmpeg decode the same file a few codes apart.
    ("JPEG 8-bit", "jpg", ["-pix_fmt", "yuvj444p", "-q:v", "1"], "rgb48le", 4 * 257),
    ("PNG 8-bit", "png", ["-pix_fmt", "rgb24"], "rgb48le", 0),
    ("PNG 8-bit alpha", "png", ["-pix_fmt", "rgba"], "rgba64le", 0),
    ("PNG 16-bit", "png", ["-pix_fmt", "rgb48be"], "rgb48le", 0),
    ("PNG 16-bit alpha", "png", ["-pix_fmt", "rgba64be"], "rgba64le", 0),
    # FFmpeg widens grey to RGB through its scaler, a little off c * 257.
    ("PNG grey 8-bit", "png", ["-pix_fmt", "gray"], "rgb48le", 2),
    ("PNG grey 16-bit", "png", ["-pix_fmt", "gray16be"], "rgb48le", 0),
    ("TIFF 8-bit", "tif", ["-pix_fmt", "rgb24"], "rgb48le", 0),
    ("TIFF 8-bit alpha", "tif", ["-pix_fmt", "rgba"], "rgba64le", 0),
    ("TIFF 16-bit", "tif", ["-pix_fmt", "rgb48le"], "rgb48le", 0),
    ("TIFF 16-bit alpha", "tif", ["-pix_fmt", "rgba64le"], "rgba64le", 0),
    ("TIFF grey 8-bit", "tif", ["-pix_fmt", "gray"], "rgb48le", 2),
    ("TIFF grey 16-bit", "tif", ["-pix_fmt", "gray16le"], "rgb48le", 0),
    ("TIFF deflate 16-bit", "tif", ["-pix_fmt", "rgb48le", "-compression_algo", "deflate"], "rgb48le", 0),
    ("TGA 8-bit", "tga", ["-pix_fmt", "bgr24"], "rgb48le", 0),
    ("TGA 8-bit alpha", "tga", ["-pix_fmt", "bgra"], "rgba64le", 0),
    ("TGA run-length", "tga", ["-pix_fmt", "bgr24", "-rle", "1"], "rgb48le", 0),
    ("DPX 8-bit", "dpx", ["-pix_fmt", "rgb24"], "rgb48le", 0),
    ("DPX 8-bit alpha", "dpx", ["-pix_fmt", "rgba"], "rgba64le", 0),
    ("DPX 10-bit", "dpx", ["-pix_fmt", "gbrp10le"], "rgb48le", 0),
    ("DPX 12-bit", "dpx", ["-pix_fmt", "gbrp12le"], "rgb48le", 0),
    ("DPX 16-bit", "dpx", ["-pix_fmt", "rgb48le"], "rgb48le", 0),
    ("DPX 16-bit alpha", "dpx", ["-pix_fmt", "rgba64le"], "rgba64le", 0),
    ("OpenEXR half", "exr", ["-pix_fmt", "gbrpf32le", "-format", "half", "-compression", "none"], "gbrpf32le", 0),
    ("OpenEXR float zip", "exr", ["-pix_fmt", "gbrpf32le", "-format", "float", "-compression", "zip16"], "gbrpf32le", 1e-6),
    ("OpenEXR half alpha", "exr", ["-pix_fmt", "gbrapf32le", "-format", "half"], "gbrapf32le", 0),
]

IDENTITY = "LUT_3D_SIZE 2\n" + "".join("%d %d %d\n" % (r, g, b) for b in (0, 1) for g in (0, 1) for r in (0, 1))


def decode(path, pix_fmt):
    raw = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "rawvideo",
                          "-pix_fmt", pix_fmt, "-"], check=True, stdout=subprocess.PIPE).stdout
    kind = "f" if "f32" in pix_fmt else "H"
    return struct.unpack("<%d%s" % (len(raw) // struct.calcsize(kind), kind), raw)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--tovilut", required=True)
    p.add_argument("--work", required=True)
    a = p.parse_args()
    if not shutil.which("ffmpeg"):
        print("ffmpeg is not installed")
        return 77
    os.makedirs(a.work, exist_ok=True)
    lut = os.path.join(a.work, "identity.cube")
    with open(lut, "w") as f:
        f.write(IDENTITY)
    failed = 0
    print("%-22s %10s %s" % ("picture", "largest", "difference (FFmpeg's decoding, ours written back)"))
    for i, (name, ext, options, pix_fmt, allowed) in enumerate(CASES):
        theirs = os.path.join(a.work, "case%d.%s" % (i, ext))
        ours = os.path.join(a.work, "case%d-ours.%s" % (i, ext))
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "testsrc2=size=67x45,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='X*3'",
                        "-frames:v", "1"] + options + [theirs], check=True)
        run = subprocess.run([a.tovilut, "apply", "-q", "--overwrite", lut, theirs, "-o", ours],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            print("%-22s FAILED: %s" % (name, run.stdout.strip()))
            failed += 1
            continue
        x, y = decode(theirs, pix_fmt), decode(ours, pix_fmt)
        worst = max(abs(u - v) for u, v in zip(x, y)) if len(x) == len(y) else float("inf")
        ok = worst <= allowed
        failed += not ok
        print("%-22s %10.6g %s" % (name, worst, "" if ok else "FAILED (allowed %g)" % allowed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
