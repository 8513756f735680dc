"""OpenColorIO as the oracle: it reads .3dl (flame and lustre), .cube (Iridas
and Resolve), Truelight, Pandora .m3d/.mga and Iridas .look files, and
ociobakelut writes several of them. Evaluation is OpenColorIO's CPU
processor with linear (trilinear) interpolation, in float32."""

import functools
import math
import os
import subprocess
import sys

from support import (FLOAT_SLACK, Row, Sources, grid_colours, half_code, largest_difference,
                     need, not_read, run, sample_colours, six_decimals)

PROGRAM = "OpenColorIO"
EIGHT_DECIMALS = 0.5e-8
PROGRAMS = (PROGRAM,)
WRITTEN = "tovilut writes, OpenColorIO reads"
BAKED = "ociobakelut writes, tovilut reads"

# Profile, sizes (the first is the default), the record's quantisation.
WRITTEN_3D = [
    ("3DL Scratch, Autodesk, Blackmagic, Cine-tal", [17], half_code(12), ""),
    ("3DL Fusion", [33], half_code(12), ""),
    ("Dolby DD3", [17], half_code(12), "a .3dl file under another extension"),
    ("Autodesk Lustre 3D", [33], half_code(12), "3DMESH file; .lut extension"),
    ("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", [32], six_decimals(), ""),
    ("Cube 3D Davinci", [33, 8, 16, 17, 32, 64], six_decimals(), ""),
    ("Cube 3D Truelight", [32], six_decimals(), ""),
    ("Adobe Premiere Look", [32], six_decimals(), "the .cube it writes beside the look"),
    ("Adobe SpeedGrade Look", [8, 16, 17, 32, 33, 64], 0.0, "32-bit float nodes"),
    ("Pandora 3D, Apple 3D m3d", [17], half_code(16), ""),
    ("Technicolor 3D mga", [33], half_code(16), ""),
    ("Academy/ASC CLF 3D", [33, 17], 0.0, "32-bit float nodes, written by OpenColorIO"),
    ("Cinespace 3D", [33, 17], EIGHT_DECIMALS, ""),
    ("Sony Imageworks spi3d", [33, 17], EIGHT_DECIMALS, ""),
]
WRITTEN_1D = [
    ("Cube 1D", [4096], six_decimals(), ""),
    ("Filmlight Truelight 1D", [4096], six_decimals(), ""),
    ("Sony Imageworks spi1d", [4096], EIGHT_DECIMALS, ""),
]
# Profiles whose files OpenColorIO does not read as we mean them.
NOT_READ_3D = [
    ("Davinci DAT 3D", 33, "no DaVinci .dat reader"),
]
NOT_READ_1D = [
    ("Autodesk Lustre 1D", 65536,
     "its LUT16 header and entry-number column are not the Discreet 1D layout (\"LUT: 3 N\")"),
]
# ociobakelut format, extension, cube sizes (default first), note.
BAKED_3D = [
    ("flame", "3dl", [17, 33], "12-bit codes; the mesh line rounds 1023*i/(n-1)"),
    ("lustre", "3dl", [33, 17], "3DMESH file"),
    ("iridas_cube", "cube", [32, 17, 64], ""),
    ("resolve_cube", "cube", [64, 33], ""),
    ("truelight", "cub", [32, 17], "input curve then cube"),
    ("Academy/ASC Common LUT Format", "clf", [33, 17], "read through OpenColorIO"),
    ("Color Transform Format", "ctf", [33], "read through OpenColorIO"),
    ("cinespace", "csp", [33, 17], "read through OpenColorIO"),
    ("houdini", "lut", [33], "read through OpenColorIO"),
    ("iridas_itx", "itx", [33], ""),
]


def require():
    try:
        import PyOpenColorIO  # noqa: F401
    except ImportError:
        print("SKIP: PyOpenColorIO (python3-pyopencolorio) is not installed for", sys.executable)
        sys.exit(77)
    need("ociobakelut")


