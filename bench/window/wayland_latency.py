# SPDX-License-Identifier: GPL-3.0-or-later
"""How long the window keeps its user waiting for the clipboard on Wayland: Huesift on Qt's
Wayland platform in a headless sway (the end-to-end tests' session, run as a throw-away user,
so it needs root), driven from outside by a virtual pointer. Paste of a 3840x2160
screenshot-like PNG held by wl-copy, from the button's release over Paste until the picture
shows on the screen (read with grim), and Copy, from the release over Copy until wl-paste
holds the whole PNG. Prints medians of REPEATS runs beside each figure's target, as
window_latency.sh does for X11.
  python3 bench/window/wayland_latency.py --huesift build/huesift \\
      --pointer build/tests/e2e/e2e_virtual_pointer [--repeats 5]"""

import os
import random
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# The session's pieces live with the end-to-end tests; the throw-away user finds them copied
# beside this script.
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

from harness import CAPTURE_BUTTON, PICTURE_ORIGIN, encode_png_bytes  # noqa: E402
from harness import wait_for as wait_closely  # noqa: E402
from wayland_session import (Desktop, Huesift, Pointer, arguments,  # noqa: E402
                             changed_box, run_as_session_user, wait_for)

WIDTH, HEIGHT = 3840, 2160
GIVE_UP_S = 20


def screenshot_like(seed):
    """Light rows, and lines of dark "text" runs in a few colours, as a screen shows them."""
    rng = random.Random(seed)
    light = bytes((240, 240, 236)) * WIDTH
    lines = []
    for _ in range(24):
        row = bytearray(light)
        x = rng.randrange(40)
        while x < WIDTH - 12:
            run = rng.randrange(2, 9)
            colour = rng.choice(((20, 20, 20), (40, 60, 160), (170, 30, 30)))
            row[x * 3:(x + run) * 3] = bytes(colour) * run
            x += run + rng.randrange(1, 14)
        lines.append(bytes(row))
    rows = [lines[rng.randrange(len(lines))] if (y // 9) % 3 else light for y in range(HEIGHT)]
    return encode_png_bytes(WIDTH, HEIGHT, b"".join(rows))


def choose(app, press_at, item, then):
    """Right-presses at press_at, waits for the menu, goes to its first item (item: its
    offset from the press, or None: from the corner of what changed) and lets go; then() is
    timed from the release. Its seconds, or None."""
    desktop, pointer = app.desktop, app.pointer
    pointer.move(press_at)
    time.sleep(0.3)
    before = desktop.screen()
    pointer.send("press 3")
    wait_for("the menu", lambda: desktop.screen() != before)
    time.sleep(0.2)
    if item is None:
        menu = changed_box(before, desktop.screen())
        pointer.move((menu[0] + 25, menu[1] + 10))
    else:
        pointer.move((press_at[0] + item[0], press_at[1] + item[1]))
    time.sleep(0.2)
    t0 = time.monotonic()
    pointer.send("release 3")
    # Looked at as often as the reads allow: the session's usual tenth of a second between
    # looks would count up to as much again into each figure.
    done = wait_closely("the result", then, timeout=GIVE_UP_S, interval=0.002, quiet=True)
    return time.monotonic() - t0 if done else None


def report(what, seconds, target_ms):
    ms = [s * 1000 for s in seconds]
    median = statistics.median(ms)
    print("  %-48s %7.1f ms   target <= %3.0f ms  %s   (runs: %s)" % (
        what, median, target_ms, "met" if median <= target_ms else "MISSED",
        " ".join("%.0f" % m for m in ms)))


def bench(args, repeats):
    rows = [[(230, 230, 230)] * 1280 for _ in range(800)]
    with Desktop(args) as desktop:
        desktop.start(rows)
        pointer = Pointer(desktop)
        app = Huesift(desktop, pointer, "wayland")
        pictures = [screenshot_like(1), screenshot_like(2)]
        x0, y0 = app.at(PICTURE_ORIGIN)

        def shown():
            # A strip of the picture below any menu: grim reads it far quicker than the screen.
            return desktop.tool("grim", "-t", "ppm", "-g", "%d,%d 1000x100" % (x0 + 1, y0 + 400),
                                "-").stdout
        paste, copy = [], []
        time.sleep(1)  # the window idle, as a user leaves it before the first paste
        for r in range(repeats):
            owner = desktop.offer_png(pictures[r % 2])
            before = shown()
            took = choose(app, app.at(CAPTURE_BUTTON), (25, 41 + 10 - 11),
                          lambda: shown() != before)
            if took is None:
                sys.exit("Paste: nothing shown within %d s" % GIVE_UP_S)
            paste.append(took)
            desktop.stop(owner)
            # wl-copy stays behind to serve the text; its output is not waited for.
            subprocess.run(["wl-copy", "--type", "text/plain", "not a picture"], env=desktop.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            time.sleep(0.5)

            def copied():
                data = desktop.tool("wl-paste", "--no-newline", "--type", "image/png",
                                    check_rc=False).stdout
                return data.startswith(b"\x89PNG") and data.endswith(b"IEND\xaeB`\x82")
            on_picture = app.at((PICTURE_ORIGIN[0] + 200, PICTURE_ORIGIN[1] + 200))
            took = choose(app, on_picture, None, copied)
            if took is None:
                sys.exit("Copy: wl-paste got no PNG within %d s" % GIVE_UP_S)
            copy.append(took)
            time.sleep(0.5)
        app.quit()
    print("Wayland (headless sway), from outside the program (pointer release to pixels read "
          "with grim, or to the bytes wl-paste holds), %dx%d picture, medians of %d runs:"
          % (WIDTH, HEIGHT, repeats))
    report("Paste (Capture's menu) until painted", paste, 100)
    report("Copy (the picture's menu) until wl-paste holds it", copy, 150)


def main():
    args = arguments()
    repeats = int(os.environ.get("HUESIFT_BENCH_REPEATS", "5"))
    if not args.inner:
        run_as_session_user(args, __file__)  # exits with the run's status
    bench(args, repeats)


if __name__ == "__main__":
    main()
