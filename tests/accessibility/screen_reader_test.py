#!/usr/bin/python3
"""Drives the real program as a screen reader would, through AT-SPI (Debian's
python3-pyatspi) on a virtual display with a private D-Bus session: it connects to the demo
world through a menu item, reads the game text, logs in by typing (the password field reads
nothing), opens and reads a dialog, and requires a name on every interactive object.

Usage: screen_reader_test.py PATH/TO/tavclient PATH/TO/demo_world.py
Exits with 77 (skipped) when no D-Bus session can be started here.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest
import warnings

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app"))
from program_support import (WAIT, VirtualDisplay, edit_settings, make_profile,  # noqa: E402
                             wait_for)

warnings.simplefilter("ignore", DeprecationWarning)  # pyatspi's own calls

SKIP = 77
PRIVATE_BUS = "TAV_A11Y_PRIVATE_BUS"
AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

PROGRAM = None
WORLD = None


def write_profile(root, port):
    """A data directory with one profile, "demo", whose settings connect to the world (not
    at start: the test connects through the menu and logs in by typing), with the panes."""
    profile = make_profile(root, ("demo",))
    values = {b"user:": b"demo", b"passwd:": b"demo", b"addy:": b"127.0.0.1",
              b"port:": b"%d" % port, b"termpos:": b"0 0 900 650", b"waitsecs:": b"2",
              b"f1key:": b"look", b"f2key:": b"score"}
    # The flag lines after these keys: the password kept; wrapping; the Client connection
    # after the text port's; scrollback, input lines and the cursor; the panes shown.
    flags = {b"mp3player:": b"0 0 0 0 0 0 0 0 0 1", b"scrollpos:": b"1 1 0 1 0",
             b"tcolor:": b"0 1 1", b"waitsecs:": b"1000 100 0 0 1", b"bell:": b"1 0",
             b"f12key:": b"0\r\n0\r\n0 0 1 1 1 1 0 0"}

    def edit(lines):
        for i, line in enumerate(list(lines)):
            key = line[:line.find(b":") + 1]
            if key in values:
                lines[i] = key + values[key]
            if key in flags:
                after = flags[key].split(b"\r\n")
                lines[i + 1:i + 1 + len(after)] = after
    edit_settings(profile, edit)


class Session(VirtualDisplay):
    """Xvfb, the AT-SPI bus, the demo world and the program, all children of this one."""

    def __init__(self):
        super().__init__()
        self.root = tempfile.mkdtemp(prefix="tav-a11y-")

    def start(self):
        if not self.display:
            raise RuntimeError("Xvfb did not start")
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        self.env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                        XDG_RUNTIME_DIR=runtime, NO_AT_BRIDGE="0")
        self.spawn([AT_SPI_BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
        # The program looks for the accessibility bus once, as it starts: on a loaded
        # machine the launcher may not have registered it yet.
        if not wait_for(self.accessibility_bus_answers):
            raise RuntimeError("the accessibility bus did not start")
        for _attempt in range(5):  # the world ends at once when a port is taken
            port = random.randrange(20000, 31990)
            world = self.spawn([sys.executable, WORLD, "--host", "127.0.0.1", "--port",
                                str(port)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
            started = "demo world" in world.stdout.readline()
            world.stdout.close()
            if started:
                break
        else:
            raise RuntimeError("the demo world did not start")
        write_profile(self.root, port)
        self.program_log = os.path.join(self.root, "program.log")
        with open(self.program_log, "w") as log:
            self.program = self.spawn([PROGRAM, "--data-dir", self.root], stdout=log,
                                      stderr=subprocess.STDOUT)
        os.environ.update(self.env)  # pyatspi finds the bus through them

    def accessibility_bus_answers(self):
        return self.run("dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress").returncode == 0

    def stop(self):
        super().stop()
        shutil.rmtree(self.root, ignore_errors=True)


def walk(node, depth=0):
    """Every object under node, without descending into the cells of a screen's text."""
    yield node
    if depth > 40:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