def ocio_evaluate(path, colours, cccid=""):
    import PyOpenColorIO as OCIO
    config = OCIO.Config.CreateRaw()
    t = OCIO.FileTransform(src=path, cccId=cccid, interpolation=OCIO.INTERP_LINEAR)
    cpu = config.getProcessor(t).getDefaultCPUProcessor()
    flat = cpu.applyRGB([v for c in colours for v in c])
    return [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]


def written_case(tools, src, profile, size, default, is1d):
    source = src.curves(size) if is1d else src.cube(size)
    out = tools.convert(profile, source, None if size == default else size)
    if isinstance(out, list):  # the Premiere look: evaluate the cube it names
        out = [f for f in out if f.endswith(".cube")][0]
    colours = sample_colours(size)
    head, record = tools.evaluate(source, colours)
    assert head["size3d"] == size or head["size1d"] == size, head
    return largest_difference(ocio_evaluate(out, colours), record)


def not_read_case(tools, src, profile, size, is1d):
    source = src.curves(size) if is1d else src.cube(size)
    out = tools.convert(profile, source)
    colours = sample_colours(size)
    _, record = tools.evaluate(source, colours)
    return not_read(lambda: ocio_evaluate(out, colours), record, six_decimals())


CDL = """<?xml version="1.0" encoding="UTF-8"?>
<ColorCorrection id="grade">
  <SOPNode>
    <Slope>%s</Slope>
    <Offset>0.02 0.01 0.05</Offset>
    <Power>1.2 0.9 1.1</Power>
  </SOPNode>%s
</ColorCorrection>
"""
CDL_SAT = """
  <SATNode>
    <Saturation>0.7</Saturation>
  </SATNode>"""


def write_cdl(tools, name, slope, extra=""):
    path = tools.path("cdl", name)
    with open(path, "w") as f:
        f.write(CDL % (slope, extra))
    return path


def write_collection(tools, name, root, wrap):
    """Two corrections in a .ccc or .cdl: the first the saturated grade."""
    path = tools.path("cdl", name)
    first = CDL % ("0.9 0.95 0.8", CDL_SAT)
    second = CDL % ("1.1 1.0 0.9", "")
    body = "".join(wrap % c.split("\n", 1)[1].replace('id="grade"', 'id="%s"' % i)
                   for c, i in ((first, "a"), (second, "b")))
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<%s xmlns="urn:ASC:CDL:v1.01">\n%s</%s>\n'
                % (root, body, root))
    return path


def cdl_case(tools, rule):
    """We read a .cc into a 33-point cube; OpenColorIO evaluates it exactly,
    and at the cube's nodes the two agree. Both mix saturation with Rec. 709
    luma, as the ASC rule asks. Above 1 neither clamps (OpenColorIO reads .cc
    files in its no-clamp style; below 0 ours clamps, so the grades stay
    above it). A collection or decision list gives its first correction."""
    cc = {"sop": lambda: write_cdl(tools, "sop.cc", "0.9 0.95 0.8"),
          "saturation": lambda: write_cdl(tools, "sat.cc", "0.9 0.95 0.8", CDL_SAT),
          "bright": lambda: write_cdl(tools, "bright.cc", "1.3 0.95 1.2"),
          "ccc": lambda: write_collection(tools, "looks.ccc", "ColorCorrectionCollection", "%s"),
          "cdl": lambda: write_collection(tools, "looks.cdl", "ColorDecisionList",
                                          "<ColorDecision>\n%s</ColorDecision>\n")}[rule]()
    head, _ = tools.evaluate(cc, [])
    colours = grid_colours(head["size3d"])
    _, ours = tools.evaluate(cc, colours)
    theirs = ocio_evaluate(cc, colours, "a" if rule in ("ccc", "cdl") else "")
    if rule == "bright" and max(max(c) for c in ours) < 1.2:
        raise RuntimeError("the bright grade stays below 1")
    return largest_difference(ours, theirs)


# Looks whose 3DL codes a guess from the values misreads: (name, transform).
LOOKS_3DL = [
    ("dark", lambda r, g, b: (0.2 * r, 0.15 * g, 0.1 * b)),
    ("inverted", lambda r, g, b: (1 - r, 1 - g, 1 - b)),
    ("constant", lambda r, g, b: (0.973, 0.973, 0.973)),
]


