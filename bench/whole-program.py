#!/usr/bin/env python3
"""Whole-program figures of Tarnwick, each beside a bare Qt window's from the same run.

Starts a virtual display (Xvfb, with openbox when it is installed), a simulated board per
run and the program on it, and prints:

  instructions per tick   callgrind, collection switched on once the link is up, divided by
                          the status requests the board saw meanwhile
  CPU per tick            all threads (/proc/<pid>/task/*/schedstat), sampled half a poll
                          after each request: median and p99, and the share of one core
  the same, idle          a board whose frame never changes
  resident memory         VmRSS after --seconds, and its ratio to the bare window's
  exec to map             first MapNotify of a managed window after exec (median of --pairs)
  exec to first frame     exec to the second status request, which the panel writes in the
                          tick that decodes the first reply

Every figure comes with the bare window's (bench/bare_window: the panel's size and poll
timer, writing the same request), the same window's showing a label, a button and a slider
(bare+text: it starts the font system, as any window with text must), and, with --baseline, an older
build's, measured in the same run, interleaved where order matters. Ratios are to the bare
window, and to bare+text. Run from anywhere:

  bench/whole-program.py --build build [--baseline /tmp/before/tarnwick]
"""

import argparse
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from benchrig import Board, stop, virtual_display, write_settings

ROOT = Path(__file__).resolve().parent.parent


class Subject:
    """A program to measure: the panel (given a fresh settings store polling COM1 at the
    interval) or the bare window (given the board's link)."""

    def __init__(self, name, exe, bare, interval, text=False):
        self.name, self.exe, self.bare, self.interval = name, Path(exe), bare, interval
        self.text = text

    def config(self, folder):
        return write_settings(folder, **{"Meter-ComPort": 1, "Meter_Response": self.interval})

    def argv(self, board):
        if self.bare:
            return [str(self.exe), "--port", board.link, "--interval", str(self.interval)] + \
                (["--text"] if self.text else [])
        return [str(self.exe)]


