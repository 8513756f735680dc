"""FFmpeg as the oracle: its lut3d filter reads .cube, .3dl, .dat and .m3d
files (chosen by extension), its lut1d filter 1D .cube files. Colours go
through as one row of 32-bit float planar video (gbrpf32le), with trilinear
or linear interpolation; deep pictures are graded by both programs with the
same interpolation, trilinear or tetrahedral.

FFmpeg follows other rules than ours for three of them, and the suite checks
that the difference is exactly that rule, so a change on either side shows:
- .3dl: the cube is always 17 points and codes are divided by 4096, not by
  the 4095 of a 12-bit code (so white reads as 4095/4096). A 33-point .3dl
  is not read as a 33-point cube at all.
- .dat: FFmpeg takes the lines as blue fastest with red first in each line;
  our DaVinci writer and reader put red fastest and blue first. The two
  readings are mirror images (red and blue exchanged in the order and in the
  values); identity and channel-separable LUTs read the same either way.
- .m3d: FFmpeg reads three numbers per line and has no entry-number column,
  so the entry number becomes red, red becomes green and green blue.

Hald CLUT pictures go to FFmpeg's haldclut filter as its second input, and
both programs apply the same picture: the one we write through the profile
(level 8, 8 and 16 bits), and an identity of level 12 graded by `tovilut
apply`, which we read resampled onto 100 points (the difference is that
resampling). FFmpeg converts the CLUT picture to its float format with its
scaler, which does not keep the codes exactly (an 8-bit white of 255 comes
out as 0.9956, 16-bit nodes up to 5e-4 off); that conversion, not the
layout, is the difference left at level 8."""

import functools
import os
import struct

from support import (FLOAT_SLACK, Row, Sources, grid_colours, half_code, largest_difference,
                     need, not_read, run, sample_colours, six_decimals)

PROGRAM = "FFmpeg"
PROGRAMS = (PROGRAM,)
WRITTEN = "tovilut writes, FFmpeg reads"


def require():
    need("ffmpeg")


def ffmpeg_evaluate(tools, path, colours, filt):
    """One row of float pixels through the filter; planes are G, B, R."""
    width = len(colours)
    raw_in = tools.path("ffmpeg", "in.raw")
    raw_out = tools.path("ffmpeg", "out.raw")
    with open(raw_in, "wb") as f:
        for channel in (1, 2, 0):
            f.write(struct.pack("<%df" % width, *(c[channel] for c in colours)))
    interp = "trilinear" if filt == "lut3d" else "linear"
    escaped = path.replace("\\", "\\\\").replace(":", "\\:").replace("'", "\\'")
    run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "gbrpf32le",
         "-s", "%dx1" % width, "-i", raw_in,
         "-vf", "%s=file='%s':interp=%s" % (filt, escaped, interp),
         "-f", "rawvideo", "-pix_fmt", "gbrpf32le", raw_out])
    with open(raw_out, "rb") as f:
        v = struct.unpack("<%df" % (3 * width), f.read())
    return [(v[2 * width + i], v[i], v[width + i]) for i in range(width)]


def ffmpeg_haldclut(tools, clut, colours):
    """One row of float pixels through haldclut with the picture as its CLUT."""
    width = len(colours)
    raw_in = tools.path("ffmpeg", "hald-in.raw")
    raw_out = tools.path("ffmpeg", "hald-out.raw")
    with open(raw_in, "wb") as f:
        for channel in (1, 2, 0):
            f.write(struct.pack("<%df" % width, *(c[channel] for c in colours)))
    run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "gbrpf32le",
         "-s", "%dx1" % width, "-i", raw_in, "-i", clut,
         "-filter_complex", "[0:v][1:v]haldclut=interp=trilinear",
         "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gbrpf32le", raw_out])
    with open(raw_out, "rb") as f:
        v = struct.unpack("<%df" % (3 * width), f.read())
    return [(v[2 * width + i], v[i], v[width + i]) for i in range(width)]