def baked_look_case(tools, fmt, look, fn, size):
    source = tools.path("src", "%s%d.cube" % (look, size))
    lines = ["LUT_3D_SIZE %d" % size]
    s = size - 1
    for bi in range(size):
        for gi in range(size):
            for ri in range(size):
                lines.append("%.10f %.10f %.10f" % fn(ri / s, gi / s, bi / s))
    with open(source, "w") as f:
        f.write("\n".join(lines) + "\n")
    out = tools.path("baked", "%s-%s%d.3dl" % (fmt, look, size))
    run(["ociobakelut", "--lut", source, "--format", fmt, "--cubesize", str(size), out])
    colours = sample_colours(size)
    _, ours = tools.evaluate(out, colours)
    # A flame file says no depth: a table whose codes stay below 1228 is
    # 10-bit to every reader, OpenColorIO's own included, so the two readings
    # are compared. A lustre file's Mesh line states 12 bits, which we
    # follow: compared with the look baked.
    if fmt == "flame":
        return largest_difference(ours, ocio_evaluate(out, colours))
    return largest_difference(ours, ocio_evaluate(source, colours))


# 3DL files of other writers: the shaper's depth and the table's are worked
# out apart. (file, note)
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
# Files of other writers that both read: (file, size, note). The 3DL ones
# work out the shaper's depth and the table's apart; the Autodesk 1D ones
# take their depths from the "<in>to<out>" name.
FIXTURES = [
    ("3dl/shaper16_nodes12.3dl", 5, "16-bit shaper (0 .. 65535) over 12-bit nodes"),
    ("3dl/shaper10_nodes12.3dl", 5, "10-bit shaper over 12-bit nodes"),
    ("3dl/stated_10_10.3dl", 5, "10 bits in and out, as its comments say"),
    ("3dl/dark_12bit.3dl", 5, "12-bit table whose largest code is 819: 10-bit to both"),
    ("1d/film_8to10.lut", 256, "Autodesk 1D, 8 bits in, 10 out by its name"),
    ("1d/log_12to16fp.lut", 4096, "Autodesk 1D whose name says half-float bit patterns"),
    ("csp/channel_domains.csp", 3, "Cinespace preluts over 0..1.2, -0.1..1 and -1..1"),
    ("csp/descending_prelut.csp", 3, "Cinespace prelut whose inputs descend"),
    ("csp/bent_prelut.csp", 3, "Cinespace prelut of 5 uneven points (a smooth curve through them)"),
    ("csp/prelut_1d.csp", 5, "Cinespace 1D with a prelut over -0.5..2"),
    ("csp/metadata_esc_before_end.csp", 2, "an ESC byte before END METADATA, which hangs "
     "OpenColorIO 2.1: compared with the file without it"),
]
# Values up to 5.75, where a 32-bit float step is 16 times the one near 1.
FIXTURE_SLACK = {"1d/log_12to16fp.lut": 16 * FLOAT_SLACK}
# What OpenColorIO is given instead of a file it never returns from.
OCIO_STAND_IN = {"csp/metadata_esc_before_end.csp": ("\x1bEND METADATA", "END METADATA")}


def fixture_case(tools, name, size):
    path = os.path.join(DATA, name)
    colours = fixture_colours(path, size)
    _, ours = tools.evaluate(path, colours)
    theirs = path
    if name in OCIO_STAND_IN:
        old, new = OCIO_STAND_IN[name]
        theirs = tools.path("src", os.path.basename(name))
        with open(path) as f, open(theirs, "w") as g:
            g.write(f.read().replace(old, new))
    return largest_difference(ours, ocio_evaluate(theirs, colours))


def fixture_colours(path, size):
    """Over 0..1, and for a Cinespace file over its preluts' ranges and a
    tenth beyond each end."""
    colours = sample_colours(size)
    if path.endswith(".csp"):
        colours = [tuple(-1.2 + 3.6 * v for v in c) for c in colours]
    return colours


def file_stem(fmt):
    return fmt.replace("/", "-").replace(" ", "_")


