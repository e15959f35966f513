#!/usr/bin/env python3
"""Drafts the screen and result file of recorded sessions from the program.

    tests/golden/record.py PROGRAM SESSION.txt...

Keeps each file's comments and header lines (args, before) and the lines
typed in its screen section (the ⟨...⟩ marks, in order), runs PROGRAM on
them in a fresh directory, feeding one line at a time so that each mark
lands where the program read it, and rewrites the status, the screen and
Prime.txt. A draft is not a golden file until a person has read it against
what the program must write: check every line before committing it.
"""
import os
import re
import select
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MARK = re.compile(r"«([^»]*)»")
NAMED = {"CLS": b"\x1b[2J", "BS": b"\x08", "TAB": b"\t", "END": b""}


def to_bytes(text):
    """Body notation (file lines already joined) to code page 932 bytes."""
    out = bytearray()
    at = 0
    for m in MARK.finditer(text):
        out += text[at:m.start()].replace("↵", "\r\n").encode("cp932")
        name = m.group(1)
        if name in NAMED:
            out += NAMED[name]
        elif re.fullmatch(r"x[0-9A-F]{2}", name):
            out.append(int(name[1:], 16))
        else:
            raise ValueError("unknown mark «%s»" % name)
        at = m.end()
    out += text[at:].replace("↵", "\r\n").encode("cp932")
    return bytes(out)


def body_text(lines):
    return "".join(line.rstrip("\n") for line in lines)


MENU = to_bytes(body_text(open(os.path.join(HERE, "menu.txt"), encoding="utf-8")))


def to_notation(data):
    """Code page 932 bytes to body notation, a file line per output line."""
    text, at = "", 0
    while at < len(data):
        b = data[at]
        if data.startswith(b"\x1b[2J", at):
            text, at = text + "«CLS»", at + 4
        elif data.startswith(b"\r\n", at):
            text, at = text + "↵\n", at + 2
        elif b == 0x08 or b == 0x09:
            text, at = text + ("«BS»" if b == 8 else "«TAB»"), at + 1
        elif b < 0x20 or b == 0x7F:
            text, at = text + "«x%02X»" % b, at + 1
        elif b < 0x80:
            text, at = text + chr(b), at + 1
        else:
            width = 2 if (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC) else 1
            try:
                text += data[at:at + width].decode("cp932")
            except UnicodeDecodeError:
                text += "«x%02X»" % b
                width = 1
            at += width
    return text


def mask_times(text):
    """The start and end stamps and the elapsed time as fixed placeholders."""
    stamp = r"\d\d/\d\d/\d\d  \d\d:\d\d:\d\d"
    text = re.sub(stamp, "MM/DD/YY  HH:MM:SS", text)
    return re.sub(r"【\d+日 \d+時間\d+分\d+秒】", "【D日 H時間M分S秒】", text)


def read_session(path):
    header, inputs, comments = {}, [], []
    section = None
    for line in open(path, encoding="utf-8"):
        if line.startswith("=== "):
            section = line[4:].strip()
        elif section is None:
            if line.startswith("#"):
                comments.append(line)
            elif ":" in line:
                key, value = line.split(":", 1)
                header[key.strip()] = value.strip()
        elif section == "screen":
            inputs += re.findall(r"⟨([^⟩]*)⟩", line)
    return header, inputs, comments


def run(program, header, inputs):
    work = tempfile.mkdtemp()
    if "before" in header:
        if header["before"] == "«DIR»":
            os.mkdir(os.path.join(work, "Prime.txt"))
        else:
            open(os.path.join(work, "Prime.txt"), "wb").write(to_bytes(header["before"]))
    args = [to_bytes(a) for a in header.get("args", "").split()]
    proc = subprocess.Popen([program] + args, cwd=work, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    screen = b""

    def drain(quiet):
        nonlocal screen
        while True:
            ready, _, _ = select.select([proc.stdout], [], [], quiet)
            if not ready:
                return
            chunk = os.read(proc.stdout.fileno(), 65536)
            if not chunk:
                return
            screen += chunk

    drain(0.15)
    for line in inputs:
        screen += "⟨".encode("utf-8") + line.encode("utf-8") + "⟩".encode("utf-8")
        proc.stdin.write(to_bytes(line) + b"\n")
        proc.stdin.flush()
        drain(0.15)
    proc.stdin.close()
    drain(5)
    status = proc.wait()
    result = os.path.join(work, "Prime.txt")
    file = open(result, "rb").read() if os.path.isfile(result) else None
    return status, screen, file


def notation_with_inputs(screen):
    """The screen's bytes to notation, keeping the UTF-8 input marks."""
    parts = re.split("(⟨[^⟩]*⟩)".encode("utf-8"), screen)
    text = "".join(p.decode("utf-8") if p.startswith("⟨".encode("utf-8"))
                   else mask_times(to_notation(p)) for p in parts)
    return text.replace(to_notation(MENU), "«MENU»")


def write(path, header, comments, status, screen, file):
    before = header.get("before")
    out = "".join(comments)
    if "platform" in header:
        out += "platform: %s\n" % header["platform"]
    if "args" in header:
        out += "args: %s\n" % header["args"]
    if before is not None:
        out += "before: %s\n" % before
    out += "status: %d\n" % status
    if before == "«DIR»" and file is None:
        result = "unchanged"
    elif file is None:
        result = "absent"
    elif before is not None and file == to_bytes(before):
        result = "unchanged"
    else:
        result = "written"
    out += "Prime.txt: %s\n" % result
    out += "=== screen\n" + end_visibly(notation_with_inputs(screen))
    if result == "written":
        out += "=== Prime.txt\n" + end_visibly(mask_times(to_notation(file)))
    open(path, "w", encoding="utf-8").write(out)


def end_visibly(text):
    """Ends the body with a line break, marking a trailing space."""
    if text.endswith("\n"):
        return text
    return text + ("«END»\n" if text[-1:] in (" ", "\t") else "\n")


def main():
    program = os.path.abspath(sys.argv[1])
    for path in sys.argv[2:]:
        header, inputs, comments = read_session(path)
        status, screen, file = run(program, header, inputs)
        write(path, header, comments, status, screen, file)
        print("recorded", path)


if __name__ == "__main__":
    main()
