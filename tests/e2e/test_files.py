# SPDX-License-Identifier: GPL-3.0-or-later
"""Picture files on a real X display: a PNG named on the command line is opened, saved back
through the Save dialog (Ctrl+S) and is the same pixel for pixel; a truncated file chosen in
the Open dialog (Ctrl+O) is refused with one message and the picture stays; saving into a
read-only folder, and over an existing file on a full disk, reports the error and leaves the
existing file whole.

Root writes wherever permissions say it may not, so the unwritable folders are file systems
of their own: a read-only tmpfs and a 64 KiB one, mounted in a private mount namespace of the
program's (unshare) that the host never sees. The test reads the full one through
/proc/PID/root, which shows the program's view."""

import os
import random
import shutil
import subprocess
import tempfile
import time

from harness import arguments, check, decode_png, encode_bmp, encode_png, fail, first_difference, wait_for
from session import Session

MOUNTS = ("mount -t tmpfs -o ro,size=64k tmpfs \"$1\" && "
          "mount -t tmpfs -o size=64k tmpfs \"$2\" && cp \"$3\" \"$2/old.png\" && "
          "shift 3 && exec \"$@\"")


def noise(width, height, seed):
    """Incompressible pixels: the PNG is larger than the full folder's room."""
    rng = random.Random(seed)
    return [[(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(width)]
            for _ in range(height)]


def namespaces_work():
    probe = subprocess.run(["unshare", "--mount", "--map-root-user", "true"],
                           capture_output=True)
    return probe.returncode == 0


def focus(session):
    session.take_focus(session.main)


def dialog(session, key, what):
    """Presses key in the main window and returns the dialog it opens."""
    focus(session)
    before = session.visible_windows()
    session.key(key)
    return session.new_window(before, what)


def answer(session, window, path, confirm=False):
    """Types path into the file dialog's name field and accepts it; with confirm, answers Yes
    to the question whether to replace the file."""
    session.take_focus(window)
    shown = session.visible_windows()
    session.tool("xdotool", "type", "--delay", "8", path)
    # The name field's completion list may open as the typing ends, late on a busy machine;
    # a Return then only closes the list.
    completion = steady_windows(session) - shown
    session.key("Return")
    if completion:
        wait_for("the completion list to close",
                 lambda: not session.visible_windows() & completion)
        # The list may pass the Return on to the dialog, which then closes or asks something.
        if not wait_for("the dialog to close or ask", lambda: not session.viewable(window) or
                        session.visible_windows() - shown - completion, timeout=3, quiet=True):
            session.key("Return")
    if confirm:
        question = session.new_window(shown, "the question about replacing")
        session.key("y")
        wait_for("the question to close", lambda: not session.viewable(question))
    wait_for("the dialog to close", lambda: not session.viewable(window))


def steady_windows(session):
    """The program's windows once they have stayed the same for half a second."""
    last, since = None, time.monotonic()
    deadline = since + 10
    while time.monotonic() < deadline:
        now = session.visible_windows()
        if now != last:
            last, since = now, time.monotonic()
        elif time.monotonic() - since >= 0.5:
            break
        time.sleep(0.1)
    return last


def save(session, path, confirm=False):
    window = dialog(session, "ctrl+s", "the Save Picture As dialog")
    answer(session, window, path, confirm)


def saved_pixels(path):
    data = wait_for("%s to be written" % path,
                    lambda: os.path.exists(path) and open(path, "rb").read())
    return decode_png(data)


def main():
    args = arguments()
    isolated = namespaces_work()
    work = tempfile.mkdtemp(prefix="huesift-e2e-files.")
    try:
        rows = noise(200, 150, 7)
        original = os.path.join(work, "shot.png")
        with open(original, "wb") as f:
            f.write(encode_png(rows))
        # Qt's BMP reader makes up the rows a cut file lacks: only the program's own check
        # refuses it.
        cut = os.path.join(work, "cut.bmp")
        with open(cut, "wb") as f:
            f.write(encode_bmp(rows)[:40000])
        old_bytes = encode_png(noise(8, 8, 3))
        old = os.path.join(work, "old.png")
        with open(old, "wb") as f:
            f.write(old_bytes)
        read_only, full = os.path.join(work, "ro"), os.path.join(work, "full")
        os.mkdir(read_only)
        os.mkdir(full)
        launcher = []
        if isolated:
            launcher = ["unshare", "--mount", "--map-root-user", "sh", "-c", MOUNTS, "sh",
                        read_only, full, old]
        elif os.geteuid() != 0:
            os.chmod(read_only, 0o555)
        else:
            fail("no mount namespace (unshare) to make a folder unwritable for root")

        with Session(args.huesift, args=[original], launcher=launcher) as session:
            out = os.path.join(work, "out.png")
            save(session, out)
            problem = first_difference(saved_pixels(out), rows)
            check(problem is None, "opened from the command line and saved: %s" % problem)

            count = len(session.messages())
            window = dialog(session, "ctrl+o", "the Open Picture dialog")
            answer(session, window, cut)
            text = session.answer_message(count)
            check(text.startswith("Cannot open %s: " % cut), "truncated file: %r" % text)
            again = os.path.join(work, "again.png")
            save(session, again)
            problem = first_difference(saved_pixels(again), rows)
            check(problem is None, "the picture after the refused file: %s" % problem)

            target = os.path.join(read_only, "out.png")
            save(session, target)
            text = session.answer_message(count + 1)
            want = "Cannot save %s: %s" % (target, "Read-only file system" if isolated
                                           else "Permission denied")
            check(text == want, "read-only folder: %r, expected %r" % (text, want))

            if isolated:
                # The existing file is replaced only by a complete new one: on a full disk
                # the save fails and the old file is still whole.
                target = os.path.join(full, "old.png")
                save(session, target, confirm=True)
                text = session.answer_message(count + 2)
                want = "Cannot save %s: No space left on device" % target
                check(text == want, "full disk: %r, expected %r" % (text, want))
                seen = "/proc/%d/root%s" % (session.app.pid, full)
                with open(os.path.join(seen, "old.png"), "rb") as f:
                    check(f.read() == old_bytes, "the existing file was changed")
                check(os.listdir(seen) == ["old.png"],
                      "left behind on the full disk: %s" % os.listdir(seen))
            check(session.alive(), "huesift ended")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("PASS: opened from the command line and saved back identical, truncated file refused "
          "with the picture kept, read-only folder reported" +
          (", full disk reported with the existing file whole" if isolated
           else " (no mount namespace here: the full-disk case was not run)"))


if __name__ == "__main__":
    main()
