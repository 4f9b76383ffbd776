# SPDX-License-Identifier: GPL-3.0-or-later
"""Shared pieces of the end-to-end tests: a private X display, the real huesift on it,
pointer and keyboard input through xdotool, the clipboard through xclip, and PNG/BMP files
encoded and decoded here so the expected pixels never pass through the program's own code."""

import argparse
import shutil
import struct
import sys
import time
import zlib

SKIP = 77  # ctest's skip code for a machine without the tools

# Where things are in the main window's client area (logical pixels): the toolbar buttons'
# centres, and the picture's top-left corner.
CAPTURE_BUTTON = (12 + 17, 2 + 11)
PROCESS_BUTTON = (49 + 17, 2 + 11)
ADD_COLOR_BUTTON = (123 + 17, 2 + 11)
FILL_BUTTON = (197 + 17, 2 + 11)
PRINT_BUTTON = (271 + 17, 2 + 11)
QUIT_BUTTON = (719 + 17, 2 + 11)
HELP_BUTTON = (756 + 17, 2 + 11)
PICTURE_ORIGIN = (-1, 28)
TOOLBAR_COLOUR = (204, 153, 0)


def skip(reason):
    """Ends the test as skipped: the machine lacks what it needs."""
    print("SKIP: " + reason)
    sys.exit(SKIP)


# What a test wants done before it exits on a failure, such as keeping its last screen.
ON_FAILURE = []


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    for action in ON_FAILURE:
        action()
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def wait_for(what, predicate, timeout=20.0, interval=0.05, quiet=False):
    """The predicate's first true value; on time-out a failure, or None when quiet."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            if quiet:
                return None
            fail("timed out waiting for " + what)
        time.sleep(interval)


def arguments(tools=()):
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--pattern", required=True)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "xclip", "xwininfo") + tuple(tools):
        if not shutil.which(tool):
            skip("%s is not installed" % tool)
    return args


def session_bus_config(listen_dir, service_dir=None):
    """The configuration of a private session bus listening in listen_dir, on which anyone
    may own any name and call anything; services are started only from service_dir."""
    services = "  <servicedir>%s</servicedir>\n" % service_dir if service_dir else ""
    return """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
%s  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
""" % (listen_dir, services)


def pattern_colour(x, y):
    """The colour the pattern window shows at screen pixel (x, y), as (r, g, b)."""
    return ((x * 5 + y * 3) & 255, (x ^ (y * 7)) & 255, (x * y + x) & 255)


# ---- images: rows of (r, g, b) tuples ----

def encode_png(rows):
    return encode_png_bytes(len(rows[0]), len(rows),
                            b"".join(bytes(c for px in row for c in px) for row in rows))


def encode_png_bytes(width, height, rgb):
    """An 8-bit RGB PNG of width x height pixels given as R, G, B bytes, row after row."""
    stride = width * 3
    raw = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def encode_bmp(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    body = b""
    for row in reversed(rows):  # bottom-up
        line = bytes(c for (r, g, b) in row for c in (b, g, r))
        body += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(body), 0, 0, 54) + info + body


def encode_gif(frames):
    """A GIF of one or more frames of the same size, each in up to 256 colours of its own
    table. LZW with a clear code every 250 pixels: every code stays 9 bits wide."""
    height, width = len(frames[0]), len(frames[0][0])
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0, 0, 0)
    for rows in frames:
        palette = sorted({px for row in rows for px in row})
        check(len(palette) <= 256, "a GIF frame holds at most 256 colours")
        index = {px: i for i, px in enumerate(palette)}
        table = b"".join(bytes(px) for px in palette) + b"\0" * (3 * (256 - len(palette)))
        codes = []
        for n, px in enumerate(px for row in rows for px in row):
            if n % 250 == 0:
                codes.append(256)  # clear
            codes.append(index[px])
        codes.append(257)  # end
        bits = sum(code << (9 * i) for i, code in enumerate(codes))
        data = bits.to_bytes((9 * len(codes) + 7) // 8, "little")
        blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                          for i in range(0, len(data), 255))
        out += (b"," + struct.pack("<HHHHB", 0, 0, width, height, 0x87) + table + b"\x08" +
                blocks + b"\0")
    return out + b";"


def decode_png(data):
    check(data[:8] == b"\x89PNG\r\n\x1a\n", "data is not a PNG")
    pos, idat, palette = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = {0: 1, 2: 3, 3: 1, 6: 4}.get(ctype)
    check(channels and interlace == 0 and (depth == 8 or (depth < 8 and ctype in (0, 3))),
          "unexpected PNG layout depth=%d type=%d interlace=%d" % (depth, ctype, interlace))
    bpp = max(1, channels * depth // 8)  # the byte distance the filters look back
    raw = zlib.decompress(idat)
    stride = (width * channels * depth + 7) // 8
    rows, previous, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for k in range(stride):
            a = line[k - bpp] if k >= bpp else 0
            b = previous[k]
            c = previous[k - bpp] if k >= bpp else 0
            if kind == 1:
                line[k] = (line[k] + a) & 255
            elif kind == 2:
                line[k] = (line[k] + b) & 255
            elif kind == 3:
                line[k] = (line[k] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[k] = (line[k] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        previous = line
        if depth < 8:
            per_byte, mask = 8 // depth, (1 << depth) - 1
            samples = [(line[x // per_byte] >> (8 - depth * (x % per_byte + 1))) & mask
                       for x in range(width)]
        else:
            samples = line
        if ctype == 3:
            rows.append([palette[v] for v in samples[:width]])
        elif ctype == 0:
            scale = 255 // ((1 << depth) - 1)
            rows.append([(v * scale,) * 3 for v in samples[:width]])
        else:
            rows.append([tuple(line[k:k + 3]) for k in range(0, stride, bpp)])
    return rows


class Screenshot:
    """An X window dump (xwd) of the root window, read on demand: 32-bit pixels only."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        header_size, version, pixmap_format = fields[0], fields[1], fields[2]
        self.width, self.height = fields[4], fields[5]
        byte_order, bits_per_pixel, self.stride = fields[7], fields[11], fields[12]
        masks = fields[14:17]
        colours = fields[19]
        check(version == 7 and pixmap_format == 2 and bits_per_pixel == 32 and
              masks == (0xFF0000, 0xFF00, 0xFF), "unexpected xwd layout %s" % (fields,))
        self.little = byte_order == 0
        self.data = data[header_size + 12 * colours:]

    def pixel(self, x, y):
        i = y * self.stride + 4 * x
        b0, b1, b2, b3 = self.data[i:i + 4]
        return (b2, b1, b0) if self.little else (b1, b2, b3)

    def rows(self, left, top, right, bottom):
        """The pixels of a rectangle, right and bottom exclusive, as rows of (r, g, b)."""
        return [[self.pixel(x, y) for x in range(left, right)] for y in range(top, bottom)]


def first_difference(actual, expected):
    """None when equal, else a description of the first difference."""
    if len(actual) != len(expected) or len(actual[0]) != len(expected[0]):
        return "size %dx%d, expected %dx%d" % (len(actual[0]) if actual else 0, len(actual),
                                                len(expected[0]) if expected else 0, len(expected))
    for y, (row_a, row_e) in enumerate(zip(actual, expected)):
        if row_a != row_e:
            x = next(x for x in range(len(row_a)) if row_a[x] != row_e[x])
            return "pixel (%d, %d) is %s, expected %s" % (x, y, row_a[x], row_e[x])
    return None
