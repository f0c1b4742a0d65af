#!/usr/bin/env python3
"""A telnet link opened through the desktop: `gio open telnet://127.0.0.1:PORT` on a virtual
display finds the real desktop entry as the handler of telnet links and starts the program,
which opens the profile of that host and port and connects to it.

Usage: desktop_link_test.py PATH/TO/tavclient PATH/TO/tavclient.desktop
"""
import os
import shutil
import signal
import sys
import tempfile
import unittest

from program_support import (WAIT, VirtualDisplay, listen_below_32000, make_profile,
                             open_through_desktop, point_at, wait_for)

PROGRAM = ENTRY = None


class DesktopLinkTest(unittest.TestCase):
    def test_gio_open_of_a_telnet_link_starts_the_program_connected(self):
        if not all(shutil.which(p) for p in ("gio", "Xvfb", "update-desktop-database")):
            self.skipTest("gio, Xvfb or update-desktop-database missing")
        with tempfile.TemporaryDirectory() as home, listen_below_32000() as game:
            game.settimeout(WAIT)
            port = game.getsockname()[1]
            data = os.path.join(home, "data")
            os.makedirs(data)
            make_profile(data, ["alt", "hero"])
            profile = os.path.join(data, "profiles", "hero")
            point_at(profile, port)
            display = VirtualDisplay()
            self.addCleanup(display.stop)
            if display.display is None:
                self.skipTest("Xvfb did not start")
            pid_file = open_through_desktop(display, PROGRAM, ENTRY, data,
                                            "telnet://127.0.0.1:%d" % port, home)
            connection, _ = game.accept()
            connection.close()
            self.assertTrue(wait_for(lambda: os.path.getsize(pid_file) > 0))
            with open(pid_file) as f:
                pid = int(f.read())
            os.kill(pid, signal.SIGTERM)
            self.assertTrue(wait_for(lambda: os.path.exists(
                os.path.join(profile, "colors.dat"))))
            self.assertTrue(wait_for(lambda: not os.path.exists("/proc/%d" % pid) or
                                     open("/proc/%d/stat" % pid).read().split(")")[1].split()[0]
                                     == "Z"))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM, ENTRY = sys.argv[1:3]
    del sys.argv[1:3]
    unittest.main()
