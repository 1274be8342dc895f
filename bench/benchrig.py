"""What the whole-program benchmark and the screen comparison share: a virtual display, a
simulated board whose output is read as it comes, and a settings store for the panel."""

import os
import re
import select
import shutil
import signal
import subprocess
import time
from pathlib import Path


class Board:
    """tarnwick-board on a pty, linked as COM1 of `config`; its stdout is read as it comes."""

    def __init__(self, exe, config, changing=False):
        args = [str(exe), "--port", "1"] + (["--changing"] if changing else [])
        env = dict(os.environ, XDG_CONFIG_HOME=str(config))
        self.proc = subprocess.Popen(args, env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, bufsize=1)
        self.link = None
        self.requests = []  # monotonic arrival time of each status request line
        while self.link is None:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("tarnwick-board did not start")
            m = re.match(r"link\s+(\S+)", line)
            if m:
                self.link = m.group(1)

    def poll(self, timeout):
        """Reads what the board printed within `timeout` s; records status requests."""
        ready, _, _ = select.select([self.proc.stdout], [], [], max(0.0, timeout))
        if not ready:
            return False
        line = self.proc.stdout.readline()
        if "status request" in line:
            self.requests.append(time.monotonic())
        return True

    def wait_requests(self, count, timeout):
        deadline = time.monotonic() + timeout
        while len(self.requests) < count:
            left = deadline - time.monotonic()
            if left <= 0:
                raise RuntimeError(f"only {len(self.requests)} of {count} status requests seen")
            self.poll(left)

    def command(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def stop(self):
        stop(self.proc)


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def write_settings(folder, **keys):
    """A settings store in `folder` holding the [StartUp] keys given (spaces as "_")."""
    ini = folder / "Tarnwick" / "Tarnwick.ini"
    ini.parent.mkdir(parents=True, exist_ok=True)
    lines = "".join(f"{k.replace('_', '%20')}={v}\n" for k, v in keys.items())
    ini.write_text("[StartUp]\n" + lines)
    return folder


def virtual_display(work, window_manager):
    fd_read, fd_write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(fd_write), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp"], pass_fds=(fd_write,),
                            stdout=subprocess.DEVNULL, stderr=open(work / "xvfb.log", "a"))
    os.close(fd_write)
    # Xvfb writes the number and then, separately, a line feed: closing the pipe before the
    # line feed has come would make that second write fail and end the server.
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(fd_read, 16)
        if not chunk:
            break
        number += chunk
    number = number.decode().strip()
    os.close(fd_read)
    if not number.isdigit():
        raise RuntimeError("Xvfb did not start")
    env = dict(os.environ, DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    if subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                      stderr=subprocess.DEVNULL).returncode != 0:
        raise RuntimeError(f"display :{number} does not answer:\n" +
                           (work / "xvfb.log").read_text(errors="replace")[-3000:])
    procs = [xvfb]
    if window_manager and shutil.which("openbox"):
        procs.insert(0, subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL))
        time.sleep(0.5)
    return env, procs
