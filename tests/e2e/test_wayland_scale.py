# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture on a Wayland desktop at fractional and whole scales, and on outputs of mixed
scale: headless sway with one output, 1920x1200 at 1.25, 1.5 and 2 and 1680x1050 at 1.75,
Huesift on Qt's Wayland platform (which draws at 2 for all, so below 2 the compositor shrinks
what it draws), driven by a virtual pointer in screen pixels (the session is set up by
wayland_session.py, as a throw-away user: the test needs root and skips without); then two
outputs side by side at 2 and 1, the main window started on each in turn.

At each scale the overlay shows the screen one still pixel per screen pixel, as grim reads the
output while the overlay is up; a rectangle dragged over it comes back through the clipboard
pixel for pixel as the output showed it (grim -o), and the main window shows it one picture
pixel per screen pixel."""

import math
import os
import time

from harness import PICTURE_ORIGIN, check, first_difference, pattern_colour
from wayland_session import (Desktop, Huesift, Pointer, check_picture_shown, session_test_main,
                             steady, wait_for)

MODE = (1920, 1200)
# Each scale with the output's mode. At 1.75 a 1920x1200 output would be 1097.14 logical
# pixels wide: sway cuts that to 1097 and then blends everything it draws on that output, its
# own background too, so no program can be shown one to one there. 1680x1050 is 960x600.
SCALES = ((1.25, MODE), (1.5, MODE), (1.75, (1680, 1050)), (2, MODE))
# The dragged rectangle, screen pixels, right and bottom exclusive: inside the background's
# pattern at both scales, and at odd places that a rounded scale would miss.
LEFT, TOP, RIGHT, BOTTOM = 301, 211, 760, 502


def step(what):
    print("- " + what, flush=True)


def device(length, scale):
    """A logical length on the screen, rounded to screen pixels as the picture rounds it."""
    return int(math.copysign(math.floor(abs(length) * scale + 0.5), length))


def logical_width(output):
    return int(output["mode"][0] / output["scale"])


def steady_screen(desktop):
    """The output once two reads in a row agree (the background is drawn anew on a rescale),
    after the pointer has rested long enough for sway to hide it."""
    time.sleep(0.5)
    return steady(desktop.screen)


def capture_at(desktop, pointer, copy=True):
    """Huesift started on the desktop's current output: the overlay one to one with the
    output, a capture exact (through the clipboard when copy), the picture shown one to one;
    then it quits."""
    output = desktop.outputs[desktop.current]
    scale = output["scale"]
    screen = steady_screen(desktop)
    want = [[screen.pixel(x, y) for x in range(LEFT, RIGHT)] for y in range(TOP, BOTTOM)]
    check(len({p for row in want for p in row}) > 1000,
          "the background shows too little pattern where the rectangle is dragged")
    app = Huesift(desktop, pointer, "wayland")
    check(app.origin[0] >= output["origin"][0] and
          app.origin[0] < output["origin"][0] + logical_width(output),
          "the main window is not on %s" % desktop.current)
    overlay = app.begin_capture()
    # sway cuts a logical size to whole pixels.
    logical = (int(output["mode"][0] / scale), int(output["mode"][1] / scale))
    check((overlay["rect"]["width"], overlay["rect"]["height"]) == logical,
          "the overlay does not cover the screen: %s" % overlay["rect"])
    # One still pixel per screen pixel, lined up with the screen: while it is up, the output
    # reads exactly as it did before: the same pixels, so the overlay is given time to draw
    # and take the pointer first. A busy machine may take a while to draw it.
    time.sleep(0.5)
    shown = wait_for("the still on the overlay, one to one", lambda: desktop.screen() == screen,
                     quiet=True)
    if not shown:
        with open(os.path.join(desktop.dir, "expected-screen.ppm"), "wb") as f:
            f.write(b"P6 %d %d 255\n" % (screen.width, screen.height) + screen.data)
        now = desktop.screen()
        wrong = [(x, y) for y in range(now.height) for x in range(now.width)
                 if now.pixel(x, y) != screen.pixel(x, y)]
        box = wrong and (min(w[0] for w in wrong), min(w[1] for w in wrong),
                         max(w[0] for w in wrong) + 1, max(w[1] for w in wrong) + 1)
        check(False, "at scale %s the overlay differs from the screen in %d pixels within %s"
              % (scale, len(wrong), box))
    app.drag_on_overlay((LEFT, TOP), (RIGHT, BOTTOM))

    if copy:
        problem = first_difference(app.copy(), want)
        check(problem is None, "captured on %s at scale %s: %s" % (desktop.current, scale, problem))

    # The picture is shown one picture pixel per screen pixel from its corner's screen pixel,
    # below the strip over its top row.
    x0 = device(app.origin[0] - output["origin"][0] + PICTURE_ORIGIN[0], scale)
    y0 = device(app.origin[1] - output["origin"][1] + PICTURE_ORIGIN[1], scale)
    check_picture_shown(desktop, (x0, y0), want, 2, "at scale %s the picture" % scale)
    check(app.messages() == [], "messages shown: %s" % app.messages())
    app.quit()
    wait_for("the main window gone", lambda: not desktop.window("Huesift"))


def test(args):
    rows = [[pattern_colour(x, y) for x in range(MODE[0])] for y in range(MODE[1])]
    with Desktop(args, "one-output") as desktop:
        desktop.start(rows, mode=SCALES[0][1], scale=SCALES[0][0])
        pointer = Pointer(desktop)
        for scale, mode in SCALES:
            step("scale %s on %dx%d" % ((scale,) + mode))
            desktop.set_scale(scale, mode)
            capture_at(desktop, pointer)

    # Two outputs side by side, a laptop's panel at 2 and a monitor at 1: the portal gives the
    # whole desktop at 2 only, the monitor's part smoothed.
    panel = [[pattern_colour(x, y) for x in range(1280)] for y in range(800)]
    monitor = [[pattern_colour(x + 7, y + 3) for x in range(1280)] for y in range(800)]
    with Desktop(args, "two-outputs") as desktop:
        desktop.start(panel, mode=(2560, 1600), scale=2, second=((1280, 800), 1, monitor))
        pointer = Pointer(desktop)
        for name in ("HEADLESS-2", "HEADLESS-1"):
            step("the main window on %s" % name)
            desktop.tool("swaymsg", "focus output %s" % name)
            desktop.current = name
            # The picture's menu on a second Wayland output opens away from the pointer (Qt
            # places pop-ups by window positions that Wayland does not tell), so the capture
            # is checked as the main window shows it, pixel for pixel, not through Copy.
            capture_at(desktop, pointer, copy=False)
    print("PASS: at Wayland scales 1.25, 1.5, 1.75 and 2, and on each of two outputs at 2 and "
          "1, the overlay shows the output one to one and a capture is the output's pixels, "
          "shown one picture pixel per screen pixel")


if __name__ == "__main__":
    session_test_main(test)
