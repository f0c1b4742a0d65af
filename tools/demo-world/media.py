"""Sound files the world hands out, generated at start-up so nothing binary is stored."""

import io
import math
import struct
import wave

WAV_RATE = 8000


def chime_wav() -> bytes:
    """About one second of a decaying two-tone chime: 16-bit mono PCM at 8 kHz."""
    frames = bytearray()
    count = WAV_RATE
    for n in range(count):
        t = n / WAV_RATE
        envelope = math.exp(-4.0 * t)
        sample = 0.6 * math.sin(2 * math.pi * 880 * t) + 0.3 * math.sin(2 * math.pi * 1320 * t)
        frames += struct.pack("<h", int(sample * envelope * 30000))
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(WAV_RATE)
        out.writeframes(bytes(frames))
    return buffer.getvalue()


def _variable_length(value: int) -> bytes:
    """A MIDI variable-length quantity: 7 bits a byte, high bit set on all but the last."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


TICKS_PER_QUARTER = 96


def tune_midi() -> bytes:
    """A short tune as a format-0 Standard MIDI File: one track on channel 0."""
    melody = [(60, 1), (64, 1), (67, 1), (72, 2), (67, 1), (72, 3)]  # (note, eighths)
    track = bytearray()
    track += b"\x00\xff\x51\x03" + (500000).to_bytes(3, "big")  # tempo: 120 quarters a minute
    track += b"\x00\xc0\x0b"  # program change: vibraphone
    for note, eighths in melody:
        track += b"\x00" + bytes([0x90, note, 96])  # note on
        track += _variable_length(eighths * TICKS_PER_QUARTER // 2) + bytes([0x80, note, 0])
    track += b"\x00\xff\x2f\x00"  # end of track
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_QUARTER)
    return header + b"MTrk" + struct.pack(">I", len(track)) + bytes(track)


def sounds() -> dict[str, bytes]:
    """Every sound by its file name."""
    return {"chime.wav": chime_wav(), "tune.mid": tune_midi()}
