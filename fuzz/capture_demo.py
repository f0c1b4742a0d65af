#!/usr/bin/env python3
"""Records one short session with the demo world as seeds for the fuzz targets.

Starts tools/demo-world on a free port, logs a player in on the text port and a client on
the client port, runs commands that make the world send every kind of text and message,
quits, and writes everything each port sent: OUT_DIR/term.bin and OUT_DIR/client.bin.
Usage: capture_demo.py OUT_DIR
"""
import os
import socket
import struct
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WORLD = os.path.join(HERE, "..", "tools", "demo-world", "demo_world.py")
TIMEOUT = 10


def free_port_pair() -> int:
    for port in range(24100, 31000, 7):
        socks = []
        try:
            for p in (port, port + 1):
                s = socket.socket()
                socks.append(s)
                s.bind(("127.0.0.1", p))
            return port
        except OSError:
            continue
        finally:
            for s in socks:
                s.close()
    raise RuntimeError("no free port pair")


class Recorder:
    """Keeps everything a socket receives until the peer closes it."""

    def __init__(self, sock):
        self.sock = sock
        self.data = bytearray()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while True:
            try:
                chunk = self.sock.recv(65536)
            except OSError:
                return
            if not chunk:
                return
            self.data += chunk

    def wait_for(self, needle: bytes):
        deadline = time.monotonic() + TIMEOUT
        while needle not in self.data:
            if time.monotonic() > deadline:
                raise TimeoutError(needle)
            time.sleep(0.02)


def frame(mtype: int, text1: bytes = b"", text2: bytes = b"", data: bytes = b"") -> bytes:
    header = struct.pack("<ii128s128sii", mtype, 3, text1, text2, len(data), 0)
    return struct.pack("<I", len(header) + len(data)) + header + data


def main(out_dir: str):
    port = free_port_pair()
    world = subprocess.Popen(
        [sys.executable, WORLD, "--port", str(port), "-q", "--chatter-seconds", "0.3",
         "--clock-seconds", "0.3"], stdout=subprocess.PIPE, text=True)
    try:
        world.stdout.readline()  # "demo world: ..." once it listens
        text = socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT)
        term = Recorder(text)
        term.wait_for(b"known? ")
        text.sendall(b"fuzzer\n")
        term.wait_for(b"Password: ")
        text.sendall(b"demo\n")
        term.wait_for(b"mv> ")

        client_sock = socket.create_connection(("127.0.0.1", port + 1), timeout=TIMEOUT)
        client = Recorder(client_sock)
        client_sock.sendall(frame(1, b"fuzzer", b"demo"))
        client.wait_for(b"Welcome")

        for command in ["look", "north", "south", "east", "west", "who", "score", "inventory",
                        "equipment", "identify bread", "sound chime", "sound tune",
                        "sound stop", "msgbox", "board", "news", "time", "help",
                        "help movement", "chat hello", "say hi", "clear", "down", "up"]:
            text.sendall(command.encode() + b"\n")
            time.sleep(0.05)
        for request in [frame(3, b"chime.wav"), frame(2, b"tune.mid"), frame(4), frame(10),
                        frame(11, b"movement"), frame(12), frame(13, b"0"),
                        frame(14, b"0", b"0"), frame(9, b"look")]:
            client_sock.sendall(request)
            time.sleep(0.05)
        time.sleep(1.0)  # chatter and the clock
        text.sendall(b"quit\n")
        term.thread.join(TIMEOUT)
        client.thread.join(TIMEOUT)
    finally:
        world.terminate()
        world.wait(TIMEOUT)

    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "term.bin"), "wb") as f:
        f.write(term.data)
    with open(os.path.join(out_dir, "client.bin"), "wb") as f:
        f.write(client.data)
    print(f"captured {len(term.data)} text bytes, {len(client.data)} client bytes")


if __name__ == "__main__":
    main(sys.argv[1])