class ScreenReaderTest(unittest.TestCase):
    session = None

    @classmethod
    def setUpClass(cls):
        import pyatspi
        cls.pyatspi = pyatspi

        def found():
            desktop = pyatspi.Registry.getDesktop(0)
            apps = map(desktop.getChildAtIndex, range(desktop.childCount))
            pid = cls.session.program.pid
            cls.app = next((a for a in apps if a is not None and a.get_process_id() == pid), None)
            return cls.app is not None

        if not wait_for(found):
            with open(cls.session.program_log, errors="replace") as log:
                raise AssertionError("tavclient never appeared on the bus: " + log.read()[-2000:])

    def find(self, predicate, root=None, seconds=WAIT):
        hit = []

        def look():
            hit[:] = [n for n in walk(root or self.app) if predicate(n)]
            return bool(hit)

        self.assertTrue(wait_for(look, seconds), "not found")
        return hit[0]

    def named(self, role, name, root=None):
        return self.find(lambda n: n.getRole() == role and n.name == name, root)

    def main_screen_text(self):
        return self.named(self.pyatspi.ROLE_TERMINAL, "Game text").queryText()

    def test_3_every_interactive_object_has_a_name(self):
        p = self.pyatspi
        interactive = {p.ROLE_PUSH_BUTTON, p.ROLE_CHECK_BOX, p.ROLE_RADIO_BUTTON,
                       p.ROLE_TOGGLE_BUTTON, p.ROLE_MENU_ITEM, p.ROLE_CHECK_MENU_ITEM,
                       p.ROLE_RADIO_MENU_ITEM, p.ROLE_MENU, p.ROLE_TEXT, p.ROLE_ENTRY,
                       p.ROLE_PASSWORD_TEXT, p.ROLE_COMBO_BOX, p.ROLE_LIST, p.ROLE_LIST_BOX,
                       p.ROLE_TABLE, p.ROLE_TREE, p.ROLE_TREE_TABLE, p.ROLE_SPIN_BUTTON,
                       p.ROLE_TERMINAL, p.ROLE_SLIDER}
        # The main window with its menus, toolbar and panes (tool windows: MainFrameTest).
        self.named(p.ROLE_TERMINAL, "Room description")
        objects = list(walk(self.app))
        roles = {n.getRole() for n in objects}
        self.assertTrue({p.ROLE_MENU_ITEM, p.ROLE_TERMINAL, p.ROLE_PUSH_BUTTON} <= roles, roles)
        unnamed = [f"{n.getRoleName()} in '{n.parent.name}'" for n in objects
                   if n.getRole() in interactive and not n.name.strip()
                   and n.getState().contains(p.STATE_SENSITIVE)]
        self.assertEqual(unnamed, [])

    def input_line(self):
        p = self.pyatspi
        return self.find(lambda n: n.getRole() in (p.ROLE_TEXT, p.ROLE_PASSWORD_TEXT)
                         and n.name == "Command input")

    def type_line(self, typed, sent=None):
        """Types a line into the input line and presses Return, as a user would. `sent` says
        that the line went; by default the input line has emptied, but a password field's
        text cannot be read at all, so the caller of one says what follows the line."""
        p = self.pyatspi
        entry = self.input_line()

        def emptied():
            return entry.queryText().getText(0, -1) == ""

        sent = sent or emptied
        entry.queryEditableText().setTextContents(typed)
        entry.queryComponent().grabFocus()
        self.assertTrue(wait_for(lambda: entry.getState().contains(p.STATE_FOCUSED)))
        # The input line empties when Return reaches it; a synthetic key can be lost under
        # load, so a line still holding its text is sent Return again. With no window
        # manager nobody gives the main window the keyboard: it is focused before each press.
        for attempt in range(3):
            window = self.focus_main_window()
            if attempt == 0:
                p.Registry.generateKeyboardEvent(0xFF0D, None, p.KEY_SYM)  # Return
            else:  # the X server's own test extension, straight to the window
                subprocess.run(["xdotool", "key", "--window", window, "Return"],
                               env=self.session.env, check=True)
            if wait_for(sent, 10):
                break
        return entry

    def focus_main_window(self):
        windows = self.session.run("xdotool", "search", "--pid", str(self.session.program.pid),
                                   "--name", "^TavClient - demo$").stdout.split()
        self.assertTrue(windows, "no main window")
        self.assertEqual(self.session.run("xdotool", "windowfocus", windows[0]).returncode, 0)
        return windows[0]

    def wait_for_latest_line(self, text, needle):
        """Waits until the line at the caret (the world's latest) holds needle. The screen's
        object is asked for again on each look: the bus may hand out a new one for it."""
        p = self.pyatspi

        def at_caret():
            now = self.main_screen_text()
            line = now.getTextAtOffset(now.caretOffset, p.TEXT_BOUNDARY_LINE_START)[0]
            return needle in line

        self.assertTrue(wait_for(at_caret), f"{needle!r} not at the caret of: "
                        + repr(self.main_screen_text().getText(0, -1).rstrip("\n")[-400:]))

    def test_1_the_game_text_is_read_through_the_text_interface(self):
        p = self.pyatspi
        connect = self.find(lambda n: n.getRole() == p.ROLE_MENU_ITEM and n.name == "Connect"
                            and n.parent is not None and n.parent.name == "TavTerm...")
        connect.queryAction().doAction(0)
        text = self.main_screen_text()
        self.wait_for_latest_line(text, "By what name are you known?")
        self.assertIn("The Demo World", text.getText(0, -1))

        self.type_line("demo")
        self.wait_for_latest_line(text, "Password:")
        # While the server echoes, the input line is a password field (whose text is never
        # read: InputLineAccessible.MaskedInputIsAPasswordFieldThatIsNeverRead).
        entry = self.input_line()
        self.assertTrue(wait_for(lambda: entry.getRole() == p.ROLE_PASSWORD_TEXT),
                        entry.getRoleName())
        self.type_line("demo", sent=lambda: self.input_line().getRole() == p.ROLE_TEXT)
        self.wait_for_latest_line(text, "mv>")
        self.assertEqual(self.input_line().getRole(), p.ROLE_TEXT)

        self.type_line("score")
        self.assertTrue(wait_for(lambda: "You are Demo" in text.getText(0, -1)),
                        text.getText(0, -1)[-400:])

    def test_2_a_dialog_opens_from_its_menu_item_and_is_read(self):
        p = self.pyatspi
        keys = self.find(lambda n: n.getRole() == p.ROLE_MENU_ITEM
                         and n.name.split("\t")[0].strip() == "Function Keys...")
        keys.queryAction().doAction(0)
        dialog = self.find(lambda n: n.getRole() == p.ROLE_DIALOG
                           and n.name == "TavClient Function Key Assignments")
        fields = self.find(lambda n: n.getRole() == p.ROLE_TEXT and n.name == "F2", dialog)
        self.assertEqual(fields.queryText().getText(0, -1), "score")
        cancel = self.named(p.ROLE_PUSH_BUTTON, "Cancel", dialog)
        cancel.queryAction().doAction(0)
        self.assertTrue(wait_for(lambda: not any(
            n.getRole() == p.ROLE_DIALOG and n.name == "TavClient Function Key Assignments"
            for n in walk(self.app))))


