"""Tests of the demo world: its frame encoder and reader, and the running server over sockets
(frames built and parsed by hand, so a mistake in the encoder cannot hide itself).

    python3 -m unittest discover -s tools/demo-world -p 'test_*.py'
"""

import fcntl
import io
import json
import os
import pty
import random
import re
import select
import shutil
import signal
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unittest
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import wire  # noqa: E402

TIMEOUT = 5.0


def le32(value: int) -> bytes:
    return struct.pack("<i", value)


def field(text: bytes) -> bytes:
    return text + b"\0" * (128 - len(text))


class EncoderTest(unittest.TestCase):
    def test_what_a_reader_of_the_socket_cannot_see(self):
        """A text cut to its field keeps a NUL; the map goes column by column."""
        self.assertEqual(wire.encode(wire.msgbox("x" * 200))[12:140], b"x" * 127 + b"\0")
        grid = [[x * 100 + y for y in range(22)] for x in range(22)]
        data = wire.mapinfo(grid).data
        self.assertEqual(struct.unpack_from("<3i", data), (0, 1, 2))
        self.assertEqual(struct.unpack_from("<i", data, 22 * 4), (100,))


class ReaderTest(unittest.TestCase):
    def test_split_at_every_offset_gives_the_same_messages(self):
        stream = (wire.encode(wire.Message(wire.PING, aux=3))
                  + wire.encode(wire.Message(wire.EDIT_REPLY, aux=3, data=b"a\r\nb\0"))
                  + wire.encode(wire.Message(wire.MSG_POST, b"1", b"hello", aux=3)))
        whole = wire.FrameReader().feed(stream)
        self.assertEqual([m.type for m in whole], [wire.PING, wire.EDIT_REPLY, wire.MSG_POST])
        for cut in range(len(stream) + 1):
            reader = wire.FrameReader()
            self.assertEqual(reader.feed(stream[:cut]) + reader.feed(stream[cut:]), whole)

    def test_odd_frames(self):
        header = le32(8) + le32(3) + field(b"") + field(b"")
        cases = [
            # label, body after the length word, expected text data or an error
            ("empty edit reply", header + le32(1) + le32(5) + b"\0", b""),
            ("data without NUL", header + le32(2) + le32(5) + b"ok", b"ok"),
            ("negative data_len", header + le32(-4) + le32(0) + b"junk", b""),
            ("data_len past the frame", header + le32(9) + le32(0) + b"ab", wire.FrameError),
        ]
        for label, body, expected in cases:
            with self.subTest(label):
                raw = struct.pack("<I", len(body)) + body
                if expected is wire.FrameError:
                    self.assertRaises(wire.FrameError, wire.FrameReader().feed, raw)
                else:
                    (message,) = wire.FrameReader().feed(raw)
                    self.assertEqual(message.text_data(), expected)


def start_server(*extra, tls: tuple | None = None,
                 log: bool = False) -> tuple[subprocess.Popen, int]:
    """The world on a free port; `tls` (certificate, key) adds a TLS text port at port + 2,
    `log` keeps its informational log on a pipe (stderr) instead of quiet."""
    for _attempt in range(5):
        port = random.randrange(20000, 31000)  # the world ends at once when one is taken
        tls_args = ["--tls-port", str(port + 2), "--certificate", *tls[:1], "--key",
                    *tls[1:]] if tls else []
        process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "demo_world.py"), "--port", str(port),
             *([] if log else ["-q"]), *tls_args, *extra],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE if log else None, text=True)
        if select.select([process.stdout], [], [], TIMEOUT)[0]:
            if process.stdout.readline().startswith("demo world:"):
                return process, port
        process.kill()
        process.wait()
    raise RuntimeError("the demo world did not start")


