# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture a rectangle of a known pattern on a real X display, Copy it, and compare the
clipboard's PNG with the pattern pixel by pixel; the same rectangle dragged up and to the left
must give the same picture, and Escape during a drag must leave the picture as it was."""

from harness import (CAPTURE_BUTTON, arguments, check, first_difference,
                     pattern_colour, wait_for)
from session import Session


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


def main():
    args = arguments()
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
    print("PASS: capture of %dx%d matches the screen both ways" % (right - left, bottom - top))


if __name__ == "__main__":
    main()
