#!/usr/bin/env python3
"""What the MQTT bridge costs the panel: instructions per tick under callgrind with the
bridge connected to a mosquitto of this script's own and nothing changing on the board,
beside the same panel with no mqtt.ini. Measured as whole-program.py measures the panel
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
spec = importlib.util.spec_from_file_location("whole_program", HERE / "whole-program.py")
whole_program = importlib.util.module_from_spec(spec)
spec.loader.exec_module(whole_program)


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
            without = whole_program.instructions(BridgedPanel("without", exe, None), args, env,
                                                 work, False)
            bridged = whole_program.instructions(BridgedPanel("bridged", exe, port), args, env,
                                                 work, False)
            log = (work / "bridged-callgrind-0" / "program.log").read_text(errors="replace")
            if "mqtt: connected to" not in log:
                raise RuntimeError("the bridge did not connect:\n" + log)
        finally:
            stop(mosquitto)
    print(f"instructions per tick, nothing changing, {args.ticks} ticks, offscreen")
    print(f"  without the bridge  {without:12.0f}")
    print(f"  bridge connected    {bridged:12.0f}  ({(bridged / without - 1) * 100:+.1f} %)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
