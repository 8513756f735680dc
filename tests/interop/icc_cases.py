"""ICC profiles: what `tovilut lut2icc` writes is evaluated by LittleCMS's
transicc (unoptimised, floating point, relative colorimetric) and by
ArgyllCMS's xicclu, beside the values our own evaluation predicts; and
`tovilut icc2lut` on a real display profile is set beside transicc.

ArgyllCMS reads ICC version 2 profiles only and refuses our version 4
profiles outright ("ICC V4 not supported"); the suite checks that, then
gives ArgyllCMS a copy whose header says version 2.4. In that copy every tag
reads without error except the two version-4 text tags ('desc' and 'cprt'
are 'mluc', which version 2 does not have), and xicclu evaluates its lut16
tables.

lut16 with an XYZ connection space encodes 1.0 as 32768, so a code c reads
as c / 32768 (transicc prints XYZ times 100)."""

import functools
import re
import struct
import subprocess

from support import NOT_READ, Row, Sources, grid_colours, largest_difference, need, run

PROGRAMS = ("LittleCMS transicc", "ArgyllCMS xicclu", "ArgyllCMS iccdump")
WRITTEN = "tovilut lut2icc writes"
HALF16 = 0.5 / 65535
CODE16 = 1 / 65535
PRINTED = 1e-6  # transicc prints four decimals of 0..100 or 0..255
# LittleCMS evaluates a 16-bit table on 16-bit inputs in fixed point: half a
# code on the way in (times the table's slope), half on the way out, and its
# own rounding. Two codes in all.
LCMS_16BIT = 2 * CODE16 + PRINTED


def require():
    need("transicc", "iccdump", "xicclu")


def transicc(args, rows):
    text = "\n".join(" ".join("%.6f" % v for v in r) for r in rows) + "\n"
    out = run(["transicc", "-n", "-c0"] + args, input=text)
    return [tuple(float(v) for v in line.split()) for line in out.splitlines() if line.strip()]


def xicclu(args, rows):
    text = "\n".join(" ".join("%.9f" % v for v in r) for r in rows) + "\n"
    out = run(["xicclu", "-v0"] + args, input=text)
    return [tuple(float(v) for v in line.split()) for line in out.splitlines() if line.strip()]


def clamp_code(v):
    """A LUT value as lut2icc stores it: clamped, times 65535, rounded."""
    return round(min(1.0, max(0.0, v)) * 65535)


def as_version2(tools, icc):
    with open(icc, "rb") as f:
        data = bytearray(f.read())
    data[8:12] = bytes([2, 0x40, 0, 0])
    copy = icc[:-4] + "-v2.icc"
    with open(copy, "wb") as f:
        f.write(data)
    return copy


def argyll_reads(tools, icc):
    """ArgyllCMS refuses version 4, and reads the version-2 copy's tags."""
    dump = subprocess.run(["iccdump", "-v1", icc], capture_output=True, text=True)
    if "ICC V4 not supported" not in dump.stdout + dump.stderr:
        raise RuntimeError("ArgyllCMS now reads version 4 profiles: check them directly")
    copy = as_version2(tools, icc)
    dump = run(["iccdump", "-v3", copy])
    problems = [line for line in dump.splitlines() if re.search(r"Unable|Error|Warning", line)]
    unexpected = [line for line in problems if "Wrong tag type (''mluc'')" not in line]
    if unexpected or len(problems) != 2:
        raise RuntimeError("iccdump: %s" % "; ".join(problems))
    return copy


def link_profile(tools, src, size, is1d):
    source = src.curves(size) if is1d else src.cube(size)
    icc = tools.path("icc", "link%d.icc" % size)
    run([tools.tovilut, "lut2icc", source, "-o", icc, "--class", "link", "--overwrite"])
    return source, icc


def link_transicc(tools, src, size, is1d):
    source, icc = link_profile(tools, src, size, is1d)
    colours = grid_colours(size) if not is1d else [(i / (size - 1),) * 3 for i in range(size)]
    _, ours = tools.evaluate(source, colours)
    theirs = transicc(["-t1", "-l" + icc], [[v * 255 for v in c] for c in colours])
    return largest_difference([[v / 100 * 32768 / 65535 for v in c] for c in theirs], ours)


