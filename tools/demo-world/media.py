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


# Amiga periods of the notes the shanty uses (ProTracker's octave 2 and 3).
_PERIODS = {"C2": 428, "D2": 381, "E2": 339, "F2": 320, "G2": 285, "A2": 254, "B2": 226,
            "C3": 214, "D3": 190, "E3": 170}


def _mod_cell(sample: int, period: int, effect: int = 0, param: int = 0) -> bytes:
    """One note of a pattern: sample number split over bytes 0 and 2, 12-bit period."""
    return bytes([(sample & 0xF0) | (period >> 8), period & 0xFF,
                  ((sample & 0x0F) << 4) | effect, param])


def shanty_mod() -> bytes:
    """A short sea shanty as a 4-channel ProTracker module ("M.K."): one looped
    triangle-wave instrument, one pattern of 32 rows (a pattern break ends it there)."""
    wave_bytes = bytes(int(127 - abs(i - 16) * 15.875) & 0xFF for i in range(32))
    melody = ["D2", "D2", "A2", "A2", "B2", "A2", "G2", "E2",
              "D2", "E2", "F2", "A2", "G2", "E2", "D2", "D2"]
    bass = {0: "D2", 8: "A2", 16: "G2", 24: "D2"}
    title = b"Harbour shanty".ljust(20, b"\0")
    samples = b"triangle".ljust(22, b"\0") + struct.pack(">HBBHH", len(wave_bytes) // 2, 0, 48,
                                                           0, len(wave_bytes) // 2)
    samples += (b"\0" * 22 + struct.pack(">HBBHH", 0, 0, 0, 0, 1)) * 30
    order = bytes([1, 127]) + bytes(128)
    pattern = bytearray()
    for row in range(64):
        cells = [b"\0" * 4] * 4
        if row < 32 and row % 2 == 0:
            cells[0] = _mod_cell(1, _PERIODS[melody[row // 2]])
        if row in bass:
            cells[1] = _mod_cell(1, _PERIODS[bass[row]] * 2, 0xC, 24)  # an octave lower, quiet
        if row == 31:
            cells[3] = _mod_cell(0, 0, 0xD, 0)  # pattern break: the song ends here
        pattern += b"".join(cells)
    return title + samples + order + b"M.K." + bytes(pattern) + wave_bytes


def silence_mp3() -> bytes:
    """About one second of silence as MPEG-1 Layer III: 38 frames at 128 kbit/s, 44.1 kHz,
    mono, whose side information and main data are all zero (every granule decodes to
    silence). The standard library has no encoder, so the cue is quiet on purpose."""
    header = bytes([0xFF, 0xFB, 0x90, 0xC4])  # MPEG-1 L3, no CRC, 128k, 44.1k, mono
    frame_bytes = 144 * 128000 // 44100  # 417, no padding
    return (header + bytes(frame_bytes - len(header))) * 38


def sounds() -> dict[str, bytes]:
    """Every sound by its file name."""
    return {"chime.wav": chime_wav(), "tune.mid": tune_midi(), "shanty.mod": shanty_mod(),
            "silence.mp3": silence_mp3()}
