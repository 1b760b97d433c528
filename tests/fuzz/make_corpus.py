#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/, from the answers,
files and texts the unit tests use. Run it again after changing an input layout."""
import os
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
ENQ, ACK, NAK, STX, ETX, EOT, DLE = 0x05, 0x06, 0x15, 0x02, 0x03, 0x04, 0x10


def stuff(payload):
    out = bytearray()
    for b in payload:
        if b in (DLE, ETX):
            out.append(DLE)
        out.append(b)
    return bytes(out)


def frame(payload, good=True):
    body = stuff(payload) + bytes([ETX])
    check = 0
    for b in body:
        check ^= b
    return bytes([STX]) + body + bytes([check if good else check ^ 0xFF])


def chunk(data, pause=0, more=False):
    """One arrival on the line (line_feeder.h), split into runs of at most 127 bytes."""
    out = bytearray()
    parts = [data[i:i + 127] for i in range(0, len(data), 127)] or [b""]
    for i, p in enumerate(parts):
        last = i == len(parts) - 1
        out += bytes([len(p) | (0x80 if (more or not last) else 0), pause if i == 0 else 0]) + p
    return bytes(out)


def register_side(answer, split=None, pause=0, nak_frame=False, bad_first=False):
    """The register's replies to ENQ, the frame, EOT, the program's ACK and ACK."""
    line = chunk(bytes([ACK]))
    if nak_frame:
        line += chunk(bytes([NAK])) + chunk(bytes([ACK]))  # NAK, then the ENQ again
        line += chunk(bytes([ACK]))
    line += chunk(bytes([ACK]))          # the frame
    line += chunk(bytes([ENQ]), 5)       # EOT: the answer transfer opens
    f = frame(answer)
    if bad_first:
        line += chunk(frame(answer, good=False))
    if split is None:
        line += chunk(f)
    else:
        line += chunk(f[:split], 0, more=True) + chunk(f[split:], pause)
    line += chunk(bytes([EOT]))
    return line


def write(target, name, data):
    d = HERE / "corpus" / target
    d.mkdir(parents=True, exist_ok=True)
    (d / name).write_bytes(bytes(data))


STATE = bytes([0x44, 0x00, 0x01, 0x02]) + bytes(range(3, 40))
DEVICE_TYPE = bytes.fromhex("00 02 00 01 01 00 03 00 00 07 00 82 88 90 92 93 80 8B 9C 8D 9B 89 20 8F 92 8A")
STATE_CODE = bytes([0x55, 0x00, 0x02, 0x05])
FIRMWARE_BLOCK = bytes([0x55, 0x00]) + bytes((i * 7) & 0xFF for i in range(250))
ANSWERS = {
    "state": (0x01 | 0x02 | 0x00, 55, STATE),
    "state_code": (0x01 | 0x08, 55, STATE_CODE),
    "device_type": (0x01 | 0x02 | 0x10, 55, DEVICE_TYPE),
    "firmware_block": (0x01 | 0x02 | 0x18 | 0x04, 4, FIRMWARE_BLOCK),
    "firmware_end": (0x01 | 0x02 | 0x18, 60, bytes([0x55, 0x18, 0x00])),
    "not_supported": (0x01 | 0x02 | 0x20, 55, bytes([0x55, 0x7A, 0x00])),
    "exact_ok": (0x02 | 0x28, 6, bytes([0x55, 0x00, 0x00])),
    "refused": (0x02 | 0x28, 6, bytes([0x55, 0x8C, 0x00])),
    "stuffed": (0x01 | 0x02 | 0x30, 55, bytes([0x55, 0x00, 0x10, 0x03, 0x10, 0x10, 0x03])),
}


def frame_exchange():
    for name, (flags, length, answer) in ANSWERS.items():
        write("frame_exchange", name, bytes([flags, length]) + register_side(answer))
    flags, length, answer = ANSWERS["state"]
    write("frame_exchange", "split", bytes([flags, length]) + register_side(answer, 7, 30))
    write("frame_exchange", "late_part", bytes([flags, length]) + register_side(answer, 3, 140))
    write("frame_exchange", "nak_frame", bytes([flags, length]) + register_side(answer, nak_frame=True))
    write("frame_exchange", "bad_check", bytes([flags, length]) + register_side(answer, bad_first=True))
    write("frame_exchange", "silent", bytes([flags, length]))
    write("frame_exchange", "wrap", bytes([flags | 0x40, length]) + register_side(answer))


def direct_command():
    cases = {
        "device_type": (0, 0xA5, 90, b"", bytes([0x00]) + DEVICE_TYPE[1:]),
        "read_field": (0, 0x46, 90, bytes([6, 0, 1, 1]), bytes([0x55, 0x00]) + b"HEADER LINE"),
        "wrong_password": (0, 0x56, 90, bytes([4, 0x12, 0x34, 0x56, 0x78]), bytes([0x55, 0x8C, 0x00])),
        "small_buffer": (0, 0x46, 3, bytes([2, 0, 1, 1]), bytes([0x55, 0x00, 1, 2, 3, 4])),
        "stuffed": (0, 0x86, 90, b"", bytes([0x55, 0x00, 0x10, 0x03, 0x10])),
        "no_answer": (1, 0x13, 90, b"", b""),
        "identify": (2, 0xA5, 90, b"", bytes([0x00]) + DEVICE_TYPE[1:]),
    }
    for name, (flags, code, cap, params, answer) in cases.items():
        head = bytes([flags, code, cap, len(params)]) + params
        if flags & 1:
            line = chunk(bytes([ACK])) + chunk(bytes([ACK]))
        else:
            line = register_side(answer)
        write("direct_command", name, head + line)
    head = bytes([0, 0x46, 90, 4, 6, 0, 1, 1])
    write("direct_command", "split", head + register_side(bytes([0x55, 0x00]) + b"TEXT", 4, 100))


def answer_decoders():
    def answer(sel, payload, prefix=b""):
        buf = frame(payload)  # as unstuffed in AnswerBuffer, close enough for seeds
        return bytes([sel]) + prefix + struct.pack(">H", len(buf)) + buf
    write("answer_decoders", "state", answer(0, STATE))
    write("answer_decoders", "state_code", answer(1, STATE_CODE))
    write("answer_decoders", "device_type", answer(2, DEVICE_TYPE))
    write("answer_decoders", "eklz_state", answer(3, bytes([0x55, 0x00]) + bytes(range(1, 30))))
    for n in (1, 3, 12, 20, 28):
        write("answer_decoders", f"register_{n}",
              answer(4, bytes([0x55, 0x00]) + bytes([0x12, 0x34, 0x56, 0x78, 0x90] * 6), bytes([n])))
    write("answer_decoders", "drawer_sum",
          bytes([5, 2, 0, 9]) + bytes([0x55, 0, 0, 0, 0x12, 0x34, 0x56, 0x07, 0]))
    write("answer_decoders", "payment", answer(6, bytes([0x55, 0x00, 0, 0, 1, 0x23, 0x45, 0, 0, 0, 0x10, 0])))
    write("answer_decoders", "ranges", answer(7, bytes([0x55, 0x00, 0x01, 0x07, 0x13, 0x31, 0x12, 0x13, 0x00, 0x01, 0x00, 0x25])))
    write("answer_decoders", "version", answer(8, bytes([0x55, 0x00, 0x02, 0x01, 0x00, 0x05, 0x00])))
    for i, (idx, value) in enumerate([(0, b"\x73\x91"), (3, b"\x01"), (40, b"\x07\x50"),
                                      (60, b"KASSIR 1" + b" " * 34), (90, b"\x5c\x0a\x03\x00\x0a")]):
        write("answer_decoders", f"table_value_{i}",
              bytes([9]) + struct.pack(">H", idx) + bytes([len(value)]) + value + bytes([0])
              + b"2 1 23 = 7391")
    # Through the link: each answer a run.
    def runs(*payloads):
        return b"".join(bytes([len(p)]) + p for p in payloads)
    write("answer_decoders", "header_line", bytes([10, 0, 2]) + runs(bytes([0x55, 0x00]) + b"  VIRTUAL\x09a{\x0a\x01\x00\x08")) 
    fw_size = bytes([0x55, 0x00, 0x00, 0x01, 0x2C])  # 300 bytes
    write("answer_decoders", "firmware", bytes([11, 0]) + runs(fw_size, FIRMWARE_BLOCK, FIRMWARE_BLOCK, bytes([0x55, 0x18, 0x00])))
    write("answer_decoders", "firmware_fp", bytes([11, 1]) + runs(bytes([0x55, 0x00, 0x00, 0x00, 0x20]),
                                                              bytes([0x55, 0x00]) + bytes(28),
                                                              bytes([0x55, 0x00]) + bytes(range(28))))
    write("answer_decoders", "picture", bytes([12, 1]) + runs(bytes([0x55, 0x00, 2, 3]),
                                                            bytes([0x55, 0x00, 0x81, 0xFF]),
                                                            bytes([0x55, 0x00, 0x18, 0x24]),
                                                            bytes([0x55, 0x00, 0xFF, 0x81])))
    write("answer_decoders", "picture_memory", bytes([13]) + runs(bytes([0x55, 0x00, 0x20, 0x00, 3, 0])))
    write("answer_decoders", "cash_in_drawer", bytes([14]) + runs(bytes([0x55, 0, 0, 0, 0x12, 0x34, 0x56, 0x07])))
    write("answer_decoders", "all_tables", bytes([15]) + runs(*([bytes([0x55, 0x00, 0x01])] * 40)))


def settings_files():
    for i, (which, text) in enumerate([(0, b"COM12\n"), (0, b"/dev/ttyUSB0\n"), (0, b"COMX\n"),
                                       (0, b"  COM5   COM6\r\n"), (1, b"CBR_9600\n"),
                                       (1, b"CBR_115200000\n"), (2, b"7391\n"), (2, b"123456789012345\n"),
                                       (0, b"\\\\.\\COM3\n"), (2, b"")]):
        write("settings_files", f"file_{i}", bytes([which]) + text)


def line_format():
    texts = ["a~b\\{", "{IMG 3:10}", "\\\\{IMG 3:10}", "      ВИРТУАЛЬНЫЙ ПТК", "{IMG 1}", "{IMG 1:65535}",
             "{img 1:2}", "x" * 88 + "{IMG 1:0}z", "~", "\\", "{IMG 1:8;", "ИТОГ~1"]
    for i, t in enumerate(texts):
        write("line_format", f"text_{i}", bytes([1]) + t.encode())
    blobs = [bytes([0x61, 0x09, 0x62, 0x7B]), bytes([0x5C, 0x0A, 0x03, 0x00, 0x0A]), bytes([0x0A, 0x01]),
             bytes([0x09, 0x5C]), bytes([0x8F, 0x92, 0x8A, 0x00, 0x41]), bytes([0x7B] * 95)]
    for i, b in enumerate(blobs):
        write("line_format", f"bytes_{i}", bytes([0]) + b)


def bmp(width, height, top_down=False, bits=1, extra=b""):
    stride = ((width + 31) // 32) * 4
    pixels = bytearray()
    for y in range(height):
        row = bytearray(stride)
        for x in range(width):
            if (x + y) % 3 == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        pixels += row
    offset = 14 + 40 + 8
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                       len(pixels), 2835, 2835, 2, 2)
    return header + info + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + bytes(pixels) + extra


def bmp_pictures():
    write("bmp_pictures", "bmp_8x2", bytes([0]) + bmp(8, 2))
    write("bmp_pictures", "bmp_13x5", bytes([0]) + bmp(13, 5))
    write("bmp_pictures", "bmp_top_down", bytes([0]) + bmp(40, 3, top_down=True))
    write("bmp_pictures", "bmp_trailing", bytes([0]) + bmp(9, 4, extra=b"\x00" * 7))
    write("bmp_pictures", "bmp_8bit", bytes([0]) + bmp(8, 2, bits=8))
    write("bmp_pictures", "bmp_short", bytes([0]) + bmp(64, 8)[:80])
    for f in (ROOT / "tests" / "scripts").glob("*.files/**/*.bmp"):
        if f.stat().st_size <= 4096:
            write("bmp_pictures", "file_" + f.name, bytes([0]) + f.read_bytes())
    write("bmp_pictures", "gray", bytes([1, 3, 2, 0, 255, 0, 255, 17, 255, 255]))
    write("bmp_pictures", "rgb", bytes([1, 2, 1, 1, 255, 255, 255, 255, 0, 255]))
    write("bmp_pictures", "fit_wide", bytes([2]) + struct.pack(">hhhh", 800, 100, 400, 300))
    write("bmp_pictures", "fit_tall", bytes([2]) + struct.pack(">hhhh", 100, 900, 400, 300))


def card_data():
    for i, t in enumerate([b";4000001234567899=2512?\r\n", b"%B4000?;4000001234567899=2512?",
                           b";40000?12?", b"no sentinels", b";a;b?", b"?", b";\xc0\xc1\x98?\r\n"]):
        write("card_data", f"card_{i}", t)


def script_reader():
    for f in sorted((ROOT / "tests" / "scripts").glob("*.script")):
        data = f.read_bytes()
        if len(data) <= 4096:
            write("script_reader", f.stem, data)
    write("script_reader", "bom_crlf", b"\xef\xbb\xbfmenu X\r\nlater 100 click a.b\r\nanswer yes 2\r\n")
    write("script_reader", "cells", b"set fm.grid[2,3] text\nset fm.grid[x] y\nwait 5\nfile -\n")


def trace_replay():
    def case(trace, runs):
        text = trace.encode()
        return struct.pack(">H", len(text)) + text + b"".join(bytes([whole, len(r)]) + r for whole, r in runs)
    trace = ("     0.023 ms  ----  open /dev/pts/0\n     5.791 ms  ----  configure 115200 bit/s 8N1\n"
             "     5.821 ms  PC->  05\n     6.740 ms  <-PTK 06\n     6.763 ms  PC->  02 73 91 45 03 A4\n"
             "     6.896 ms  <-PTK 06\n     6.904 ms  PC->  04\n     6.913 ms  ----  read time-out 10 ms\n"
             "     7.001 ms  <-PTK 05\n     7.011 ms  PC->  06\n     7.107 ms  <-PTK 02 55 00 00 03 56\n"
             "     7.115 ms  PC->  06\n     7.204 ms  <-PTK 04\n     7.264 ms  ----  close\n")
    program = [bytes([ENQ]), frame(b"\x73\x91\x45"), bytes([EOT]), bytes([ACK]), bytes([ACK])]
    write("trace_replay", "state_code", case(trace, [(1, p) for p in program]))
    write("trace_replay", "pieces", case(trace, [(0, b"\x05\x02\x73"), (0, b"\x91\x45\x03\xa4\x04")]))
    write("trace_replay", "diverges", case(trace, [(1, bytes([ENQ])), (1, frame(b"\x73\x91\x3f"))]))
    write("trace_replay", "failures", case("     1.000 ms  PC->  05  (write failed)\n"
                                           "     2.000 ms  ----  read failed\n", [(1, bytes([ENQ]))]))


def virtual_register(state_file):
    def cmd(kind, code, params=b""):
        body = bytes([code]) + params
        return bytes([kind, len(body)]) + body
    steps = [cmd(0, 0x3F), cmd(0, 0x45), cmd(0, 0xA5), cmd(1, 0x11), cmd(0, 0xAE), cmd(1, 0x63),
             cmd(0, 0x91, bytes([1, 1, 0])), cmd(0, 0x46, bytes([2, 0, 1, 23]))]
    write("virtual_register", "queries", bytes([4]) + b"".join(steps))
    write("virtual_register", "wrong_password", bytes([0]) + cmd(0, 0x73, bytes([0x91, 0x3F])))
    # Programming mode with the system administrator's password 30, then pictures and firmware.
    mode = cmd(1, 0x56, bytes([4, 0x00, 0x00, 0x00, 0x30]))
    write("virtual_register", "pictures", bytes([4]) + mode + cmd(0, 0x8B, bytes([0x81, 0xFF]))
          + cmd(0, 0x9E) + cmd(0, 0x9F, bytes([1])) + cmd(0, 0x86) + cmd(0, 0x8C))
    write("virtual_register", "firmware", bytes([4]) + mode + cmd(0, 0x9C, bytes([2])) + cmd(0, 0x84)
          + bytes([3, 200]) + cmd(1, 0x84))
    write("virtual_register", "raw_line", bytes([0, 2, 1, ENQ]) + bytes([2, len(frame(b"\x73\x91\x3f"))])
          + frame(b"\x73\x91\x3f") + bytes([3, 100, 2, 1, EOT, 3, 140]))
    spec = b"nak=2,delay=300/1,code=45:8C/1,nopaper"
    write("virtual_register", "faults", bytes([6, len(spec)]) + spec + b"".join(steps[:4]))
    if state_file:
        write("virtual_register", "state_file",
              bytes([5]) + struct.pack(">H", len(state_file)) + state_file + b"".join(steps))


if __name__ == "__main__":
    import sys
    shutil.rmtree(HERE / "corpus", ignore_errors=True)
    frame_exchange()
    direct_command()
    answer_decoders()
    settings_files()
    line_format()
    bmp_pictures()
    card_data()
    script_reader()
    trace_replay()
    state = (HERE / "corpus_state.txt").read_bytes()
    virtual_register(state)