def baked_case(tools, src, fmt, ext, size):
    out = tools.path("baked", "%s%d.%s" % (file_stem(fmt), size, ext))
    run(["ociobakelut", "--lut", src.cube(size), "--format", fmt, "--cubesize", str(size), out])
    colours = sample_colours(size)
    head, ours = tools.evaluate(out, colours)
    if head["size3d"] != size:
        raise RuntimeError("read as a %d-point cube, baked at %d" % (head["size3d"], size))
    return largest_difference(ours, ocio_evaluate(out, colours))


# A config whose bake has a real shaper: linear in, a power curve to the
# shaper space, then our grade cube.
SHAPER_CONFIG = """ocio_profile_version: 2
search_path: .
roles:
  default: linear
  reference: linear
file_rules:
  - !<Rule> {name: Default, colorspace: linear}
displays:
  d:
    - !<View> {name: v, colorspace: graded}
colorspaces:
  - !<ColorSpace>
    name: linear
  - !<ColorSpace>
    name: shaper
    from_scene_reference: !<ExponentTransform> {value: [0.4545, 0.4545, 0.4545, 1]}
  - !<ColorSpace>
    name: graded
    from_scene_reference: !<GroupTransform>
      children:
        - !<ExponentTransform> {value: [0.4545, 0.4545, 0.4545, 1]}
        - !<FileTransform> {src: %s, interpolation: linear}
"""
# ociobakelut format, extension, cube size, shaper length.
BAKED_SHAPER = [
    ("resolve_cube", "cube", 33, 1024, "LUT_1D_SIZE shaper, then the cube"),
    ("truelight", "cub", 33, 1024, "input curve then cube"),
    ("Academy/ASC Common LUT Format", "clf", 33, 1024, "LUT1D shaper, then LUT3D"),
    ("cinespace", "csp", 33, 1024, "the prelut as a 65536-entry curve, as OpenColorIO makes it"),
    ("houdini", "lut", 33, 1024, "Version 3: a 1D part, then the 3D part"),
]


# OpenColorIO evaluates a Cinespace prelut's curve in 32-bit floats, we in
# doubles: a few float steps apart.
PRELUT_SLACK = {"cinespace": 4 * FLOAT_SLACK}

# Shapers that OpenColorIO itself reads at another length.
READ_SHAPER = {"cinespace": 65536}


def baked_shaper_case(tools, src, fmt, ext, size, shaper):
    config = tools.path("baked", "shaper.ocio")
    with open(config, "w") as f:
        f.write(SHAPER_CONFIG % src.cube(size))
    out = tools.path("baked", "%s-shaper%d.%s" % (file_stem(fmt), size, ext))
    run(["ociobakelut", "--iconfig", config, "--inputspace", "linear", "--shaperspace", "shaper",
         "--outputspace", "graded", "--format", fmt, "--shapersize", str(shaper),
         "--cubesize", str(size), out])
    colours = sample_colours(size)
    head, ours = tools.evaluate(out, colours)
    if (head["size1d"], head["size3d"]) != (READ_SHAPER.get(fmt, shaper), size):
        raise RuntimeError("read as %d entries and %d points" % (head["size1d"], head["size3d"]))
    return largest_difference(ours, ocio_evaluate(out, colours))


# Input domains beyond 0..1. The sources are written here at 10 decimals:
# cubes with DOMAIN lines (per channel), a cube with LUT_3D_INPUT_RANGE, a
# shaper over -1..3 in front of a cube with both INPUT_RANGE lines, and
# curves with LUT_1D_INPUT_RANGE. Colours are spread over the whole domain
# and an eighth of it beyond each end.
DOMAIN = ((-1.0, -0.5, 0.0), (3.0, 2.0, 4.0))
WIDE = ((-1.0,) * 3, (3.0,) * 3)


def wide_transform(r, g, b):
    """A smooth mixing transform for inputs and outputs well beyond 0..1."""
    return (0.7 * r + 0.2 * g + 0.05 * math.sin(b), 0.9 * g + 0.025 * r * b,
            0.8 * b + 0.15 * r - 0.1)


