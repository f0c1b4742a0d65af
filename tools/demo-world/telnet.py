"""The text port's telnet options: negotiation by the Q method (RFC 1143), the MTTS terminal
type cycle, NAWS, CHARSET, EOR prompts, MCCP version 2, GMCP, MSDP and MSSP.

`Telnet` sits between a text connection and its socket: `feed` takes the received bytes and
returns the game's data bytes, `send` takes game bytes (already escaped) and puts them on the
wire, compressed once MCCP is on.  The game reports its state with `vitals`, `room` and
`channel`; what changed goes out as GMCP and MSDP to clients that agreed to them.
"""

import json
import logging
import zlib

log = logging.getLogger("demo-world")

IAC, DONT, DO, WONT, WILL, SB, GA, EOR_MARK, SE = 255, 254, 253, 252, 251, 250, 249, 239, 240
ECHO, TTYPE, EOR, NAWS, CHARSET, MSDP, MSSP, COMPRESS2, GMCP = 1, 24, 25, 31, 42, 69, 70, 86, 201
TTYPE_IS, TTYPE_SEND = 0, 1
CHARSET_REQUEST, CHARSET_ACCEPTED, CHARSET_REJECTED = 1, 2, 3
MSDP_VAR, MSDP_VAL, MSDP_TABLE_OPEN, MSDP_TABLE_CLOSE = 1, 2, 3, 4
MSSP_VAR, MSSP_VAL = 1, 2
MSDP_VARIABLES = ("HEALTH", "HEALTH_MAX", "MANA", "MANA_MAX", "MOVEMENT", "MOVEMENT_MAX",
                  "ROOM_NAME", "ROOM_EXITS", "ROOM", "ROOM_VNUM", "ROOM_AREA", "ROOM_COORDS")
NAMES = {ECHO: "ECHO", TTYPE: "TTYPE", EOR: "EOR", NAWS: "NAWS", CHARSET: "CHARSET",
         MSDP: "MSDP", MSSP: "MSSP", COMPRESS2: "MCCP2", GMCP: "GMCP"}

OURS = (EOR, CHARSET, COMPRESS2, GMCP, MSDP, MSSP)  # offered with WILL
HIS = (TTYPE, NAWS, CHARSET)  # asked for with DO
MAX_SUBNEGOTIATION = 8192  # longer ones are dropped
MAX_TTYPE_REQUESTS = 4
MTTS_256_COLORS, MTTS_TRUECOLOR = 8, 256  # bits of the "MTTS n" terminal type

NO, YES, WANT_NO, WANT_YES = "no", "yes", "want-no", "want-yes"


def group(*codes: int) -> bytes:
    return bytes((IAC, *codes))


def subnegotiation(option: int, data: bytes) -> bytes:
    return group(SB, option) + data.replace(b"\xff", b"\xff\xff") + group(SE)


def name_of(option: int) -> str:
    return NAMES.get(option, str(option))


