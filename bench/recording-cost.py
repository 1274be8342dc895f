#!/usr/bin/env python3
"""What recording (and the trend window) add to a poll tick, in instructions.

Runs bench/tick_cost under callgrind once per variant and round, interleaved, each counting
the same number of ticks on the panel's own timer (every relay, lamp and needle changing),
and prints instructions per tick for each variant beside both off (the panel with the trend
history it always keeps):

    bench/recording-cost.py [--build build] [--ticks 40] [--rounds 2]

Instruction counts, not times: the machine is shared, and callgrind counts the same work
the same way whatever else runs. Everything the process does while the ticks run is in the
count: the rows, the writer's thread, the flush timer, the trend window's refreshes.
"""
import argparse
import re
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

VARIANTS = {
    "both off": [],
    "recording": ["--record", "{folder}"],
    "recording + trends, 10 min": ["--record", "{folder}", "--trends", "1"],
    "recording + trends, 1 min": ["--record", "{folder}", "--trends", "0"],
}


def instructions(exe, ticks, extra, work):
    out = work / "callgrind.out"
    run = subprocess.run(
        ["valgrind", "--tool=callgrind", "--collect-atstart=no", f"--callgrind-out-file={out}",
         str(exe), "--ticks", str(ticks)] + extra,
        capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        sys.exit(f"tick_cost failed:\n{run.stderr[-2000:]}")
    totals = re.search(r"^totals:\s+(\d+)", out.read_text(), re.M)
    if not totals:
        sys.exit(f"no totals in {out}")
    return int(totals.group(1)) / ticks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--ticks", type=int, default=40)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    exe = Path(args.build) / "bench" / "tick_cost"
    if not exe.exists():
        sys.exit(f"{exe} is not built")

    counts = {name: [] for name in VARIANTS}
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        for round_ in range(args.rounds):
            for number, (name, extra) in enumerate(VARIANTS.items()):
                folder = work / f"rec-{round_}-{number}"
                folder.mkdir()
                filled = [part.format(folder=folder) for part in extra]
                counts[name].append(instructions(exe, args.ticks, filled, work))

    base = statistics.median(counts["both off"])
    print(f"{args.ticks} ticks per run, {args.rounds} rounds, median instructions per tick:")
    for name, values in counts.items():
        median = statistics.median(values)
        runs = ", ".join(f"{v / 1e6:.3f} M" for v in values)
        print(f"  {name:<28} {median / 1e6:7.3f} M   {median / base - 1:+7.1%}   ({runs})")


if __name__ == "__main__":
    main()
