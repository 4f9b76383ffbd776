# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture a rectangle of a known pattern on a real X display, Copy it, and compare the
clipboard's PNG with the pattern pixel by pixel; the same rectangle dragged up and to the left
must give the same picture, and Escape during a drag must leave the picture as it was.
Then the same as an X11 program on a Wayland desktop, whose still comes from the screenshot
portal (a stand-in on a private session bus): the file the portal wrote for the call is
removed, wherever it lies; a file that was there before the call is kept, wherever it lies."""

import os
import shutil
import tempfile

from harness import (CAPTURE_BUTTON, arguments, check, encode_png, first_difference,
                     pattern_colour, wait_for)
from portal_standin import StandInPortal
from session import SCREEN, Session


def capture(session, start, end):
    check(session.viewable(session.main), "main window hidden before the capture")
    session.click(session.client_point(CAPTURE_BUTTON))
    # The overlay is up with the still once the main window has gone and the overlay shows.
    wait_for("the overlay with the still",
             lambda: not session.viewable(session.main) and session.overlay() and
             session.viewable(session.overlay()))
    session.drag(start, end)
    wait_for("the main window back", lambda: session.viewable(session.main))
    check(not session.viewable(session.overlay()), "overlay still shown after the release")


def cancel_capture(session):
    """Escape on the overlay ends the capture without a picture."""
    session.click(session.client_point(CAPTURE_BUTTON))
    wait_for("the overlay with the still",
             lambda: not session.viewable(session.main) and session.overlay() and
             session.viewable(session.overlay()))
    session.move(300, 300)
    session.tool("xdotool", "mousedown", "1")
    session.move(350, 330)
    session.key("Escape")
    wait_for("the main window back", lambda: session.viewable(session.main))
    session.tool("xdotool", "mouseup", "1")
    check(not session.viewable(session.overlay()), "overlay still shown after Escape")


def non_temporary_folder():
    """A new folder outside every temporary one (as the user's pictures folder is): beside
    the test run or in the home folder."""
    temporary = [os.path.realpath(p) for p in (tempfile.gettempdir(), "/tmp", "/var/tmp")]
    for place in (os.getcwd(), os.path.expanduser("~")):
        real = os.path.realpath(place)
        if os.access(real, os.W_OK) and not any(
                real == t or real.startswith(t + os.sep) for t in temporary):
            return tempfile.mkdtemp(prefix="huesift-e2e-pictures.", dir=real)
    return None


def portal_keeps_the_users_file_and_removes_a_temporary_one(args, rect):
    left, top, right, bottom = rect
    width, height = SCREEN
    desktop = [[pattern_colour(x, y) for x in range(width)] for y in range(height)]
    inverted = [[tuple(255 - c for c in px) for px in row] for row in desktop]
    kept_folder = non_temporary_folder()
    check(kept_folder is not None, "no folder outside the temporary ones to stand for Pictures")
    scratch = tempfile.mkdtemp(prefix="huesift-e2e-portal.")
    try:
        # The user's own pictures, one where desktops keep screenshots and one in a temporary
        # folder, and what the portal writes afresh for a call, where its folder happens to be.
        kept = os.path.join(kept_folder, "Screenshot.png")
        kept_temporary = os.path.join(scratch, "mine.png")
        thrown = os.path.join(scratch, "screenshot.png")
        source = os.path.join(scratch, "source")
        for path, rows in ((kept, desktop), (kept_temporary, inverted), (source, desktop)):
            with open(path, "wb") as f:
                f.write(encode_png(rows))
        with StandInPortal(scratch, [kept, kept_temporary, (thrown, source)]) as portal, Session(
                args.huesift, env={"XDG_SESSION_TYPE": "wayland",
                                   "DBUS_SESSION_BUS_ADDRESS": portal.address}) as session:
            for n, (path, rows, stays) in enumerate(((kept, desktop, True),
                                                     (kept_temporary, inverted, True),
                                                     (thrown, desktop, False)), 1):
                capture(session, (left, top), (right, bottom))
                check(portal.wait_for_answer(n)[-1] == path, "the portal served %s" %
                      portal.served())
                want = [row[left:right] for row in rows[top:bottom]]
                problem = first_difference(session.copy_picture(session.picture_point(2, 2)),
                                           want)
                check(problem is None, "captured through the portal: %s" % problem)
                check(os.path.exists(path) == stays, "the portal's file %s: %s" % (
                    path, "removed from the user's folder" if stays else "left behind"))
    finally:
        shutil.rmtree(kept_folder, ignore_errors=True)
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    args = arguments(tools=("dbus-daemon",))
    left, top, right, bottom = 137, 91, 391, 262  # right and bottom exclusive
    want = [[pattern_colour(x, y) for x in range(left, right)] for y in range(top, bottom)]
    with Session(args.huesift, pattern=args.pattern) as session:
        capture(session, (left, top), (right, bottom))
        got = session.copy_picture(session.picture_point(2, 2))
        problem = first_difference(got, want)
        check(problem is None, "captured down-right: " + str(problem))

        # Escape during a drag: the picture stays what it was.
        cancel_capture(session)
        problem = first_difference(session.copy_picture(session.picture_point(2, 2)), want)
        check(problem is None, "after Escape: " + str(problem))

        # A new capture of the same rectangle, dragged the other way.
        capture(session, (right, bottom), (left, top))
        got = session.copy_picture(session.picture_point(2, 2))
        problem = first_difference(got, want)
        check(problem is None, "captured up-left: " + str(problem))
        check(session.alive(), "huesift ended")
    portal_keeps_the_users_file_and_removes_a_temporary_one(args, (left, top, right, bottom))
    print("PASS: capture of %dx%d matches the screen both ways, and the portal's still; the "
          "portal's file kept in the user's folder, removed from a temporary one"
          % (right - left, bottom - top))


if __name__ == "__main__":
    main()