class Telnet:
    def __init__(self, emit, address: str, negotiate: bool = True, status=None):
        self.emit = emit  # puts raw bytes on the socket
        self.status = status  # the game's MSSP variables: [(name, value)], when asked
        self.address = address
        self.negotiate = negotiate
        self.us: dict[int, str] = {}  # our side of each option, by the Q method
        self.him: dict[int, str] = {}
        self.pending = bytearray()
        self.deflater = None
        self.utf8 = False
        self.charset_requested = False
        self.terminal_types: list[str] = []
        self.columns = self.rows = None
        self.hello = None
        self.supports: list = []
        self.msdp_reported: set[str] = set()
        self.sent_gmcp: dict[str, str] = {}
        self.sent_msdp: dict[str, bytes] = {}
        self.state = {"vitals": None, "room": None}

    # ----- sending

    def start(self):
        """The offers a new connection gets before the login prompt."""
        if not self.negotiate:
            return
        for option in OURS:
            self.us[option] = WANT_YES
            self.send(group(WILL, option))
        for option in HIS:
            if option != CHARSET:
                self.him[option] = WANT_YES
                self.send(group(DO, option))

    def send(self, data: bytes):
        if self.deflater is not None:
            data = self.deflater.compress(data) + self.deflater.flush(zlib.Z_SYNC_FLUSH)
        self.emit(data)

    def prompt_end(self) -> bytes:
        return group(EOR_MARK) if self.us.get(EOR) == YES else group(GA)

    def compress(self, on: bool) -> str:
        if not on:
            if self.deflater is None:
                return "Your text is not compressed."
            self.end_compression()
            return "Compression is off; the rest is plain text."
        if self.us.get(COMPRESS2) != YES:
            return "Your client has not agreed to compression (MCCP)."
        if self.deflater is None:
            self.start_compression()
        return "Compression is on."

    def start_compression(self):
        self.emit(subnegotiation(COMPRESS2, b""))
        self.deflater = zlib.compressobj()
        log.info("%s: compressing (MCCP2)", self.address)

    def end_compression(self):
        """Ends the compressed stream properly: what is sent next is plain."""
        if self.deflater is not None:
            self.emit(self.deflater.compress(b"") + self.deflater.flush(zlib.Z_FINISH))
            self.deflater = None
            log.info("%s: compression ended", self.address)

    # ----- receiving

    def feed(self, chunk: bytes) -> bytes:
        """The data bytes in `chunk`; an unfinished command waits for the next chunk."""
        self.pending += chunk
        data, i, buf = bytearray(), 0, self.pending
        while i < len(buf):
            if buf[i] != IAC:
                end = buf.find(IAC, i)
                end = len(buf) if end < 0 else end
                data += buf[i:end]
                i = end
                continue
            if i + 1 >= len(buf):
                break
            command = buf[i + 1]
            if command == IAC:
                data.append(IAC)
                i += 2
            elif WILL <= command <= DONT:
                if i + 2 >= len(buf):
                    break
                self.negotiation(command, buf[i + 2])
                i += 3
            elif command == SB:
                end = self.subnegotiation_end(buf, i + 2)
                if end is None:
                    if len(buf) - i > MAX_SUBNEGOTIATION:  # never ends: dropped
                        i = len(buf)
                    break
                raw = bytes(buf[i + 2:end]).replace(b"\xff\xff", b"\xff")
                if raw and len(raw) <= MAX_SUBNEGOTIATION:
                    self.subnegotiation(raw[0], raw[1:])
                i = end + 2
            else:
                i += 2
        del self.pending[:i]
        return bytes(data)

    @staticmethod
    def subnegotiation_end(buf: bytearray, start: int) -> int | None:
        """Where IAC SE is (skipping IAC IAC), or None when it has not come yet."""
        i = start
        while True:
            i = buf.find(IAC, i)
            if i < 0 or i + 1 >= len(buf):
                return None
            if buf[i + 1] == SE:
                return i
            i += 2

    def negotiation(self, command: int, option: int):
        if option == ECHO:
            return  # the answers to the password's echo offers: never answered again
        log.info("%s: received %s %s", self.address,
                 {WILL: "WILL", WONT: "WONT", DO: "DO", DONT: "DONT"}[command], name_of(option))
        if command in (DO, DONT):
            self.q_method(self.us, option, command == DO, self.negotiate and option in OURS,
                          (WILL, WONT))
        else:
            self.q_method(self.him, option, command == WILL,
                          self.negotiate and option in HIS, (DO, DONT))

    def q_method(self, side: dict, option: int, wants: bool, acceptable: bool, replies):
        """One side of one option; never answers an answer, so no loops."""
        yes_reply, no_reply = replies
        state = side.get(option, NO)
        if wants:
            if state == NO:
                if acceptable:
                    side[option] = YES
                    self.send(group(yes_reply, option))
                    self.enabled(side, option)
                else:
                    self.send(group(no_reply, option))
            elif state == WANT_YES:
                side[option] = YES
                self.enabled(side, option)
            elif state == WANT_NO:
                side[option] = NO
        else:
            if state == YES:
                side[option] = NO
                self.send(group(no_reply, option))
                self.disabled(side, option)
            elif state in (WANT_YES, WANT_NO):
                side[option] = NO

    def enabled(self, side: dict, option: int):
        log.info("%s: %s agreed (%s)", self.address, name_of(option),
                 "we do it" if side is self.us else "the client does it")
        if side is self.him and option == TTYPE:
            self.send(subnegotiation(TTYPE, bytes((TTYPE_SEND,))))
        elif option == CHARSET and not self.charset_requested:
            self.charset_requested = True
            self.send(subnegotiation(CHARSET, bytes((CHARSET_REQUEST,)) + b";UTF-8;ISO-8859-1"))
        elif side is self.us and option == COMPRESS2:
            self.start_compression()
        elif side is self.us and option == GMCP:
            self.send_state()
        elif side is self.us and option == MSSP:
            self.send_status()

    def disabled(self, side: dict, option: int):
        if side is self.us and option == COMPRESS2:
            self.end_compression()

    def subnegotiation(self, option: int, data: bytes):
        if option == TTYPE and self.him.get(TTYPE) == YES and data[:1] == bytes((TTYPE_IS,)):
            self.terminal_type(data[1:].decode("latin-1"))
        elif option == NAWS and self.him.get(NAWS) == YES and len(data) == 4:
            self.columns, self.rows = data[0] << 8 | data[1], data[2] << 8 | data[3]
            log.info("%s: window %dx%d (NAWS)", self.address, self.columns, self.rows)
        elif option == CHARSET and YES in (self.us.get(CHARSET), self.him.get(CHARSET)):
            self.charset_answer(data)
        elif option == GMCP and self.us.get(GMCP) == YES:
            self.gmcp_received(data.decode("utf-8", "replace"))
        elif option == MSDP and self.us.get(MSDP) == YES:
            self.msdp_received(data)

    def terminal_type(self, answer: str):
        log.info("%s: terminal type %r (TTYPE)", self.address, answer)
        repeated = bool(self.terminal_types) and self.terminal_types[-1] == answer
        if not repeated:
            self.terminal_types.append(answer[:64])
        if not repeated and len(self.terminal_types) < MAX_TTYPE_REQUESTS:
            self.send(subnegotiation(TTYPE, bytes((TTYPE_SEND,))))

    def charset_answer(self, data: bytes):
        if data[:1] == bytes((CHARSET_ACCEPTED,)) and data[1:].upper() in (b"UTF-8", b"UTF8"):
            self.utf8 = True
            log.info("%s: charset UTF-8 agreed", self.address)
        elif data[:1] == bytes((CHARSET_REJECTED,)):
            log.info("%s: charset refused, staying with Latin-1", self.address)

    def gmcp_received(self, message: str):
        package, _, body = message.partition(" ")
        log.info("%s: received GMCP %s", self.address, package)
        try:
            value = json.loads(body) if body.strip() else None
        except ValueError:
            return
        if package.lower() == "core.hello" and isinstance(value, dict):
            self.hello = value
        elif package.lower() == "core.supports.set" and isinstance(value, list):
            self.supports = [str(item) for item in value][:64]

    def msdp_received(self, data: bytes):
        parts = data.split(bytes((MSDP_VAL,)))
        if parts[0] != bytes((MSDP_VAR,)) + b"REPORT":
            return
        for name in parts[1:]:
            name = name.decode("latin-1").upper()
            if name in MSDP_VARIABLES:
                self.msdp_reported.add(name)
        log.info("%s: MSDP reports %s", self.address, " ".join(sorted(self.msdp_reported)))
        self.sent_msdp.clear()
        self.send_state()

    # ----- game data

    def vitals(self, values: dict):
        self.state["vitals"] = values
        self.send_state()

    def room(self, info: dict):
        self.state["room"] = info
        self.sent_gmcp.pop("Room.Info", None)  # every room entered is announced
        self.send_state()

    def channel(self, talker: str, text: str):
        if self.us.get(GMCP) == YES:
            self.send_gmcp("Comm.Channel.Text", {"channel": "chat", "talker": talker,
                                                 "text": text})

    def send_status(self):
        """The game's name, players and the rest as one MSSP subnegotiation."""
        data = b"".join(bytes((MSSP_VAR,)) + name.encode() + bytes((MSSP_VAL,)) + value.encode()
                        for name, value in (self.status() if self.status else []))
        self.send(subnegotiation(MSSP, data))

    def send_gmcp(self, package: str, value):
        text = f"{package} {json.dumps(value, ensure_ascii=False)}"
        self.send(subnegotiation(GMCP, text.encode("utf-8")))

    def send_state(self):
        """What changed since it was last sent, as GMCP and MSDP."""
        vitals, room = self.state["vitals"], self.state["room"]
        if self.us.get(GMCP) == YES:
            for package, value in (("Char.Vitals", vitals), ("Room.Info", room)):
                text = json.dumps(value)
                if value is not None and self.sent_gmcp.get(package) != text:
                    self.sent_gmcp[package] = text
                    self.send_gmcp(package, value)
        if self.us.get(MSDP) == YES and self.msdp_reported:
            changed = b""
            for name, value in self.msdp_values(vitals, room).items():
                if name in self.msdp_reported and self.sent_msdp.get(name) != value:
                    self.sent_msdp[name] = value
                    changed += bytes((MSDP_VAR,)) + name.encode() + bytes((MSDP_VAL,)) + value
            if changed:
                self.send(subnegotiation(MSDP, changed))

    @staticmethod
    def msdp_values(vitals, room) -> dict[str, bytes]:
        values = {}
        if vitals is not None:
            for name, key in (("HEALTH", "hp"), ("HEALTH_MAX", "maxhp"), ("MANA", "mp"),
                              ("MANA_MAX", "maxmp"), ("MOVEMENT", "mv"),
                              ("MOVEMENT_MAX", "maxmv")):
                values[name] = str(vitals[key]).encode()
        if room is not None:
            def table(pairs) -> bytes:
                return bytes((MSDP_TABLE_OPEN,)) + b"".join(
                    bytes((MSDP_VAR,)) + name.encode() + bytes((MSDP_VAL,)) + value
                    for name, value in pairs) + bytes((MSDP_TABLE_CLOSE,))
            exits = table((short, str(num).encode()) for short, num in room["exits"].items())
            coords = table((axis.upper(), str(room["coord"][axis]).encode()) for axis in "xyz")
            values["ROOM_NAME"] = room["name"].encode("utf-8")
            values["ROOM_EXITS"] = exits
            values["ROOM_VNUM"] = str(room["num"]).encode()
            values["ROOM_AREA"] = room["area"].encode("utf-8")
            values["ROOM_COORDS"] = coords
            values["ROOM"] = table((("VNUM", values["ROOM_VNUM"]), ("NAME", values["ROOM_NAME"]),
                                    ("AREA", values["ROOM_AREA"]), ("COORDS", coords),
                                    ("EXITS", exits)))
        return values

    def colour_depth(self) -> int:
        """What the client's MTTS bits say it shows: 24 (true colour), 8 (256 colours) or 4."""
        for answer in self.terminal_types:
            if answer.upper().startswith("MTTS ") and answer[5:].strip().isdigit():
                bits = int(answer[5:])
                return 24 if bits & MTTS_TRUECOLOR else 8 if bits & MTTS_256_COLORS else 4
        return 4

    # ----- the client command

    def describe(self) -> list[str]:
        agreed = [name_of(o) for o in sorted(self.us) if self.us[o] == YES]
        agreed += [name_of(o) for o in sorted(self.him) if self.him[o] == YES
                   and self.us.get(o) != YES]
        types = self.terminal_types
        mtts = next((t[5:] for t in types if t.upper().startswith("MTTS ")), "none")
        names = [t for t in types if not t.upper().startswith("MTTS ")]
        hello = self.hello or {}
        size = f"{self.columns}x{self.rows}" if self.columns is not None else "unknown"
        return [
            f"Options agreed: {' '.join(agreed) or 'none'}",
            f"Client: {names[0] if names else hello.get('client', 'unknown')}"
            + (f" {hello['version']}" if "version" in hello else ""),
            f"Terminal type: {names[1] if len(names) > 1 else 'unknown'}  MTTS: {mtts}",
            f"Window: {size}",
            f"GMCP packages: {', '.join(self.supports) or 'none named'}",
            f"Text encoding: {'UTF-8' if self.utf8 else 'Latin-1'}"
            f"  Compressed: {'yes' if self.deflater is not None else 'no'}",
        ]