def wide_shaper(x):
    """-1..3 onto 0..1, log-like, as scene-linear shapers are."""
    return math.log2(2 + x) / math.log2(5)


def _node(lo, hi, i, n):
    t = i / (n - 1)
    return (1 - t) * lo + t * hi


def write_domain_source(tools, kind, n):
    path = tools.path("src", "%s%d.cube" % (kind, n))
    fmt = "%.10f %.10f %.10f"
    lines = []
    if kind in ("domain", "range"):
        lo, hi = DOMAIN if kind == "domain" else WIDE
        lines.append("LUT_3D_SIZE %d" % n)
        if kind == "domain":
            lines += ["DOMAIN_MIN %g %g %g" % lo, "DOMAIN_MAX %g %g %g" % hi]
        else:
            lines.append("LUT_3D_INPUT_RANGE %g %g" % (lo[0], hi[0]))
        for bi in range(n):
            for gi in range(n):
                for ri in range(n):
                    lines.append(fmt % wide_transform(_node(lo[0], hi[0], ri, n),
                                                      _node(lo[1], hi[1], gi, n),
                                                      _node(lo[2], hi[2], bi, n)))
    elif kind == "shaper":
        m = 64
        lines += ["LUT_1D_SIZE %d" % m, "LUT_1D_INPUT_RANGE -1 3", "LUT_3D_SIZE %d" % n,
                  "LUT_3D_INPUT_RANGE 0 1"]
        lines += [fmt % ((wide_shaper(_node(-1, 3, i, m)),) * 3) for i in range(m)]
        for bi in range(n):
            for gi in range(n):
                for ri in range(n):
                    # The grade in the shaper's terms: back to linear, then graded.
                    lin = [5 ** v - 2 for v in (ri / (n - 1), gi / (n - 1), bi / (n - 1))]
                    lines.append(fmt % wide_transform(*lin))
    else:  # curves
        lines += ["LUT_1D_SIZE %d" % n, "LUT_1D_INPUT_RANGE -1 3"]
        for i in range(n):
            x = _node(-1, 3, i, n)
            lines.append(fmt % (0.5 * x + 0.1, x * x / 4, math.exp(x) / 10))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def domain_colours(n, kind):
    lo, hi = DOMAIN if kind == "domain" else WIDE
    span = [h - l for l, h in zip(lo, hi)]
    return [tuple(lo[c] + (-0.125 + 1.25 * t[c]) * span[c] for c in range(3))
            for t in sample_colours(n)]


def written_domain_case(tools, profile, kind, size):
    source = write_domain_source(tools, kind, size)
    out = tools.convert(profile, source, size, tag=kind)
    colours = domain_colours(size, kind)
    _, record = tools.evaluate(source, colours)
    return largest_difference(ocio_evaluate(out, colours), record)


def read_domain_case(tools, kind, size):
    source = write_domain_source(tools, kind, size)
    colours = domain_colours(size, kind)
    _, ours = tools.evaluate(source, colours)
    return largest_difference(ours, ocio_evaluate(source, colours))


# A shaper space over -1..3 (a range onto 0..1, then a power curve) and a
# grade that mixes channels, so that ociobakelut writes a shaper and a cube.
DOMAIN_CONFIG = """ocio_profile_version: 2
search_path: .
roles:
  default: linear
  reference: linear
file_rules:
  - !<Rule> {name: Default, colorspace: linear}
displays:
  d:
    - !<View> {name: v, colorspace: graded}
colorspaces:
  - !<ColorSpace>
    name: linear
  - !<ColorSpace>
    name: shaper
    from_scene_reference: !<GroupTransform>
      children:
        - !<RangeTransform> {min_in_value: -1, max_in_value: 3, min_out_value: 0, max_out_value: 1}
        - !<ExponentTransform> {value: [0.4545, 0.4545, 0.4545, 1]}
  - !<ColorSpace>
    name: graded
    from_scene_reference: !<GroupTransform>
      children:
        - !<MatrixTransform> {matrix: [0.8, 0.2, 0, 0, 0.1, 0.8, 0.1, 0, 0, 0.3, 0.7, 0, 0, 0, 0, 1], offset: [0.05, 0, -0.1, 0]}
"""


