"""ICC profiles: what `tovilut lut2icc` writes is evaluated by LittleCMS
(transicc unoptimised in floating point; tificc and jpgicc on pictures) and by
ArgyllCMS (iccdump, xicclu), beside the values our own evaluation predicts;
and `tovilut icc2lut` on real and LittleCMS-made profiles of every class it
takes, with each rendering intent, is set beside transicc.

ArgyllCMS reads ICC version 2 profiles only: it is given the version 2.4
profiles that `lut2icc --icc-version 2` writes, and the suite checks that it
still refuses version 4.

lut16 with an XYZ connection space encodes 1.0 as 32768, so a code c reads
as c / 32768 (transicc prints XYZ times 100)."""

import functools
import hashlib
import os
import re
import struct
import subprocess

from support import NOT_READ, Row, Sources, grid_colours, largest_difference, need, run

PROGRAMS = ("LittleCMS transicc", "LittleCMS tificc", "LittleCMS jpgicc", "ArgyllCMS xicclu",
            "ArgyllCMS iccdump", "Python hashlib")
WRITTEN = "tovilut lut2icc writes"
READS = "tovilut icc2lut reads"
HALF8 = 0.5 / 255
HALF16 = 0.5 / 65535
CODE16 = 1 / 65535
PRINTED = 1e-6  # transicc prints four decimals of 0..100 or 0..255


def lcms_16bit(profiles):
    """LittleCMS evaluates a 16-bit table on 16-bit inputs in fixed point:
    half a code on the way in (times the table's slope), half on the way out,
    and its own rounding. Two codes for each profile of a transform."""
    return 2 * profiles * CODE16 + PRINTED


LCMS_16BIT = lcms_16bit(1)
LCMS_16BIT_TWO = lcms_16bit(2)
CLASSES = ("display", "input", "link")
DISPLAY_PROFILE = "/usr/share/color/argyll/ref/DisplayP3.icm"
INTENTS = ("perceptual", "relative", "saturation", "absolute")


def require():
    need("transicc", "tificc", "jpgicc", "linkicc", "iccdump", "xicclu")


def transicc(args, rows):
    text = "\n".join(" ".join("%.6f" % v for v in r) for r in rows) + "\n"
    out = run(["transicc", "-n", "-c0"] + args, input=text)
    return [tuple(float(v) for v in line.split()) for line in out.splitlines() if line.strip()]


def xicclu(args, rows):
    text = "\n".join(" ".join("%.9f" % v for v in r) for r in rows) + "\n"
    out = run(["xicclu", "-v0"] + args, input=text)
    return [tuple(float(v) for v in line.split()) for line in out.splitlines() if line.strip()]


def lut2icc(tools, source, cls, version=4, tag=""):
    icc = tools.path("icc", "%s%s-v%d%s.icc" % (cls, os.path.basename(source)[:-5], version, tag))
    run([tools.tovilut, "lut2icc", source, "-o", icc, "--class", cls, "--icc-version",
         str(version), "--overwrite"])
    return icc


@functools.lru_cache(maxsize=None)
def fixtures(tools):
    folder = tools.path("fixtures", "x")[:-2]
    run([tools.fixtures, folder])
    return folder


# ---------------------------------------------------------------------------
# The profiles as files: what ArgyllCMS makes of their versions, the ID.

def refused_case(tools, src):
    """ArgyllCMS refuses version 4 outright."""
    for cls in CLASSES:
        dump = subprocess.run(["iccdump", "-v1", lut2icc(tools, src.cube(17), cls)],
                              capture_output=True, text=True)
        if "ICC V4 not supported" not in dump.stdout + dump.stderr:
            raise RuntimeError("ArgyllCMS now reads version 4 profiles: check them directly")
    return NOT_READ