def cpu_ns(pid):
    """CPU time of every thread of `pid` so far, in nanoseconds."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended between the listing and the read
    return total


def rss_kib(pid):
    m = re.search(r"VmRSS:\s+(\d+) kB", Path(f"/proc/{pid}/status").read_text())
    return int(m.group(1)) if m else 0


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def start(subject, board, config, env, prefix=()):
    """Starts the subject; what it prints goes to program.log in its settings folder."""
    env = dict(env, XDG_CONFIG_HOME=str(config))
    log = open(config / "program.log", "w")
    return subprocess.Popen(list(prefix) + subject.argv(board), env=env,
                            stdout=log, stderr=subprocess.STDOUT)


def steady(subject, args, env, work, changing):
    """CPU per tick and RSS over args.seconds of polling."""
    config = subject.config(work / f"{subject.name}-steady-{int(changing)}")
    board = Board(args.board, config, changing)
    proc = start(subject, board, config, env)
    try:
        board.wait_requests(4, 30)  # the link is up and the first frames are shown
        seen = len(board.requests)
        samples, pending = [], []
        begin, begin_cpu = time.monotonic(), cpu_ns(proc.pid)
        end = begin + args.seconds
        half = subject.interval / 2000.0
        while time.monotonic() < end:
            board.poll(min(pending[0] if pending else end, end) - time.monotonic())
            pending += [t + half for t in board.requests[seen:]]
            seen = len(board.requests)
            while pending and time.monotonic() >= pending[0]:
                pending.pop(0)
                samples.append(cpu_ns(proc.pid))
        wall, cpu = time.monotonic() - begin, cpu_ns(proc.pid) - begin_cpu
        rss = rss_kib(proc.pid)
    finally:
        stop(proc)
        board.stop()
    ticks = [(b - a) / 1e6 for a, b in zip(samples, samples[1:])]
    return {"p50": statistics.median(ticks), "p99": percentile(ticks, 99),
            "share": 100.0 * cpu / 1e9 / wall, "rss": rss / 1024.0, "ticks": len(ticks)}


def instructions(subject, args, env, work, changing):
    """Instructions per tick under callgrind, collection on only while `args.ticks` ticks
    pass with the link up. The profile is kept in --keep, when given."""
    config = subject.config(work / f"{subject.name}-callgrind-{int(changing)}")
    board = Board(args.board, config, changing)
    folder = Path(args.keep) if args.keep else work
    folder.mkdir(parents=True, exist_ok=True)  # callgrind writes nothing into a missing one
    out = folder / f"{subject.name}-{int(changing)}.callgrind"
    prefix = ["valgrind", "--tool=callgrind", "--instr-atstart=no",
              f"--callgrind-out-file={out}"]
    proc = start(subject, board, config, env, prefix)
    try:
        board.wait_requests(6, 120)
        subprocess.run(["callgrind_control", "-i", "on", str(proc.pid)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        first = len(board.requests)
        board.wait_requests(first + args.ticks, 60 + args.ticks * 5)
        subprocess.run(["callgrind_control", "-i", "off", str(proc.pid)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        ticks = len(board.requests) - first
    finally:
        stop(proc)
        board.stop()
    text = out.read_text(errors="replace")
    # "summary" counts from the start, when collection was still off; "totals" is what we want.
    m = re.search(r"^totals:\s+(\d+)", text, re.M)
    return int(m.group(1)) / ticks if m else float("nan")


class MapWatch:
    """Reports MapNotify events of managed children of the root window (xev), as they come.
    xev ends an event's last line only when it prints the next event, so its output is read
    as raw bytes, not lines."""

    EVENT = re.compile(rb"MapNotify event[^\n]*\n[^\n]*override NO")

    def __init__(self, env):
        self.proc = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.buffer = b""
        time.sleep(0.3)  # xev selects its events before it prints anything to wait on
        self.next_map(0.0)

    def next_map(self, timeout):
        """The arrival time of the next map within `timeout` s, or None."""
        deadline = time.monotonic() + timeout
        while True:
            m = self.EVENT.search(self.buffer)
            if m:
                self.buffer = self.buffer[m.end():]
                return time.monotonic()
            ready, _, _ = select.select([self.proc.stdout], [], [],
                                        max(0.0, deadline - time.monotonic()))
            if not ready:
                return None
            self.buffer += os.read(self.proc.stdout.fileno(), 65536)

    def forget(self):
        while self.next_map(0.0) is not None:
            pass

    def stop(self):
        stop(self.proc)


def startup(subject, args, env, work, watch, index):
    """Exec to the window's map and exec to the first decoded frame, once."""
    config = subject.config(work / f"{subject.name}-start-{index}")
    board = Board(args.board, config, True)
    watch.forget()
    began = time.monotonic()
    proc = start(subject, board, config, env)
    try:
        mapped_at = watch.next_map(10.0)
        board.wait_requests(2, 30)
        mapped = (mapped_at - began) * 1000 if mapped_at else float("nan")
        first_frame = (board.requests[1] - began) * 1000
    finally:
        stop(proc)
        board.stop()
    return mapped, first_frame


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--baseline", help="an older tarnwick executable to measure beside")
    parser.add_argument("--interval", type=int, default=180, help="poll period in ms (180)")
    parser.add_argument("--seconds", type=float, default=20.0, help="steady run length (20)")
    parser.add_argument("--ticks", type=int, default=20, help="ticks under callgrind (20)")
    parser.add_argument("--pairs", type=int, default=8, help="start-up rounds (8)")
    parser.add_argument("--no-window-manager", action="store_true")
    parser.add_argument("--skip", default="", help="comma list of: callgrind,cpu,start")
    parser.add_argument("--keep", help="a folder to keep the callgrind profiles in")
    args = parser.parse_args()
    build = Path(args.build)
    args.board = build / "tools/board-sim/tarnwick-board"
    skip = set(filter(None, args.skip.split(",")))

    subjects = [Subject("bare", build / "bench/bare_window", True, args.interval),
                Subject("bare+text", build / "bench/bare_window", True, args.interval, True)]
    if args.baseline:
        subjects.append(Subject("before", args.baseline, False, args.interval))
    subjects.append(Subject("tarnwick", build / "src/app/tarnwick", False, args.interval))

    work = Path(tempfile.mkdtemp(prefix="tarnwick-bench."))
    env, display = virtual_display(work, not args.no_window_manager)
    rows = {s.name: {} for s in subjects}
    try:
        if "callgrind" not in skip:
            for s in subjects:
                rows[s.name]["instructions"] = instructions(s, args, env, work, True)
                rows[s.name]["instructions idle"] = instructions(s, args, env, work, False)
        if "cpu" not in skip:
            for s in subjects:
                rows[s.name]["busy"] = steady(s, args, env, work, True)
                rows[s.name]["idle"] = steady(s, args, env, work, False)
        if "start" not in skip:
            watch = MapWatch(env)
            try:
                starts = {s.name: [] for s in subjects}
                for i in range(args.pairs):
                    for s in subjects:  # interleaved, so the machine's moods fall on all
                        starts[s.name].append(startup(s, args, env, work, watch, i))
            finally:
                watch.stop()
            for s in subjects:
                maps, frames = zip(*starts[s.name])
                rows[s.name]["map"] = statistics.median(maps)
                rows[s.name]["frame"] = statistics.median(frames)
    except Exception:
        for log in sorted(work.glob("*/program.log")):
            print(f"--- {log}:\n" + log.read_text(errors="replace")[:3000], file=sys.stderr)
        raise
    finally:
        for proc in display:
            stop(proc)
        shutil.rmtree(work, ignore_errors=True)

    report(subjects, rows, args)


