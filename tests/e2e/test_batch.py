# SPDX-License-Identifier: GPL-3.0-or-later
"""The batch mode as a script uses it: the real huesift with no display at all, pictures in
files, results checked against the pixel rules computed here and, when ImageMagick is
installed, against its output for the same work."""

import argparse
import os
import pwd
import random
import signal
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time

from harness import (check, decode_png, encode_bmp, encode_gif, encode_png, encode_png_bytes, fail,
                     first_difference)

WHITE = (255, 255, 255)


def run(huesift, *args):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["QT_QPA_PLATFORM"] = "xcb"  # would abort if anything tried to open a window
    return subprocess.run([huesift, *args], env=env, capture_output=True, text=True, timeout=120)


def hex_colour(rgb):
    return "%02X%02X%02X" % rgb


def expected(rows, keep, reverse=False, convert=None, white_to=None, similar=0):
    """The Process button's pixel rules, pixel by pixel."""
    def rule(px):
        if white_to is not None:
            return white_to if px == WHITE else px
        kept = any(all(abs(a - b) <= similar for a, b in zip(px, k)) for k in keep)
        if reverse:
            return WHITE if kept or px == WHITE else (convert or px)
        return (convert or px) if kept else WHITE
    return [[rule(px) for px in row] for row in rows]