def main():
    global PROGRAM, WORLD
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM, WORLD = map(os.path.abspath, sys.argv[1:3])
    del sys.argv[1:3]
    if os.environ.get(PRIVATE_BUS) != "1":
        runner = shutil.which("dbus-run-session")
        if runner is None or shutil.which("dbus-daemon") is None:
            print("SKIPPED: no D-Bus session can be started here (dbus-run-session and "
                  "dbus-daemon come with the package dbus)", file=sys.stderr)
            sys.exit(SKIP)
        env = dict(os.environ, **{PRIVATE_BUS: "1"})
        sys.exit(subprocess.call([runner, "--", "/usr/bin/python3", os.path.abspath(__file__),
                                  PROGRAM, WORLD] + sys.argv[1:], env=env))
    for needed in ("Xvfb", AT_SPI_BUS_LAUNCHER):  # scripts/setup installs them and pyatspi
        if shutil.which(needed) is None:
            sys.exit(f"{needed} is missing: scripts/setup installs it")
    ScreenReaderTest.session = Session()
    try:
        ScreenReaderTest.session.start()
        result = unittest.main(exit=False, warnings="ignore").result
        code = 0 if result.wasSuccessful() else 1
    finally:
        ScreenReaderTest.session.stop()
    sys.exit(code)


if __name__ == "__main__":
    main()