def iccdump_case(tools, src):
    """Every tag of the version 2.4 profiles dumps without a complaint."""
    problems = []
    for cls in CLASSES:
        dump = run(["iccdump", "-v3", lut2icc(tools, src.cube(17), cls, 2)])
        problems += [line for line in dump.splitlines()
                     if re.search(r"Unable|Error|Warning|Wrong", line)]
    if problems:
        raise RuntimeError("iccdump: %s" % "; ".join(problems[:5]))
    return 0.0


def profile_id_case(tools, src):
    """The version 4 profile ID is the MD5 of the profile with the flags,
    rendering intent and ID fields zeroed; version 2 has none (zero)."""
    wrong = 0
    for version in (4, 2):
        for cls in CLASSES:
            with open(lut2icc(tools, src.cube(17), cls, version), "rb") as f:
                data = bytearray(f.read())
            written = bytes(data[84:100])
            for at, size in ((44, 4), (64, 4), (84, 16)):
                data[at:at + size] = bytes(size)
            expected = hashlib.md5(data).digest() if version == 4 else bytes(16)
            wrong += written != expected
    return float(wrong)


# ---------------------------------------------------------------------------
# Device links.

def link_colours(size, is1d):
    return grid_colours(size) if not is1d else [(i / (size - 1),) * 3 for i in range(size)]


def link_transicc(tools, src, size, is1d):
    source = src.curves(size) if is1d else src.cube(size)
    icc = lut2icc(tools, source, "link")
    colours = link_colours(size, is1d)
    _, ours = tools.evaluate(source, colours)
    theirs = transicc(["-t1", "-l" + icc], [[v * 255 for v in c] for c in colours])
    return largest_difference([[v / 255 for v in c] for c in theirs], ours)


def link_xicclu(tools, src, size, is1d):
    """Version 2.4, beside transicc on the same profile. Both interpolate
    curves linearly, so 1D is compared between nodes too; ArgyllCMS's tables
    interpolate on simplexes and LittleCMS's tetrahedrally, so 3D only at the
    nodes."""
    source = src.curves(size) if is1d else src.cube(size)
    icc = lut2icc(tools, source, "link", 2)
    colours = grid_colours(size) if not is1d else [(i / 997,) * 3 for i in range(998)]
    theirs = xicclu(["-ff", icc], colours)
    lcms = transicc(["-t1", "-l" + icc], [[v * 255 for v in c] for c in colours])
    return largest_difference(theirs, [[v / 255 for v in c] for c in lcms])


def write_bmp(path, width, height, pixels):
    """24-bit BMP, rows bottom-up, each padded to 4 bytes."""
    pad = (4 - 3 * width % 4) % 4
    rows = []
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for r, g, b in pixels[y * width:(y + 1) * width])
        rows.append(row + bytes(pad))
    body = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    start = struct.unpack("<I", data[10:14])[0]
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    step = bits // 8
    stride = (step * width + 3) // 4 * 4
    pixels = []
    for y in range(abs(height)):
        at = start + stride * (abs(height) - 1 - y if height > 0 else y)
        for x in range(width):
            b, g, r = data[at + step * x:at + step * x + 3]
            pixels.append((r, g, b))
    return pixels


def picture_as(tools, bmp, out):
    """Our apply with an identity cube: the picture in another file type, or
    a picture decoded to BMP, value for value."""
    identity = tools.path("img", "identity.cube")
    with open(identity, "w") as f:
        f.write("LUT_3D_SIZE 2\n" + "".join("%d %d %d\n" % (r, g, b) for b in (0, 1)
                                            for g in (0, 1) for r in (0, 1)))
    run([tools.tovilut, "apply", identity, bmp, out, "--overwrite"])
    return out


