#!/usr/bin/env python3
"""The real program's command line: help and version without a display, refusals with
exit status 2, and --profile starting a listed profile without the profile selection.
Also checks that the manual page documents every option --help lists.

Usage: command_line_test.py PATH/TO/tavclient VERSION PATH/TO/tavclient.1 PATH/TO/golden_tav.cfg
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

PROGRAM = VERSION = MANUAL = SETTINGS = None
WAIT = 30  # seconds: a bound on every wait, never a measurement


def run(args, display=False, data_dir=None):
    """Runs the program to its end; without `display` no window system is reachable."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.pop("QT_QPA_PLATFORM", None)
    if display:
        env["QT_QPA_PLATFORM"] = "offscreen"
    if data_dir:
        args = ["--data-dir", data_dir] + args
    return subprocess.run([PROGRAM] + args, env=env, capture_output=True, timeout=WAIT,
                          stdin=subprocess.DEVNULL)


def write_profiles(root, names):
    """Lists `names` and gives each a tav.cfg that does not connect at start."""
    with open(os.path.join(root, "profiles.cfg"), "wb") as f:
        f.write(b"".join(n.encode() + b"\r\n" for n in names))
    with open(SETTINGS, "rb") as f:
        lines = f.read().split(b"\r\n")
    for i, line in enumerate(lines):
        if line.startswith(b"addy:"):
            lines[i] = b"addy:127.0.0.1"
        if line.startswith(b"tcolor:"):
            lines[i + 1] = b"0 0 0"  # autoterm autoclient waitclient
    for name in names:
        os.makedirs(os.path.join(root, "profiles", name))
        with open(os.path.join(root, "profiles", name, "tav.cfg"), "wb") as f:
            f.write(b"\r\n".join(lines))


def help_options(text):
    """The long options a help text lists: ["--help", "--version", ...]."""
    return re.findall(r"^\s+(?:-\w, )?(--[\w-]+)", text, re.MULTILINE)


class CommandLineTest(unittest.TestCase):
    def test_help_and_version_need_no_display(self):
        for args, expected in ((["--help"], "Usage: tavclient [options]\n"),
                               (["-h"], "Usage: tavclient [options]\n"),
                               (["--version"], "tavclient %s\n" % VERSION),
                               (["-v", "-platform", "xcb"], "tavclient %s\n" % VERSION)):
            with self.subTest(args=args):
                result = run(args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.decode().startswith(expected), result.stdout)
                self.assertEqual(result.stderr, b"")

    def test_refusals_exit_with_status_2_and_say_why(self):
        with tempfile.TemporaryDirectory() as root:
            write_profiles(root, ["hero", "alt"])
            cases = (
                (["--bogus"], "Unknown option 'bogus'", True),
                (["stray"], "Unexpected argument 'stray'", True),
                (["--data-dir"], "Missing value after '--data-dir'", True),
                (["--data-dir", root, "--profile", "nobody"], 'no profile named "nobody"', False),
                (["--data-dir", root, "--profile", "../hero"], "contains '/'", False),
                (["--data-dir", root, "--profile", ".."], "not a directory of its own", False),
            )
            for args, reason, usage in cases:
                with self.subTest(args=args):
                    result = run(args)
                    errors = result.stderr.decode("latin-1")
                    self.assertEqual(result.returncode, 2, errors)
                    self.assertIn(reason, errors)
                    self.assertEqual("Usage: tavclient" in errors, usage, errors)
                    self.assertEqual(result.stdout, b"")

    def test_profile_starts_without_asking(self):
        with tempfile.TemporaryDirectory() as root:
            # With two profiles the selection would ask which one.
            write_profiles(root, ["alt", "hero"])
            runtime = os.path.join(root, "runtime")
            os.makedirs(runtime, mode=0o700)
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TAV_REPORT_SHOWN="1",
                       XDG_RUNTIME_DIR=runtime)
            process = subprocess.Popen(
                [PROGRAM, "--data-dir", root, "--profile", "hero"], env=env,
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            errors = []
            shown = threading.Event()

            def read():
                for raw in process.stderr:
                    errors.append(raw.decode("latin-1"))
                    if raw.startswith(b"shown "):
                        shown.set()

            reader = threading.Thread(target=read, daemon=True)
            reader.start()
            try:
                # The main frame is shown only after the profile is applied; a profile
                # dialog waiting for an answer would keep it from ever being reported.
                self.assertTrue(shown.wait(WAIT), "never shown:\n" + "".join(errors))
                process.send_signal(signal.SIGTERM)
                self.assertEqual(process.wait(WAIT), 0, "".join(errors))
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
                reader.join(WAIT)
                process.stderr.close()
            # Only the chosen profile was applied and saved at exit.
            self.assertTrue(os.path.exists(os.path.join(root, "profiles", "hero", "colors.dat")))
            self.assertFalse(os.path.exists(os.path.join(root, "profiles", "alt", "colors.dat")))

    def test_manual_page_documents_every_option(self):
        listed = help_options(run(["--help"]).stdout.decode())
        self.assertGreaterEqual(len(listed), 4, listed)
        with open(MANUAL, encoding="utf-8") as f:
            manual = f.read().replace("\\-", "-")
        for option in listed:
            with self.subTest(option=option):
                self.assertIn(option, manual)


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    PROGRAM, VERSION, MANUAL, SETTINGS = sys.argv[1:5]
    del sys.argv[1:5]
    unittest.main()
