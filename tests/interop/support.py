"""Shared pieces of the interop suite: the test transform, the colours we
evaluate at, running tovilut and lut_eval, and the results table in
docs/interop.md that the suite keeps true."""

import functools
import math
import os
import random
import re
import shutil
import subprocess
import sys

SKIP = 77  # CTest's SKIP_RETURN_CODE: an oracle program is not installed

# Float32 arithmetic of the other programs, a few units in the last place.
FLOAT_SLACK = 3e-7


def six_decimals():
    return 0.5e-6


def half_code(bits):
    return 0.5 / (2 ** bits - 1)


def transform(r, g, b):
    """A smooth transform that mixes the channels (so that a file read with
    its axes or components in another order shows it) and keeps white near
    1, as graded LUTs do (3DL readers infer the bit depth from the largest
    code)."""
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b
    return (0.88 * r + 0.1 * y * y + 0.02 * math.sin(3 * g * b),
            0.85 * g + 0.14 * math.sqrt(r * b),
            0.9 * b ** 1.3 + 0.08 * y)


def curve(r, g, b):
    """Three different smooth curves, one per channel, for the 1D formats."""
    return (r ** 0.8, 0.5 - 0.5 * math.cos(math.pi * g), b * b * (3 - 2 * b) * 0.95)


def write_source_cube(path, n):
    lines = ["LUT_3D_SIZE %d" % n]
    s = n - 1
    for bi in range(n):
        for gi in range(n):
            for ri in range(n):
                lines.append("%.10f %.10f %.10f" % transform(ri / s, gi / s, bi / s))
    _write(path, lines)


def write_source_curves(path, m):
    lines = ["LUT_1D_SIZE %d" % m]
    for i in range(m):
        x = i / (m - 1)
        lines.append("%.10f %.10f %.10f" % curve(x, x, x))
    _write(path, lines)


def _write(path, lines):
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def sample_colours(n, count=3000, seed=7):
    """Grid points of an n-point cube (all of them for small cubes, an even
    spread of them otherwise) and as many points between them."""
    s = n - 1
    step = max(1, round(n / 12))
    axis = sorted(set(list(range(0, n, step)) + [s]))
    pts = [(r / s, g / s, b / s) for r in axis for g in axis for b in axis]
    rnd = random.Random(seed)
    pts += [(rnd.random(), rnd.random(), rnd.random()) for _ in range(count)]
    # Cell centres: the farthest from any node.
    pts += [((r + 0.5) / s, (g + 0.5) / s, (b + 0.5) / s)
            for r in axis[:-1] for g in axis[:-1] for b in axis[:-1]]
    return pts


def grid_colours(n):
    s = n - 1
    return [(r / s, g / s, b / s) for r in range(n) for g in range(n) for b in range(n)]


def need(*programs):
    """Leave with the skip code when an oracle program is missing."""
    for p in programs:
        if shutil.which(p) is None:
            print("SKIP: %s is not installed" % p)
            sys.exit(SKIP)


def run(args, **kw):
    p = subprocess.run(args, capture_output=True, text=True, **kw)
    if p.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(map(str, args)), p.returncode,
                                                   (p.stderr or p.stdout).strip()[-800:]))
    return p.stdout


class Tools:
    def __init__(self, tovilut, lut_eval, work, fixtures=None):
        self.tovilut = tovilut
        self.lut_eval = lut_eval
        self.fixtures = fixtures
        self.work = work
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)

    def path(self, *parts):
        p = os.path.join(self.work, *parts)
        os.makedirs(os.path.dirname(p), exist_ok=True)
        return p

    def convert(self, profile, source, size=None, bits=None, tag=""):
        """tovilut convert into a folder of its own; the one file it wrote."""
        out = self.path("out-%s-%s%s" % (re.sub(r"\W+", "_", profile), size or "default", tag), "x")
        out = os.path.dirname(out)
        args = [self.tovilut, "convert", "-q", "--overwrite", "-p", profile, "-o", out, source]
        if size:
            args += ["-s", str(size)]
        if bits:
            args += ["-b", str(bits)]
        run(args, stdin=subprocess.DEVNULL)
        files = sorted(os.listdir(out))
        stem = os.path.splitext(os.path.basename(source))[0]
        written = [f for f in files if f.startswith(stem + ".")]
        if len(written) != 1:
            # The Premiere look writes its cube beside it; callers ask for the one they want.
            return [os.path.join(out, f) for f in written]
        return os.path.join(out, written[0])

    def evaluate(self, lut_file, colours, format_index=None):
        """Our own reading and evaluation: (header, values)."""
        args = [self.lut_eval, lut_file] + ([str(format_index)] if format_index is not None else [])
        text = "\n".join("%.17g %.17g %.17g" % c for c in colours) + "\n"
        out = run(args, input=text).splitlines()
        fmt, kind, size1d, size3d = (int(v) for v in out[0].split())
        values = [tuple(float(v) for v in line.split()) for line in out[1:]]
        return {"format": fmt, "type": kind, "size1d": size1d, "size3d": size3d}, values


NOT_READ = "not read"