class Text:
    """The text port as a player sees it."""

    def __init__(self, port, sock=None):
        self.sock = sock or socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT)
        self.seen = b""

    def send(self, line: str):
        self.sock.sendall(line.encode() + b"\n")

    def until(self, needle: bytes) -> bytes:
        """Everything received up to and including `needle`."""
        deadline = time.monotonic() + TIMEOUT
        while needle not in self.seen:
            self.receive(deadline)
        head, _, self.seen = self.seen.partition(needle)
        return head + needle

    def receive(self, deadline: float):
        self.sock.settimeout(max(0.01, deadline - time.monotonic()))
        chunk = self.sock.recv(4096)
        if not chunk:
            raise EOFError(self.seen)
        self.take(chunk)

    def take(self, chunk: bytes):
        self.seen += chunk

    def login(self, name: str):
        self.until(b"By what name are you known? \xff\xf9")
        self.send(name)
        self.until(b"Password: \xff\xfb\x01\xff\xf9")
        self.send("demo")
        self.until(b"\xff\xfc\x01")
        self.until(b"mv> \xff\xf9")


class Frame:
    def __init__(self, raw: bytes):
        self.raw, self.data = raw, raw[276:]
        (self.length, self.type, self.aux, text1, text2, self.data_len,
         self.data_ref) = struct.unpack_from("<Iii128s128sii", raw)
        self.text1, self.text2 = text1.split(b"\0")[0], text2.split(b"\0")[0]