def report(subjects, rows, args):
    names = [s.name for s in subjects]
    bare, with_text = rows["bare"], rows["bare+text"]

    def line(label, key, fmt, ratio=False):
        cells = []
        for name in names:
            value = key(rows[name])
            if value is None:
                cells.append("-")
                continue
            text = fmt.format(value)
            if ratio and not name.startswith("bare") and key(bare):
                text += f" ({value / key(bare):.2f}x"
                if key(with_text):
                    text += f"; {value / key(with_text):.2f}x of bare+text"
                text += ")"
            cells.append(text)
        print(f"| {label} | " + " | ".join(cells) + " |")

    def get(*path):
        def read(row):
            node = row
            for part in path:
                if not isinstance(node, dict) or part not in node:
                    return None
                node = node[part]
            return node
        return read

    print(f"poll {args.interval} ms; steady runs {args.seconds:g} s; "
          f"{args.ticks} ticks under callgrind; {args.pairs} start-up rounds")
    print("| figure | " + " | ".join(names) + " |")
    print("|---|" + "---|" * len(names))
    line("instructions per tick, every field changing", get("instructions"), "{:,.0f}")
    line("instructions per tick, nothing changing", get("instructions idle"), "{:,.0f}")
    line("CPU per tick p50, every field changing (ms)", get("busy", "p50"), "{:.3f}")
    line("CPU per tick p99, every field changing (ms)", get("busy", "p99"), "{:.3f}")
    line("CPU share while polling (% of a core)", get("busy", "share"), "{:.2f}")
    line("CPU per tick p50, nothing changing (ms)", get("idle", "p50"), "{:.3f}")
    line(f"resident memory after {args.seconds:g} s (MiB)", get("busy", "rss"), "{:.1f}", True)
    line("exec to window mapped (ms, median)", get("map"), "{:.0f}", True)
    line("exec to first decoded frame (ms, median)", get("frame"), "{:.0f}", True)


if __name__ == "__main__":
    sys.exit(main())