def not_read(evaluate, record, allowed):
    """For pairs the other program does not read as we mean: it refuses the
    file, or what it makes of it is far from the record. Should it start
    reading it, the pair belongs among the measured ones."""
    try:
        theirs = evaluate()
    except Exception:  # noqa: BLE001 - each program has its own error type
        return NOT_READ
    d = largest_difference(theirs, record)
    if d > 1000 * allowed:
        return NOT_READ
    raise RuntimeError("now read, within %.3g: measure this pair" % d)


class Sources:
    """The record we write, as a high-precision cube or 1D cube of each size."""

    def __init__(self, tools):
        self.tools = tools

    @functools.lru_cache(maxsize=None)
    def cube(self, n):
        p = self.tools.path("src", "grade%d.cube" % n)
        write_source_cube(p, n)
        return p

    @functools.lru_cache(maxsize=None)
    def curves(self, m):
        p = self.tools.path("src", "curves%d.cube" % m)
        write_source_curves(p, m)
        return p


def largest_difference(a, b):
    if len(a) != len(b):
        raise RuntimeError("%d values beside %d" % (len(a), len(b)))
    return max(abs(x - y) for p, q in zip(a, b) for x, y in zip(p, q))


# ---------------------------------------------------------------------------
# The table in docs/interop.md. Each row the suite measures is keyed by its
# first four cells; the suite renders the cells it owns and checks that the
# recorded largest difference is the one it measures (to within a factor of
# 1.5 either way). --update-table writes the measured values.

HEADER = ("| Format (output profile) | Direction | Program | Sizes | Allowed | "
          "Largest difference | Note |")


class Row:
    def __init__(self, fmt, direction, program, sizes, allowed, note):
        # allowed None: a pair the other program does not read as we mean.
        shown = "—" if allowed is None else "%.3g" % allowed
        self.cells = [fmt, direction, program, sizes, shown]
        self.allowed = allowed
        self.note = note
        self.measured = None

    @property
    def key(self):
        return tuple(self.cells[:4])


def _split(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


PROGRAM_ORDER = ["OpenColorIO", "FFmpeg", "LittleCMS transicc", "LittleCMS tificc",
                 "LittleCMS jpgicc", "ArgyllCMS xicclu", "ArgyllCMS iccdump", "Python hashlib"]


def _tidy(rows):
    """Rows grouped by program, measured pairs before the ones not read, and
    the sizes of one format together."""
    cells = [_split(r) for r in rows]
    first = {}
    for i, c in enumerate(cells):
        first.setdefault((c[0], c[1], c[2]), i)

    def key(i):
        c = cells[i]
        program = PROGRAM_ORDER.index(c[2]) if c[2] in PROGRAM_ORDER else len(PROGRAM_ORDER)
        return (program, c[5] == NOT_READ, c[1] != "tovilut writes, %s reads" % c[2],
                first[(c[0], c[1], c[2])], i)
    return [rows[i] for i in sorted(range(len(rows)), key=key)]


def check_table(table_path, programs, rows, update):
    """Compare the measured rows of some programs with the table; return the
    list of failures. Rows of other programs are left alone."""
    with open(table_path) as f:
        lines = f.read().split("\n")
    start = lines.index(HEADER)
    end = start + 2
    while end < len(lines) and lines[end].startswith("|"):
        end += 1
    recorded = {}
    for i in range(start + 2, end):
        cells = _split(lines[i])
        recorded[tuple(cells[:4])] = (i, cells)
    failures = []
    measured = {r.key: r for r in rows}
    for key, (i, cells) in recorded.items():
        if key[2] in programs and key not in measured:
            failures.append("table row %s is not measured by the suite" % (key,))
    for r in rows:
        text = r.measured if r.measured == NOT_READ else "%.2g" % r.measured
        if text != NOT_READ and (r.allowed is None or r.measured > r.allowed):
            failures.append("%s: largest difference %.3g above the allowed %s"
                            % (r.key, r.measured, r.cells[4]))
        if update:
            line = "| " + " | ".join(r.cells + [text, r.note]) + " |"
            if r.key in recorded:
                lines[recorded[r.key][0]] = line
            else:
                lines.insert(end, line)
                end += 1
            continue
        if r.key not in recorded:
            failures.append("%s is measured but missing from the table" % (r.key,))
            continue
        cells = recorded[r.key][1]
        if cells[:5] != r.cells:
            failures.append("table row %s allows %s, the suite %s" % (r.key, cells[4], r.cells[4]))
        if NOT_READ in (text, cells[5]):
            if text != cells[5]:
                failures.append("table row %s records %s, the suite finds %s"
                                % (r.key, cells[5], text))
            continue
        try:
            value = float(cells[5])
        except ValueError:
            failures.append("table row %s: %r is not a number" % (r.key, cells[5]))
            continue
        # Other machines may round the last float bits differently.
        if not (r.measured <= 1.5 * value + 2e-8 and value <= 1.5 * r.measured + 2e-8):
            failures.append("table row %s records %s, the suite measures %s"
                            % (r.key, cells[5], text))
    if update:
        lines[start + 2:end] = _tidy(lines[start + 2:end])
        with open(table_path, "w") as f:
            f.write("\n".join(lines))
    return failures