class Client:
    """The client port, speaking frames built by hand."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port + 1), timeout=TIMEOUT)

    def send(self, mtype: int, text1: bytes = b"", text2: bytes = b"", data: bytes = b""):
        header = (le32(mtype) + le32(3) + field(text1) + field(text2) + le32(len(data))
                  + le32(0))
        self.sock.sendall(struct.pack("<I", 272 + len(data)) + header + data)

    def _exactly(self, count: int) -> bytes:
        out = b""
        while len(out) < count:
            chunk = self.sock.recv(count - len(out))
            if not chunk:
                raise EOFError(out)
            out += chunk
        return out

    def frame(self) -> Frame:
        head = self._exactly(4)
        (length,) = struct.unpack("<I", head)
        if not 272 <= length <= 1 << 20:  # a stream out of step would wait for ever
            raise AssertionError(f"frame length {length}")
        return Frame(head + self._exactly(length))

    def expect(self, mtype: int) -> Frame:
        """The next frame of that type; frames of other types before it are skipped."""
        for _skipped in range(200):
            if (frame := self.frame()).type == mtype:
                return frame
        raise AssertionError(f"no frame of type {mtype}")


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.process, cls.port = start_server("--chatter-seconds", "0.5", "--clock-seconds", "0.5")

    @classmethod
    def tearDownClass(cls):
        stop(cls.process)

    counter = 0

    def enter(self):
        """A new player on the text port with a client port logged in under the same name."""
        ServerTest.counter += 1
        name = f"Tester{ServerTest.counter}"
        text = Text(self.port)
        text.login(name)
        client = Client(self.port)
        client.send(1, name.encode(), b"demo")
        self.assertIn(b"Welcome", client.expect(53).text1)  # the first frame once bound
        self.addCleanup(text.sock.close)
        self.addCleanup(client.sock.close)
        return text, client, name

    def assertWellFormed(self, frame: Frame):
        self.assertEqual(frame.length, 272 + max(frame.data_len, 0))
        self.assertEqual(len(frame.raw), 4 + frame.length)
        if frame.data_len == 0:
            self.assertEqual(frame.data_ref, 0)
        if frame.type in (50, 57, 59, 60, 61, 62, 65, 68, 71, 74, 75, 76):
            self.assertEqual(frame.data[-1:], b"\0", frame.type)
            self.assertNotIn(b"\0", frame.data[:-1])

    def test_login_pushes_the_whole_picture_and_a_move_the_new_map_and_gauges(self):
        text, client, _name = self.enter()
        wanted = {67, 58, 59, 61, 62, 60, 74, 75, 76, 77, 66}
        seen = {}
        while not wanted <= seen.keys():
            frame = client.frame()
            self.assertWellFormed(frame)
            seen.setdefault(frame.type, frame)
        self.assertEqual(seen[77].data_len, 1936)
        self.assertRegex(seen[66].text1.decode(), r"^\d+/\d+ \d+/\d+ \d+/\d+$")
        self.assertRegex(seen[67].text1.decode(), r"^\d+$")
        self.assertRegex(seen[58].text1.decode(), r"^\d+:\d\d [ap]m\r\n$")
        self.assertRegex(seen[58].text2.decode(), r"^Day \d+ of .*\r\n$")

        text.send("n")
        self.assertIn(b"North Gate", client.expect(74).data)
        moved = client.expect(77)
        self.assertNotEqual(moved.data, seen[77].data)
        self.assertEqual(struct.unpack_from("<i", moved.data, (11 * 22 + 11) * 4), (1,))
        moves = [int(gauges.text1.split()[2].split(b"/")[0])
                 for gauges in (seen[66], client.expect(66))]
        self.assertEqual(moves[1], moves[0] - 2)

    def test_sound_cues_are_whole_files(self):
        text, client, _name = self.enter()
        for word, name in (("chime", b"chime.wav"), ("tune", b"tune.mid"),
                           ("shanty", b"shanty.mod"), ("silence", b"silence.mp3")):
            with self.subTest(name):
                text.send(f"sound {word}")
                self.assertEqual(client.expect(54).text1, name)
                client.send(3, name)
                sound = client.expect(51)
                self.assertWellFormed(sound)
                self.assertEqual(sound.text1, name)
                self.assertWhole(name, sound.data)
        client.send(2, b"tune.mid")
        client.send(4)
        before_pong = []
        while (frame := client.frame()).type != 63:
            before_pong.append(frame.type)
        self.assertNotIn(51, before_pong)  # soundnogo is not answered

    def assertWhole(self, name: bytes, data: bytes):
        if name.endswith(b".wav"):
            with wave.open(io.BytesIO(data)) as wav:
                self.assertEqual((wav.getnchannels(), wav.getsampwidth()), (1, 2))
                self.assertGreater(wav.getnframes(), 1000)
        elif name.endswith(b".mid"):
            self.assertEqual(data[:4], b"MThd")
            self.assertIn(b"MTrk", data)
        elif name.endswith(b".mod"):
            self.assertEqual(data[1080:1084], b"M.K.")  # 4-channel ProTracker
            lengths = [struct.unpack_from(">H", data, 20 + 30 * i + 22)[0] for i in range(31)]
            patterns = max(data[952:952 + 128]) + 1
            self.assertEqual(len(data), 1084 + 1024 * patterns + 2 * sum(lengths))
        else:
            frames = len(data) // 417
            self.assertEqual(len(data), 417 * frames)
            self.assertGreater(frames, 30)
            for i in range(frames):  # every frame starts with the MPEG-1 Layer III sync
                self.assertEqual(data[i * 417:i * 417 + 2], b"\xff\xfb")

    def test_accented_rooms_in_latin1_and_utf8(self):
        """The cellar's sign is Latin-1 on the client port; the Cafe is UTF-8 on the text
        port while the client port, Latin-1 only, has no byte for its arrow."""
        text, client, _name = self.enter()
        for step in ("d", "u", "e", "e"):
            text.send(step)
            shown = text.until(b"mv> ")
        self.assertIn("Caf\u00e9 de la For\u00eat".encode("utf-8"), shown)
        self.assertIn("Cr\u00e8me br\u00fbl\u00e9e, 3 \u00e9cus \u2192".encode("utf-8"), shown)
        while b"Wine Cellar" not in (desc := client.expect(74).data):
            pass
        self.assertIn("Château Aurélie".encode("latin-1"), desc)
        self.assertIn("Ælfrida Østby".encode("latin-1"), desc)
        while "Caf\u00e9".encode("latin-1") not in (desc := client.expect(74).data):
            pass
        self.assertIn("br\u00fbl\u00e9e, 3 \u00e9cus ?".encode("latin-1"), desc)

    def test_side_windows_and_edits_then_unknown_and_broken_frames(self):
        text, client, name = self.enter()
        client.send(9, b"who")
        self.assertIn(name.encode(), client.expect(59).data)

        client.send(10)
        index = client.expect(64)
        size, count = map(int, index.text1.split())
        self.assertEqual(index.data_len, size * count)
        topics = [index.data[i * size:(i + 1) * size].split(b"\0")[0] for i in range(count)]
        self.assertIn(b"movement", topics)
        client.send(11, b"movement")
        self.assertIn(b"north", client.expect(65).data)

        text.send("identify bread")
        info = client.expect(68)
        self.assertWellFormed(info)
        self.assertEqual(info.text1, b"bread")

        text.send("msgbox")
        self.assertIn(name.encode(), client.expect(72).text1)

        text.send("note")  # an editor without text: no data block at all
        self.assertEqual(client.expect(57).data_len, 0)
        client.send(8, data=b"Tall and\r\nwell dressed\0")
        self.assertIn(b"  Tall and\r\n  well dressed\r\n", text.until(b"well dressed\r\n"))

        for unknown in (0, 52, 500, 1000):
            client.send(unknown)
        client.send(4)
        self.assertEqual(client.expect(63).raw,
                         le32(272) + le32(63) + b"\0" * 260 + le32(0) + le32(0))
        client.sock.sendall(struct.pack("<I", 100) + b"\0" * 100)  # shorter than a header
        with self.assertRaises((EOFError, ConnectionResetError)):
            while True:
                client.frame()

    def test_client_waits_for_its_player_and_quit_ends_both(self):
        client = Client(self.port)
        self.addCleanup(client.sock.close)
        client.send(1, b"Latecomer", b"demo")
        self.assertIn(b"Waiting for Latecomer", client.expect(53).text1)
        text = Text(self.port)
        self.addCleanup(text.sock.close)
        text.login("latecomer")
        self.assertIn(b"Welcome", client.expect(53).text1)
        text.send("quit")
        self.assertWellFormed(client.expect(999))
        with self.assertRaises(EOFError):
            text.until(b"never sent")


IAC, SB, SE, WILL, WONT, DO, DONT, GA, EOR_MARK = 255, 250, 240, 251, 252, 253, 254, 249, 239
ECHO, TTYPE, EOR, NAWS, CHARSET, MSDP, MSSP, COMPRESS2, GMCP = 1, 24, 25, 31, 42, 69, 70, 86, 201


def iac(*codes: int) -> bytes:
    return bytes((IAC, *codes))


def sub(option: int, data: bytes) -> bytes:
    return iac(SB, option) + data + iac(SE)


def stop(process: subprocess.Popen) -> str:
    """Stops the world, which must end normally; its log, when it was kept."""
    process.send_signal(signal.SIGTERM)
    try:
        log = process.communicate(timeout=TIMEOUT)[1] or ""
    except subprocess.TimeoutExpired:
        process.kill()
        raise
    if process.returncode != 0:
        raise AssertionError(f"the world ended with status {process.returncode}: {log}")
    return log


class Negotiator(Text):
    """A client that speaks the options by hand: it inflates MCCP and keeps subnegotiations
    apart (`subs`); the other telnet groups stay in the text."""

    def __init__(self, port):
        super().__init__(port)
        self.inflater = None
        self.plain = b""  # inflated or plain bytes not parsed yet
        self.subs = []  # (option, data), in order
        self.everything = b""  # all the text, for counting telnet groups

    def take(self, chunk: bytes):
        while chunk:
            self.plain += chunk if self.inflater is None else self.inflater.decompress(chunk)
            chunk = self.parse()

    def parse(self) -> bytes:
        """Moves text to `seen`, subnegotiations to `subs`; returns what follows MCCP's start."""
        while True:
            start = self.plain.find(iac(SB))
            end = self.plain.find(iac(SE), start) if start >= 0 else -1
            cut = len(self.plain) - self.plain.endswith(b"\xff") if start < 0 else start
            text, self.plain = self.plain[:cut], self.plain[cut:]
            self.seen += text
            self.everything += text
            if end < 0:
                return b""
            end -= cut
            option, data = self.plain[2], self.plain[3:end].replace(b"\xff\xff", b"\xff")
            self.subs.append((option, data))
            self.plain = self.plain[end + 2:]
            if option == COMPRESS2:
                self.inflater = zlib.decompressobj()
                rest, self.plain = self.plain, b""
                return rest

    def sub(self, option: int, prefix: bytes = b"") -> bytes:
        """The next subnegotiation of `option` starting with `prefix` (taken from `subs`)."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            for i, (found, data) in enumerate(self.subs):
                if found == option and data.startswith(prefix):
                    del self.subs[i]
                    return data
            self.receive(deadline)

    def gmcp(self, package: str):
        return json.loads(self.sub(GMCP, package.encode() + b" ")[len(package) + 1:])


class NegotiationTest(unittest.TestCase):
    def start(self, *extra):
        self.process, port = start_server(*extra)
        self.addCleanup(stop, self.process)
        player = Negotiator(port)
        self.addCleanup(player.sock.close)
        return player

    def test_a_client_that_agrees_to_every_option(self):
        player = self.start()
        offers = player.until(b"By what name are you known? ")
        for group in (iac(WILL, EOR), iac(WILL, CHARSET), iac(WILL, COMPRESS2), iac(WILL, GMCP),
                      iac(WILL, MSDP), iac(WILL, MSSP), iac(DO, TTYPE), iac(DO, NAWS)):
            self.assertIn(group, offers)
        msdp_report = b"\x01REPORT" + b"".join(b"\x02" + name for name in (
            b"HEALTH", b"MOVEMENT", b"ROOM_NAME", b"ROOM_EXITS", b"ROOM"))
        player.sock.sendall(
            iac(WILL, TTYPE) + iac(WILL, NAWS) + sub(NAWS, b"\x01\xff\xff\x00\x25")  # 511 x 37
            + iac(DO, EOR) + iac(DO, CHARSET) + iac(DO, GMCP)
            + sub(GMCP, b'Core.Hello {"client":"Hand","version":"1"}')
            + sub(GMCP, b'Core.Supports.Set ["Char 1","Room 1"]') + iac(DO, MSDP)
            + sub(MSDP, msdp_report) + iac(DO, MSSP) + iac(DO, COMPRESS2)
            + iac(WILL, 99) + iac(DO, 98) + iac(DONT, 97))  # unknown: refused, never repeated
        self.assertTrue(player.sub(MSSP).startswith(
            b"\x01NAME\x02TavClient Demo World\x01PLAYERS\x020\x01UPTIME\x02"))
        for answer in (b"HAND", b"VT100", b"MTTS 9", b"MTTS 9"):  # the cycle ends on a repeat
            self.assertEqual(player.sub(TTYPE), b"\x01")
            player.sock.sendall(sub(TTYPE, b"\x00" + answer))
        self.assertEqual(player.sub(CHARSET), b"\x01;UTF-8;ISO-8859-1")
        player.sock.sendall(sub(CHARSET, b"\x02UTF-8"))

        player.send("Hand")
        player.until(b"Password: " + iac(WILL, ECHO) + iac(EOR_MARK))
        player.send("demo")
        player.until(b"mv> " + iac(EOR_MARK))
        self.assertEqual(player.gmcp("Char.Vitals"), {"hp": 80, "maxhp": 80, "mp": 40,
                                                      "maxmp": 40, "mv": 100, "maxmv": 100})
        room = player.gmcp("Room.Info")
        self.assertEqual(room, {"num": 1, "name": "Town Square", "area": "Town",
                                "coord": {"x": 0, "y": 0, "z": 0},
                                "exits": {"n": 2, "e": 4, "w": 6, "s": 8, "d": 9}})
        msdp = player.sub(MSDP) + player.sub(MSDP)  # the room, the vitals
        self.assertIn(b"\x01HEALTH\x0280", msdp)
        self.assertIn(b"\x01ROOM_NAME\x02Town Square", msdp)
        self.assertIn(b"\x01ROOM_EXITS\x02\x03\x01n\x02", msdp)
        self.assertIn(b"\x01ROOM\x02\x03\x01VNUM\x021\x01NAME\x02Town Square\x01AREA\x02Town"
                      b"\x01COORDS\x02\x03\x01X\x020\x01Y\x020\x01Z\x020\x04\x01EXITS", msdp)
        self.assertNotIn(b"MANA", msdp)  # not asked for
        player.send("client")
        shown = player.until(b"mv> " + iac(EOR_MARK))
        for part in (b"Client: HAND 1", b"Terminal type: VT100  MTTS: 9", b"Window: 511x37",
                     b"GMCP packages: Char 1, Room 1",
                     b"Text encoding: UTF-8  Compressed: yes"):
            self.assertIn(part, shown)
        player.send("colours")  # MTTS 9: ANSI and 256 colours, not true colour
        card = player.until(b"mv> " + iac(EOR_MARK))
        self.assertIn(b"(your client shows 256 colours)", card)
        self.assertIn(b"\x1b[38;5;208morange", card)
        self.assertNotIn(b"38;2;", card)
        self.assertIn("caf\u00e9 \u20ac, \u4e2d\u6587".encode("utf-8"), card)

        for _step in range(2):  # east twice: the market, the Cafe
            player.send("e")
            player.until(b"mv> " + iac(EOR_MARK))
        market, cafe = player.gmcp("Room.Info"), player.gmcp("Room.Info")
        self.assertEqual((market["exits"]["w"], market["num"]), (room["num"], room["exits"]["e"]))
        self.assertEqual((cafe["name"], cafe["exits"]), ("Caf\u00e9 de la For\u00eat",
                                                         {"w": market["num"]}))
        self.assertEqual(player.gmcp("Char.Vitals")["mv"], 98)  # after the first step
        player.send("chat hi all")
        self.assertEqual(player.gmcp("Comm.Channel.Text"),
                         {"channel": "chat", "talker": "Hand", "text": "hi all"})
        player.until(b"mv> " + iac(EOR_MARK))

        refusals = [player.everything.count(group) for group in (
            iac(DONT, 99), iac(WONT, 98), iac(WONT, 97), iac(WILL, 97))]
        self.assertEqual(refusals, [1, 1, 0, 0])
        self.assertEqual([option for option, _ in player.subs].count(TTYPE), 0)

    def test_without_telnet_options_only_echo_is_offered(self):
        player = self.start("--no-telnet-options")
        player.sock.sendall(iac(DO, EOR) + iac(WILL, TTYPE))
        player.login("Plain")
        player.send("colours")
        card = player.until(b"mv> ")
        self.assertIn(b"(your client shows 16 colours)", card)
        self.assertNotIn(b"48;5;", card)
        self.assertIn(b"caf\xe9 ?, ??", card)  # Latin-1: what it cannot carry is '?'
        self.process.send_signal(signal.SIGINT)  # as SIGTERM in stop(): players are told
        self.assertIn(b"shutting down", player.until(b"Goodbye!"))
        with self.assertRaises(EOFError):
            player.until(b"never sent")
        self.assertEqual(self.process.wait(timeout=TIMEOUT), 0)
        groups = re.findall(rb"\xff[\xf0-\xfa]|\xff[\xfb-\xfe].", player.everything)
        self.assertEqual(set(groups), {iac(WILL, ECHO), iac(WONT, ECHO), iac(GA),
                                       iac(WONT, EOR), iac(DONT, TTYPE)})
        self.assertEqual(player.subs, [])

    @unittest.skipUnless(shutil.which("openssl"), "openssl is not installed")
    def test_tls_port_serves_the_same_game(self):
        with tempfile.TemporaryDirectory() as tmp:
            cert, key = os.path.join(tmp, "cert.pem"), os.path.join(tmp, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                            "-days", "1", "-subj", "/CN=localhost", "-keyout", key,
                            "-out", cert], check=True, capture_output=True, timeout=60)
            process, port = start_server(tls=(cert, key))
            self.addCleanup(stop, process)
            context = ssl.create_default_context(cafile=cert)
            context.check_hostname = False  # the certificate names no address
            raw = socket.create_connection(("127.0.0.1", port + 2), timeout=TIMEOUT)
            text = Text(port, context.wrap_socket(raw))
            self.addCleanup(text.sock.close)
            text.login("Secret")
            text.send("client")
            self.assertRegex(text.until(b"mv> "), rb"TLS: TLSv1\.[23]")

    @unittest.skipUnless(shutil.which("tt++") or os.path.exists("/usr/games/tt++"),
                         "tintin++ is not installed")
    def test_tintin_agrees_to_the_options(self):
        """A real third-party client: tintin++ in a pseudo-terminal, with its telnet debug."""
        tintin = shutil.which("tt++") or "/usr/games/tt++"
        process, port = start_server(log=True)
        with tempfile.TemporaryDirectory() as tmp:
            script = os.path.join(tmp, "demo.tin")
            with open(script, "w") as f:  # tintin++ refuses GMCP and MSDP unless told
                f.write("#config {debug telnet} on\n"
                        "#event {IAC WILL GMCP} {#send {\\xFF\\xFD\\xC9\\}}\n"
                        "#event {IAC WILL MSDP} {#send {\\xFF\\xFD\\x45\\xFF\\xFA\\x45\\x01REPORT"
                        "\\x02HEALTH\\xFF\\xF0\\}}\n"
                        f"#session demo 127.0.0.1 {port}\n")
            master, slave = pty.openpty()
            fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 30, 100, 0, 0))
            client = subprocess.Popen([tintin, "-G", script], stdin=slave, stdout=slave,
                                      stderr=slave, env=dict(os.environ, TERM="xterm", HOME=tmp),
                                      start_new_session=True)
            os.close(slave)
            self.addCleanup(os.close, master)
            screen = b""

            def until(needle: bytes):
                nonlocal screen
                deadline = time.monotonic() + TIMEOUT
                while needle not in screen:
                    if time.monotonic() > deadline:
                        client.kill()
                        self.fail(f"tintin++ never showed {needle!r}: {screen[-2000:]!r}")
                    if select.select([master], [], [], 0.1)[0]:
                        screen += os.read(master, 65536)

            for wait, line in ((b"known?", b"Tinner"), (b"Password:", b"demo"),
                               (b"mv>", b"client"), (b"Compressed: yes", b"#end")):
                until(wait)
                os.write(master, line + b"\r")
            self.assertEqual(client.wait(timeout=TIMEOUT), 0)
        log = stop(process)
        for part in (b"MCCP2 INITIALIZED", b"RCVD IAC SB GMCP", b"RCVD IAC SB MSDP"):
            self.assertIn(part, screen)  # what tintin++ read; what it sent is in the log
        for option in ("MCCP2", "GMCP", "MSDP", "TTYPE", "NAWS", "EOR"):
            self.assertIn(f"{option} agreed", log)
        self.assertIn("window 100x30 (NAWS)", log)



class DemoProfileTest(unittest.TestCase):
    """The profile the tavclient-demo launcher writes, taken from a stand-in client."""

    def test_every_command_string_ends_in_a_semicolon(self):
        # Text after the last ';' of a command string is never sent: a function key "look"
        # would send nothing at all.
        with tempfile.TemporaryDirectory() as tmp:
            copy = os.path.join(tmp, "tav.cfg")
            client = os.path.join(tmp, "client")
            with open(client, "w") as f:
                f.write('#!/bin/sh\ncp "$2/profiles/demo/tav.cfg" "%s"\n' % copy)
            os.chmod(client, 0o755)
            env = dict(os.environ, TAVCLIENT=client, TMPDIR=tmp)
            subprocess.run([os.path.join(HERE, "tavclient-demo")], env=env, check=True,
                           capture_output=True, timeout=60)
            with open(copy, "rb") as f:
                lines = f.read().decode("latin-1").split("\r\n")
        self.assertEqual(lines.pop(), "")  # every line ends in CR LF
        strings = {key: text for key, _, text in (line.partition(":") for line in lines)
                   if key == "logincom" or (key.startswith("f") and key.endswith("key"))}
        self.assertTrue(strings["f1key"])
        self.assertEqual({k: t for k, t in strings.items() if t and not t.endswith(";")}, {})


if __name__ == "__main__":
    unittest.main()
