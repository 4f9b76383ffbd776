# SPDX-License-Identifier: GPL-3.0-or-later
"""The whole user path on a 2560x1600 screen at fractional and whole Qt scale factors, where
one logical pixel is several screen pixels: capture a rectangle dragged in screen pixels and
get it back through the clipboard pixel for pixel; see the picture shown one picture pixel
per screen pixel; erase two bands and see exactly the dragged screen rectangles turn white;
retain with "Add Color" the colour of the one screen pixel clicked, run Process and get back
exactly black and that colour."""

import time

from harness import (ADD_COLOR_BUTTON, CAPTURE_BUTTON, PICTURE_ORIGIN, PROCESS_BUTTON, arguments,
                     check, fail, first_difference, pattern_colour, wait_for)
from session import Session

SCREEN = (2560, 1600)
SCALES = (2, 1.5)
WHITE, BLACK = (255, 255, 255), (0, 0, 0)
# The captured rectangle, screen pixels, right and bottom exclusive. Odd corners, so that at
# 1.5 they fall between logical pixels.
LEFT, TOP, RIGHT, BOTTOM = 301, 207, 737, 473


def overlay_up(session):
    overlay = session.overlay()
    return not session.viewable(session.main) and overlay and session.viewable(overlay)


def capture(session, start, end):
    session.click(session.client_point(CAPTURE_BUTTON))
    wait_for("the overlay with the still", lambda: overlay_up(session))
    session.drag(start, end)
    wait_for("the main window back", lambda: session.viewable(session.main))


def copy_picture(session, what):
    return session.copy_picture(picture_on_screen(session, 3, 3), what)


def picture_on_screen(session, px, py):
    """A screen point well inside the picture, about px, py picture pixels from its corner."""
    x, y = session.client_point(PICTURE_ORIGIN)
    return x + px + 4, y + py + 4


def find_shown_picture(session, shot, picture):
    """The screen point where the picture's corner is shown, found by matching the shown
    pixels one for one against the picture near where the layout puts it (the corner of a
    control at a fractional logical position lies between screen pixels)."""
    near = session.client_point(PICTURE_ORIGIN)
    height, width = len(picture), len(picture[0])
    for dy in (0, -1, 1, -2, 2):
        for dx in (0, -1, 1, -2, 2):
            ox, oy = near[0] + dx, near[1] + dy
            # Columns and rows of the picture that lie on the screen and are not covered by
            # the strip under the toolbar (which covers the top logical row of the control).
            first_x, first_y = max(0, -ox), 2 * 4
            shown = shot.rows(ox + first_x, oy + first_y, ox + width, oy + height)
            want = [row[first_x:] for row in picture[first_y:]]
            if shown == want:
                return ox, oy
    fail("the picture is not shown one picture pixel per screen pixel near %s" % (near,))


def whiten(rows, rect):
    left, top, right, bottom = rect
    for y in range(max(top, 0), min(bottom, len(rows))):
        for x in range(max(left, 0), min(right, len(rows[0]))):
            rows[y][x] = WHITE


def run(args, scale):
    want = [[pattern_colour(x, y) for x in range(LEFT, RIGHT)] for y in range(TOP, BOTTOM)]
    with Session(args.huesift, pattern=args.pattern, screen=SCREEN, scale=scale) as session:
        # Capture: the dragged screen rectangle, pixel for pixel.
        capture(session, (LEFT, TOP), (RIGHT, BOTTOM))
        got = copy_picture(session, "the captured picture")
        problem = first_difference(got, want)
        check(problem is None, "captured at %s: %s" % (scale, problem))

        # Shown one picture pixel per screen pixel.
        before = session.screenshot()
        ox, oy = find_shown_picture(session, before, got)

        # Band erase: two bands leave the pixel at (px, py) alone in the white 9 x 9 square
        # that sampling reads right and down of the pointer.
        px, py = 200, 150
        bands = [(px + 1, py - 3, px + 13, py + 12), (px - 3, py + 1, px + 13, py + 12)]
        for left, top, right, bottom in bands:
            session.drag((ox + left, oy + top), (ox + right, oy + bottom), steps=4)
        time.sleep(0.3)
        after = session.screenshot()
        area = (max(ox, 0), oy + 8, ox + len(got[0]), oy + len(got))
        for y in range(area[1], area[3]):
            for x in range(area[0], area[2]):
                erased = any(ox + l <= x < ox + r and oy + t <= y < oy + b for l, t, r, b in bands)
                seen = after.pixel(x, y)
                if seen != (WHITE if erased else before.pixel(x, y)):
                    fail("at %s, screen pixel (%d, %d) is %s after the band erase, %s before" %
                         (scale, x, y, seen, before.pixel(x, y)))

        # Sample the one screen pixel: exactly its colour is retained.
        colour = before.pixel(ox + px, oy + py)
        check(colour == got[py][px], "the sampled screen pixel is not the picture's")
        session.click(session.client_point(ADD_COLOR_BUTTON))
        session.click((ox + px, oy + py))
        time.sleep(0.3)
        check(session.messages() == [], "messages shown: %s" % session.messages())
        session.click(session.client_point(PROCESS_BUTTON))

        expected = [list(row) for row in got]
        for band in bands:
            whiten(expected, band)
        expected = [[c if c in (BLACK, colour) else WHITE for c in row] for row in expected]
        processed = copy_picture(session, "the processed picture")
        problem = first_difference(processed, expected)
        check(problem is None, "after sampling and Process at %s: %s" % (scale, problem))
        check(session.alive(), "huesift ended")


def main():
    args = arguments(tools=("xwd",))
    for scale in SCALES:
        run(args, scale)
        print("scale %s: capture, display, band erase and sampling in screen pixels" % scale)
    print("PASS: HiDPI user path at scale factors %s" % (SCALES,))


if __name__ == "__main__":
    main()
