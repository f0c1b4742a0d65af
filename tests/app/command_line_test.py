#!/usr/bin/env python3
"""The real program's command line: help and version without a display, refusals with
exit status 2, --profile starting a listed profile without the profile selection, and a
telnet link opening the profile of its host and port, connected.
Also checks that the manual page documents every option --help lists.

Usage: command_line_test.py PATH/TO/tavclient VERSION PATH/TO/tavclient.1
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest

from program_support import WAIT, Program, listen_below_32000, make_profile, point_at

PROGRAM = VERSION = MANUAL = None


def run(args):
    """Runs the program to its end with no window system reachable."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    return subprocess.run([PROGRAM] + args, env=env, capture_output=True, timeout=WAIT,
                          stdin=subprocess.DEVNULL)


class CommandLineTest(unittest.TestCase):
    def test_help_and_version_need_no_display_and_the_manual_has_every_option(self):
        for args, expected in ((["--help"],
                                "Usage: tavclient [options] [telnet://HOST:PORT | HOST PORT]\n"),
                               (["-v", "-platform", "xcb"], "tavclient %s\n" % VERSION)):
            with self.subTest(args=args):
                result = run(args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.decode().startswith(expected), result.stdout)
                self.assertEqual(result.stderr, b"")
        listed = re.findall(r"^\s+(?:-\w, )?(--[\w-]+)", run(["--help"]).stdout.decode(), re.M)
        self.assertGreaterEqual(len(listed), 4, listed)
        with open(MANUAL, encoding="utf-8") as f:
            manual = f.read().replace("\\-", "-")
        for option in listed:
            self.assertIn(option, manual)

    def test_refusals_exit_with_status_2_and_say_why(self):
        with tempfile.TemporaryDirectory() as root:
            make_profile(root, ["hero", "alt"])
            # Which names a profile may have is the StartProfile test's.
            cases = (
                (["--bogus"], "Unknown option 'bogus'", True),
                (["stray"], "Unexpected argument 'stray'", True),
                (["telnet://a.b:1", "--profile", "hero"], "--profile and a game", True),
                (["--data-dir"], "Missing value after '--data-dir'", True),
                (["--data-dir", root, "--profile", "nobody"], 'no profile named "nobody"', False),
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
            make_profile(root, ["alt", "hero"])
            program = Program(PROGRAM, root, ["--profile", "hero"], test=self)
            # The main frame is shown only after the profile is applied; a profile dialog
            # waiting for an answer would keep it from ever being reported.
            self.assertIsNone(program.end_once_shown(signal.SIGTERM))
            self.assertTrue(os.path.exists(os.path.join(root, "profiles", "hero", "colors.dat")))
            self.assertFalse(os.path.exists(os.path.join(root, "profiles", "alt", "colors.dat")))

    def test_a_telnet_link_opens_the_profile_of_its_host_and_port_and_connects(self):
        with tempfile.TemporaryDirectory() as root, listen_below_32000() as game:
            game.settimeout(WAIT)
            port = game.getsockname()[1]
            make_profile(root, ["alt", "hero"])
            point_at(os.path.join(root, "profiles", "hero"), port)
            program = Program(PROGRAM, root, ["telnet://127.0.0.1:%d/" % port], test=self)
            self.assertTrue(program.wait_shown())
            connection, _ = game.accept()
            self.addCleanup(connection.close)
            self.assertIsNone(program.end_once_shown(signal.SIGTERM))
            self.assertTrue(os.path.exists(os.path.join(root, "profiles", "hero", "colors.dat")))
            self.assertFalse(os.path.exists(os.path.join(root, "profiles", "alt", "colors.dat")))


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    PROGRAM, VERSION, MANUAL = sys.argv[1:4]
    del sys.argv[1:4]
    unittest.main()
