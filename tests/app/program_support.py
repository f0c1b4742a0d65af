"""The real program for the tests that run it whole: a data directory with profiles, the
program started in it, and bounded waits."""
import os
import random
import shutil
import socket
import subprocess
import threading
import time

WAIT = 30  # seconds: a bound on every wait, never a measurement
# A tav.cfg of default values as the program writes it (app_gui_tests keeps the two alike);
# it connects nowhere at start. Without one a profile opens the configuration dialog.
CONFIGURED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data",
                          "configured_tav.cfg")


def make_profile(root, names=("hero",), configured=True):
    """Lists `names` in profiles.cfg and makes their directories, with a tav.cfg when
    `configured`; returns the first one's directory."""
    with open(os.path.join(root, "profiles.cfg"), "wb") as f:
        f.write(b"".join(n.encode() + b"\r\n" for n in names))
    for name in names:
        os.makedirs(os.path.join(root, "profiles", name))
        if configured:
            shutil.copyfile(CONFIGURED, os.path.join(root, "profiles", name, "tav.cfg"))
    return os.path.join(root, "profiles", names[0])


def edit_settings(profile, edit):
    """Rewrites the profile's tav.cfg: `edit(lines)` changes the list of its lines."""
    path = os.path.join(profile, "tav.cfg")
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    edit(lines)
    with open(path, "wb") as f:
        f.write(b"\r\n".join(lines))


def point_at(profile, port):
    """Points the profile's game at 127.0.0.1 and `port`."""
    edit_settings(profile, lambda lines: lines.__setitem__(slice(None), [
        b"addy:127.0.0.1" if line.startswith(b"addy:") else
        b"port:%d" % port if line.startswith(b"port:") else line for line in lines]))


def set_flag(lines, after, index, value):
    """Sets word `index` of the line after the one starting with `after`."""
    for i, line in enumerate(lines):
        if line.startswith(after):
            words = lines[i + 1].split(b" ")
            words[index] = value
            lines[i + 1] = b" ".join(words)


class VirtualDisplay:
    """Xvfb on a free display (`env` names it; `display` is None when it failed) and the
    children started on it, stopped together in reverse order."""

    def __init__(self):
        read_end, write_end = os.pipe()
        # -noreset: a server that resets when its last client leaves refuses a program that
        # connects meanwhile (the accessibility bus launcher connects and leaves).
        self.processes = [subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", "-noreset"], pass_fds=[write_end], stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
        os.close(write_end)
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        self.display = ":" + number if number else None
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY")}
        self.env["DISPLAY"] = self.display or ""

    def spawn(self, command, **kwargs):
        process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True)

    def stop(self):
        for process in reversed(self.processes):
            stop_process(process)


def stop_process(process):
    """Ends `process`: asked first, killed if it has not ended within the wait."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(WAIT)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def open_through_desktop(display, program, entry, data, link, home):
    """Opens `link` with gio on `display` as a desktop would: `entry` installed under `home`
    and indexed, its Exec found on PATH as a tavclient that runs `program` in `data`.
    Returns the file the started program's process id is written to."""
    applications = os.path.join(home, "share", "applications")
    os.makedirs(applications)
    shutil.copy(entry, applications)
    bin_dir = os.path.join(home, "bin")
    os.makedirs(bin_dir)
    wrapper = os.path.join(bin_dir, "tavclient")
    with open(wrapper, "w") as f:
        f.write('#!/bin/sh\necho $$ > "%s/pid"\nexec "%s" --data-dir "%s" "$@"\n'
                % (home, program, data))
    os.chmod(wrapper, 0o755)
    runtime = os.path.join(home, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    display.env.update(XDG_DATA_HOME=os.path.join(home, "share"),
                       XDG_DATA_DIRS=os.path.join(home, "none"),
                       XDG_CONFIG_HOME=os.path.join(home, "config"),
                       XDG_RUNTIME_DIR=runtime, HOME=home,
                       PATH=bin_dir + os.pathsep + os.environ["PATH"])
    # What installing the package does: its trigger indexes the entries' MIME types.
    indexed = display.run("update-desktop-database", applications)
    assert indexed.returncode == 0, indexed.stderr
    # Nothing reads the program's output: it would hold a pipe open past gio's end.
    opened = display.spawn(["gio", "open", link], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    assert opened.wait(WAIT) == 0, "gio open failed"
    return os.path.join(home, "pid")


def listen_below_32000():
    """A listening socket on 127.0.0.1 at a port the program accepts (1 to 31999)."""
    for port in random.sample(range(20000, 32000), 200):
        try:
            return socket.create_server(("127.0.0.1", port))
        except OSError:
            continue
    raise RuntimeError("no free port below 32000")


def wait_for(condition, seconds=WAIT):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            if condition():
                return True
        except Exception:  # an accessible tree changes under us as windows open and close
            pass
        time.sleep(0.1)
    return False


class Program:
    """tavclient in a data directory (offscreen unless `env` names a display), killed when
    `test` ends; ready once it has shown its main frame with the profile applied (it
    reports "shown" on stderr)."""

    def __init__(self, program, data_dir, args=(), env=None, test=None):
        if env is None:
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            runtime = os.path.join(data_dir, "runtime")
            os.makedirs(runtime, mode=0o700, exist_ok=True)
            env["XDG_RUNTIME_DIR"] = runtime
        self.process = subprocess.Popen(
            [program, "--data-dir", data_dir] + list(args), env=dict(env, TAV_REPORT_SHOWN="1"),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.errors = []
        self.shown = threading.Event()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        if test:
            test.addCleanup(self.kill)

    def _read(self):
        for raw in self.process.stderr:
            self.errors.append(raw.decode("latin-1").rstrip("\n"))
            if self.errors[-1].startswith("shown "):
                self.shown.set()

    def wait_shown(self):
        return self.shown.wait(WAIT)

    def wait(self):
        """Its exit status once it ends by itself; None (and ended) when it does not."""
        try:
            return self.process.wait(WAIT)
        except subprocess.TimeoutExpired:
            self.kill()
            return None

    def end_once_shown(self, signum):
        """Ends it with `signum` once shown; None when it then ended by itself with status 0,
        else what went wrong and its stderr."""
        if not self.wait_shown():
            return "never shown:\n" + self.stderr()
        self.process.send_signal(signum)
        status = self.wait()
        return None if status == 0 else "status %s:\n%s" % (status, self.stderr())

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.reader.join(WAIT)
        self.process.stderr.close()

    def stderr(self):
        """What it wrote to stderr; ends it first if it still runs."""
        self.kill()
        return "\n".join(self.errors)
