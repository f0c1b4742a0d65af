#!/usr/bin/env python3
"""Ends the real program with SIGTERM, SIGHUP and SIGINT and checks that it left as Exit
does, without asking: exit status 0 and the settings saved, also while connected.

Usage: signal_exit_test.py PATH/TO/tavclient
"""
import os
import random
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import unittest

from profile_files import make_profile

PROGRAM = None
WAIT = 30  # seconds: a bound on every wait, never a measurement
LONG_AGO = 946684800  # 2000-01-01


class Program:
    """tavclient on the offscreen platform in a data directory; ready once it has shown
    its main frame with the profile applied (it reports "shown" on stderr)."""

    def __init__(self, data_dir):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TAV_REPORT_SHOWN="1")
        runtime = os.path.join(data_dir, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env["XDG_RUNTIME_DIR"] = runtime
        self.process = subprocess.Popen(
            [PROGRAM, "--data-dir", data_dir],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            env=env)
        self.errors = []
        self.shown = threading.Event()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stderr:
            line = raw.decode("latin-1").rstrip("\n")
            self.errors.append(line)
            if line.startswith("shown "):
                self.shown.set()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.reader.join(WAIT)
        self.process.stderr.close()

    def wait_shown(self):
        return self.shown.wait(WAIT)

    def end(self, signum):
        self.process.send_signal(signum)
        try:
            return self.process.wait(WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None

    def stderr(self):
        """What it wrote to stderr; ends it first if it still runs."""
        self.kill()
        self.reader.join(WAIT)
        return "\n".join(self.errors)


def listen_below_32000():
    """A listening socket on 127.0.0.1 at a port the program accepts (1 to 31999)."""
    for port in random.sample(range(20000, 32000), 200):
        game = socket.socket()
        try:
            game.bind(("127.0.0.1", port))
        except OSError:
            game.close()
            continue
        game.listen(1)
        return game
    raise RuntimeError("no free port below 32000")


def set_lines(path, changes):
    """Rewrites tav.cfg lines: {"addy:": "addy:127.0.0.1", ...}; a key "after tcolor:"
    replaces the first number of the line after "tcolor:" (the autoterm flag)."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    for i, line in enumerate(lines):
        for key, value in changes.items():
            if key.startswith("after "):
                if line.startswith(key[len("after "):].encode()):
                    words = lines[i + 1].split(b" ")
                    lines[i + 1] = b" ".join([value.encode()] + words[1:])
            elif line.startswith(key.encode()):
                lines[i] = value.encode()
    with open(path, "wb") as f:
        f.write(b"\r\n".join(lines))


class SignalExitTest(unittest.TestCase):
    def start(self, data_dir):
        program = Program(data_dir)
        self.addCleanup(program.kill)
        return program

    def run_until_signal(self, data_dir, signum):
        program = self.start(data_dir)
        if not program.wait_shown():
            self.fail("never ready:\n" + program.stderr())
        status = program.end(signum)
        if status != 0:
            self.fail("did not end by itself (status %s):\n%s" % (status, program.stderr()))

    def test_each_signal_saves_a_new_profile_and_ends_normally(self):
        for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=signum.name), tempfile.TemporaryDirectory() as root:
                # New: the configuration dialog is open when the signal comes.
                profile = make_profile(root, configured=False)
                self.run_until_signal(root, signum)
                # A profile without tav.cfg gets one with default values at exit.
                with open(os.path.join(profile, "tav.cfg"), "rb") as f:
                    saved = f.read()
                self.assertIn(b"\r\ntermpos:", saved)
                self.assertTrue(os.path.exists(os.path.join(profile, "colors.dat")))

    def test_a_signal_while_connected_does_not_ask(self):
        with tempfile.TemporaryDirectory() as root:
            profile = make_profile(root)
            self.run_until_signal(root, signal.SIGTERM)  # saves tav.cfg and colors.dat
            game = listen_below_32000()
            game.settimeout(WAIT)
            set_lines(os.path.join(profile, "tav.cfg"), {
                "addy:": "addy:127.0.0.1",
                "port:": "port:%d" % game.getsockname()[1],
                "after tcolor:": "1",
            })
            # Files from long ago: saving at exit gives them the present time.
            saved_files = [os.path.join(profile, name) for name in ("tav.cfg", "colors.dat")]
            for path in saved_files:
                os.utime(path, (LONG_AGO, LONG_AGO))

            program = self.start(root)
            peer, _ = game.accept()  # the start-up autoconnect
            if not program.wait_shown():
                self.fail("never ready:\n" + program.stderr())
            # Exit would ask "Still connected... exit?" here; a signal must not wait for it.
            status = program.end(signal.SIGTERM)
            if status != 0:
                self.fail("did not end by itself (status %s):\n%s" % (status, program.stderr()))
            peer.close()
            game.close()
            for path in saved_files:
                self.assertGreater(os.stat(path).st_mtime, LONG_AGO, path)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = sys.argv.pop(1)
    unittest.main()