def hald_written_case(tools, src, bits):
    """The picture the profile writes, applied by both."""
    out = tools.convert("Hald CLUT", src.cube(33), None, bits, tag="-%d" % bits)
    colours = sample_colours(64)
    _, ours = tools.evaluate(out, colours)
    return largest_difference(ffmpeg_haldclut(tools, out, colours), ours)


def hald_graded_case(tools, src, level):
    """An identity we generate, graded by `apply`, applied by both."""
    identity = tools.path("hald", "identity%d.png" % level)
    graded = tools.path("hald", "graded%d.png" % level)
    for f in (identity, graded):
        if os.path.exists(f):
            os.remove(f)
    run([tools.tovilut, "hald", "--level", str(level), identity])
    run([tools.tovilut, "apply", src.cube(33), identity, graded])
    colours = sample_colours(level * level)
    _, ours = tools.evaluate(graded, colours)
    return largest_difference(ffmpeg_haldclut(tools, graded, colours), ours)


def mirror(c):
    return (c[2], c[1], c[0])


def case(tools, src, profile, size, default, kind):
    is1d = kind == "1d"
    source = src.curves(size) if is1d else src.cube(size)
    out = tools.convert(profile, source, None if size == default else size)
    if isinstance(out, list):
        out = [f for f in out if f.endswith(".cube")][0]
    colours = grid_colours(size) if kind == "m3d" else sample_colours(size)
    filt = "lut1d" if is1d else "lut3d"
    if kind == "dat":
        # FFmpeg's reading of the file at x is ours at the mirror of x, mirrored.
        _, record = tools.evaluate(source, [mirror(c) for c in colours])
        return largest_difference(ffmpeg_evaluate(tools, out, colours, filt),
                                  [mirror(c) for c in record])
    _, record = tools.evaluate(source, colours)
    if kind == "3dl":
        record = [tuple(v * 4095 / 4096 for v in c) for c in record]
    elif kind == "m3d":
        s = size - 1
        index = [round(c[0] * s) * size * size + round(c[1] * s) * size + round(c[2] * s)
                 for c in colours]
        record = [(i / 65535, c[0], c[1]) for i, c in zip(index, record)]
    return largest_difference(ffmpeg_evaluate(tools, out, colours, filt), record)


# Profile, sizes (default first), kind, quantisation, note.
CASES = [
    ("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", [32], "3d", six_decimals(), ""),
    ("Cube 3D Davinci", [33, 8, 16, 17, 32, 64], "3d", six_decimals(), ""),
    ("Adobe Premiere Look", [32], "3d", six_decimals(), "the .cube it writes beside the look"),
    ("Cube 1D", [4096], "1d", six_decimals(), "lut1d filter"),
    ("3DL Scratch, Autodesk, Blackmagic, Cine-tal", [17], "3dl", half_code(12),
     "FFmpeg divides by 4096: compared with ours times 4095/4096"),
    ("Davinci DAT 3D", [33], "dat", six_decimals(),
     "FFmpeg reads the mirror image (blue fastest, red first): compared with ours mirrored"),
    ("Pandora 3D, Apple 3D m3d", [17], "m3d", half_code(16),
     "FFmpeg has no entry-number column: compared at the grid with the columns shifted"),
]

# Profiles whose files FFmpeg does not read as we mean them.
NOT_READ = [
    ("3DL Fusion", 33, "its .3dl reader always takes 17 points"),
    ("Cube 3D Truelight", 32,
     "a .cube is taken as an Iridas cube and the Truelight header refused"),
    ("Technicolor 3D mga", 33, ".mga is not among lut3d's extensions"),
    ("Autodesk Lustre 3D", 33, ".lut is not among lut3d's extensions"),
]


def not_read_case(tools, src, profile, size):
    out = tools.convert(profile, src.cube(size))
    colours = sample_colours(size)
    _, record = tools.evaluate(src.cube(size), colours)
    return not_read(lambda: ffmpeg_evaluate(tools, out, colours, "lut3d"), record, six_decimals())


