# SPDX-License-Identifier: GPL-3.0-or-later
"""Retain a colour with the square cursor of "Add Color" on a real X display, run Process and
check through the clipboard that exactly black and that colour survived. The tool cursors the
build drew are loaded on the way, and none of them may be refused."""

import time

from harness import (ADD_COLOR_BUTTON, FILL_BUTTON, PROCESS_BUTTON, arguments, check, encode_png,
                     first_difference)
from session import Session

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
RED, BLUE, GREEN = (200, 30, 40), (20, 40, 210), (30, 160, 60)


def source_picture():
    """Blue just left of red: a square reaching left of the pointer would offer both."""
    rows = [[WHITE] * 64 for _ in range(40)]
    for y in range(10, 30):
        for x in range(10, 20):
            rows[y][x] = BLUE
        for x in range(20, 40):
            rows[y][x] = RED
    for y in range(5, 15):
        for x in range(45, 55):
            rows[y][x] = GREEN
    for x in range(2, 61):
        rows[35][x] = BLACK
    return rows


def settle(session, seconds=0.3):
    time.sleep(seconds)
    check(session.messages() == [], "messages shown: %s" % session.messages())


def main():
    args = arguments()
    rows = source_picture()
    with Session(args.huesift) as session:
        session.offer_clipboard(encode_png(rows), "image/png")
        session.paste()

        # Each toggle loads its first cursor, a right click on the picture the other one.
        session.click(session.client_point(FILL_BUTTON))
        session.click(session.picture_point(50, 20), button=3)
        settle(session)
        session.click(session.client_point(ADD_COLOR_BUTTON))
        session.click(session.picture_point(50, 20), button=3)
        session.click(session.picture_point(50, 20), button=3)
        settle(session)

        # The square reaches right and down from the pointer: red only.
        session.click(session.picture_point(20, 10))
        settle(session)
        session.click(session.client_point(PROCESS_BUTTON))

        got = session.copy_picture(session.picture_point(1, 1))
        want = [[px if px in (BLACK, RED) else WHITE for px in row] for row in rows]
        problem = first_difference(got, want)
        check(problem is None, "processed after sampling red: %s" % problem)
        check(session.alive(), "huesift ended")
    print("PASS: red retained with the square cursor, kept by Process with black")


if __name__ == "__main__":
    main()
