#!/usr/bin/env python3
"""Records a short demo-world session that sends every kind of text and message, as seeds
for the fuzz targets: what each port sent, in OUT_DIR/term.bin and OUT_DIR/client.bin.
Usage: capture_demo.py OUT_DIR
"""
import os
import socket
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WORLD = os.path.join(HERE, "..", "tools", "demo-world", "demo_world.py")
TIMEOUT = 10


def free_port_pair() -> int:
    for port in range(24100, 31000, 7):
        socks = [socket.socket(), socket.socket()]
        try:
            for s, p in zip(socks, (port, port + 1)):
                s.bind(("127.0.0.1", p))
            return port
        except OSError:
            continue
        finally:
            for s in socks:
                s.close()
    raise RuntimeError("no free port pair")


def read_until(sock, data: bytearray, needle: bytes = None):
    """Appends what arrives until needle does or the peer closes (the time-out bounds it)."""
    while needle is None or needle not in data:
        chunk = sock.recv(65536)
        if not chunk:
            return
        data += chunk


def frame(mtype: int, text1: bytes = b"", text2: bytes = b"", data: bytes = b"") -> bytes:
    header = struct.pack("<ii128s128sii", mtype, 3, text1, text2, len(data), 0)
    return struct.pack("<I", len(header) + len(data)) + header + data


def main(out_dir: str):
    port = free_port_pair()
    world = subprocess.Popen(
        [sys.executable, WORLD, "--port", str(port), "-q", "--chatter-seconds", "0.3",
         "--clock-seconds", "0.3"], stdout=subprocess.PIPE, text=True)
    term, client = bytearray(), bytearray()
    try:
        world.stdout.readline()  # "demo world: ..." once it listens
        text = socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT)
        for needle, answer in [(b"known? ", b"fuzzer\n"), (b"Password: ", b"demo\n"),
                               (b"mv> ", b"")]:
            read_until(text, term, needle)
            text.sendall(answer)
        client_sock = socket.create_connection(("127.0.0.1", port + 1), timeout=TIMEOUT)
        client_sock.sendall(frame(1, b"fuzzer", b"demo"))
        read_until(client_sock, client, b"Welcome")

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
        read_until(text, term)
        read_until(client_sock, client)
    finally:
        world.terminate()
        world.wait(TIMEOUT)

    os.makedirs(out_dir, exist_ok=True)
    for name, captured in (("term.bin", term), ("client.bin", client)):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(captured)
    print(f"captured {len(term)} text bytes, {len(client)} client bytes")


if __name__ == "__main__":
    main(sys.argv[1])
