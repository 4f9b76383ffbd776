# SPDX-License-Identifier: GPL-3.0-or-later
"""Keep a word of anti-aliased text on a real X display: one sampling click with "Add Color"
offers the square's many grays in the colour box, Ctrl+A retains them all at once, and
Process keeps exactly black and those grays, whitening every other gray of the text."""

from harness import (ADD_COLOR_BUTTON, PROCESS_BUTTON, arguments, check, encode_png,
                     first_difference)
from session import Session

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
WIDTH, HEIGHT = 120, 40
SUPERSAMPLE = 8

# "WAVE" in strokes (x0, y0, x1, y1) of a stroke font, slanted and crossing so that its
# edges cover pixels to every extent, as a rasteriser's anti-aliasing draws text.
STROKES = [
    (8, 8, 14, 31), (14, 31, 19.5, 14), (19.5, 14, 25, 31), (25, 31, 31, 8),  # W
    (35, 31, 42.5, 8), (42.5, 8, 50, 31), (38.5, 22.3, 46.5, 22.3),           # A
    (53, 8, 60, 31), (60, 31, 67, 8),                                         # V
    (72, 8, 72, 31), (72, 8, 84, 8), (72, 19.3, 82, 19.3), (72, 31, 84.5, 31),  # E
    (90, 30, 112, 11.7),                                                      # a slash
]
HALF_WIDTH = 1.3


def covered(px, py):
    for x0, y0, x1, y1 in STROKES:
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
        if (px - x0 - t * dx) ** 2 + (py - y0 - t * dy) ** 2 <= HALF_WIDTH ** 2:
            return True
    return False


def text_picture():
    """Black strokes on white, each pixel gray by the share of it the strokes cover."""
    rows = []
    n = SUPERSAMPLE
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            inside = sum(covered(x + (i + 0.5) / n, y + (j + 0.5) / n)
                         for i in range(n) for j in range(n))
            level = 255 - (255 * inside + n * n // 2) // (n * n)
            row.append((level, level, level))
        rows.append(row)
    return rows


def square_colours(rows, x, y):
    """What a sampling click at (x, y) offers: the 9 x 9 square's colours right of and below
    the pointer, row by row, each once, neither white nor black (black is retained)."""
    found = []
    for py in range(y, min(y + 9, HEIGHT)):
        for px in range(x, min(x + 9, WIDTH)):
            colour = rows[py][px]
            if colour not in (WHITE, BLACK) and colour not in found:
                found.append(colour)
    return found


def paste_and_retain_square(session, rows, spot):
    """Pastes the picture, samples once at spot with "Add Color" and retains all the square
    offers with Ctrl+A."""
    session.offer_clipboard(encode_png(rows), "image/png")
    session.paste()
    session.click(session.client_point(ADD_COLOR_BUTTON))
    session.click(session.picture_point(*spot))
    session.take_focus(session.main)
    session.key("ctrl+a")


def main():
    args = arguments()
    rows = text_picture()
    spot = max(((x, y) for y in range(HEIGHT - 9) for x in range(WIDTH - 9)),
               key=lambda p: len(square_colours(rows, *p)))
    kept = square_colours(rows, *spot)
    check(6 <= len(kept) <= 63, "the square offers %d grays" % len(kept))
    want = [[px if px == BLACK or px in kept else WHITE for px in row] for row in rows]
    grays = {px for row in rows for px in row} - {WHITE, BLACK}
    check(grays - set(kept) and any(px in kept for row in want for px in row),
          "the text has no grays outside the square to whiten")

    with Session(args.huesift) as session:
        paste_and_retain_square(session, rows, spot)
        session.click(session.client_point(PROCESS_BUTTON))

        got = session.copy_picture(session.picture_point(1, 1))
        problem = first_difference(got, want)
        check(problem is None, "processed after Retain All: %s" % problem)
        check(session.messages() == [], "messages shown: %s" % session.messages())
        check(session.alive(), "huesift ended")
    print("PASS: Ctrl+A retained the square's %d grays; Process kept them and black" % len(kept))


if __name__ == "__main__":
    main()
