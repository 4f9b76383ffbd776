# SPDX-License-Identifier: GPL-3.0-or-later
"""Keep a line of red anti-aliased text whole on a real X display: one sampling click with
"Add Color" offers some of the text's shades, Ctrl+A retains them, "Similar Colors..." on
Process's menu sets a distance of 48 in its dialog, and Process keeps every pixel within 48
of a retained colour on red, green and blue: every pixel nearer the text colour than the
ground among them, where the exact colours alone keep the text in pieces."""

from harness import PROCESS_BUTTON, arguments, check, first_difference, wait_for
from session import Session
from test_retain_all import (HEIGHT, SUPERSAMPLE, WIDTH, covered, paste_and_retain_square,
                             square_colours)

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
TEXT, GROUND = (196, 43, 28), WHITE
DISTANCE = 48
SIMILAR_COLORS_ITEM = 4  # on Process's right-button menu


def coverage():
    """How many of each pixel's SUPERSAMPLE^2 samples the strokes cover."""
    n = SUPERSAMPLE
    return [[sum(covered(x + (i + 0.5) / n, y + (j + 0.5) / n) for i in range(n) for j in range(n))
             for x in range(WIDTH)] for y in range(HEIGHT)]


def shade(share):
    """The text colour laid over the ground by the share of the pixel it covers."""
    whole = SUPERSAMPLE * SUPERSAMPLE
    return tuple(g + ((t - g) * share * 2 + whole) // (2 * whole) for t, g in zip(TEXT, GROUND))


def near(colour, retained, distance):
    return any(all(abs(a - b) <= distance for a, b in zip(colour, r)) for r in retained)


def main():
    args = arguments()
    shares = coverage()
    rows = [[shade(k) for k in row] for row in shares]
    spot = max(((x, y) for y in range(HEIGHT - 9) for x in range(WIDTH - 9)),
               key=lambda p: len(square_colours(rows, *p)))
    retained = [BLACK] + square_colours(rows, *spot)
    check(6 <= len(retained) <= 64, "the square offers %d shades" % (len(retained) - 1))
    want = [[px if near(px, retained, DISTANCE) else WHITE for px in row] for row in rows]

    # What the test is about: the pixels nearer the text than the ground all survive at this
    # distance, and the exact colours alone would have lost many of them.
    half = SUPERSAMPLE * SUPERSAMPLE // 2
    text = [(x, y) for y in range(HEIGHT) for x in range(WIDTH) if shares[y][x] > half]
    check(all(want[y][x] != WHITE for x, y in text), "text pixels lost at distance %d" % DISTANCE)
    exact = sum(rows[y][x] in retained for x, y in text)
    check(exact < 0.9 * len(text), "the exact colours already keep %d of %d" % (exact, len(text)))

    with Session(args.huesift) as session:
        paste_and_retain_square(session, rows, spot)

        before = session.visible_windows()
        session.choose_from_menu(session.client_point(PROCESS_BUTTON), "Process",
                                 item=SIMILAR_COLORS_ITEM)
        dialog = session.new_window(before, "the Similar Colors dialog")
        session.take_focus(dialog)
        # The distance's spin box has the focus with its text selected.
        session.tool("xdotool", "type", "--delay", "50", str(DISTANCE))
        session.key("Return")
        wait_for("the dialog to close", lambda: not session.viewable(dialog))
        session.take_focus(session.main)
        session.click(session.client_point(PROCESS_BUTTON))

        got = session.copy_picture(session.picture_point(1, 1))
        problem = first_difference(got, want)
        check(problem is None, "processed at distance %d: %s" % (DISTANCE, problem))
        check(session.messages() == [], "messages shown: %s" % session.messages())
        check(session.alive(), "huesift ended")
    print("PASS: %d retained colours at distance %d kept all %d text pixels (the exact colours "
          "alone: %d)" % (len(retained), DISTANCE, len(text), exact))


if __name__ == "__main__":
    main()