def baked_domain_case(tools, fmt, ext, size, shaper):
    config = tools.path("baked", "domain.ocio")
    with open(config, "w") as f:
        f.write(DOMAIN_CONFIG)
    out = tools.path("baked", "%s-domain%d.%s" % (file_stem(fmt), size, ext))
    run(["ociobakelut", "--iconfig", config, "--inputspace", "linear", "--shaperspace", "shaper",
         "--outputspace", "graded", "--format", fmt, "--shapersize", str(shaper),
         "--cubesize", str(size), out])
    colours = domain_colours(size, "range")
    _, ours = tools.evaluate(out, colours)
    return largest_difference(ours, ocio_evaluate(out, colours))


# Profile, source kind, size, allowed, note. Values reach about 4, where a
# float32 step is four times the one near 1.
WIDE_SLACK = 4 * FLOAT_SLACK
WRITTEN_DOMAIN = [
    ("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "domain", 32,
     six_decimals() + WIDE_SLACK, "DOMAIN_MIN / DOMAIN_MAX per channel"),
    ("Cube 3D Davinci", "range", 33, six_decimals() + WIDE_SLACK, "LUT_3D_INPUT_RANGE -1 3"),
    ("Cube 3D Davinci", "domain", 33, six_decimals() + WIDE_SLACK,
     "not one range for every channel: DOMAIN lines"),
    ("Cube 3D Davinci", "shaper", 33, 8 * six_decimals() + WIDE_SLACK,
     "the shaper kept, LUT_1D_INPUT_RANGE -1 3 and LUT_3D_INPUT_RANGE; its 6 decimals "
     "pass through the cube's slope of up to 7"),
    ("Academy/ASC CLF 3D", "domain", 33, WIDE_SLACK, "a Matrix onto 0..1 before the LUT3D"),
    ("Cinespace 3D", "domain", 33, EIGHT_DECIMALS + WIDE_SLACK, "the domain in the prelut"),
    ("Academy/ASC CLF 3D", "shaper", 33, 8 * WIDE_SLACK,
     "the shaper kept as a LUT1D after a Matrix onto 0..1, then the LUT3D"),
    ("Cinespace 3D", "shaper", 33, 4 * WIDE_SLACK,
     "the shaper kept as the prelut, on 16 or more points an entry, since readers take a "
     "prelut for a smooth curve through its points"),
    ("Academy/ASC CLF 3D", "curves", 33, WIDE_SLACK, "a 1D source stays a LUT1D"),
    ("Cinespace 3D", "curves", 33, EIGHT_DECIMALS + WIDE_SLACK, "a 1D source stays a 1D csp"),
    ("Cube 1D", "curves", 4096, six_decimals() + WIDE_SLACK, "DOMAIN_MIN / DOMAIN_MAX"),
    ("Sony Imageworks spi1d", "curves", 4096, EIGHT_DECIMALS + WIDE_SLACK, "From -1 3"),
]
READ_DOMAIN = [
    ("domain", 17, "DOMAIN_MIN -1 -0.5 0, DOMAIN_MAX 3 2 4"),
    ("range", 17, "LUT_3D_INPUT_RANGE -1 3"),
    ("shaper", 17, "64-entry shaper over -1..3, then the cube"),
    ("curves", 1024, "LUT_1D_INPUT_RANGE -1 3"),
]
BAKED_DOMAIN = [
    ("resolve_cube", "cube", 33, 1024, "LUT_1D_INPUT_RANGE -1 3 shaper, then the cube"),
    ("cinespace", "csp", 33, 1024, "prelut over -1..3"),
]
DOMAIN_NAMES = {"domain": "cube with DOMAIN beyond 0..1", "range": "cube with INPUT_RANGE -1..3",
                "shaper": "shaper + cube with INPUT_RANGE", "curves": "1D cube with INPUT_RANGE -1..3"}


