#!/usr/bin/env python3
"""The real program against a real TinyMUX (Debian's tinymux), opened by a telnet link: a game
profile as "Connect to a game..." makes it logs in as the wizard. TinyMUX's log shows the
login, and the width TinyMUX has for the client's screen at the login (a `think` the wizard's
@aconnect runs) is the one the client sent by NAWS, as a relay between the two records it.

Cases: `link` (tavclient telnet://127.0.0.1:PORT), `desktop` (gio open of the link through
the real desktop entry, on Xvfb) and `tls` (TLS through stunnel4 with a certificate made
here, the program's question about it answered Yes with a key press on Xvfb).

Usage: tinymux_link_test.py CASE PATH/TO/tavclient PATH/TO/quick_profile PATH/TO/tavclient.desktop
Exits with 77 (skipped) when a program the case needs is not installed.
"""
import os
import random
import re
import signal
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

from program_support import (WAIT, Program, VirtualDisplay, open_through_desktop,
                             stop_process, wait_for)

SKIP = 77
INSTALL = "/usr/games/tinymux-install"
NEEDS = {"link": [INSTALL], "desktop": [INSTALL, "gio", "Xvfb", "update-desktop-database"],
         "tls": [INSTALL, "stunnel4", "openssl", "Xvfb", "xdotool"]}
NAWS = re.compile(rb"\xff\xfa\x1f(..)..\xff\xf0", re.S)


def listening(port):
    """True when a socket listens on `port`, from the kernel's table (a probe connection
    would show in TinyMUX's log)."""
    with open("/proc/net/tcp") as table:
        return any(line.split()[1].endswith(":%04X" % port) and line.split()[3] == "0A"
                   for line in table.readlines()[1:])


def start_listening(start):
    """Runs `start(port)` on fresh ports below the client's 32000 until its process listens;
    the process and the port."""
    for port in random.sample(range(10000, 32000), 5):
        if listening(port):
            continue
        process = start(port)
        if wait_for(lambda: listening(port) or process.poll() is not None) and listening(port):
            return process, port
        stop_process(process)
    raise RuntimeError("nothing listened")


