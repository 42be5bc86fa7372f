#!/usr/bin/env python3
"""Line and branch coverage per folder from gcovr's JSON summary, held against the floors.

    scripts/coverage.py SUMMARY.json

Prints one line per folder (lines and branches covered, of all) and the groups the floors
apply to, and exits 1 when a group is below its floor. Throw branches and branches the
compiler marks unreachable are left out when gcovr makes the summary (scripts/bootstrap.sh
coverage).
"""
import json
import sys
from collections import defaultdict

# The module's folders, held together; the export and the tools on their own.
GROUPS = [
    ("module", ["base", "hostkit", "model", "module", "reader", "builder", "instruments",
                "effects", "presets"], 99.0, 90.0),
    ("interchange", ["interchange"], 97.0, 85.0),
    ("tools", ["tools"], 97.0, 85.0),
]


def percent(covered, total):
    return 100.0 * covered / total if total else 100.0


def main():
    with open(sys.argv[1]) as f:
        summary = json.load(f)
    folders = defaultdict(lambda: [0, 0, 0, 0])
    for entry in summary["files"]:
        folder = entry["filename"].split("/")[0]
        counts = folders[folder]
        counts[0] += entry["line_covered"]
        counts[1] += entry["line_total"]
        counts[2] += entry["branch_covered"]
        counts[3] += entry["branch_total"]

    print(f"{'folder':<14}{'lines':>24}{'branches':>24}")
    for folder in sorted(folders):
        lc, lt, bc, bt = folders[folder]
        print(f"{folder:<14}{percent(lc, lt):>8.1f}% {lc:>6} of {lt:<6}"
              f"{percent(bc, bt):>8.1f}% {bc:>6} of {bt:<6}")

    failed = False
    print()
    for name, members, line_floor, branch_floor in GROUPS:
        lc = sum(folders[m][0] for m in members)
        lt = sum(folders[m][1] for m in members)
        bc = sum(folders[m][2] for m in members)
        bt = sum(folders[m][3] for m in members)
        lines, branches = percent(lc, lt), percent(bc, bt)
        ok = lines >= line_floor and branches >= branch_floor
        failed |= not ok
        print(f"{name:<14}{lines:>8.1f}% of lines (floor {line_floor}%), "
              f"{branches:.1f}% of branches (floor {branch_floor}%): {'ok' if ok else 'BELOW'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