def tificc_case(tools, src):
    """Every node of an 18-point cube is an 8-bit value (15 k), so a picture
    of all of them is transformed exactly at the LUT's nodes; unoptimised
    (-c0), as an optimised transform resamples the table."""
    n = 18
    source = src.cube(n)
    icc = lut2icc(tools, source, "link")
    nodes = [(15 * r, 15 * g, 15 * b) for r in range(n) for g in range(n) for b in range(n)]
    bmp = tools.path("img", "nodes.bmp")
    write_bmp(bmp, 108, 54, nodes)
    tif = picture_as(tools, bmp, tools.path("img", "nodes.tif"))
    out = tools.path("img", "nodes-link.tif")
    run(["tificc", "-c0", "-l" + icc, tif, out])
    theirs = read_bmp(picture_as(tools, out, tools.path("img", "nodes-link.bmp")))
    _, ours = tools.evaluate(source, [tuple(v / 255 for v in p) for p in nodes])
    return largest_difference([[v / 255 for v in p] for p in theirs], ours)


def jpgicc_case(tools, src):
    """A smooth picture through JPEG: the link applied by jpgicc (-c0,
    quality 100) beside ours applied to the decoded input. JPEG's own
    re-encoding is most of the difference."""
    n = 18
    source = src.cube(n)
    icc = lut2icc(tools, source, "link")
    size = 64
    pixels = [(round(x / 63 * 255), round(y / 63 * 255), round((x + y) / 126 * 255))
              for y in range(size) for x in range(size)]
    bmp = tools.path("img", "smooth.bmp")
    write_bmp(bmp, size, size, pixels)
    jpg = picture_as(tools, bmp, tools.path("img", "smooth.jpg"))
    out = tools.path("img", "smooth-link.jpg")
    run(["jpgicc", "-c0", "-q100", "-l" + icc, jpg, out])
    decoded = read_bmp(picture_as(tools, jpg, tools.path("img", "smooth-in.bmp")))
    theirs = read_bmp(picture_as(tools, out, tools.path("img", "smooth-link.bmp")))
    _, ours = tools.evaluate(source, [tuple(v / 255 for v in p) for p in decoded])
    return largest_difference([[v / 255 for v in p] for p in theirs], ours)


# ---------------------------------------------------------------------------
# Input and display profiles.

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


def clamp_code(v):
    """A LUT value as lut2icc stores it: clamped, times 65535, rounded."""
    return round(min(1.0, max(0.0, v)) * 65535)


def input_transicc(tools, src):
    """The input class's table: XYZ predicted from our evaluation through the
    sRGB decoding and matrix."""
    source = src.cube(17)
    icc = lut2icc(tools, source, "input")
    colours = grid_colours(33)  # the input class always samples 33 points
    _, ours = tools.evaluate(source, colours)
    table = srgb_decode_table()
    predicted = [[c / 65535 for c in rgb_to_xyz_codes([clamp_code(v) for v in o], table)]
                 for o in ours]
    theirs = transicc(["-t1", "-i" + icc, "-o*XYZ"], [[v * 255 for v in c] for c in colours])
    # Both in lut16 codes of 1/32768.
    return largest_difference([[v / 100 * 32768 / 65535 for v in c] for c in theirs], predicted)


def input_xicclu(tools, src):
    icc = lut2icc(tools, src.cube(17), "input", 2)
    colours = grid_colours(33)
    theirs = xicclu(["-ff", "-ir", "-pX", icc], colours)
    lcms = transicc(["-t1", "-i" + icc, "-o*XYZ"], [[v * 255 for v in c] for c in colours])
    return largest_difference([[v / 100 for v in c] for c in theirs],
                              [[v / 100 for v in c] for c in lcms])


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


def display_nodes(icc, size):
    """The display class carries the LUT behind XYZ -> linear RGB -> encoding.
    The XYZ (times 100) that lands on each node of the cube, through the
    inverse of the profile's own matrix and encoding curve. The encoding
    curve is steep near black (slope up to 7), where LittleCMS's 16-bit input
    to the curve moves the cube's input by a few codes: nodes with a
    component below 0.18 are left out."""
    matrix, curve = read_b2a0(icc)
    back = inverse3(matrix)
    nodes = [c for c in grid_colours(size) if min(c) >= 0.18]
    xyz = []
    for c in nodes:
        lin = [curve_inverse(curve, v) for v in c]
        enc = [sum(back[3 * r + k] * lin[k] for k in range(3)) for r in range(3)]
        xyz.append([v * 65535 / 32768 * 100 for v in enc])
    return nodes, xyz


