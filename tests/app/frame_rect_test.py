#!/usr/bin/env python3
"""Starts the real program five times under a window manager (openbox on Xvfb), closes it
through the window manager each time, and checks that the main window's saved rectangle
("termpos:", the outer frame) stays what it was: offscreen there are no decorations, which
are only known once the window manager has framed the window. A tool window, once shown,
takes the size and the maximised state the user gives it through the window manager.

Usage: frame_rect_test.py PATH/TO/tavclient
Exits with 77 (skipped) when Xvfb or openbox cannot be started here.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from program_support import (Program, VirtualDisplay, edit_settings, make_profile, set_flag,
                             wait_for)

PROGRAM = None
SKIP = 77
START_RECT = b"100 80 800 540"
CYCLES = 5


def start_display():
    """Xvfb with openbox; else None and why."""
    if not shutil.which("Xvfb") or not shutil.which("openbox"):
        return None, "Xvfb or openbox is not installed"
    display = VirtualDisplay()
    if display.display:
        display.spawn(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait_for(lambda: display.run("wmctrl", "-m").returncode == 0):
            return display, None
    display.stop()
    return None, "Xvfb or openbox did not start"


def termpos(profile):
    with open(os.path.join(profile, "tav.cfg"), "rb") as f:
        return re.search(rb"\r\ntermpos:(.*)\r\n", f.read()).group(1)


def place(lines, rect, ontop):
    for i, line in enumerate(lines):
        if line.startswith(b"termpos:"):
            lines[i] = b"termpos:" + rect
    set_flag(lines, b"mp3player:", 7, b"1" if ontop else b"0")  # the always-on-top flag


class FrameRectTest(unittest.TestCase):
    display = None

    def window(self, program, title):
        """The id of the program's shown window titled `title` (a pattern)."""
        def windows():
            return self.display.run("xdotool", "search", "--onlyvisible", "--pid",
                                    str(program.process.pid), "--name", title).stdout.split()

        self.assertTrue(wait_for(windows), "no window " + title)
        return windows()[0]

    def settled(self, window):
        """The window's geometry and state once unchanged for a second (a loaded machine can
        take that long): the program places a window again once it is framed."""
        seen = []

        def settled():
            seen.append(self.display.run("xdotool", "getwindowgeometry", window).stdout +
                        self.display.run("xprop", "-id", window, "_NET_WM_STATE").stdout)
            return len(seen) >= 10 and len(set(seen[-10:])) == 1

        self.assertTrue(wait_for(settled), "the window never settled")
        return seen[-1]

    def run_once(self, root):
        """Starts the program, waits until its frame has settled, and closes it through the
        window manager as a user would; returns its exit status and stderr."""
        program = Program(PROGRAM, root, env=self.display.env, test=self)
        self.assertTrue(program.wait_shown(), "never shown")
        window = self.window(program, "^TavClient - hero$")
        self.settled(window)
        self.assertEqual(self.display.run("wmctrl", "-i", "-c", window).returncode, 0)
        return program.wait(), program.stderr()

    def test_a_tool_window_takes_the_size_and_state_the_user_gives_it(self):
        with tempfile.TemporaryDirectory() as root:
            make_profile(root)
            program = Program(PROGRAM, root, env=self.display.env, test=self)
            self.assertTrue(program.wait_shown(), "never shown")
            frame = self.window(program, "^TavClient - hero$")
            self.display.run("xdotool", "windowactivate", "--sync", frame, "key", "alt+v", "w")
            who = self.window(program, "^TavClient WhoDlg$")
            self.settled(who)
            self.display.run("wmctrl", "-i", "-r", who, "-e", "0,100,100,500,400")
            self.assertIn("Geometry: 500x400", self.settled(who))
            self.display.run("wmctrl", "-i", "-r", who, "-b", "add,maximized_vert,maximized_horz")
            self.assertIn("_NET_WM_STATE_MAXIMIZED_HORZ", self.settled(who))

    def test_the_saved_rectangle_survives_starts_and_closes(self):
        for ontop in (False, True):
            with self.subTest(ontop=ontop), tempfile.TemporaryDirectory() as root:
                profile = make_profile(root)
                edit_settings(profile, lambda lines: place(lines, START_RECT, ontop))

                saved = []
                for _ in range(CYCLES):
                    status, errors = self.run_once(root)
                    self.assertEqual(status, 0, errors)
                    saved.append(termpos(profile))
                self.assertEqual(saved, [START_RECT] * CYCLES)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = sys.argv.pop(1)
    FrameRectTest.display, problem = start_display()
    if problem:
        print("SKIPPED: " + problem, file=sys.stderr)
        sys.exit(SKIP)
    try:
        code = 0 if unittest.main(exit=False).result.wasSuccessful() else 1
    finally:
        FrameRectTest.display.stop()
    sys.exit(code)