def domain_cases(tools):
    for profile, kind, size, allowed, note in WRITTEN_DOMAIN:
        row = Row("%s, from a %s" % (profile, DOMAIN_NAMES[kind]), WRITTEN, PROGRAM, str(size),
                  allowed, note + "; over the whole domain")
        yield row, functools.partial(written_domain_case, tools, profile, kind, size)
    for kind, size, note in READ_DOMAIN:
        row = Row(DOMAIN_NAMES[kind], "both read the same file", PROGRAM, str(size), WIDE_SLACK,
                  note + "; over the whole domain")
        yield row, functools.partial(read_domain_case, tools, kind, size)
    for fmt, ext, size, shaper, note in BAKED_DOMAIN:
        row = Row("ociobakelut %s (.%s) with a shaper over -1..3" % (fmt, ext), BAKED, PROGRAM,
                  "%d, shaper %d" % (size, shaper),
                  WIDE_SLACK * (4 if fmt == "cinespace" else 1), note + "; over the whole domain")
        yield row, functools.partial(baked_domain_case, tools, fmt, ext, size, shaper)


# Files whose transform holds more than curves, a cube, a matrix and a range:
# read as OpenColorIO processes them, sampled at the output's size.
STEPS = [
    ("CTF LUT1D with hueAdjust=\"dw3\"", "hue.ctf", 65, 1e-3,
     """<LUT1D inBitDepth="32f" outBitDepth="32f" hueAdjust="dw3">
  <Array dim="5 1">0 0.3 0.55 0.8 1</Array>
</LUT1D>""", "the tone curve keeps each colour's hue; written as a cube"),
]


CHAIN_CTF = """<?xml version="1.0" encoding="UTF-8"?>
<ProcessList id="log-then-matrix" version="2.0">
<Range inBitDepth="32f" outBitDepth="32f">
  <minInValue>0</minInValue><maxInValue>1</maxInValue>
  <minOutValue>0.05</minOutValue><maxOutValue>1</maxOutValue>
</Range>
<Log inBitDepth="32f" outBitDepth="32f" style="log2"/>
<Matrix inBitDepth="32f" outBitDepth="32f">
  <Array dim="3 4 3">0.15 0 0 1 0 0.15 0 1 0 0 0.15 1</Array>
</Matrix>
</ProcessList>
"""


def ocio_chain(paths, colours):
    """The files processed one after the other, cubes read tetrahedrally
    (as ociobakelut reads the LUTs it is given)."""
    import PyOpenColorIO as OCIO
    group = OCIO.GroupTransform()
    for p in paths:
        group.appendTransform(OCIO.FileTransform(src=p, interpolation=OCIO.INTERP_TETRAHEDRAL))
    cpu = OCIO.Config.CreateRaw().getProcessor(group).getDefaultCPUProcessor()
    flat = cpu.applyRGB([v for c in colours for v in c])
    return [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]


def chain_merge_case(tools, src, size):
    """tovilut merge of a CTF (a log, then a matrix) and a 33-point cube,
    against OpenColorIO's processing of the same chain, between the nodes;
    ociobakelut's bake of the chain at the same size must be no closer."""
    ctf = tools.path("chain", "log_matrix.ctf")
    with open(ctf, "w") as f:
        f.write(CHAIN_CTF)
    cube = src.cube(33)
    ours = tools.path("chain", "merged%d.cube" % size)
    run([tools.tovilut, "merge", "-q", "--overwrite", "--interp", "tetrahedral", "-p",
         "cube-resolve", "-s", str(size), "-o", ours, ctf, cube], stdin=subprocess.DEVNULL)
    baked = tools.path("chain", "baked%d.cube" % size)
    run(["ociobakelut", "--lut", ctf, "--lut", cube, "--format", "resolve_cube", "--cubesize",
         str(size), baked])
    colours = sample_colours(size)
    exact = ocio_chain([ctf, cube], colours)
    mine = largest_difference(ocio_evaluate(ours, colours), exact)
    theirs = largest_difference(ocio_evaluate(baked, colours), exact)
    if mine > theirs + FLOAT_SLACK:
        raise RuntimeError("%.3g off the chain, where ociobakelut is %.3g off" % (mine, theirs))
    return mine


