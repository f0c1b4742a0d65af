#!/usr/bin/env python3
"""Ends the real program with SIGTERM, SIGHUP and SIGINT and checks that it left as Exit
does, without asking: exit status 0 and the settings saved, also while connected.

Usage: signal_exit_test.py PATH/TO/tavclient
"""
import os
import signal
import sys
import tempfile
import unittest

from program_support import (WAIT, Program, edit_settings, listen_below_32000, make_profile,
                             point_at, set_flag)

PROGRAM = None
LONG_AGO = 946684800  # 2000-01-01


class SignalExitTest(unittest.TestCase):
    def test_each_signal_saves_a_new_profile_and_then_does_not_ask_while_connected(self):
        for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=signum.name), tempfile.TemporaryDirectory() as root:
                # New: the configuration dialog is open when the signal comes.
                profile = make_profile(root, configured=False)
                self.assertIsNone(Program(PROGRAM, root, test=self).end_once_shown(signum))
                # A profile without tav.cfg gets one with default values at exit.
                with open(os.path.join(profile, "tav.cfg"), "rb") as f:
                    self.assertIn(b"\r\ntermpos:", f.read())
                self.assertTrue(os.path.exists(os.path.join(profile, "colors.dat")))
                self.connected_then_signalled(root, profile, signum)

    def connected_then_signalled(self, root, profile, signum):
        game = listen_below_32000()
        game.settimeout(WAIT)
        point_at(profile, game.getsockname()[1])
        edit_settings(profile, lambda lines: set_flag(lines, b"tcolor:", 0, b"1"))  # autoterm
        # Files from long ago: saving at exit gives them the present time.
        saved_files = [os.path.join(profile, name) for name in ("tav.cfg", "colors.dat")]
        for path in saved_files:
            os.utime(path, (LONG_AGO, LONG_AGO))

        program = Program(PROGRAM, root, test=self)
        peer, _ = game.accept()  # the start-up autoconnect
        # Exit would ask "Still connected... exit?" here; a signal must not wait for it.
        self.assertIsNone(program.end_once_shown(signum))
        peer.close()
        game.close()
        for path in saved_files:
            self.assertGreater(os.stat(path).st_mtime, LONG_AGO, path)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = sys.argv.pop(1)
    unittest.main()
