"""Frames of the client port: a 4-byte length word, a 272-byte header, optional data.

Every integer is 32-bit little-endian.  The header holds type, aux, two 128-byte
NUL-terminated texts, data_len and data_ref.  The length word counts the header and the
data block but not itself.  This module knows nothing about sockets: `encode` turns one
message into bytes, `FrameReader` turns a byte stream back into messages.
"""

import struct
from dataclasses import dataclass

HEADER_SIZE = 272
TEXT_SIZE = 128
MAX_TEXT = TEXT_SIZE - 1
# Nothing the client sends comes near this; a larger length word means a broken stream.
MAX_FRAME_BYTES = 1 << 20

_HEADER = struct.Struct("<ii128s128sii")
_LENGTH = struct.Struct("<I")

# Codes the client sends.
LOGIN_REQUEST = 1
SOUNDNOGO = 2
SOUNDGO = 3
PING = 4
EDIT_REPLY = 8
COMMAND = 9
HELPINDEX_REQUEST = 10
HELPFILE_REQUEST = 11
BINDEX_REQUEST = 12
MSGINDEX_REQUEST = 13
MSG_REQUEST = 14
MSG_DELETE = 15
MSG_POST = 16

# Codes the server sends.
TEXT_FILE = 50
SOUND_FILE = 51
TEXT_MESG = 53
SOUND_QUERY = 54
EDIT_REQUEST = 57
DATETIME = 58
WHO_LIST = 59
CHANNEL_TXT = 60
EQ_LIST = 61
INV_LIST = 62
PINGRESPONSE = 63
HELPINDEX_REPLY = 64
HELPFILE_REPLY = 65
HITMANAMOVE = 66
LEVELREPORT = 67
IDINFO = 68
BINDEX_REPLY = 69
MSGINDEX_REPLY = 70
MSG_REPLY = 71
MSGBOX = 72
BRDUPDATE = 73
DESCTEXT = 74
EXITTEXT = 75
CONTENTTEXT = 76
MAPINFO = 77
SOUNDSTOP = 998
DISCONNECT = 999

NAMES = {
    value: name.lower()
    for name, value in globals().items()
    if name.isupper() and isinstance(value, int) and name not in (
        "HEADER_SIZE", "TEXT_SIZE", "MAX_TEXT", "MAX_FRAME_BYTES")
}

# The server never looks at aux in what it receives and writes 0 in what it sends; the
# client is not supposed to care either.
SERVER_AUX = 0
# data_ref carries no meaning on the wire; a non-zero marker goes out with every data block
# so a receiver that wrongly trusts the field shows up quickly.
DATA_REF_MARKER = 0x44454D4F


class FrameError(Exception):
    """The byte stream cannot be read as frames any more; the connection must end."""


@dataclass
class Message:
    type: int
    text1: bytes = b""
    text2: bytes = b""
    data: bytes | None = None
    aux: int = SERVER_AUX

    def __post_init__(self):
        self.text1 = to_bytes(self.text1)
        self.text2 = to_bytes(self.text2)

    @property
    def name(self) -> str:
        return NAMES.get(self.type, f"unknown type {self.type}")

    def text_data(self) -> bytes:
        """The data block read as text: up to the first NUL, or all of it."""
        if not self.data:
            return b""
        return self.data.split(b"\0", 1)[0]


def to_bytes(text) -> bytes:
    if isinstance(text, bytes):
        return text
    return str(text).encode("latin-1", "replace")


def text_field(text) -> bytes:
    """One 128-byte text field: at most 127 characters, then NUL padding."""
    raw = to_bytes(text).split(b"\0", 1)[0][:MAX_TEXT]
    return raw.ljust(TEXT_SIZE, b"\0")


def text_block(text) -> bytes:
    """A text data block: the characters and their terminating NUL."""
    return to_bytes(text).split(b"\0", 1)[0] + b"\0"


def encode(message: Message) -> bytes:
    data = message.data or b""
    header = _HEADER.pack(
        message.type,
        message.aux,
        text_field(message.text1),
        text_field(message.text2),
        len(data),
        DATA_REF_MARKER if data else 0,
    )
    return _LENGTH.pack(HEADER_SIZE + len(data)) + header + data


def _field_text(field: bytes) -> bytes:
    return field.split(b"\0", 1)[0]


def decode_body(body: bytes) -> Message:
    """One frame body (header and data, without the length word) as a message."""
    if len(body) < HEADER_SIZE:
        raise FrameError(f"frame of {len(body)} bytes is shorter than a header")
    mtype, aux, text1, text2, data_len, _data_ref = _HEADER.unpack_from(body)
    if data_len > len(body) - HEADER_SIZE:
        raise FrameError(f"data_len {data_len} exceeds the frame")
    data = body[HEADER_SIZE:HEADER_SIZE + data_len] if data_len > 0 else None
    return Message(mtype, _field_text(text1), _field_text(text2), data, aux)