def display_transicc(tools, src):
    source = src.cube(17)
    icc = lut2icc(tools, source, "display")
    nodes, xyz = display_nodes(icc, 17)
    theirs = transicc(["-t1", "-i*XYZ", "-o" + icc], xyz)
    _, ours = tools.evaluate(source, nodes)
    return largest_difference([[v / 255 for v in c] for c in theirs], ours)


def display_xicclu(tools, src):
    icc = lut2icc(tools, src.cube(17), "display", 2)
    _, xyz = display_nodes(icc, 17)
    theirs = xicclu(["-fb", "-ir", "-pX", icc], xyz)
    lcms = transicc(["-t1", "-i*XYZ", "-o" + icc], xyz)
    return largest_difference(theirs, [[v / 255 for v in c] for c in lcms])


def display_accuracy(tools, src, version, intent):
    """LUT -> display profile -> LittleCMS from sRGB, at every node of the
    cube, beside the LUT itself: what the construction costs (see the notes
    below the table)."""
    source = src.cube(17)
    icc = lut2icc(tools, source, "display", version)
    colours = grid_colours(17)
    theirs = transicc(["-t%d" % intent, "-i*sRGB", "-o" + icc],
                      [[v * 255 for v in c] for c in colours])
    _, ours = tools.evaluate(source, colours)
    return largest_difference([[v / 255 for v in c] for c in theirs], ours)


# ---------------------------------------------------------------------------
# icc2lut, beside transicc on the same profiles.

def icc2lut(tools, profile, size, *options, cube=True):
    """Through "Cube 3D Davinci" at the size, or "Cube 1D" (4096 entries)."""
    name = re.sub(r"\W+", "_", os.path.basename(profile) + "".join(options))
    out = tools.path("icc2lut", name + ".cube")
    run([tools.tovilut, "icc2lut", profile, "-p", "Cube 3D Davinci" if cube else "Cube 1D", "-o",
         out, "--overwrite"] + (["-s", str(size)] if size else []) + list(options))
    return out


def on_16_bits(colours):
    return [tuple(round(v * 65535) / 65535 for v in c) for c in colours]


def bounded(args):
    """transicc clipped to 0..1, as a 16-bit transform is."""
    return ["-s"] + args


def icc2lut_rgb(tools, profile, size, forward, backward, *options, but_white=False):
    """Our LUT from the profile (and inverted) beside transicc with the
    matching arguments: from sRGB to the profile, and back."""
    colours = on_16_bits(grid_colours(size))
    if but_white:
        colours.remove((1.0, 1.0, 1.0))
    worst = 0
    for invert, args in ((False, forward), (True, backward)):
        if args is None:
            continue
        out = icc2lut(tools, profile, size, *(options + (("--invert",) if invert else ())))
        _, ours = tools.evaluate(out, colours)
        theirs = transicc(bounded(args), [[v * 255 for v in c] for c in colours])
        worst = max(worst, largest_difference([[v / 255 for v in c] for c in theirs], ours))
    return worst


def intent_case(tools, intent, bpc):
    profile = os.path.join(fixtures(tools), "tables-display.icc")
    flags = ["-t%d" % intent] + (["-b"] if bpc else [])
    options = ("--intent", INTENTS[intent]) + (("--bpc",) if bpc else ())
    return icc2lut_rgb(tools, profile, 17, flags + ["-i*sRGB", "-o" + profile],
                       flags + ["-i" + profile, "-o*sRGB"], *options)


