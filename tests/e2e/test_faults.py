# SPDX-License-Identifier: GPL-3.0-or-later
"""What a hostile clipboard or quick clicks once did to the real program, tried again: a cut
BMP or a PNG with a bad checksum is refused with one message and the picture stays, a picture
20000 pixels wide is taken, an owner that never answers costs at most 5 s while the window
keeps painting, and clicks queued behind a run's end pause neither open windows inside the
capture nor end the program when those windows close."""

import signal
import subprocess
import time

from harness import (CAPTURE_BUTTON, HELP_BUTTON, PRINT_BUTTON, PROCESS_BUTTON, TOOLBAR_COLOUR,
                     arguments, check, encode_bmp, encode_png, fail, first_difference, wait_for)
from session import Session

UNSUPPORTED = "Unsupported clipboard format"
NO_ANSWER = "The program that holds the clipboard did not answer"


def picture(width, height, seed):
    return [[((x * seed) & 255, (y * 7 + seed) & 255, (x ^ y) & 255) for x in range(width)]
            for y in range(height)]


def copy(session):
    return session.copy_picture(session.picture_point(1, 1))


def screen_pixel(session, x, y):
    # One process, no file: the paste's few seconds leave room for several looks.
    out = session.tool("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8",
                       "txt:-").stdout.decode()
    # "0,0: (204,153,0)  #CC9900  srgb(204,153,0)"
    values = out.splitlines()[-1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(v)) for v in values[:3])


def refuses_damaged_pictures(session, kept):
    rows = picture(41, 30, 5)
    bmp = encode_bmp(rows)
    png = bytearray(encode_png(rows))
    iend = png.index(b"IEND")
    png[iend - 5] ^= 1  # last byte of the data chunk's checksum
    for data, mime in ((bmp[:len(bmp) - 200], "image/bmp"), (bytes(png), "image/png")):
        count = len(session.messages())
        session.offer_clipboard(data, mime)
        session.paste()
        message = session.answer_message(count)
        check(message == UNSUPPORTED, "%s: message %r" % (mime, message))
        problem = first_difference(copy(session), kept)
        check(problem is None, "damaged %s changed the picture: %s" % (mime, problem))


def gives_up_on_a_silent_owner(session, kept):
    owner_data = encode_png(picture(9, 9, 3))
    session.offer_clipboard(owner_data, "image/png")
    owner = session.processes[-1]
    owner.send_signal(signal.SIGSTOP)  # it still owns the clipboard and answers nothing
    try:
        count = len(session.messages())
        x, y, width, height = session.geometry(session.main)
        session.choose_from_menu(session.client_point(CAPTURE_BUTTON), "Capture")
        started = time.monotonic()
        # The window keeps painting while the paste waits: grown back after shrinking, its
        # toolbar must reach the new edge again, before the paste gives up.
        session.tool("xdotool", "windowsize", str(session.main), str(width - 300), str(height))
        session.tool("xdotool", "windowsize", str(session.main), str(width), str(height))
        repainted = wait_for("the toolbar grown back", lambda: screen_pixel(
            session, x + width - 40, y + 12) == TOOLBAR_COLOUR, timeout=4, quiet=True)
        check(repainted and len(session.messages()) == count,
              "the window did not repaint while the paste waited")
        wait_for("the message", lambda: len(session.messages()) > count, timeout=8.0)
        waited = time.monotonic() - started
        message = session.answer_message(count)
        check(message == NO_ANSWER, "message %r" % message)
        # The owner's 4.5 s, with room for a busy machine; far from the 30 s of a slow owner.
        check(waited < 7.0, "the paste gave up after %.1f s" % waited)
        print("a silent clipboard owner was given up on after %.1f s" % waited)
    finally:
        owner.send_signal(signal.SIGCONT)
        owner.kill()
    problem = first_difference(copy(session), kept)
    check(problem is None, "the picture changed: %s" % problem)


def takes_a_wide_picture(session):
    rows = picture(20000, 10, 3)
    session.offer_clipboard(encode_png(rows), "image/png")
    count = len(session.messages())
    session.paste()
    check(len(session.messages()) == count, "refused: %s" % session.messages()[count:])
    problem = first_difference(copy(session), rows)
    check(problem is None, "20000 x 10 pasted and copied back: %s" % problem)


def queued_clicks_open_nothing_inside_a_capture(session, button):
    """Process, Capture and Help (or Print) clicked in quick succession: the last two wait
    behind the run's end pause. Whatever opens is closed with Escape and Return."""
    before = session.visible_windows()
    for point in (PROCESS_BUTTON, CAPTURE_BUTTON, button):
        session.click(session.client_point(point))

    # Whatever opens is closed as it comes, until the main window has been alone and shown
    # for a while: on a busy machine the windows come late, and keys sent ahead are lost.
    quiet_since = time.monotonic()
    deadline = quiet_since + 30
    while time.monotonic() < deadline:
        opened = session.visible_windows() - before
        if opened or not session.viewable(session.main):
            quiet_since = time.monotonic()
            for key in ("Escape", "Return"):
                if opened:
                    session.key(key)
                    wait_for("a window to close", lambda: not (
                        session.visible_windows() - before) >= opened, timeout=2, quiet=True)
                    opened = session.visible_windows() - before
        elif time.monotonic() - quiet_since > 4:
            break
        time.sleep(0.1)
    wait_for("the main window back", lambda: session.viewable(session.main), timeout=10)
    check(session.alive(), "huesift ended after the queued clicks (%r)" % (button,))
    found = session.tool("xdotool", "search", "--onlyvisible", "--name", "^Huesift Help$",
                         check_rc=False).stdout.split()
    check(not found, "the help window is still open")


def main():
    args = arguments()
    for tool in ("import", "convert"):
        if subprocess.run(["which", tool], capture_output=True).returncode != 0:
            fail("%s is not installed" % tool)
    kept = picture(30, 20, 9)
    with Session(args.huesift) as session:
        session.offer_clipboard(encode_png(kept), "image/png")
        session.paste()
        check(first_difference(copy(session), kept) is None, "the first paste failed")
        refuses_damaged_pictures(session, kept)
        gives_up_on_a_silent_owner(session, kept)
        for button in (HELP_BUTTON, PRINT_BUTTON):
            queued_clicks_open_nothing_inside_a_capture(session, button)
        takes_a_wide_picture(session)
        check(session.alive(), "huesift ended")
    print("PASS: damaged pictures refused, silent owner given up on, queued clicks harmless, "
          "wide picture taken")


if __name__ == "__main__":
    main()
