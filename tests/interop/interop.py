#!/usr/bin/python3
"""Interop suite driver: `interop.py ORACLE --tovilut EXE --eval EXE
[--fixtures EXE] --table docs/interop.md --work DIR [--update-table]` runs
the cases of one program and checks its rows of the table. Exit 0 pass, 1
fail, 77 program missing."""

import argparse
import importlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import support  # noqa: E402

ORACLES = {"ocio": "ocio_cases", "ffmpeg": "ffmpeg_cases", "icc": "icc_cases"}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("oracle", choices=sorted(ORACLES))
    ap.add_argument("--tovilut", required=True)
    ap.add_argument("--eval", required=True)
    ap.add_argument("--fixtures", help="icc_fixtures, which writes test profiles")
    ap.add_argument("--table", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--update-table", action="store_true")
    a = ap.parse_args()
    cases = importlib.import_module(ORACLES[a.oracle])
    cases.require()
    tools = support.Tools(a.tovilut, a.eval, a.work, a.fixtures)
    rows, failures = [], []
    for row, measure in cases.cases(tools):
        try:
            row.measured = measure()
        except Exception as e:  # one broken pair must not hide the others
            failures.append("%s: %s" % (row.key, e))
            continue
        shown = row.measured if isinstance(row.measured, str) else "%.3g" % row.measured
        print("%-100s %-12s (allowed %s)" % (" / ".join(row.key), shown, row.cells[4]))
        rows.append(row)
    failures += support.check_table(a.table, cases.PROGRAMS, rows, a.update_table)
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
