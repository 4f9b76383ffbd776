# SPDX-License-Identifier: GPL-3.0-or-later
"""The Wayland clipboard never takes the window hostage: Huesift on Qt's Wayland platform in
a headless sway (set up by wayland_session.py as a throw-away user: the test needs root and
skips without), driven by a virtual pointer, the clipboard's other side played by wl-copy and
wl-paste.

One session walks through what a clipboard peer can do to the window:
- an owner that never sends (wl-copy stopped): the paste says the owner did not answer, and
  the window answers meanwhile;
- an owner that sends slowly (20 KB every 0.8 s, wl-copy serving through a slow "cat" of
  ours): the window answers meanwhile, a second Paste chosen then reads nothing more, and the
  picture arrives exact; Stop abandons another such paste;
- a reader that stops reading after Copy: the window answers, and the next reader gets the
  whole PNG meanwhile.
"Answers" is measured from outside: a right-press on Capture has its menu on the screen."""

import os
import random
import signal
import subprocess
import time

from harness import CAPTURE_BUTTON, PICTURE_ORIGIN, check, encode_png, first_difference
from wayland_session import (OUTPUT, Desktop, Frame, Huesift, Pointer, session_test_main, wait_for)

# How long a right-press may wait for its menu while the clipboard is busy: the window
# answers at once; the screenshots that see the menu take their time on a loaded machine.
ANSWER_BOUND_S = 1.5
STOP_BUTTON = (86 + 17, 2 + 11)
OWNER_SILENT = "The program that holds the clipboard did not answer"

# wl-copy serves each paste with "cat FILE"; ours sends FILE 20 KB at a time, every 0.8 s, and
# notes each paste it serves. Without a file it copies its input as cat does.
SLOW_CAT = """#!/usr/bin/python3
import shutil, sys, time
if len(sys.argv) < 2:
    shutil.copyfileobj(sys.stdin.buffer, sys.stdout.buffer)
    sys.exit()
data = open(sys.argv[1], "rb").read()
with open(%r, "a", buffering=1) as log:
    log.write("served\\n")
    try:
        for i in range(0, len(data), 20000):
            sys.stdout.buffer.write(data[i:i + 20000])
            sys.stdout.buffer.flush()
            time.sleep(0.8)
    except BrokenPipeError:
        log.write("cut off\\n")
"""


def step(what):
    print("- " + what, flush=True)


def noise(width, height, seed):
    """A picture that PNG cannot make much smaller."""
    rng = random.Random(seed)
    return [[tuple(rng.randrange(256) for _ in range(3)) for _ in range(width)]
            for _ in range(height)]


def menu_box(before, after, top):
    """Where a menu below the toolbar (rows from top on) changed the screen, or None."""
    rows = [y for y in range(top, before.height) if before.row(y) != after.row(y)]
    if not rows:
        return None
    cols = [x for y in rows for x in range(before.width) if before.pixel(x, y) != after.pixel(x, y)]
    return min(cols), rows[0], max(cols) + 1, rows[-1] + 1


def choose_paste(app):
    """Right-presses Capture, waits for its menu and chooses Paste on it; the seconds from
    the press until the menu was on the screen."""
    desktop, pointer = app.desktop, app.pointer
    pointer.move(app.at(CAPTURE_BUTTON))
    time.sleep(0.3)  # the pointer hidden again, out of the screenshots
    before = desktop.screen()
    # The menu opens 41 pixels below the button's top; the pressed button changes too.
    top = app.at((0, CAPTURE_BUTTON[1] - 11 + 41))[1]
    pressed = time.monotonic()
    pointer.send("press 3")
    wait_for("Capture's menu", lambda: menu_box(before, desktop.screen(), top), timeout=60)
    answered = time.monotonic() - pressed
    time.sleep(0.2)
    menu = menu_box(before, desktop.screen(), top)
    # Paste is the menu's first item.
    pointer.move((menu[0] + 25, menu[1] + 10))
    time.sleep(0.1)
    shown = desktop.screen()
    pointer.send("release 3")

    def region(frame):
        return [frame.row(y, menu[0], menu[2]) for y in range(menu[1], menu[3])]
    # Closed: its place shows what lies under it (the picture, which a paste may change).
    wait_for("the menu to close", lambda: region(desktop.screen()) != region(shown))
    return answered


def wait_shown(app, picture, timeout):
    """Waits until the window shows picture (a few of its rows, one pixel per screen pixel)."""
    x0, y0 = app.at(PICTURE_ORIGIN)
    width = len(picture[0])
    wait_for("the pasted picture shown", lambda: all(
        app.desktop.screen().row(y0 + y, x0 + 1, x0 + width) == Frame.of([picture[y][1:]]).data
        for y in (10, len(picture) - 2)), timeout=timeout)