def screenshot_like(rng, width, height):
    """Flat panels with soft-edged marks blended over them: a few large runs, many shades."""
    rows = [[WHITE] * width for _ in range(height)]
    for _ in range(6):
        colour = rng.choice([(240, 240, 240), (43, 87, 154), (30, 30, 30), (255, 244, 206)])
        x0, y0 = rng.randrange(width), rng.randrange(height)
        for y in range(y0, min(height, y0 + rng.randrange(4, height // 2))):
            for x in range(x0, min(width, x0 + rng.randrange(4, width // 2))):
                rows[y][x] = colour
    for _ in range(width * height // 40):
        x, y = rng.randrange(width), rng.randrange(height)
        ink = rng.choice([(0, 0, 0), (0, 0, 0), (196, 43, 28), (6, 69, 173)])
        cover = rng.choice([255, 255, 255, 200, 128, 60])
        for dx in range(rng.randrange(1, 6)):
            if x + dx < width:
                bg = rows[y][x + dx]
                rows[y][x + dx] = tuple((b * (255 - cover) + f * cover + 127) // 255
                                        for b, f in zip(bg, ink))
    return rows


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_png(path):
    with open(path, "rb") as f:
        return decode_png(f.read())


def command_line_contract(huesift, work):
    result = run(huesift, "--help")
    check(result.returncode == 0 and "Usage:" in result.stdout, "--help: %r" % (result,))
    result = run(huesift, "--version")
    check(result.returncode == 0 and result.stdout.startswith("huesift "), "--version: %r" % (result,))

    picture = os.path.join(work, "in.png")
    write(picture, encode_png([[WHITE, (0, 0, 0)]]))
    out = os.path.join(work, "usage-out.png")
    same_name = os.path.join(work, "in.bmp")
    write(same_name, encode_bmp([[WHITE, (0, 0, 0)]]))
    # Each refusal of the command line and its words are cli_tests' cases; one is here for the
    # exit status and the lines as the program prints them. The others are found by the batch
    # once it has the output names.
    for args in (["--keep", "12345G", "-o", out, picture],
                 ["--out-dir", os.path.join(work, "twice"), picture, os.path.join(work, "in.png")],
                 # Two inputs with one base name would both be written to D/in.png.
                 ["--out-dir", os.path.join(work, "clash"), picture, same_name]):
        result = run(huesift, *args)
        check(result.returncode == 2, "%s: exit %d, expected 2" % (args, result.returncode))
        # One line that says what is wrong and one that says where to read more, as other
        # tools print them; not the whole usage text.
        lines = result.stderr.splitlines()
        check(len(lines) == 2 and lines[0].startswith("huesift: ") and len(lines[0]) > 10 and
              lines[1] == "Try 'huesift --help' for more information." and
              not os.path.exists(out), "%s: stderr %r" % (args, result.stderr))
    check(not os.path.exists(os.path.join(work, "clash")), "one base name twice: wrote into clash")

    # As many colours as the retained list holds, 64, are all kept.
    colours = [((i * 37) & 255, (i * 91) & 255, i) for i in range(65)]
    rows = [colours[i:i + 13] for i in range(0, 65, 13)]
    write(picture, encode_png(rows))
    keep = colours[:64]
    result = run(huesift, "--keep", ",".join(hex_colour(c) for c in keep), "-o", out, picture)
    check(result.returncode == 0 and result.stderr == "", "--keep with 64 colours: %r" % (result,))
    problem = first_difference(read_png(out), expected(rows, keep))
    check(problem is None, "--keep with 64 colours: %s" % problem)


def options_against_rules(huesift, work, rng):
    """Random pictures through every option, all files of a case in one call."""
    palette = [WHITE, (0, 0, 0), (255, 0, 0), (0, 0, 255), (18, 52, 86), (254, 255, 255),
               (255, 255, 254), (1, 0, 0), (200, 200, 200), (0, 128, 0)]
    pictures = []
    for i in range(5):
        width, height = rng.randrange(1, 45), rng.randrange(1, 30)
        rows = [[rng.choice(palette) for _ in range(width)] for _ in range(height)]
        # A dot inside the name too: --out-dir's name ends at the last dot, not the first.
        path = os.path.join(work, "random.%d.png" % i)
        write(path, encode_png(rows))
        pictures.append((path, rows))
    cases = [dict(keep=[(0, 0, 0)]),
             dict(keep=[(255, 0, 0), (18, 52, 86)]),
             dict(keep=[(0, 0, 255), WHITE, (1, 0, 0)], reverse=True),
             dict(keep=[(255, 0, 0), (0, 128, 0)], convert=(0, 0, 255)),
             dict(keep=[(200, 200, 200)], reverse=True, convert=(255, 0, 0)),
             # (1, 0, 0) and (254, 255, 255) lie exactly 1 from black and white, (18, 52, 86)
             # 18 and more from black.
             dict(keep=[(0, 0, 0), (255, 0, 0)], similar=1),
             dict(keep=[(0, 0, 0), WHITE], reverse=True, similar=18),
             dict(keep=[(210, 190, 200)], convert=(0, 0, 255), similar=rng.randrange(8, 60)),
             dict(keep=[(0, 0, 0)], white_to=(0, 128, 0))]
    for n, case in enumerate(cases):
        args = []
        if "white_to" in case:
            args += ["--white-to", "#" + hex_colour(case["white_to"]).lower()]
        else:
            args += ["--keep", ",".join(hex_colour(c) for c in case["keep"])]
        if case.get("reverse"):
            args.append("--reverse")
        if case.get("convert"):
            args += ["--convert", hex_colour(case["convert"])]
        if case.get("similar"):
            args += ["--similar", str(case["similar"])]
        out_dir = os.path.join(work, "case-%d" % n)
        result = run(huesift, *args, "--out-dir", out_dir, *[p for p, _ in pictures])
        check(result.returncode == 0 and result.stderr == "", "%s: %r" % (args, result))
        for path, rows in pictures:
            name = os.path.basename(path)
            problem = first_difference(read_png(os.path.join(out_dir, name)),
                                       expected(rows, **case))
            check(problem is None, "%s on %s: %s" % (args, name, problem))


def failures_are_reported_and_the_rest_done(huesift, work):
    good = [[(0, 0, 0), (10, 20, 30)], [WHITE, (0, 0, 0)]]
    data = encode_png(good)
    names = {"a.png": data, "b.png": data[:len(data) // 2], "d.png": data}
    for name, content in names.items():
        write(os.path.join(work, name), content)
    out_dir = os.path.join(work, "out")
    os.makedirs(out_dir)
    write(os.path.join(out_dir, "b.png"), b"earlier result")
    inputs = [os.path.join(work, n) for n in ("a.png", "b.png", "c.png", "d.png")]
    result = run(huesift, "--out-dir", out_dir, *inputs)
    check(result.returncode == 1, "one bad file: exit %d, expected 1" % result.returncode)
    lines = sorted(result.stderr.splitlines())
    check(len(lines) == 2 and lines[0].startswith("huesift: " + inputs[1] + ": ") and
          lines[1].startswith("huesift: " + inputs[2] + ": "), "failure lines: %r" % result.stderr)
    check(sorted(os.listdir(out_dir)) == ["a.png", "b.png", "d.png"],
          "output folder holds %s" % os.listdir(out_dir))
    with open(os.path.join(out_dir, "b.png"), "rb") as f:
        check(f.read() == b"earlier result", "a failed input replaced the earlier output")
    for name in ("a.png", "d.png"):
        check(read_png(os.path.join(out_dir, name)) == expected(good, [(0, 0, 0)]),
              name + " is not the processed picture")

    # A file larger than the 512 MiB read limit (a picture followed by nothing but zeros) is
    # refused, naming the limit, and nothing is written.
    huge = os.path.join(work, "huge.png")
    with open(huge, "wb") as f:
        f.write(data)
        f.truncate(600 << 20)
    huge_out = os.path.join(work, "huge-out.png")
    result = run(huesift, "-o", huge_out, huge)
    check(result.returncode == 1 and result.stderr.startswith("huesift: " + huge + ": ") and
          "larger than 512 MiB" in result.stderr and not os.path.exists(huge_out),
          "a 600 MiB file: %r" % (result,))
    os.remove(huge)

    blocked = os.path.join(work, "a.png", "x.png")  # its folder is a file
    result = run(huesift, "-o", blocked, inputs[0])
    check(result.returncode == 1 and
          result.stderr.startswith("huesift: " + inputs[0] + ": cannot write"),
          "unwritable output: %r" % (result,))


def same_pixels_as_imagemagick(huesift, work, rng):
    magick = shutil.which("convert-im6.q16") or shutil.which("convert-im7.q16")
    if not magick:
        print("ImageMagick is not installed: its comparison is left out")
        return False
    pictures = []
    for i in range(3):
        path = os.path.join(work, "shot-%d.png" % i)
        write(path, encode_png(screenshot_like(rng, 160, 100)))
        pictures.append(path)
    cases = [(["--keep", "000000"], ["-fill", "white", "+opaque", "#000000"]),
             (["--keep", "C42B1C"], ["-fill", "white", "+opaque", "#C42B1C"]),
             (["--keep", "0645AD", "--reverse"], ["-fill", "white", "-opaque", "#0645AD"]),
             (["--keep", "000000", "--convert", "0645AD"],
              ["-fill", "white", "+opaque", "#000000", "-fill", "#0645AD", "-opaque", "#000000"]),
             (["--white-to", "FFF4CE"], ["-fill", "#FFF4CE", "-opaque", "#FFFFFF"])]
    for n, (ours, theirs) in enumerate(cases):
        out_dir = os.path.join(work, "magick-%d" % n)
        os.makedirs(out_dir)
        result = run(huesift, *ours, "--out-dir", out_dir, *pictures)
        check(result.returncode == 0, "%s: %r" % (ours, result))
        for path in pictures:
            reference = os.path.join(out_dir, "reference.png")
            subprocess.run([magick, path, *theirs, reference], check=True)
            problem = first_difference(read_png(os.path.join(out_dir, os.path.basename(path))),
                                       read_png(reference))
            check(problem is None, "%s differs from ImageMagick %s on %s: %s"
                  % (ours, theirs, os.path.basename(path), problem))
    gifs_as_tools_write_them(huesift, work, rng, magick)


def gifs_as_tools_write_them(huesift, work, rng, magick):
    """GIFs as people make them: ImageMagick's, Pillow's and gifsicle's, most with a global
    colour table, one frame and several. The first frame is read as ImageMagick reads it."""
    frames = [screenshot_like(rng, 160, 100) for _ in range(3)]
    colours = sorted({px for rows in frames for row in rows for px in row})
    check(len(colours) <= 256, "the test's frames hold %d colours, over a GIF's 256" % len(colours))
    pngs = []
    for n, rows in enumerate(frames):
        pngs.append(os.path.join(work, "frame-%d.png" % n))
        write(pngs[-1], encode_png(rows))
    gifs = []
    for count in (1, 3):
        gifs.append(os.path.join(work, "magick-%d.gif" % count))
        subprocess.run([magick, *pngs[:count], gifs[-1]], check=True)
    # Pillow, where the system's Python has it (the one running this may be another).
    pillow = next((p for p in (sys.executable, "/usr/bin/python3") if os.path.exists(p) and
                   subprocess.run([p, "-c", "import PIL"], capture_output=True).returncode == 0),
                  None)
    if pillow:
        for count in (1, 3):
            gifs.append(os.path.join(work, "pillow-%d.gif" % count))
            subprocess.run([pillow, "-c", PILLOW_GIF, gifs[-1], *pngs[:count]], check=True)
    else:
        print("Pillow is not installed: its GIFs are left out")
    gifsicle = shutil.which("gifsicle")
    if gifsicle:
        # Optimised: colour tables and frames rewritten as gifsicle sees fit.
        gifs.append(os.path.join(work, "gifsicle-3.gif"))
        subprocess.run([gifsicle, "-O3", "-o", gifs[-1], gifs[1]], check=True)
    else:
        print("gifsicle is not installed: its GIFs are left out")
    with_global = 0
    for path in gifs:
        with open(path, "rb") as f:
            with_global += f.read(11)[10] >> 7
        reference = path + ".first.png"
        subprocess.run([magick, path + "[0]", reference], check=True)
        out = path + ".out.png"
        result = run(huesift, "--keep", "C42B1C", "-o", out, path)
        check(result.returncode == 0, "%s: %r" % (os.path.basename(path), result))
        problem = first_difference(read_png(out),
                                   expected(read_png(reference), [(196, 43, 28)]))
        check(problem is None, "%s, first frame: %s" % (os.path.basename(path), problem))
    check(with_global >= 2, "only %d of the tools' GIFs have a global colour table" % with_global)


# Pillow's GIF of the PNG frames given, in one palette of their colours: argv = GIF, PNGs.
PILLOW_GIF = """
import sys
from PIL import Image
frames = [Image.open(p).convert("RGB") for p in sys.argv[2:]]
colours = sorted({c for f in frames for c in f.getdata()})
index = {c: i for i, c in enumerate(colours)}
out = []
for f in frames:
    p = Image.new("P", f.size)
    p.putpalette([v for c in colours for v in c])
    p.putdata([index[c] for c in f.getdata()])
    out.append(p)
out[0].save(sys.argv[1], save_all=len(out) > 1, append_images=out[1:])
"""


def peak_mib(huesift, *args, **kwargs):
    """Runs huesift in a child of its own and returns the result and its peak memory."""
    probe = ("import resource, subprocess, sys\n"
             "r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)\n"
             "sys.stdout.write('%d %d ' % (r.returncode, "
             "resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss))\n"
             "sys.stdout.flush(); sys.stdout.buffer.write(r.stderr)\n")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["QT_QPA_PLATFORM"] = "xcb"
    out = subprocess.run([sys.executable, "-c", probe, huesift, *args], env=env,
                         capture_output=True, timeout=120, **kwargs).stdout
    code, kib, message = out.split(b" ", 2)
    return int(code), int(kib) / 1024, message.decode(errors="replace")


def hostile_files(huesift, work):
    """Files as a careless script or a hostile input would give them: no output ever replaces
    an input, a device or a file outside --out-dir; special files neither hang nor fill the
    memory; names are bytes; GIF and JPEG are read exactly; one line per failure."""
    red, blue = (196, 43, 28), (6, 69, 173)
    rows = [[WHITE, (0, 0, 0), red], [blue, (0, 0, 0), WHITE]]
    done = expected(rows, [(0, 0, 0)])
    png = encode_png(rows)
    a = os.path.join(work, "a.png")
    write(a, png)
    os.link(a, os.path.join(work, "hard.png"))
    os.symlink("a.png", os.path.join(work, "soft.png"))
    os.makedirs(os.path.join(work, "dir"))
    os.symlink("../a.png", os.path.join(work, "dir", "a.png"))

    # An output that is an input, by name, hard link or symbolic link: a usage error before
    # any work, and the input as it was.
    for args in (["-o", a, a], ["-o", os.path.join(work, "hard.png"), a],
                 ["-o", os.path.join(work, "soft.png"), a], ["-o", a, os.path.join(work, "soft.png")],
                 ["--out-dir", work, a], ["--out-dir", os.path.join(work, "dir"), a],
                 ["--out-dir", os.path.join(work, "new"), a, os.path.join(work, "other", "a.bmp")]):
        result = run(huesift, *args)
        lines = result.stderr.splitlines()
        check(result.returncode == 2 and len(lines) == 2 and lines[0].startswith("huesift: ") and
              lines[1] == "Try 'huesift --help' for more information.",
              "output = input %s: %r" % (args, result))
        with open(a, "rb") as f:
            check(f.read() == png, "output = input %s: the input was changed" % args)
        check(not os.path.exists(os.path.join(work, "new")), "%s: worked before refusing" % args)

    # A link in --out-dir is replaced by the result, never written through out of it.
    victim = os.path.join(work, "victim")
    out = os.path.join(work, "out")
    os.makedirs(victim)
    os.makedirs(out)
    write(os.path.join(victim, "b.png"), b"not yours")
    os.symlink("../victim/b.png", os.path.join(out, "b.png"))
    write(os.path.join(work, "b.png"), png)
    result = run(huesift, "--out-dir", out, os.path.join(work, "b.png"))
    check(result.returncode == 0, "link in --out-dir: %r" % (result,))
    with open(os.path.join(victim, "b.png"), "rb") as f:
        check(f.read() == b"not yours", "the file a link in --out-dir points to was replaced")
    check(not os.path.islink(os.path.join(out, "b.png")) and
          read_png(os.path.join(out, "b.png")) == done, "the link in --out-dir was not replaced")

    # An output that exists and is no regular file is refused and stays what it was: a FIFO,
    # and where mknod is allowed (root) a character device like /dev/null.
    fifo = os.path.join(work, "fifo")
    os.mkfifo(fifo)
    specials = [fifo]
    if os.geteuid() == 0:
        device = os.path.join(work, "nulldev")
        os.mknod(device, 0o666 | stat.S_IFCHR, os.makedev(1, 3))
        specials.append(device)
    else:
        print("not root: the device output (mknod) is left out")
    for special in specials:
        mode = os.stat(special).st_mode
        result = run(huesift, "-o", special, a)
        check(result.returncode == 1 and result.stderr.startswith("huesift: " + a + ": ") and
              "not a regular file" in result.stderr, "-o %s: %r" % (special, result))
        check(os.stat(special).st_mode == mode, "%s was replaced" % special)

    # "-o -" writes to a pipe, "-" reads standard input.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    piped = subprocess.run([huesift, "-o", "-", "-"], input=png, capture_output=True, env=env,
                           timeout=60)
    check(piped.returncode == 0 and decode_png(piped.stdout) == done,
          "-o - from -: exit %d, %r" % (piped.returncode, piped.stderr))

    # Special inputs: a FIFO nobody writes to ends at once, one fed as by <(...) is read; a
    # device is refused at once without reading; a file over the limit is refused by its size.
    started = time.monotonic()
    result = run(huesift, "-o", os.path.join(work, "f.png"), fifo)
    check(result.returncode == 1 and time.monotonic() - started < 20,
          "a FIFO without a writer: %r" % (result,))
    feed_r, feed_w = os.pipe()
    feeder = threading.Thread(target=lambda: (os.write(feed_w, png), os.close(feed_w)))
    feeder.start()
    fed = subprocess.run([huesift, "-o", os.path.join(work, "fed.png"), "/dev/fd/%d" % feed_r],
                         pass_fds=[feed_r], capture_output=True, env=env, timeout=60)
    feeder.join()
    os.close(feed_r)
    check(fed.returncode == 0 and read_png(os.path.join(work, "fed.png")) == done,
          "a pipe as input: %r" % (fed,))
    sparse = os.path.join(work, "sparse.png")
    with open(sparse, "wb") as f:
        f.write(png)
        f.truncate(600 << 20)
    for source, reason in (("/dev/zero", "not a regular file"), (sparse, "larger than 512 MiB")):
        code, mib, message = peak_mib(huesift, "-o", os.path.join(work, "z.png"), source)
        check(code == 1 and reason in message and mib < 100,
              "%s: exit %d, %d MiB, %r" % (source, code, mib, message))

    # A stream stops at the limit: 600 MiB through standard input.
    endless = subprocess.Popen(["head", "-c", "600M", "/dev/zero"], stdout=subprocess.PIPE)
    code, mib, message = peak_mib(huesift, "-o", os.path.join(work, "z.png"), "-",
                                  stdin=endless.stdout)
    endless.stdout.close()
    endless.wait()
    check(code == 1 and "larger than 512 MiB" in message and mib < 700,
          "600 MiB on standard input: exit %d, %d MiB, %r" % (code, mib, message))

    # Names are bytes: a Latin-1 name is read, and the output has exactly the name given.
    latin = os.path.join(work, "lat\udce9.png").encode(errors="surrogateescape")
    write(latin, png)
    result = run(huesift, "-o", os.path.join(work, "r\udce9sult.png").encode(errors="surrogateescape"),
                 latin)
    check(result.returncode == 0, "a Latin-1 name: %r" % (result,))
    check(b"r\xe9sult.png" in os.listdir(work.encode()), "the output's name was changed: %r"
          % os.listdir(work.encode()))

    # One line per failure, a line break in a name escaped.
    broken = os.path.join(work, "two\nlines.png")
    write(broken, png[:20])
    result = run(huesift, "--out-dir", os.path.join(work, "broken"), broken)
    check(result.returncode == 1 and len(result.stderr.splitlines()) == 1 and
          "two\\nlines.png" in result.stderr, "a name with a line break: %r" % result.stderr)

    # GIF: the first frame, exactly.
    second = [[(0, 0, 0)] * 3, [(0, 0, 0)] * 3]
    write(os.path.join(work, "anim.gif"), encode_gif([rows, second]))
    result = run(huesift, "-o", os.path.join(work, "gif.png"), os.path.join(work, "anim.gif"))
    check(result.returncode == 0 and read_png(os.path.join(work, "gif.png")) == done,
          "GIF: %r" % (result,))

    # TGA has no signature: Qt's reader is found by the name, and a cut file still refused.
    pixels = b"".join(bytes((b, g, r)) for row in rows for (r, g, b) in row)
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 3, 2, 24, 0x20)
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"
    write(os.path.join(work, "t.tga"), header + pixels + footer)
    write(os.path.join(work, "cut.tga"), header + pixels[:-4])
    result = run(huesift, "--out-dir", os.path.join(work, "tga"), os.path.join(work, "t.tga"),
                 os.path.join(work, "cut.tga"))
    check(result.returncode == 1 and
          result.stderr.startswith("huesift: " + os.path.join(work, "cut.tga")) and
          read_png(os.path.join(work, "tga", "t.png")) == done, "TGA: %r" % (result,))

    # JPEG: decoded once, to ImageMagick's pixels, in at most three times the raster's memory.
    magick = shutil.which("convert-im6.q16") or shutil.which("convert-im7.q16")
    if not magick:
        print("ImageMagick is not installed: the JPEG case is left out")
        return
    jpeg = os.path.join(work, "big.jpg")
    subprocess.run([magick, "-size", "8192x8192", "xc:#C42B1C", "-quality", "90",
                    jpeg], check=True)
    code, mib, message = peak_mib(huesift, "--white-to", "FFF4CE", "-o",
                                  os.path.join(work, "big.png"), jpeg)
    check(code == 0 and mib <= 3 * 256, "8192 x 8192 JPEG: exit %d, %d MiB, %r" % (code, mib, message))
    small = os.path.join(work, "small.jpg")
    subprocess.run([magick, "-size", "61x47", "plasma:", "-quality", "80", small], check=True)
    result = run(huesift, "--white-to", "FFF4CE", "-o", os.path.join(work, "small.png"), small)
    reference = os.path.join(work, "reference.png")
    subprocess.run([magick, small, "-fill", "#FFF4CE", "-opaque", "#FFFFFF", reference], check=True)
    problem = first_difference(read_png(os.path.join(work, "small.png")), read_png(reference))
    check(result.returncode == 0 and problem is None, "JPEG against ImageMagick: %s" % problem)


def interrupted_runs_leave_nothing(huesift, work):
    """A run stopped while it writes (Ctrl+C, kill) removes its temporary files before it
    ends; one killed outright leaves them, and the next run into that folder removes those,
    and nothing else."""
    inputs = []
    # Random pixels: large, so a run spends much of its time writing.
    data = encode_png_bytes(1600, 1200, os.urandom(1600 * 1200 * 3))
    for i in range(16):
        path = os.path.join(work, "noise-%d.png" % i)
        write(path, data)
        inputs.append(path)
    out = os.path.join(work, "out")

    def temporaries():
        return sorted(n for n in os.listdir(out) if n.startswith(".huesift-")) \
            if os.path.isdir(out) else []

    caught = 0
    for attempt, sig in enumerate([signal.SIGTERM, signal.SIGINT] * 4):
        shutil.rmtree(out, ignore_errors=True)
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        process = subprocess.Popen([huesift, "--reverse", "--out-dir", out, *inputs], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while process.poll() is None and not temporaries():
            pass
        if process.poll() is not None:
            continue  # done before a file was seen half-written: try again
        process.send_signal(sig)
        code = process.wait(timeout=60)
        if code == 0:
            continue  # it had just written its last picture when the signal came
        check(code == -sig, "run %d ended with %s after signal %d" % (attempt, code, sig))
        check(temporaries() == [], "left after signal %d: %s" % (sig, temporaries()))
        caught += 1
        if caught >= 2:
            break
    check(caught >= 2, "only %d of 8 runs were stopped while they wrote" % caught)

    # What a killed run leaves, beside what must stay: files of a process that runs (PID 1),
    # names that only look alike, a link, the user's own file.
    dead = subprocess.Popen(["true"])
    dead.wait()
    # The last stopped run may have finished pictures before its signal came.
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    stale = ".huesift-%d-3-k9z.tmp" % dead.pid
    kept = [".huesift-1-0-abc.tmp", ".huesift-%d-3-k9z.tmp.bak" % dead.pid,
            "huesift-%d-3-k9z.tmp" % dead.pid, ".huesift-%d-x-k9z.tmp" % dead.pid, "mine.png",
            ".huesift-%d-4-k9z.tmp" % dead.pid]
    for name in [stale] + kept[:-1]:
        write(os.path.join(out, name), b"left")
    os.symlink("mine.png", os.path.join(out, kept[-1]))
    result = run(huesift, "--out-dir", out, inputs[0])
    check(result.returncode == 0, "the run after a killed one: %r" % result)
    left = sorted(os.listdir(out))
    check(left == sorted(kept + ["noise-0.png"]), "after the next run: %s" % left)


def replaced_files_keep_their_rights(huesift, work):
    """A replaced output keeps its permissions (a private picture stays private), and a file
    its owner may not write is left as it is. Root may write anything, so as root the program
    runs as a throw-away user."""
    rows = [[WHITE, (0, 0, 0)], [(196, 43, 28), (0, 0, 0)]]
    user = None
    place = work
    if os.geteuid() == 0:
        if not all(shutil.which(t) for t in ("useradd", "userdel", "runuser")):
            print("useradd or runuser is missing: the permission checks are left out")
            return False
        # Where the user can reach the program: the build may lie in root's own folders.
        place = tempfile.mkdtemp(prefix="huesift-rights.", dir="/var/tmp")
        os.chmod(place, 0o755)
        user = "hsrt" + os.urandom(4).hex()
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", place,
                        "--shell", "/usr/sbin/nologin", "--user-group", user], check=True)
    try:
        program = os.path.join(place, "huesift")
        if user:
            shutil.copy2(huesift, program)
        folder = os.path.join(place, "pictures")
        os.mkdir(folder, 0o755)
        picture, private, locked = (os.path.join(folder, n)
                                    for n in ("in.png", "private.png", "locked.png"))
        write(picture, encode_png(rows))
        for path, mode in ((private, 0o600), (locked, 0o444)):
            write(path, b"the user's earlier file")
            os.chmod(path, mode)
        if user:
            ids = pwd.getpwnam(user)
            for path in (folder, picture, private, locked):
                os.chown(path, ids.pw_uid, ids.pw_gid)

        def as_user(*args):
            argv = ["runuser", "-u", user, "--", program] if user else [huesift]
            return subprocess.run([*argv, *args], capture_output=True, text=True, timeout=120,
                                  env=dict(os.environ, QT_QPA_PLATFORM="xcb"))
        result = as_user("-o", private, picture)
        check(result.returncode == 0, "replacing a private file: %r" % result)
        check(stat.S_IMODE(os.stat(private).st_mode) == 0o600,
              "the replaced file's mode is %o, not 600" % stat.S_IMODE(os.stat(private).st_mode))
        check(read_png(private) == expected(rows, [(0, 0, 0)]), "the replaced file's picture")
        result = as_user("-o", locked, picture)
        check(result.returncode == 1 and len(result.stderr.splitlines()) == 1,
              "writing over a read-only file: %r" % result)
        with open(locked, "rb") as f:
            check(f.read() == b"the user's earlier file", "a read-only file was overwritten")
        check(sorted(os.listdir(folder)) == ["in.png", "locked.png", "private.png"],
              "left in the folder: %s" % os.listdir(folder))
    finally:
        if user:
            subprocess.run(["userdel", user], check=False)
            shutil.rmtree(place, ignore_errors=True)


PARTS = {part.__name__: part for part in (
    command_line_contract, options_against_rules, failures_are_reported_and_the_rest_done,
    same_pixels_as_imagemagick, hostile_files, interrupted_runs_leave_nothing,
    replaced_files_keep_their_rights)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--part", choices=sorted(PARTS), action="append",
                        help="run only this part (again for more); all of them without it")
    args = parser.parse_args()
    ran = False
    with tempfile.TemporaryDirectory() as work:
        for name in args.part or PARTS:
            folder = os.path.join(work, name)
            os.makedirs(folder)
            part = PARTS[name]
            if part in (options_against_rules, same_pixels_as_imagemagick):
                done = part(args.huesift, folder, random.Random(20261208))
            else:
                done = part(args.huesift, folder)
            ran = ran or done is not False
    if not ran:
        sys.exit(77)  # every part asked for was left out: skipped, not passed
    print("PASS")


if __name__ == "__main__":
    main()
