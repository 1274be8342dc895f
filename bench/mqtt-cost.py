#!/usr/bin/env python3
"""What the MQTT bridge costs the panel: instructions per tick under callgrind with the
bridge connected to a mosquitto of this script's own, beside the same panel with no
mqtt.ini; with nothing changing on the board (the bridge must cost less than a tenth
there), and with every field changing, when each frame publishes. Measured as whole-program.py measures the panel
(its own function: collection on once the link is up, all threads, the bridge's network
thread included, divided by the status requests the board saw), offscreen:

  bench/mqtt-cost.py --build build [--ticks 40]
"""

import argparse
import importlib.util
import os
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from benchrig import stop

HERE = Path(__file__).resolve().parent
# whole-program.py is a script, not a module name Python can import by itself.
_source = importlib.util.spec_from_file_location("whole_program", HERE / "whole-program.py")
whole_program = importlib.util.module_from_spec(_source)
_source.loader.exec_module(whole_program)


class BridgedPanel(whole_program.Subject):
    """The panel, with an mqtt.ini naming the broker when `mqtt_port` is given."""

    def __init__(self, name, exe, mqtt_port):
        super().__init__(name, exe, False, 200)
        self.mqtt_port = mqtt_port

    def config(self, folder):
        folder = super().config(folder)
        if self.mqtt_port:
            (folder / "Tarnwick" / "mqtt.ini").write_text(
                f"[mqtt]\nhost=127.0.0.1\nport={self.mqtt_port}\nbase_topic=bench/{self.name}\n")
        return folder


def broker(work):
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    conf = work / "mosquitto.conf"
    conf.write_text(f"listener {port} 127.0.0.1\nallow_anonymous true\npersistence false\n"
                    + ("user root\n" if os.geteuid() == 0 else ""))
    proc = subprocess.Popen(["mosquitto", "-c", str(conf)], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return proc, port
        except OSError:
            time.sleep(0.1)
    raise RuntimeError("mosquitto did not start")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, default=HERE.parent / "build")
    parser.add_argument("--ticks", type=int, default=40)
    args = parser.parse_args()
    args.board = args.build / "tools/board-sim/tarnwick-board"
    args.keep = None
    exe = args.build / "src/app/tarnwick"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    with tempfile.TemporaryDirectory() as folder:
        work = Path(folder)
        mosquitto, port = broker(work)
        try:
            figures = {}
            for changing in (False, True):
                for name, mqtt_port in (("without", None), ("bridged", port)):
                    figures[name, changing] = whole_program.instructions(
                        BridgedPanel(name, exe, mqtt_port), args, env, work, changing)
                log = work / f"bridged-callgrind-{int(changing)}" / "program.log"
                if "mqtt: connected to" not in log.read_text(errors="replace"):
                    raise RuntimeError("the bridge did not connect: see " + str(log))
        finally:
            stop(mosquitto)
    print(f"instructions per tick over {args.ticks} ticks, offscreen")
    for changing, board in ((False, "nothing changing"), (True, "every field changing")):
        without, bridged = figures["without", changing], figures["bridged", changing]
        print(f"  {board:22} without the bridge {without:12.0f}"
              f"   bridge connected {bridged:12.0f}  ({(bridged / without - 1) * 100:+.1f} %)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
