#!/usr/bin/env python3
"""Runs tav-dump and tav-replay on small inputs and compares their whole output.

Their output is an interface other checks read, so it is pinned here line by line.
Usage: check_tools.py BUILD_DIR
"""
import os
import subprocess
import sys
import tempfile

build = sys.argv[1]
failures = 0


def run(tool, args, stdin=b""):
    path = os.path.join(build, "tools", tool)
    return subprocess.run([path] + args, input=stdin, capture_output=True, check=True).stdout.decode()


def expect(name, got, want):
    global failures
    if got != want:
        failures += 1
        print(f"FAIL {name}\n--- got\n{got}--- want\n{want}")


expect("dump colour and queue",
       run("tav-dump", [], b"ab\x1b[1;31mc\x1b[0m\r\n"),
       "queued abc\ncursor 1 0 1 0 top 0\nline 0 abc\nattr 0 0:2:1 2:1:22 3:129:1\n")

expect("dump chunks, results, escapes and urls",
       run("tav-dump", ["--chunk", "4", "--urlaware", "--rows", "5", "--cols", "20"],
           b"\xff\xfb\x01x\\\x7f\thttp://a b\r\n"),
       "result 2\n"
       "queued x\\\\\\x7F     http://a b\n"
       "cursor 1 0 1 0 top 0\n"
       "line 0 x\\\\\\x7F     http://a b\n"
       "attr 0 0:8:1 8:8:200001 16:116:1\n")

expect("dump erase takes the attribute, no autowrap, rows limited to lines",
       run("tav-dump", ["--no-autowrap", "--lines", "30", "--rows", "40"],
           b"\x1b[32m\x1b[2;0H\x1b[K" + b"y" * 140),
       "cursor 2 131 2 131 top 0\n"
       "line 2 " + "y" * 132 + "\nattr 2 0:132:40\n")

# In full colour each line is followed by its colour runs; an erase in colour shows a line
# of background only.
expect("dump full colour",
       run("tav-dump", ["--full-colour"],
           b"a\x1b[38;5;196;48;2;1;2;3mbc\x1b[7md\x1b[0m\r\n\x1b[44m\x1b[K"),
       "queued abcd\ncursor 1 0 1 0 top 0\nline 0 abcd\nattr 0 0:3:1 3:1:11 4:128:1\n"
       "colour 0 0:1:-/- 1:2:#ff0000/#010203 3:1:#010203/#ff0000 4:128:-/-\n"
       "line 1 \nattr 1 0:132:1\ncolour 1 0:132:-/s4\n")

# One stream in 4-byte reads, a UTF-8 sequence split between two: 7-bit (the default too)
# drops the high bytes, Latin-1 keeps each (IAC IAC is 0xFF), UTF-8 joins the split
# sequence and shows malformed bytes (and one cut short by the CR) as '?'.
for name, args, text in [
        ("default", [], "Caf t"),
        ("7bit", ["--encoding", "7bit"], "Caf t"),
        ("latin1", ["--encoding", "latin1"], "Caf\\xC3\\xA9 \\xE9t\\xFF\\xC3"),
        ("utf8", ["--encoding", "utf8"], "Caf\\xC3\\xA9 ?t??"),
]:
    expect("dump encoding " + name,
           run("tav-dump", ["--chunk", "4"] + args, b"Caf\xc3\xa9 \xe9t\xff\xff\xc3\r\n"),
           f"queued {text}\ncursor 1 0 1 0 top 0\nline 0 {text}\nattr 0 0:132:1\n")

with tempfile.TemporaryDirectory() as tmp:
    capture = os.path.join(tmp, "capture.bin")
    trigs = os.path.join(tmp, "trigs.ndx")
    with open(capture, "wb") as f:
        f.write(b"Password: \xff\xfb\x01\r\nA dragon appears!\r\n\xff\xfc\x01ok\r\n")
    with open(trigs, "wb") as f:
        f.write(b"dragon\r\nflee\r\r\n#\r\n")
    expect("replay triggers, masking, input",
           run("tav-replay", ["--triggers", trigs, "--chunk", "14", "--input", "look",
                              "--input", "_x", capture]),
           "send look\\n\n"
           "line look\n"
           "mask on\n"
           "line Password: \n"
           "mask off\n"  # the third block's echo group acts before its lines
           "send flee\\r\\n\n"
           "line A dragon appears!\n"
           "line ok\n")

print(f"{'0 failed' if not failures else str(failures) + ' failed'}")
sys.exit(1 if failures else 0)
