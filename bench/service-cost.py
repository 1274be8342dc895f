#!/usr/bin/env python3
"""What tarnwickd costs beside a bare poller (bench/bare_poller: a QCoreApplication writing
the same status request on the same timer and reading what arrived, nothing more), both on
the simulated board with every field changing on every frame, in the same run:

  instructions per tick   callgrind, collection switched on once the link is up, divided by
                          the status requests the board saw meanwhile (whole-program.py's)
  CPU per tick, share     all threads over --seconds of polling (whole-program.py's)
  resident memory         VmRSS after --seconds of polling

The service runs as it would on a board with nothing else set up: its own settings folder
polling COM1 (no mqtt.ini, no recording folder), its own runtime folder, no display. The
goals it is held to are printed beside the ratios: at most 2x the bare poller's
instructions per tick and 1.5x its resident memory. Run from anywhere:

  bench/service-cost.py --build build [--ticks 40] [--seconds 30]
"""

import argparse
import importlib.util
import os
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
# whole-program.py is a script, not a module name Python can import by itself.
_source = importlib.util.spec_from_file_location("whole_program", HERE / "whole-program.py")
whole_program = importlib.util.module_from_spec(_source)
_source.loader.exec_module(whole_program)

GOALS = {"instructions": 2.0, "rss": 1.5}


def service_env(work):
    """The environment of a service started on a machine with no desktop."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    runtime = work / "runtime"
    runtime.mkdir(mode=0o700)
    env["XDG_RUNTIME_DIR"] = str(runtime)
    return env


def check_log(work, name):
    """The service's log of its callgrind run must show the link up and nothing else
    started."""
    log = (work / f"{name}-callgrind-1" / "program.log").read_text(errors="replace")
    if "link: live" not in log:
        raise RuntimeError(f"tarnwickd never saw the link live:\n{log[-3000:]}")
    for started in ("mqtt: connected", "recording to"):
        if started in log:
            raise RuntimeError(f"tarnwickd ran with more than the poll ({started!r}):\n{log}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, default=HERE.parent / "build")
    parser.add_argument("--interval", type=int, default=200,
                        help="poll period in ms (200, the service's own with no settings)")
    parser.add_argument("--ticks", type=int, default=40, help="ticks under callgrind (40)")
    parser.add_argument("--seconds", type=float, default=30.0,
                        help="polling before the memory is read (30)")
    parser.add_argument("--keep", help="a folder to keep the callgrind profiles in")
    args = parser.parse_args()
    args.board = args.build / "tools/board-sim/tarnwick-board"
    subjects = [whole_program.Subject("bare", args.build / "bench/bare_poller", True,
                                      args.interval),
                whole_program.Subject("tarnwickd", args.build / "tools/service/tarnwickd",
                                      False, args.interval)]

    rows = {}
    with tempfile.TemporaryDirectory(prefix="tarnwick-service.") as folder:
        work = Path(folder)
        env = service_env(work)
        try:
            for s in subjects:
                rows[s.name] = {"instructions": whole_program.instructions(s, args, env, work,
                                                                           True)}
            check_log(work, "tarnwickd")
            for s in subjects:
                rows[s.name].update(whole_program.steady(s, args, env, work, True))
        except Exception:
            for log in sorted(work.glob("*/program.log")):
                print(f"--- {log}:\n" + log.read_text(errors="replace")[-3000:],
                      file=sys.stderr)
            raise

    report(rows, args)
    return 0


def report(rows, args):
    bare, service = rows["bare"], rows["tarnwickd"]
    print(f"poll {args.interval} ms, every field changing; {args.ticks} ticks under "
          f"callgrind; {args.seconds:g} s of polling for CPU and memory")
    print("| figure | bare_poller | tarnwickd | ratio | goal |")
    print("|---|---|---|---|---|")
    for label, key, fmt in (("instructions per tick", "instructions", "{:,.0f}"),
                            ("CPU per tick p50 (ms)", "p50", "{:.3f}"),
                            ("CPU per tick p99 (ms)", "p99", "{:.3f}"),
                            ("CPU share while polling (% of a core)", "share", "{:.2f}"),
                            (f"resident memory after {args.seconds:g} s (MiB)", "rss",
                             "{:.1f}")):
        ratio = service[key] / bare[key] if bare[key] else float("nan")
        goal = ""
        if key in GOALS:
            goal = f"<= {GOALS[key]:g}x: " + ("met" if ratio <= GOALS[key] else "NOT met")
        print(f"| {label} | {fmt.format(bare[key])} | {fmt.format(service[key])} | "
              f"{ratio:.2f}x | {goal} |")


if __name__ == "__main__":
    sys.exit(main())