def link_xicclu(tools, src, size, is1d):
    source, icc = link_profile(tools, src, size, is1d)
    copy = argyll_reads(tools, icc)
    # Its curves interpolate linearly, as ours, so 1D is compared between nodes
    # too; its tables interpolate on simplexes, so 3D only at the nodes.
    colours = grid_colours(size) if not is1d else [(i / 997,) * 3 for i in range(998)]
    _, ours = tools.evaluate(source, colours)
    theirs = xicclu(["-ff", copy], colours)
    return largest_difference([[v * 32768 / 65535 for v in c] for c in theirs], ours)


# The device-to-XYZ encoding of the input and display classes.
def srgb_decode_table():
    def dec(x):
        return x / 12.92 if x <= 0.04045 else ((x + 0.055) / 1.055) ** 2.4
    return [round(dec(i / 1023) * 65535) for i in range(1024)]


def rgb_to_xyz_codes(codes, table):
    r, g, b = (table[round(c / 65535 * 1023)] / 65535 for c in codes)
    xyz = (0.2172 * r + 0.1918 * g + 0.0712 * b + 0.0016,
           0.1108 * r + 0.3572 * g + 0.0301 * b + 0.0017,
           0.0069 * r + 0.0483 * g + 0.3557 * b + 0.0014)
    return [round(min(1.0, v) * 65535) for v in xyz]


def input_case(tools, src, size, program):
    source = src.cube(size)
    icc = tools.path("icc", "input%d.icc" % size)
    run([tools.tovilut, "lut2icc", source, "-o", icc, "--class", "input", "--overwrite"])
    colours = grid_colours(33)  # the input class always samples 33 points
    _, ours = tools.evaluate(source, colours)
    table = srgb_decode_table()
    predicted = [[c / 65535 for c in rgb_to_xyz_codes([clamp_code(v) for v in o], table)]
                 for o in ours]
    if program == "transicc":
        theirs = transicc(["-t1", "-i" + icc, "-o*XYZ"], [[v * 255 for v in c] for c in colours])
        theirs = [[v / 100 for v in c] for c in theirs]
    else:
        copy = argyll_reads(tools, icc)
        theirs = [[v / 100 for v in c] for c in xicclu(["-ff", "-ir", "-pX", copy], colours)]
    # Both print XYZ; our prediction is in lut16 codes of 1/32768.
    return largest_difference([[v * 32768 / 65535 for v in c] for c in theirs], predicted)


def read_b2a0(icc):
    """The display class's PCS-to-device lut16: its matrix and input curve."""
    with open(icc, "rb") as f:
        data = f.read()
    count = struct.unpack(">I", data[128:132])[0]
    tags = {data[132 + 12 * i:136 + 12 * i]: struct.unpack(">II", data[136 + 12 * i:144 + 12 * i])
            for i in range(count)}
    at = tags[b"B2A0"][0]
    if data[at:at + 4] != b"mft2":
        raise RuntimeError("B2A0 is not a lut16")
    matrix = [v / 65536 for v in struct.unpack(">9i", data[at + 12:at + 48])]
    entries = struct.unpack(">H", data[at + 48:at + 50])[0]
    curve = struct.unpack(">%dH" % entries, data[at + 52:at + 52 + 2 * entries])
    return matrix, curve