def steps_case(tools, name, size, ops):
    path = tools.path("steps", name)
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<ProcessList id="s" version="2.0">\n'
                + ops + "\n</ProcessList>\n")
    out = tools.convert("Cube 3D Davinci", path, size, tag=name)
    colours = sample_colours(size)
    _, ours = tools.evaluate(out, colours)
    return largest_difference(ours, ocio_evaluate(path, colours))


def cases(tools):
    src = Sources(tools)
    for is1d, table in ((False, WRITTEN_3D), (True, WRITTEN_1D)):
        for profile, sizes, quantum, note in table:
            for i, size in enumerate(sizes):
                row = Row(profile, WRITTEN, PROGRAM, str(size) + ("" if i else " (default)"),
                          quantum + FLOAT_SLACK, note)
                yield row, functools.partial(written_case, tools, src, profile, size, sizes[0],
                                             is1d)
    for is1d, table in ((False, NOT_READ_3D), (True, NOT_READ_1D)):
        for profile, size, note in table:
            row = Row(profile, WRITTEN, PROGRAM, str(size) + " (default)", None, note)
            yield row, functools.partial(not_read_case, tools, src, profile, size, is1d)
    for rule, name, note in (
            ("sop", "ASC CDL (.cc), slope, offset, power", "at the 33-point cube's nodes"),
            ("saturation", "ASC CDL (.cc) with saturation", "both mix with Rec. 709 luma"),
            ("ccc", "ASC CDL collection (.ccc)", "the first of two corrections"),
            ("cdl", "ASC CDL decision list (.cdl)", "the first of two decisions"),
            ("bright", "ASC CDL (.cc) above 1", "neither clamps: OpenColorIO reads .cc files "
             "in its no-clamp style")):
        # Both evaluate in 32-bit floats (ours as the CDL rule asks), with values up to 1.4.
        row = Row(name, "both read the same file", PROGRAM, "33", 2 * FLOAT_SLACK, note)
        yield row, functools.partial(cdl_case, tools, rule)
    for fmt, ext, sizes, note in BAKED_3D:
        for size in sizes:
            row = Row("ociobakelut %s (.%s)" % (fmt, ext), BAKED, PROGRAM, str(size), FLOAT_SLACK,
                      note)
            yield row, functools.partial(baked_case, tools, src, fmt, ext, size)
    for fmt in ("flame", "lustre"):
        for look, fn in LOOKS_3DL:
            row = Row("ociobakelut %s (.3dl), %s look" % (fmt, look), BAKED, PROGRAM, "17",
                      half_code(12) + FLOAT_SLACK,
                      "12-bit codes that never reach 4095, against OpenColorIO's reading"
                      if fmt == "flame" else
                      "12-bit codes that never reach 4095, against the look baked")
            yield row, functools.partial(baked_look_case, tools, fmt, look, fn, 17)
    for name, size, note in FIXTURES:
        row = Row(name, "both read the same file", PROGRAM, str(size),
                  FIXTURE_SLACK.get(name, FLOAT_SLACK), note)
        yield row, functools.partial(fixture_case, tools, name, size)
    for fmt, ext, size, shaper, note in BAKED_SHAPER:
        row = Row("ociobakelut %s (.%s) with a shaper" % (fmt, ext), BAKED, PROGRAM,
                  "%d, shaper %d" % (size, shaper), PRELUT_SLACK.get(fmt, FLOAT_SLACK), note)
        yield row, functools.partial(baked_shaper_case, tools, src, fmt, ext, size, shaper)
    yield from domain_cases(tools)
    row = Row("merge of a CTF (log, matrix) and a 33-point cube", "tovilut merges what "
              "OpenColorIO processes", PROGRAM, "65", 0.0034,
              "sampled once at the output's nodes, cubes read tetrahedrally as ociobakelut "
              "reads them; never farther from the chain than ociobakelut --lut --lut at the "
              "same size")
    yield row, functools.partial(chain_merge_case, tools, src, 65)
    for name, file, size, allowed, ops, note in STEPS:
        row = Row(name, "tovilut converts what OpenColorIO processes", PROGRAM, str(size), allowed,
                  note + "; at points between the nodes")
        yield row, functools.partial(steps_case, tools, file, size, ops)
