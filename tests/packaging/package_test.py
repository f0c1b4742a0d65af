#!/usr/bin/env python3
"""Builds the Debian package from a built tree with scripts/package and checks it with
Debian's own validators, then runs the programs unpacked from it.

Usage: package_test.py SOURCE_DIR BUILD_DIR VERSION

Exits 77 (skipped) when the validators are not installed (scripts/setup installs them).
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE = BUILD = VERSION = None
WAIT = 400  # seconds: a bound on every wait (a loaded CI machine packs slowly), never a measurement
VALIDATORS = ("desktop-file-validate", "appstreamcli", "lintian", "dpkg-deb")
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# Lintian tags that may stay: remarks on a package built outside a Debian source tree.
# Errors and warnings are never tolerated.
TOLERATED = {
    "binary-has-unneeded-section",     # what strip --strip-unneeded keeps
    "hardening-no-bindnow",            # a build without Debian's linker flags (the test tree)
    "hardening-no-fortify-functions",  # a build without Debian's compiler flags (the test tree)
    "package-contains-documentation-outside-usr-share-doc",  # the Client Help text
    "spelling-error-in-binary",        # two messages side by side in the binary's data
}


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=WAIT, text=True, **kwargs)


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tav-package-")
        made = run([os.path.join(SOURCE, "scripts", "package"), "--build-dir", BUILD,
                    "--output", cls.scratch])
        if made.returncode != 0:
            raise AssertionError("scripts/package failed:\n" + made.stdout + made.stderr)
        cls.deb = os.path.join(cls.scratch, "tavclient_%s_amd64.deb" % VERSION)
        cls.root = os.path.join(cls.scratch, "root")
        unpacked = run(["dpkg-deb", "-x", cls.deb, cls.root])
        if unpacked.returncode != 0:
            raise AssertionError(unpacked.stderr)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.root, "usr", *parts)

    def test_control_fields(self):
        fields = run(["dpkg-deb", "-f", self.deb]).stdout
        self.assertRegex(fields, r"(?m)^Version: %s$" % re.escape(VERSION))
        depends = re.search(r"(?m)^Depends: (.*)$", fields).group(1)
        # Computed from the program's libraries, and those it loads or runs without linking
        # (xdg-open opens clicked links and Client Help).
        for package in ("libqt6widgets6", "libfluidsynth3", "timgm6mb-soundfont",
                        "gstreamer1.0-plugins-good", "python3", "xdg-utils"):
            self.assertIn(package, depends)

    def test_lintian_finds_no_errors_or_warnings(self):
        result = run(["lintian", "--info", "--display-info", self.deb])
        tags = re.findall(r"(?m)^([EWIPX]): tavclient: (\S+)", result.stdout)
        self.assertIn(result.returncode, (0, 1), result.stderr)  # 1: tags at the error level
        unexpected = [(level, tag) for level, tag in tags
                      if level in ("E", "W") or tag not in TOLERATED]
        self.assertEqual(unexpected, [], result.stdout)

    def test_desktop_entry_is_valid_and_starts_an_installed_program(self):
        entry = self.path("share", "applications", "tavclient.desktop")
        result = run(["desktop-file-validate", entry])
        self.assertEqual((result.returncode, result.stdout), (0, ""), result.stderr)
        with open(entry, encoding="utf-8") as f:
            text = f.read()
        self.assertRegex(text, r"(?m)^Icon=tavclient$")
        # Each Exec names a program in /usr/games, on Debian's PATH for every user.
        for program in re.findall(r"(?m)^Exec=(\S+)", text):
            with self.subTest(program=program):
                self.assertTrue(os.access(self.path("games", program), os.X_OK))

    def test_metainfo_is_valid_and_names_this_release(self):
        metainfo = self.path("share", "metainfo", "io.github.tavclient.TavClient.metainfo.xml")
        result = run(["appstreamcli", "validate", "--no-net", metainfo])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        with open(metainfo, encoding="utf-8") as f:
            text = f.read()
        self.assertRegex(text, r'<release version="%s"' % re.escape(VERSION))

    def test_icons_have_the_size_their_directory_names(self):
        icons = self.path("share", "icons", "hicolor")
        self.assertTrue(os.path.isfile(os.path.join(icons, "scalable", "apps", "tavclient.svg")))
        for size in ICON_SIZES:
            with self.subTest(size=size):
                with open(os.path.join(icons, "%dx%d" % (size, size), "apps", "tavclient.png"),
                          "rb") as f:
                    header = f.read(24)
                self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
                self.assertEqual(struct.unpack(">II", header[16:24]), (size, size))

    def test_help_text_is_where_the_program_looks(self):
        # Help > Client Help looks in ../share/tavclient beside the program. (A program
        # without a manual page is a lintian warning.)
        helptext = os.path.join(self.path("games"), "..", "share", "tavclient", "clienthelp.txt")
        self.assertGreater(os.path.getsize(helptext), 0)

    def test_unpacked_demo_launcher_runs_the_world_and_the_program(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("LD_LIBRARY_PATH", "TAVCLIENT", "DISPLAY")}
        env["QT_QPA_PLATFORM"] = "offscreen"
        # The launcher finds the world and the client beside it: the world starts, the client
        # runs (here only to print its version) and the world is stopped again.
        with tempfile.TemporaryDirectory() as tmp:
            env["TMPDIR"] = tmp
            env["TAV_DEMO_PORT"] = "23456"
            result = run([self.path("games", "tavclient-demo"), "--version"], env=env)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertIn("tavclient-demo: world on 127.0.0.1:", result.stdout)
            self.assertIn("tavclient %s\n" % VERSION, result.stdout)
            self.assertEqual(os.listdir(tmp), [])  # the throwaway data directory is gone


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    SOURCE, BUILD, VERSION = sys.argv[1:4]
    del sys.argv[1:4]
    missing = [tool for tool in VALIDATORS if shutil.which(tool) is None]
    if missing:
        print("skipped: the package validators are not installed (%s); scripts/setup "
              "installs them" % ", ".join(missing))
        sys.exit(77)
    unittest.main()
