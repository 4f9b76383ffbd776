# SPDX-License-Identifier: GPL-3.0-or-later
"""Paste pictures that another program offers on the clipboard (PNG, then BMP), check that
Copy gives them back unchanged, run Process with black retained and check the result against
the rule computed here: black stays, every other colour turns white. Text alone on the
clipboard is no picture: Paste does nothing and says nothing."""

import time

from harness import (PROCESS_BUTTON, arguments, check, encode_bmp, encode_png, first_difference)
from session import Session

WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def source_picture(width, height, seed):
    """Black strokes on colours, with colours one unit away from black and from white."""
    state, rows = seed, []
    near = [(1, 0, 0), (0, 1, 0), (0, 0, 1), (254, 255, 255), WHITE]
    for y in range(height):
        row = []
        for x in range(width):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            if (x + 2 * y) % 7 < 2:
                row.append(BLACK)
            elif state % 5 == 0:
                row.append(near[(state >> 8) % len(near)])
            else:
                row.append(((state >> 3) & 255, (state >> 11) & 255, (state >> 19) & 255))
        rows.append(row)
    return rows


def copy(session):
    return session.copy_picture(session.picture_point(1, 1))


def paste_process_copy(session, rows, encoded, mime):
    session.offer_clipboard(encoded, mime)
    session.paste()
    problem = first_difference(copy(session), rows)
    check(problem is None, "%s pasted and copied back: %s" % (mime, problem))

    session.click(session.client_point(PROCESS_BUTTON))
    want = [[BLACK if px == BLACK else WHITE for px in row] for row in rows]
    problem = first_difference(copy(session), want)
    check(problem is None, "%s processed: %s" % (mime, problem))


def text_alone_is_pasted_as_nothing(session):
    session.offer_clipboard(b"only words, no picture", "text/plain")
    session.paste()
    # A message would be shown as soon as the program has the reader's answer.
    time.sleep(1.0)
    check(session.messages() == [], "Paste with only text on the clipboard showed %s"
          % session.messages())


def main():
    args = arguments()
    png_rows = source_picture(123, 77, seed=7)
    bmp_rows = source_picture(61, 150, seed=11)  # odd width: BMP rows are padded
    with Session(args.huesift) as session:
        text_alone_is_pasted_as_nothing(session)
        paste_process_copy(session, png_rows, encode_png(png_rows), "image/png")
        paste_process_copy(session, bmp_rows, encode_bmp(bmp_rows), "image/bmp")
        check(session.alive(), "huesift ended")
    print("PASS: text alone pasted as nothing, silently; PNG and BMP pasted, processed and "
          "copied exactly")


if __name__ == "__main__":
    main()
