#!/usr/bin/env python3
"""Writes a few small valid log containers (binary and text form) as seeds for fuzz_container."""
import os
import struct
import sys

MAGIC = b"Tamrel Log File Version 2\0"


def name_field(text):
    raw = text.encode("utf-16-le") + b"\0"
    return struct.pack("<I", len(raw)) + raw


def binary(user, computer, cfg, notes, data):
    head = MAGIC + bytes(24) + struct.pack("<Q", 133000000000000000) + name_field(user) + name_field(computer)
    pos = len(head)
    body = b""
    cfg_pos = notes_pos = data_pos = 0
    if cfg:
        cfg_pos = pos
        body += struct.pack("<Q", len(cfg)) + cfg
    if notes:
        notes_pos = pos + len(body)
        body += bytes(8) + struct.pack("<Q", len(notes)) + notes
    if data:
        data_pos = pos + len(body)
        body += bytes(8) + struct.pack("<Q", len(data)) + data
    return MAGIC + struct.pack("<qqq", cfg_pos, notes_pos, data_pos) + head[len(MAGIC) + 24:] + body


def text(cfg, notes, data):
    lines = ["<TamrelLogFile>", "<Hdr> Version=1,Size=%d </Hdr>" % (len(cfg) + len(notes) + len(data))]
    for tag, block in (("Configuration", cfg), ("Notes", notes), ("LogData", data)):
        lines += ["<%s>" % tag, "<Hdr> Version=1,Size=%d </Hdr>" % len(block)]
        if block:
            lines.append("<Bytes>")
            lines += [block[i:i + 49].hex().upper() for i in range(0, len(block), 49)]
            lines.append("</Bytes>")
        lines.append("</%s>" % tag)
    lines.append("</TamrelLogFile>")
    return ("\n".join(lines) + "\n").encode()


def main(folder):
    os.makedirs(folder, exist_ok=True)
    cfg = bytes(range(40))
    notes = bytes(range(100, 130))
    data = bytes(range(200, 256)) * 2
    seeds = {
        "binary_full": binary("ab", "PC", cfg, notes, data),
        "binary_no_notes": binary("user", "", cfg, b"", data),
        "binary_cfg_only": binary("", "host", cfg, b"", b""),
        "text_full": text(cfg, notes, data),
        "text_empty_notes": text(cfg, b"", data),
    }
    for name, content in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build/fuzz/corpus")
