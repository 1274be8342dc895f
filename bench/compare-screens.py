#!/usr/bin/env python3
"""Screenshots of two Tarnwick builds, shown the same board states, compared pixel by pixel.

Each build runs on a virtual display of its own (Xvfb, no window manager, the window at
the top left) in the Normal and then the Diagnostic view, against a simulated board that
is walked through the same states in the same order: relays all on, all off and
alternating; needles at 0, mid-scale, full scale and beyond the scale, moving between
them as they would in use. After each state has been shown, the screen is saved. Any pixel
that differs between the builds is reported and the pair kept.

  bench/compare-screens.py OLD_TARNWICK NEW_TARNWICK [--keep FOLDER]
"""

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

from benchrig import Board, stop, virtual_display, write_settings

ROOT = Path(__file__).resolve().parent.parent

# name, board console commands; each state starts from the one before.
STATES = [
    ("all-on-needles-0", ["bank A 255", "bank B 255", "bank C 255", "bank D 255", "bank E 255",
                          "bank F 255", "bank G 255", "bank H 255", "inputs 255",
                          *[f"meter {c} 0" for c in range(6)], "temp 72", "freq 01234"]),
    ("all-off-needles-mid", [*[f"bank {b} 0" for b in "ABCDEFGH"], "inputs 0",
                             *[f"meter {c} 128" for c in range(6)], "temp 80"]),
    ("alternating-needles-full", [*[f"bank {b} {85 if i % 2 else 170}"
                                    for i, b in enumerate("ABCDEFGH")], "inputs 85",
                                  *[f"meter {c} 255" for c in range(6)], "freq 99999"]),
    ("alternating-needles-beyond", [*[f"bank {b} {170 if i % 2 else 85}"
                                      for i, b in enumerate("ABCDEFGH")], "inputs 170",
                                    *[f"meter {c} 999" for c in range(6)], "temp -40"]),
    ("mixed-needles-spread", ["bank A 1", "bank D 128", "bank H 15", "inputs 129",
                              *[f"meter {c} {c * 51}" for c in range(6)], "temp 212"]),
    ("all-off-needles-0-again", [*[f"bank {b} 0" for b in "ABCDEFGH"], "inputs 0",
                                 *[f"meter {c} 0" for c in range(6)]]),
]
VIEWS = {"normal": 5240, "diagnostic": 7200}


def shoot(exe, side, view, height, build, work, shots):
    """Runs `exe` in one view through every state; returns {state: screenshot path}. `side`
    ("old" or "new") names its settings folder and screenshots, so two builds may share an
    executable's path inside their build folders."""
    config = write_settings(work / f"{side}-{view}", **{
        "Meter-ComPort": 1, "Meter_Response": 200, "Height": height, "Position-Left": 0, "Position-Top": 0})
    env, display = virtual_display(work, False)
    board = Board(build / "tools/board-sim/tarnwick-board", config)
    log = open(config / "program.log", "w")
    proc = subprocess.Popen([str(exe)], env=dict(env, XDG_CONFIG_HOME=str(config)),
                            stdout=log, stderr=subprocess.STDOUT)
    saved = {}
    try:
        board.wait_requests(3, 30)
        for name, commands in STATES:
            for command in commands:
                board.command(command)
            # The reply to the next request carries the state; the request after it is
            # written in the tick that shows it, and one more lets the repaint land.
            board.wait_requests(len(board.requests) + 3, 30)
            path = shots / f"{view}-{name}-{side}.png"
            subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root", str(path)],
                           check=True)
            saved[name] = path
    finally:
        stop(proc)
        board.stop()
        for p in display:
            stop(p)
    return saved


def differing_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    text = result.stderr.strip().split()[0] if result.stderr.strip() else "nan"
    return float(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("old", type=Path)
    parser.add_argument("new", type=Path)
    parser.add_argument("--build", type=Path, default=ROOT / "build")
    parser.add_argument("--keep", type=Path, help="keep every screenshot here")
    args = parser.parse_args()

    work = Path(tempfile.mkdtemp(prefix="tarnwick-screens."))
    shots = args.keep or work
    shots.mkdir(parents=True, exist_ok=True)
    failures = 0
    for view, height in VIEWS.items():
        old = shoot(args.old.resolve(), "old", view, height, args.build, work, shots)
        new = shoot(args.new.resolve(), "new", view, height, args.build, work, shots)
        for name, _ in STATES:
            pixels = differing_pixels(old[name], new[name])
            verdict = "identical" if pixels == 0 else f"{pixels:.0f} pixels differ"
            print(f"{view:10} {name:28} {verdict}")
            failures += pixels != 0
    print(f"screenshots in {shots}" if args.keep else "")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