def inverse3(m):
    a, b, c, d, e, f, g, h, i = m
    det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g)
    return [(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
            (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
            (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det]


def curve_inverse(curve, p):
    """The input, 0..1, at which the tabulated curve gives p."""
    t = p * 65535
    n = len(curve) - 1
    for k in range(n):
        if curve[k] <= t <= curve[k + 1] and curve[k + 1] > curve[k]:
            return (k + (t - curve[k]) / (curve[k + 1] - curve[k])) / n
    raise RuntimeError("the curve does not reach %g" % p)


def display_case(tools, src, size):
    """The display class carries the LUT behind XYZ -> linear RGB -> encoding.
    We ask transicc for the XYZ that lands on each node of our cube (the
    inverse of the profile's own matrix and encoding curve) and expect the
    node's value. The encoding curve is steep near black (slope up to 7), so
    there LittleCMS's 16-bit input to the curve moves the cube's input by a
    few codes: nodes with a component below 0.18 are left out."""
    source = src.cube(size)
    icc = tools.path("icc", "display%d.icc" % size)
    run([tools.tovilut, "lut2icc", source, "-o", icc, "--class", "display", "--overwrite"])
    argyll_reads(tools, icc)
    matrix, curve = read_b2a0(icc)
    back = inverse3(matrix)
    nodes = [c for c in grid_colours(size) if min(c) >= 0.18]
    xyz = []
    for c in nodes:
        lin = [curve_inverse(curve, v) for v in c]
        enc = [sum(back[3 * r + k] * lin[k] for k in range(3)) for r in range(3)]
        xyz.append([v * 65535 / 32768 * 100 for v in enc])
    theirs = transicc(["-t1", "-i*XYZ", "-o" + icc], xyz)
    _, ours = tools.evaluate(source, nodes)
    return largest_difference([[v / 255 for v in c] for c in theirs], ours)


def icc2lut_case(tools, display, size):
    out = tools.path("icc2lut", "display%d.cube" % size)
    run([tools.tovilut, "icc2lut", display, "-p", "Cube 3D Davinci", "-s", str(size), "-o", out,
         "--overwrite"])
    colours = [tuple(round(v * 65535) / 65535 for v in c) for c in grid_colours(size)]
    _, ours = tools.evaluate(out, colours)
    # From sRGB to the display's device values, perceptual: what icc2lut samples.
    theirs = transicc(["-t0", "-i*sRGB", "-o" + display], [[v * 255 for v in c] for c in colours])
    return largest_difference([[v / 255 for v in c] for c in theirs], ours)


DISPLAY_PROFILE = "/usr/share/color/argyll/ref/DisplayP3.icm"


def refused_case(tools, src):
    """Each class as written: ArgyllCMS refuses version 4 (argyll_reads
    raises should that change)."""
    for cls in ("display", "input", "link"):
        icc = tools.path("icc", "as-written-%s.icc" % cls)
        run([tools.tovilut, "lut2icc", src.cube(17), "-o", icc, "--class", cls, "--overwrite"])
        argyll_reads(tools, icc)
    return NOT_READ


def cases(tools):
    src = Sources(tools)
    yield (Row("Display, input, device link (ICC 4.0, as written)", WRITTEN, "ArgyllCMS iccdump",
               "17", None, "ArgyllCMS reads version 2 only; the copies marked 2.4 read "
               "without errors but for the version-4 text tags 'desc' and 'cprt' ('mluc')"),
           functools.partial(refused_case, tools, src))
    allowed = LCMS_16BIT
    for size, is1d in ((17, False), (33, False), (4096, True)):
        kind = "1D" if is1d else "3D"
        yield (Row("Device link (%s)" % kind, WRITTEN, "LittleCMS transicc", str(size), allowed,
                   "at the LUT's nodes (its tables interpolate tetrahedrally, on 16-bit inputs)"),
               functools.partial(link_transicc, tools, src, size, is1d))
        yield (Row("Device link (%s)" % kind, WRITTEN, "ArgyllCMS xicclu", str(size),
                   HALF16 + PRINTED,
                   "version-2 copy; " + ("between nodes too" if is1d else "at the nodes")),
               functools.partial(link_xicclu, tools, src, size, is1d))
    for program in ("transicc", "xicclu"):
        yield (Row("Input (3D, 17)", WRITTEN, "LittleCMS transicc" if program == "transicc"
                   else "ArgyllCMS xicclu", "33 (grid)", HALF16 + PRINTED,
                   "XYZ predicted from our evaluation through the sRGB decoding and matrix"
                   + ("" if program == "transicc" else "; version-2 copy")),
               functools.partial(input_case, tools, src, 17, program))
    yield (Row("Display (3D, 17)", WRITTEN, "LittleCMS transicc", "17", LCMS_16BIT,
               "XYZ aimed at each node through the profile's matrix and encoding curve; "
               "nodes below 0.18 left out (steep curve, 16-bit input)"),
           functools.partial(display_case, tools, src, 17))
    yield (Row("icc2lut, display profile DisplayP3.icm", "tovilut icc2lut reads",
               "LittleCMS transicc", "17", LCMS_16BIT,
               "sRGB to the display, perceptual, at the grid"),
           functools.partial(icc2lut_case, tools, DISPLAY_PROFILE, 17))