def spac_case(tools, name):
    profile = os.path.join(fixtures(tools), name)
    return icc2lut_rgb(tools, profile, 17, ["-t0", "-i*sRGB", "-o" + profile],
                       ["-t0", "-i" + profile, "-o*sRGB"])


def abstract_case(tools):
    """sRGB -> the look -> sRGB, made a device link by linkicc (33 nodes, so
    our 17-point grid falls on its nodes). linkicc puts white onto white, as
    LittleCMS does in every transform it optimises: white is left out."""
    profile = os.path.join(fixtures(tools), "abstract.icc")
    chain = tools.path("icc2lut", "abstract-chain.icc")
    run(["linkicc", "-n33", "-t0", "-o" + chain, "*sRGB", profile, "*sRGB"])
    return icc2lut_rgb(tools, profile, 17, ["-t0", "-l" + chain], None, but_white=True)


def gray_case(tools, name, invert):
    """A gray profile gives a 1D LUT: the gray of each ramp value on all
    three channels, or the colour of each gray."""
    profile = os.path.join(fixtures(tools), name)
    size = 17
    ramp = on_16_bits([(i / (size - 1),) * 3 for i in range(size)])
    out = icc2lut(tools, profile, None, *(("--invert",) if invert else ()), cube=False)
    _, ours = tools.evaluate(out, ramp)
    gray_in = (name == "gray-input.icc") != invert
    if gray_in:
        args = ["-t0", "-i" + profile, "-o*sRGB"]
        theirs = [[v / 255 for v in c] for c in transicc(bounded(args), [[c[0] * 255] for c in ramp])]
    else:
        args = ["-t0", "-i*sRGB", "-o" + profile]
        theirs = [[c[0] / 255] * 3
                  for c in transicc(bounded(args), [[v * 255 for v in c] for c in ramp])]
    return largest_difference(theirs, ours)


