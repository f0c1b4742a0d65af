#!/usr/bin/env python3
"""Prints a screen_fuzzer input as the operations it runs, one a line, so a crash can be
written down as a regression test. The format is the one of fuzz/ScreenOps.h.

Usage: describe_screen_script.py FILE
"""
import sys

OPS = ["Feed", "Resize", "ScrollBar", "PageUp", "PageDown", "Hold", "Reset", "Modes", "Select"]
REQUESTS = ["LineUp", "LineDown", "PageUp", "PageDown", "ThumbTrack", "ThumbPosition", "Top",
            "EndScroll", "Bottom"]
SELECTS = ["BeginSelection", "ExtendSelection", "EndSelection", "SelectAll", "ClearSelection",
           "GetSelectedText/UrlAt"]
MAX_RESET_LINES = 400
CELL_WIDTH, CELL_HEIGHT = 7, 15  # the screen's default cell size


def describe(data: bytes):
    pos = 0

    def byte() -> int:
        nonlocal pos
        value = data[pos] if pos < len(data) else 0
        pos += 1
        return value

    def word() -> int:
        high = byte()
        return (high << 8) | byte()

    while pos < len(data):
        op = OPS[byte() % len(OPS)]
        if op == "Feed":
            count = byte()
            chunk = data[pos:pos + count]
            pos += count
            yield f"AddText({chunk!r})"
        elif op == "Resize":
            rows, cols = byte(), byte()
            yield (f"SetScreenRect of {rows} rows, {cols} columns "
                   f"({{0, 0, {4 + cols * CELL_WIDTH}, {rows * CELL_HEIGHT}}})")
        elif op == "ScrollBar":
            request = REQUESTS[byte() % len(REQUESTS)]
            position = word()
            position -= 65536 if position >= 32768 else 0
            yield f"ScrollBar({request}, {position})"
        elif op in ("PageUp", "PageDown"):
            yield f"{op}({'true' if byte() & 1 else 'false'})"
        elif op == "Hold":
            yield "ToggleHold()"
        elif op == "Reset":
            yield f"ResetScreen({1 + word() % MAX_RESET_LINES})"
        elif op == "Modes":
            bits = byte()
            yield (f"autowrap={bits & 1 != 0} appendcr={bits & 2 != 0} "
                   f"smoothscroll={bits & 4 != 0} urlaware={bits & 8 != 0} "
                   f"visualbell={bits & 16 != 0}")
        else:
            kind, x, y = SELECTS[byte() % len(SELECTS)], byte() * 4, byte() * 8
            yield f"{kind} at the cell under pixel ({x}, {y})"


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        for line in describe(f.read()):
            print(line)
