# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture on a real Wayland desktop: headless sway with the freedesktop screenshot portal,
Huesift on Qt's Wayland platform, driven by a virtual pointer (the session is set up by
wayland_session.py, as a throw-away user: the test needs root and skips without).

The desktop's background is a known pattern. A rectangle dragged over the overlay comes back
through the clipboard pixel for pixel, and the main window shows it one picture pixel per
screen pixel. Then the portal is stopped: Capture shows one message, and the picture is the
one from before; with the portal back, capture works again. Last, Huesift runs as an X11
program on the desktop's XWayland, whose X server shows it none of the desktop, and captures
through the portal all the same."""

import os
import time

# The harness and the session lie beside this file, also where the throw-away user runs it.
from harness import CAPTURE_BUTTON, PICTURE_ORIGIN, check, first_difference, pattern_colour
from wayland_session import (OUTPUT, Desktop, Huesift, Pointer, check_picture_shown,
                             session_test_main, user_files, wait_for)

# The captured rectangle, screen pixels, right and bottom exclusive.
LEFT, TOP, RIGHT, BOTTOM = 211, 143, 517, 337


def step(what):
    """Where the test has got to, for the log of a failed run."""
    print("- " + what, flush=True)


def capture(app, start=(LEFT, TOP), end=(RIGHT, BOTTOM)):
    overlay = app.begin_capture()
    check(overlay["rect"]["width"] == OUTPUT[0] and overlay["rect"]["height"] == OUTPUT[1],
          "the overlay does not cover the screen: %s" % overlay["rect"])
    # The overlay shows the still one pixel per screen pixel, lined up with the screen
    # (the same picture as the background, so the overlay is given time to draw).
    time.sleep(0.5)
    desktop = app.desktop
    wait_for("the still on the overlay", lambda: desktop.screen() == desktop.background)
    app.drag_on_overlay(start, end)


def check_shown(app, picture):
    """Shown one picture pixel per screen pixel (once the menu that Copy came from has
    gone)."""
    check_picture_shown(app.desktop, app.at(PICTURE_ORIGIN), picture, 1)


def user_files_and_out(desktop):
    """The user's files, and whether the file that sway's portal writes for every call is
    there."""
    found = user_files(desktop.env["HOME"])
    found["/tmp/out.png"] = os.path.exists("/tmp/out.png")
    return found


def test(args):
    rows = [[pattern_colour(x, y) for x in range(OUTPUT[0])] for y in range(OUTPUT[1])]
    want = [row[LEFT:RIGHT] for row in rows[TOP:BOTTOM]]
    with Desktop(args) as desktop:
        desktop.start(rows)
        # What the portal will be asked for: the background as grim sees it.
        wait_for("the background pattern on the screen",
                 lambda: desktop.screen() == desktop.background)
        pointer = Pointer(desktop)
        # Pictures the user already had where desktops' portals write theirs.
        home = desktop.env["HOME"]
        os.makedirs(os.path.join(home, "Pictures"), exist_ok=True)
        for path in (os.path.join(home, "Screenshot.png"),
                     os.path.join(home, "Pictures", "Screenshot_20261210_101010.png")):
            with open(path, "wb") as f:
                f.write(b"the user's own picture")
        files_before = user_files_and_out(desktop)

        step("Huesift on Wayland: capture")
        app = Huesift(desktop, pointer, "wayland")
        capture(app)
        problem = first_difference(app.copy(), want)
        check(problem is None, "captured on Wayland: %s" % problem)
        check_shown(app, want)
        check(app.messages() == [], "messages shown: %s" % app.messages())

        step("no portal: one message, the picture kept")
        desktop.stop_portal()
        pointer.click(app.at(CAPTURE_BUTTON))
        text = "Screen capture is not available: the screenshot portal is not running"
        wait_for("the message", lambda: app.messages() == [text])
        check(app.answer_message(), "the message box could not be closed")
        check(desktop.window("Huesift", "con") is not None, "the main window is not back")
        problem = first_difference(app.copy(), want)
        check(problem is None, "after the failed capture: %s" % problem)

        step("the portal back: capture up and to the left")
        desktop.start_portal()
        capture(app, start=(RIGHT, BOTTOM), end=(LEFT, TOP))
        problem = first_difference(app.copy(), want)
        check(problem is None, "captured up-left once the portal is back: %s" % problem)
        step("eight captures more: no file left behind")
        for n in range(8):
            capture(app, start=(LEFT + n, TOP), end=(RIGHT, BOTTOM - n))
        check(app.process.poll() is None, "huesift ended")
        app.quit()
        files_after = user_files_and_out(desktop)
        check(files_after == files_before, "files left or changed after ten captures: %s" % sorted(
            set(files_after.items()) ^ set(files_before.items())))

        step("Huesift on XWayland: capture")
        # An X11 program on the Wayland desktop: the X server shows it none of the desktop's
        # own windows, and the still comes from the portal all the same.
        app = Huesift(desktop, pointer, "xcb")
        capture(app, start=(LEFT + 40, TOP + 30), end=(RIGHT + 40, BOTTOM + 30))
        want = [row[LEFT + 40:RIGHT + 40] for row in rows[TOP + 30:BOTTOM + 30]]
        problem = first_difference(app.copy(), want)
        check(problem is None, "captured on XWayland: %s" % problem)
        check_shown(app, want)
        check(app.messages() == [], "messages shown on XWayland: %s" % app.messages())
        app.quit()
    print("PASS: Wayland capture through the portal pixel for pixel; without the portal one "
          "message and the picture kept; with it back, capture again; the same on XWayland")


if __name__ == "__main__":
    session_test_main(test)