class FrameReader:
    """Collects bytes as they arrive and hands out every complete message."""

    def __init__(self):
        self._pending = bytearray()

    def feed(self, chunk: bytes) -> list[Message]:
        self._pending += chunk
        messages = []
        while len(self._pending) >= _LENGTH.size:
            (length,) = _LENGTH.unpack_from(self._pending)
            if length < HEADER_SIZE or length > MAX_FRAME_BYTES:
                raise FrameError(f"bad frame length {length}")
            if len(self._pending) < _LENGTH.size + length:
                break
            body = bytes(self._pending[_LENGTH.size:_LENGTH.size + length])
            del self._pending[:_LENGTH.size + length]
            messages.append(decode_body(body))
        return messages


# Builders for what the server sends, one per type.

def text_file(name, text) -> Message:
    return Message(TEXT_FILE, name, data=text_block(text))


def sound_file(name, content: bytes) -> Message:
    return Message(SOUND_FILE, name, data=bytes(content))


def text_mesg(text) -> Message:
    return Message(TEXT_MESG, text)


def sound_query(name) -> Message:
    return Message(SOUND_QUERY, name)


def edit_request(heading, text=None) -> Message:
    return Message(EDIT_REQUEST, heading, data=None if text is None else text_block(text))


def datetime_msg(time_text, date_text) -> Message:
    return Message(DATETIME, time_text, date_text)


def who_list(text) -> Message:
    return Message(WHO_LIST, data=text_block(text))


def channel_txt(text) -> Message:
    return Message(CHANNEL_TXT, data=text_block(text))


def eq_list(text) -> Message:
    return Message(EQ_LIST, data=text_block(text))


def inv_list(text) -> Message:
    return Message(INV_LIST, data=text_block(text))


def pingresponse() -> Message:
    return Message(PINGRESPONSE)


def helpindex_reply(topics, entry_size: int) -> Message:
    entries = b"".join(text_field(t)[:entry_size - 1].ljust(entry_size, b"\0") for t in topics)
    return Message(HELPINDEX_REPLY, f"{entry_size} {len(topics)}", data=entries or None)


def helpfile_reply(text) -> Message:
    return Message(HELPFILE_REPLY, data=text_block(text))


def hitmanamove(hit, hit_max, mana, mana_max, move, move_max) -> Message:
    return Message(HITMANAMOVE, f"{hit}/{hit_max} {mana}/{mana_max} {move}/{move_max}")


def levelreport(level: int) -> Message:
    return Message(LEVELREPORT, str(level))


def idinfo(name, text) -> Message:
    return Message(IDINFO, name, data=text_block(text))


BOARD_ENTRY_SIZE = 144
BOARD_TITLE_SIZE = 140
MSG_ENTRY_SIZE = 128


def bindex_reply(boards) -> Message:
    """boards: (number, title) pairs."""
    entries = b"".join(
        struct.pack("<i", number)
        + to_bytes(title)[:BOARD_TITLE_SIZE - 1].ljust(BOARD_TITLE_SIZE, b"\0")
        for number, title in boards)
    return Message(BINDEX_REPLY, str(len(boards)), data=entries or None)


def msgindex_reply(lines) -> Message:
    entries = b"".join(
        to_bytes(line)[:MSG_ENTRY_SIZE - 1].ljust(MSG_ENTRY_SIZE, b"\0") for line in lines)
    return Message(MSGINDEX_REPLY, str(len(lines)), data=entries or None)


def msg_reply(text) -> Message:
    return Message(MSG_REPLY, data=text_block(text))


def msgbox(text) -> Message:
    return Message(MSGBOX, text)


def brdupdate(board: int) -> Message:
    return Message(BRDUPDATE, str(board))


def desctext(text) -> Message:
    return Message(DESCTEXT, data=text_block(text))


def exittext(text) -> Message:
    return Message(EXITTEXT, data=text_block(text))


def contenttext(text) -> Message:
    return Message(CONTENTTEXT, data=text_block(text))


MAP_SIZE = 22


def mapinfo(grid) -> Message:
    """grid[x][y]: 22 columns of 22 cells, sent column by column."""
    values = [grid[x][y] for x in range(MAP_SIZE) for y in range(MAP_SIZE)]
    return Message(MAPINFO, data=struct.pack(f"<{MAP_SIZE * MAP_SIZE}i", *values))


def soundstop() -> Message:
    return Message(SOUNDSTOP)


def disconnect() -> Message:
    return Message(DISCONNECT)
