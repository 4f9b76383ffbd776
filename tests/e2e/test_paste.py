# SPDX-License-Identifier: GPL-3.0-or-later
"""Paste pictures that another program offers on the clipboard (PNG, then BMP), check that
Copy gives them back unchanged, run Process with black retained and check the result against
the rule computed here: black stays, every other colour turns white. Text alone on the
clipboard is no picture: Paste does nothing and says nothing. The spare reader that the idle
program keeps ready pastes what is on the clipboard when Paste is chosen, not what was there
when it started, and goes when the program is quit."""

import os
import signal
import time

from harness import (PROCESS_BUTTON, QUIT_BUTTON, arguments, check, encode_bmp, encode_png,
                     first_difference, wait_for)
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


def waiting_spare(session):
    """The spare reader, once set up and waiting on its standard input: its pid."""
    def waiting():
        for pid in session.children():
            try:
                with open("/proc/%d/cmdline" % pid, "rb") as f:
                    if b"--when-asked" not in f.read().split(b"\0"):
                        continue
                # Its main thread blocked in read(2) on descriptor 0.
                with open("/proc/%d/syscall" % pid) as f:
                    if f.read().split()[:2] == ["0", "0x0"]:
                        return pid
            except OSError:
                pass
        return None
    return wait_for("a spare clipboard reader waiting", waiting, timeout=10)


def gone(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


def spare_pastes_the_clipboard_of_now(session, rows):
    """A picture put on the clipboard after the spare has started is the one pasted, and by
    that spare, not a reader started for the occasion."""
    # The spare that follows this paste starts with the older picture on the clipboard.
    session.offer_clipboard(encode_png(source_picture(31, 17, seed=3)), "image/png")
    session.paste()
    spare = waiting_spare(session)
    session.offer_clipboard(encode_png(rows), "image/png")
    session.paste()
    by = session.clipboard_readers()[-1]
    check(by == "the spare", "the paste was read by %s, not the waiting spare" % by)
    check(gone(spare), "the spare reader is still there after it was used")
    problem = first_difference(copy(session), rows)
    check(problem is None, "pasted through the spare reader: %s" % problem)


def hung_spare_is_replaced(session, rows):
    """A spare that cannot answer (stopped here) is replaced by a fresh reader, the picture
    pasted well within the owner's time-out, and no one blamed."""
    spare = waiting_spare(session)
    os.kill(spare, signal.SIGSTOP)
    session.offer_clipboard(encode_png(rows), "image/png")
    started = time.monotonic()
    session.paste()
    took = time.monotonic() - started
    by = session.clipboard_readers()[-1]
    check(by == "a new reader after the spare failed", "the paste was read by %s" % by)
    # A second for the spare to say it is alive, then a fresh reader: well inside the owner's
    # 4.5 s, which a spare waited for to the end would use up.
    check(took < 3.0, "the paste took %.1f s: the hung spare was waited for" % took)
    check(session.messages() == [], "messages shown: %s" % session.messages())
    problem = first_difference(copy(session), rows)
    check(problem is None, "pasted past the hung spare: %s" % problem)
    wait_for("the hung spare to be ended", lambda: gone(spare), timeout=5)


def quit_leaves_no_reader(session):
    """Quitting ends the program at once, without waiting for a reader to notice: a spare
    still setting itself up on a busy desktop (stopped here, to stand for one) is ended with
    it. Waiting for it to read its closed input kept the program a second or two."""
    spare = waiting_spare(session)
    os.kill(spare, signal.SIGSTOP)
    session.click(session.client_point(QUIT_BUTTON))
    clicked = time.monotonic()
    wait_for("huesift to quit", lambda: not session.alive(), timeout=10, interval=0.01)
    took = time.monotonic() - clicked
    check(session.app.returncode == 0, "huesift quit with %s" % session.app.returncode)
    check(gone(spare), "the spare reader outlived the program")
    check(took < 0.6, "quitting waited %.2f s for a reader" % took)


def main():
    args = arguments()
    png_rows = source_picture(123, 77, seed=7)
    bmp_rows = source_picture(61, 150, seed=11)  # odd width: BMP rows are padded
    with Session(args.huesift) as session:
        text_alone_is_pasted_as_nothing(session)
        paste_process_copy(session, png_rows, encode_png(png_rows), "image/png")
        paste_process_copy(session, bmp_rows, encode_bmp(bmp_rows), "image/bmp")
        check(session.alive(), "huesift ended")
        spare_pastes_the_clipboard_of_now(session, source_picture(45, 28, seed=5))
        hung_spare_is_replaced(session, source_picture(52, 33, seed=13))
        quit_leaves_no_reader(session)
    print("PASS: text alone pasted as nothing, silently; PNG and BMP pasted, processed and "
          "copied exactly; the spare reader pasted the clipboard of the moment, a hung one "
          "was replaced, and none outlived the program")


if __name__ == "__main__":
    main()