def cases(tools):
    src = Sources(tools)
    yield (Row("Display, input, device link (ICC 4.0)", WRITTEN, "ArgyllCMS iccdump", "17", None,
               "ArgyllCMS reads version 2 only (\"ICC V4 not supported\")"),
           functools.partial(refused_case, tools, src))
    yield (Row("Display, input, device link (ICC 2.4)", WRITTEN, "ArgyllCMS iccdump", "17", 0,
               "problems reported by iccdump -v3 (Unable, Error, Warning, Wrong)"),
           functools.partial(iccdump_case, tools, src))
    yield (Row("Profile ID of display, input, device link (ICC 4.0 and 2.4)", WRITTEN,
               "Python hashlib", "17", 0,
               "profiles whose ID is not the MD5 of the profile with the flags, intent and ID "
               "fields zeroed (4.0), or not zero (2.4)"),
           functools.partial(profile_id_case, tools, src))
    for size, is1d in ((17, False), (33, False), (4096, True)):
        kind = "1D" if is1d else "3D"
        yield (Row("Device link (%s)" % kind, WRITTEN, "LittleCMS transicc", str(size), LCMS_16BIT,
                   "at the LUT's nodes (its tables interpolate tetrahedrally, on 16-bit inputs)"),
               functools.partial(link_transicc, tools, src, size, is1d))
        yield (Row("Device link (%s, ICC 2.4)" % kind, WRITTEN, "ArgyllCMS xicclu", str(size),
                   LCMS_16BIT, "beside transicc on the same profile; "
                   + ("between nodes too" if is1d else "at the nodes")),
               functools.partial(link_xicclu, tools, src, size, is1d))
    yield (Row("Device link (3D) on a TIFF picture", WRITTEN, "LittleCMS tificc", "18",
               HALF8 + HALF16, "tificc -c0 -l; 8 bits a channel, every node of the cube once"),
           functools.partial(tificc_case, tools, src))
    yield (Row("Device link (3D) on a JPEG picture", WRITTEN, "LittleCMS jpgicc", "18", 0.01,
               "jpgicc -c0 -q100 -l on a smooth 64 x 64 picture; mostly JPEG's re-encoding"),
           functools.partial(jpgicc_case, tools, src))
    yield (Row("Input (3D, 17)", WRITTEN, "LittleCMS transicc", "33 (grid)", HALF16 + PRINTED,
               "XYZ predicted from our evaluation through the sRGB decoding and matrix"),
           functools.partial(input_transicc, tools, src))
    yield (Row("Input (3D, 17, ICC 2.4)", WRITTEN, "ArgyllCMS xicclu", "33 (grid)", LCMS_16BIT,
               "beside transicc on the same profile, XYZ"),
           functools.partial(input_xicclu, tools, src))
    yield (Row("Display (3D, 17)", WRITTEN, "LittleCMS transicc", "17", LCMS_16BIT,
               "XYZ aimed at each node through the profile's matrix and encoding curve; "
               "nodes below 0.18 left out (steep curve, 16-bit input)"),
           functools.partial(display_transicc, tools, src))
    yield (Row("Display (3D, 17, ICC 2.4)", WRITTEN, "ArgyllCMS xicclu", "17", LCMS_16BIT,
               "beside transicc on the same profile, from the XYZ aimed at each node"),
           functools.partial(display_xicclu, tools, src))
    for version, intent, allowed in ((4, 0, 0.08), (4, 1, 0.035), (4, 2, 0.08), (4, 3, 0.035),
                                     (2, 0, 0.035)):
        yield (Row("Display (3D, 17, ICC %s) from sRGB, %s" % ("4.0" if version == 4 else "2.4",
                                                             INTENTS[intent]),
                   "LUT -> profile -> LittleCMS", "LittleCMS transicc", "17", allowed,
                   "beside the LUT at every node; the construction's own error (notes below)"),
               functools.partial(display_accuracy, tools, src, version, intent))
    yield (Row("icc2lut, display profile DisplayP3.icm", READS, "LittleCMS transicc", "17",
               LCMS_16BIT_TWO, "sRGB to the display, perceptual, and back (--invert)"),
           functools.partial(icc2lut_rgb, tools, DISPLAY_PROFILE, 17,
                             ["-t0", "-i*sRGB", "-o" + DISPLAY_PROFILE],
                             ["-t0", "-i" + DISPLAY_PROFILE, "-o*sRGB"]))
    for intent in range(4):
        for bpc in (False, True):
            yield (Row("icc2lut, tables of each intent, %s%s" % (INTENTS[intent],
                                                                 ", BPC" if bpc else ""),
                       READS, "LittleCMS transicc", "17", LCMS_16BIT_TWO,
                       "LittleCMS-made display profile (Lab, version 4); transicc -t%d%s, "
                       "both ways" % (intent, " -b" if bpc else "")),
                   functools.partial(intent_case, tools, intent, bpc))
    for name, what in (("srgb-spac.icc", "sRGB"), ("tables-spac.icc", "tables")):
        yield (Row("icc2lut, colour space profile ('spac', %s)" % what, READS,
                   "LittleCMS transicc", "17", LCMS_16BIT_TWO,
                   "taken as a display: sRGB to it, and back (--invert)"),
               functools.partial(spac_case, tools, name))
    yield (Row("icc2lut, abstract profile ('abst')", READS, "LittleCMS transicc", "17",
               lcms_16bit(3), "sRGB, the look, sRGB: linkicc's link of the three; white left out "
               "(linkicc puts it onto white)"),
           functools.partial(abstract_case, tools))
    for name, invert, what in (("gray-display.icc", False, "display, sRGB to gray"),
                               ("gray-display.icc", True, "display inverted, gray to sRGB"),
                               ("gray-input.icc", False, "input, gray to sRGB")):
        yield (Row("icc2lut, gray profile (%s)" % what, READS, "LittleCMS transicc",
                   "17 (Cube 1D)", LCMS_16BIT, "the ramp through the one channel"),
               functools.partial(gray_case, tools, name, invert))