def test(args):
    rows = [[(230, 230, 230)] * OUTPUT[0] for _ in range(OUTPUT[1])]
    with Desktop(args) as desktop:
        desktop.start(rows)
        pointer = Pointer(desktop)
        app = Huesift(desktop, pointer, "wayland")

        step("an owner that never sends: the owner's message, the window answering")
        owner = desktop.offer_png(encode_png(noise(40, 30, 1)))
        owner.send_signal(signal.SIGSTOP)
        started = time.monotonic()
        choose_paste(app)
        time.sleep(0.5)
        waited = choose_paste(app)
        print("  a right-press waited %.3f s during the paste" % waited)
        check(waited < ANSWER_BOUND_S, "the window waited %.1f s for the stalled owner" % waited)
        wait_for("the message", lambda: app.messages(), timeout=30)
        took = time.monotonic() - started
        check(app.messages() == [OWNER_SILENT], "messages shown: %s" % app.messages())
        check(3 < took < 15, "the owner's time-out ended the paste after %.1f s" % took)
        check(app.answer_message(), "the message box could not be closed")
        owner.send_signal(signal.SIGCONT)
        desktop.stop(owner)

        step("an owner that sends slowly: the window answers, one read, the picture exact")
        slow = os.path.join(desktop.dir, "slow")
        os.makedirs(slow, exist_ok=True)
        served = os.path.join(desktop.dir, "served.log")
        with open(os.path.join(slow, "cat"), "w") as f:
            f.write(SLOW_CAT % served)
        os.chmod(os.path.join(slow, "cat"), 0o755)
        # About 150 KB: six seconds on the way, longer than the owner's time-out.
        slowly = noise(250, 200, 2)
        owner = desktop.offer_png(encode_png(slowly), path=slow)
        choose_paste(app)
        time.sleep(0.5)
        # Chosen while the first still reads: answered at once, and nothing read twice.
        waited = choose_paste(app)
        print("  a right-press waited %.3f s during the slow paste" % waited)
        check(waited < ANSWER_BOUND_S, "the window waited %.1f s for the slow owner" % waited)
        wait_shown(app, slowly, timeout=20)
        problem = first_difference(app.copy(), slowly)
        check(problem is None, "the slowly sent picture: %s" % problem)
        with open(served) as f:
            reads = f.read().count("served")
        check(reads == 1, "the slow owner was read %d times" % reads)
        check(app.messages() == [OWNER_SILENT], "messages shown: %s" % app.messages())
        desktop.stop(owner)

        step("Stop abandons a slow paste: the reader let go, the picture kept")
        owner = desktop.offer_png(encode_png(noise(250, 200, 4)), path=slow)
        choose_paste(app)
        time.sleep(0.5)
        pointer.click(app.at(STOP_BUTTON))
        wait_for("the slow owner cut off", lambda: "cut off" in open(served).read())
        wait_shown(app, slowly, timeout=1)
        check(app.messages() == [OWNER_SILENT], "messages shown: %s" % app.messages())
        desktop.stop(owner)

        step("a reader that stops reading after Copy: the window answers, the next reader "
             "gets the whole PNG")
        large = noise(320, 240, 3)  # about 230 KB: more than two pipes hold
        owner = desktop.offer_png(encode_png(large))
        choose_paste(app)
        wait_shown(app, large, timeout=10)
        problem = first_difference(app.copy(), large)
        check(problem is None, "the pasted picture: %s" % problem)
        desktop.stop(owner)
        copied = desktop.tool("wl-paste", "--no-newline", "--type", "image/png").stdout
        stalled = subprocess.Popen(["sh", "-c", "wl-paste --type image/png | sleep 30"],
                                   env=desktop.env, start_new_session=True)
        try:
            time.sleep(1)
            check(stalled.poll() is None, "the stalled reader ended")
            waited = choose_paste(app)
            print("  a right-press waited %.3f s beside a stalled reader" % waited)
            check(waited < ANSWER_BOUND_S,
                  "the window waited %.1f s for a reader that stopped" % waited)
            again = desktop.tool("wl-paste", "--no-newline", "--type", "image/png").stdout
            check(again == copied, "the next reader got %d bytes of %d" %
                  (len(again), len(copied)))
        finally:
            os.killpg(stalled.pid, signal.SIGKILL)
            stalled.wait()
        problem = first_difference(app.copy(), large)
        check(problem is None, "after the stalled reader: %s" % problem)
        check(app.process.poll() is None, "huesift ended")
        check(app.messages() == [OWNER_SILENT], "messages shown: %s" % app.messages())
        app.quit()
    print("PASS: a stalled owner gets its message with the window answering; a slow owner's "
          "picture arrives exact, read once, with the window answering; Stop abandons such a "
          "paste; a stalled reader "
          "after Copy costs the window nothing and the next reader gets the whole PNG")


if __name__ == "__main__":
    session_test_main(test)