def picture_pixels(path):
    """A picture as FFmpeg decodes it: float samples, plane by plane."""
    raw = path + ".raw"
    run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", path,
         "-f", "rawvideo", "-pix_fmt", "gbrpf32le", raw])
    with open(raw, "rb") as f:
        data = f.read()
    return struct.unpack("<%df" % (len(data) // 4), data)


def picture_case(tools, src, ext, pix_fmt, interp):
    """A deep picture FFmpeg makes, graded by `apply` and by FFmpeg's lut3d,
    both with the same interpolation."""
    picture = tools.path("pictures", "source." + ext)
    graded = tools.path("pictures", "graded." + ext)
    theirs = tools.path("pictures", "theirs." + ext)
    for f in (picture, graded, theirs):
        if os.path.exists(f):
            os.remove(f)
    run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=96x64",
         "-frames:v", "1", "-pix_fmt", pix_fmt, picture])
    run([tools.tovilut, "apply", "-q", "--interp", interp, src.cube(33), picture, "-o", graded])
    escaped = src.cube(33).replace("\\", "\\\\").replace(":", "\\:").replace("'", "\\'")
    run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", picture,
         "-vf", "lut3d=file='%s':interp=%s" % (escaped, interp), "-pix_fmt", pix_fmt, theirs])
    ours, ffmpeg = picture_pixels(graded), picture_pixels(theirs)
    if len(ours) != len(ffmpeg):
        raise RuntimeError("%d samples beside %d" % (len(ours), len(ffmpeg)))
    return max(abs(x - y) for x, y in zip(ours, ffmpeg))


# Deep pictures graded by `apply` against FFmpeg's lut3d on the same file.
PICTURES = (
    ("exr", "gbrpf32le", "trilinear", "33, float", 1e-6, "float OpenEXR graded in float by both"),
    ("dpx", "gbrp10le", "trilinear", "33, 10 bits", 1.5 / 1023,
     "10-bit DPX: FFmpeg grades at 10 bits, we in float; each rounds once"),
    ("tif", "rgb48le", "tetrahedral", "33, 16 bits, tetrahedral", 4.0 / 65535,
     "16-bit TIFF, tetrahedral in both: FFmpeg grades in float from 16 bits; each rounds once"),
)

HALD_NOTE = "haldclut filter, trilinear; FFmpeg's own conversion of the CLUT's codes"
GRADED = "graded by tovilut apply, both read"


def cases(tools):
    src = Sources(tools)
    for bits in (8, 16):
        row = Row("Hald CLUT", WRITTEN, PROGRAM, "64 (default), %d bits" % bits,
                  1.5 / 255 if bits == 8 else 1e-3, HALD_NOTE)
        yield row, functools.partial(hald_written_case, tools, src, bits)
    row = Row("Hald CLUT", GRADED, PROGRAM, "level 8 (64)", 1.5 / 255, HALD_NOTE)
    yield row, functools.partial(hald_graded_case, tools, src, 8)
    row = Row("Hald CLUT", GRADED, PROGRAM, "level 12 (144)", 1e-2,
              "we read it resampled onto 100 points: that resampling and FFmpeg's conversion")
    yield row, functools.partial(hald_graded_case, tools, src, 12)
    for ext, pix_fmt, interp, size, quantum, note in PICTURES:
        row = Row("Picture (.%s)" % ext, GRADED, PROGRAM, size, quantum, note)
        yield row, functools.partial(picture_case, tools, src, ext, pix_fmt, interp)
    for profile, sizes, kind, quantum, note in CASES:
        for i, size in enumerate(sizes):
            row = Row(profile, WRITTEN, PROGRAM, str(size) + ("" if i else " (default)"),
                      quantum + FLOAT_SLACK, note)
            yield row, functools.partial(case, tools, src, profile, size, sizes[0], kind)
    for profile, size, note in NOT_READ:
        row = Row(profile, WRITTEN, PROGRAM, str(size) + " (default)", None, note)
        yield row, functools.partial(not_read_case, tools, src, profile, size)
