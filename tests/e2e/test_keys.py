# SPDX-License-Identifier: GPL-3.0-or-later
"""The keyboard on a real X display: Ctrl+V pastes what xclip offers and Ctrl+C copies it back
unchanged, Ctrl+Z takes back a fill, and Escape stops a running Process.

To have Escape arrive while Process runs, whatever the machine's speed, the program is
paused (SIGSTOP) while the click on Process and the Escape are sent, so both wait in its
queue: the click starts the run, and the run's first look at pending events finds Escape."""

import os
import signal

from harness import (FILL_BUTTON, PROCESS_BUTTON, arguments, check, decode_png, encode_png, first_difference,
                     wait_for)
from session import Session

WHITE, BLACK, RED = (255, 255, 255), (0, 0, 0), (200, 30, 40)
WIDTH, HEIGHT = 48, 400
REGION = (10, 100, 30, 140)  # left, top, right, bottom (exclusive): red inside a black frame


def source_picture():
    state, rows = 5, []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            colour = ((state >> 3) & 255, (state >> 11) & 255, (state >> 19) & 255)
            if (x + 3 * y) % 11 == 0 or colour in (WHITE, RED):
                colour = BLACK
            row.append(colour)
        rows.append(row)
    left, top, right, bottom = REGION
    for y in range(top - 1, bottom + 1):
        for x in range(left - 1, right + 1):
            inside = left <= x < right and top <= y < bottom
            rows[y][x] = RED if inside else BLACK
    return rows


def filled(rows):
    left, top, right, bottom = REGION
    return [[WHITE if left <= x < right and top <= y < bottom else px for x, px in enumerate(row)]
            for y, row in enumerate(rows)]


def processed(row):
    return [px if px == BLACK else WHITE for px in row]


def copy_by_key(session):
    """Ctrl+C until the picture is on the clipboard (the key is refused while a run ends)."""
    session.offer_clipboard(b"not a picture", "text/plain")

    def attempt():
        session.key("ctrl+c")
        return wait_for("the copy", session.clipboard_png, timeout=0.5, quiet=True)

    return decode_png(wait_for("Ctrl+C to copy the picture", attempt))


def expect(session, want, what):
    problem = first_difference(copy_by_key(session), want)
    check(problem is None, "%s: %s" % (what, problem))


def main():
    args = arguments()
    rows = source_picture()
    with Session(args.huesift) as session:
        session.take_focus(session.main)
        session.offer_clipboard(encode_png(rows), "image/png")
        before = session.clipboard_reads()
        session.key("ctrl+v")
        session.wait_for_paste(before)
        expect(session, rows, "pasted with Ctrl+V, copied with Ctrl+C")

        inside = session.picture_point(REGION[0] + 5, REGION[1] + 5)
        session.click(session.client_point(FILL_BUTTON))
        session.click(inside)
        expect(session, filled(rows), "after the fill")
        session.key("ctrl+z")
        expect(session, rows, "after Ctrl+Z")

        session.click(inside)  # Fill is still down: fill again, and run Process on that
        session.move(*session.client_point(PROCESS_BUTTON))
        os.kill(session.app.pid, signal.SIGSTOP)
        try:
            session.tool("xdotool", "click", "1")
            session.key("Escape")
        finally:
            os.kill(session.app.pid, signal.SIGCONT)
        got = copy_by_key(session)
        want = filled(rows)
        done = 0
        while done < HEIGHT and got[done] == processed(want[done]) != want[done]:
            done += 1
        check(done < HEIGHT, "Escape did not stop Process: every row was processed")
        check(done % 50 == 0, "Process stopped after %d rows, not at a pump" % done)
        problem = first_difference(got[done:], want[done:])
        check(problem is None, "rows after the %d processed ones: %s" % (done, problem))
        # Undo takes back the run, not the fill before it: the click did start a run.
        session.key("ctrl+z")
        expect(session, want, "Ctrl+Z after the stopped run")

        check(session.messages() == [], "messages shown: %s" % session.messages())
        check(session.alive(), "huesift ended")
    print("PASS: Ctrl+V, Ctrl+C, Ctrl+Z after a fill, Escape stopped Process after %d rows" %
          done)


if __name__ == "__main__":
    main()