class TinyMux:
    """A game of its own in `root`, listening on 127.0.0.1; prepare() has the wizard's
    @aconnect tell each login of the wizard the width TinyMUX has for it."""

    def __init__(self, root):
        subprocess.run([INSTALL], cwd=root, check=True, capture_output=True, timeout=WAIT)
        self.game = os.path.join(root, "tinymux", "game")
        os.makedirs(os.path.join(self.game, "logs"))
        conf = os.path.join(self.game, "netmux.conf")
        with open(conf, "rb") as f:
            original = f.read()

        def start(port):
            with open(conf, "wb") as f:
                f.write(original + b"\nport %d\nip_address 127.0.0.1\n" % port)
            return subprocess.Popen(
                ["bin/netmux", "-c", "netmux.conf", "-p", "netmux.pid", "-e", "logs"],
                cwd=self.game, env=dict(os.environ, LD_LIBRARY_PATH=self.game + "/bin"),
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        self.process, self.port = start_listening(start)

    def prepare(self):
        with socket.create_connection(("127.0.0.1", self.port), timeout=WAIT) as wizard:
            wizard.sendall(b"connect wizard potrzebie\r\n"
                           b"@aconnect me=think Width=[width(me)].\r\nQUIT\r\n")
            while wizard.recv(4096):  # TinyMUX closes after QUIT
                pass

    def log(self):
        text = ""
        for name in os.listdir(os.path.join(self.game, "logs")):
            if name.endswith(".log"):
                with open(os.path.join(self.game, "logs", name), "rb") as f:
                    text += f.read().decode("utf-8", "replace")
        return text

    def logins(self):
        return self.log().count("Connected to Wizard(#1)")


class Relay:
    """Passes connections on to `target` and records both directions (`sent_by("client")` and
    `sent_by("game")` give what each side sent so far)."""

    def __init__(self, target):
        self.target, self.lock, self.sent = target, threading.Lock(), {}
        for port in range(20000, 32000, 97):
            try:
                self.server = socket.create_server(("127.0.0.1", port))
                break
            except OSError:
                continue
        self.port = self.server.getsockname()[1]
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            client, _ = self.server.accept()
            game = socket.create_connection(("127.0.0.1", self.target))
            for source, sink, side in ((client, game, "client"), (game, client, "game")):
                threading.Thread(target=self._pump, args=(source, sink, side),
                                 daemon=True).start()

    def sent_by(self, side):
        with self.lock:
            return self.sent.get(side, b"")

    def _pump(self, source, sink, side):
        try:
            while data := source.recv(4096):
                with self.lock:
                    self.sent[side] = self.sent.get(side, b"") + data
                sink.sendall(data)
        except OSError:
            pass
        for end in (source, sink):
            try:
                end.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def check_login(mux, relay, logins_before):
    """The wizard logged in, and TinyMUX's width for the connection is the NAWS width sent."""
    assert wait_for(lambda: mux.logins() > logins_before), "no login:\n" + mux.log()[-2000:]
    assert wait_for(lambda: b"Width=" in relay.sent_by("game")), relay.sent_by("game")[-2000:]
    width = int(re.search(rb"Width=(\d+)\.", relay.sent_by("game")).group(1))
    # The sizes sent before the login; 78 is TinyMUX's width for a connection without one.
    before = relay.sent_by("client").partition(b"connect wizard potrzebie")[0]
    sent = [int.from_bytes(m.group(1), "big") for m in NAWS.finditer(before)]
    assert sent and width == sent[-1] and width != 78, (width, relay.sent_by("client"))


def start_stunnel(root, target):
    """stunnel taking TLS on a fresh port with a certificate made here, passing the text on
    to `target`; the process, its port and the certificate's SHA-256 fingerprint."""
    for args in (["req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                  "-nodes", "-keyout", "game.key", "-out", "game.pem", "-days", "2", "-subj",
                  "/CN=localhost"],
                 ["x509", "-noout", "-fingerprint", "-sha256", "-in", "game.pem"]):
        made = subprocess.run(["openssl"] + args, cwd=root, capture_output=True, check=True,
                              timeout=WAIT)

    def start(port):
        with open(os.path.join(root, "stunnel.conf"), "w") as f:
            f.write("foreground = yes\npid =\noutput = stunnel.log\ndebug = 7\n[game]\n"
                    "accept = 127.0.0.1:%d\nconnect = 127.0.0.1:%d\ncert = game.pem\n"
                    "key = game.key\n" % (port, target))
        return subprocess.Popen([shutil.which("stunnel4"), "stunnel.conf"], cwd=root,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    return start_listening(start) + (made.stdout.decode().strip().split("=", 1)[1],)


def answer_certificate_question(display):
    """Presses Y in the certificate question until it closes; False when none opened.

    A key sent while the window is being mapped can be lost on a loaded machine, so a
    question still open two seconds after a press is pressed again."""
    pressed = []

    def answer():
        found = display.run("xdotool", "search", "--name", "^Unverified certificate$").stdout
        if not found:
            return bool(pressed)
        if not pressed or time.monotonic() - pressed[-1] > 2:
            display.run("xdotool", "windowfocus", "--sync", found.split()[0], "key", "y")
            pressed.append(time.monotonic())
        return False

    return wait_for(answer)


def run_case(case, program, quick_profile, entry, root, mux):
    relay = Relay(mux.port)
    data = os.path.join(root, "data")
    os.makedirs(data)
    profile = ["mux", "127.0.0.1", str(relay.port), "wizard", "potrzebie"]
    link = "telnet://127.0.0.1:%d" % relay.port
    processes = []
    display = pid_file = client = None
    try:
        if case == "tls":
            tunnel, tls_port, fingerprint = start_stunnel(root, relay.port)
            processes.append(tunnel)
            profile.append(str(tls_port))
        subprocess.run([quick_profile, data] + profile, check=True, timeout=WAIT)
        logins = mux.logins()
        if case == "link":
            client = Program(program, data, [link])
        else:
            display = VirtualDisplay()
            assert display.display, "Xvfb did not start"
            runtime = os.path.join(root, "runtime")
            os.makedirs(runtime, mode=0o700)
            display.env["XDG_RUNTIME_DIR"] = runtime
            if case == "desktop":
                pid_file = open_through_desktop(display, program, entry, data, link, root)
            else:
                client = Program(program, data, [link], env=display.env)
                assert answer_certificate_question(display), "no question:\n" + client.stderr()
        if client:
            processes.append(client.process)
        check_login(mux, relay, logins)
        if case == "tls":
            trusted = os.path.join(data, "profiles", "mux", "trusted-certificates.cfg")
            with open(trusted) as f:
                assert f.read() == "127.0.0.1:%d %s\n" % (tls_port, fingerprint)
            with open(os.path.join(root, "stunnel.log")) as f:
                assert "TLS accepted: new session negotiated" in f.read()
    finally:
        if pid_file and wait_for(lambda: os.path.getsize(pid_file) > 0, 1):
            with open(pid_file) as f:
                os.kill(int(f.read()), signal.SIGTERM)
        for process in reversed(processes):
            stop_process(process)
        if display:
            display.stop()


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in NEEDS:
        sys.exit(__doc__)
    case = sys.argv[1]
    missing = [p for p in NEEDS[case] if not shutil.which(p)]
    if missing:
        print("SKIPPED: not installed: " + " ".join(missing), file=sys.stderr)
        sys.exit(SKIP)
    with tempfile.TemporaryDirectory() as root:
        mux = TinyMux(root)
        try:
            mux.prepare()
            run_case(case, *sys.argv[2:], root, mux)
        finally:
            stop_process(mux.process)
    print("passed: " + case)


if __name__ == "__main__":
    main()
