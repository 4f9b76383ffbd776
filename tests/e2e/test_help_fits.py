# SPDX-License-Identifier: GPL-3.0-or-later
"""The help window on a screen too small for it: 1920x1080 at Qt's scale factor 2, where its
568x617 logical pixels would be 1234 screen pixels tall. It opens inside the screen, its OK
button is on the screen, and clicking OK closes it."""

from harness import HELP_BUTTON, arguments, check, wait_for
from session import Session

SCREEN = (1920, 1080)
SCALE = 2
# OK's centre from the window's bottom edge, logical pixels: the button is 25 tall in a row
# of 27 at the bottom.
OK_ABOVE_BOTTOM = 27 - 12


def main():
    args = arguments()
    with Session(args.huesift, screen=SCREEN, scale=SCALE) as session:
        before = session.visible_windows()
        session.click(session.client_point(HELP_BUTTON))
        help_window = session.new_window(before, "the help window")
        x, y, width, height = session.geometry(help_window)
        check(x >= 0 and y >= 0 and x + width <= SCREEN[0] and y + height <= SCREEN[1],
              "the help window does not fit the screen: %s" % ((x, y, width, height),))
        ok = (x + width // 2, y + height - OK_ABOVE_BOTTOM * SCALE)
        check(ok[1] < SCREEN[1], "OK is below the screen")
        session.click(ok)
        wait_for("the help window closed", lambda: not session.viewable(help_window))
        check(session.alive(), "huesift ended")
    print("PASS: at scale 2 on 1920x1080 the help window fits the screen and OK closes it")


if __name__ == "__main__":
    main()
