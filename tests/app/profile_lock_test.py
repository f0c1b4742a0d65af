#!/usr/bin/env python3
"""Two starts of the real program on one profile: the second is told that the profile is
open and is offered the profile selection instead, writing nothing; once the first is
killed, the lock file it left keeps nobody out, and opening the profile removes what a save
of the dead process left.

Usage: profile_lock_test.py PATH/TO/tavclient
"""
import os
import signal
import sys
import tempfile
import unittest

from program_support import Program, make_profile, wait_for

PROGRAM = None
IN_USE = "tavclient: The profile hero is open in another TavClient."


class ProfileLockTest(unittest.TestCase):
    def test_a_second_start_is_refused_until_the_first_dies(self):
        with tempfile.TemporaryDirectory() as root:
            profile = make_profile(root)
            first = Program(PROGRAM, root, test=self)
            self.assertTrue(first.wait_shown())
            for args in ((), ("--profile", "hero")):
                with self.subTest(args=args):
                    second = Program(PROGRAM, root, args, test=self)
                    def outcome():
                        return (second.shown.is_set(), IN_USE in second.errors)
                    self.assertTrue(wait_for(lambda: any(outcome())))
                    self.assertEqual(outcome(), (False, True))
                    second.process.send_signal(signal.SIGTERM)
                    self.assertEqual(second.wait(), 0)
                    # colors.dat is written by the first save, which comes at exit.
                    self.assertFalse(os.path.exists(os.path.join(profile, "colors.dat")))

            first.kill()
            left = os.path.join(profile, "tav.cfg.tmp-%d-0" % first.process.pid)
            open(left, "wb").close()
            self.assertIsNone(Program(PROGRAM, root, test=self).end_once_shown(signal.SIGTERM))
            self.assertFalse(os.path.exists(left))
            self.assertTrue(os.path.exists(os.path.join(profile, "colors.dat")))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = sys.argv.pop(1)
    unittest.main()
