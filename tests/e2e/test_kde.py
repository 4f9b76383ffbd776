# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture on KDE Plasma's compositor: headless KWin with KDE's own screenshot portal, Huesift
on Qt's Wayland platform with the build's desktop entry installed, driven by KWin's fake
input (the session is set up by kde_session.py, as a throw-away user: the test needs root
and skips without).

Another program's window covers the screen with a noisy pattern in screen pixels. At scales
1, 2 and 1.5, a rectangle dragged over the overlay, over the place where the pointer was when
Capture was clicked, is exactly what KWin's own screenshot shows there without the pointer,
the overlay shows the still one to one (where the scale is whole) and the main window shows
the picture one picture pixel per screen pixel. At scale 1, twenty captures in a row (some
given up with Escape) each bring the main window back on top and active, and ten more with
the program on KWin's XWayland over an X11 program's full-screen window. Then the program
runs where no desktop entry names it, so KWin refuses it its screenshots: ten captures through
the portal, one notice that the pointer may show, and the user's home and pictures folder as
they were; with the portal stopped, one message, and the main window back on top."""

import math
import os
import shutil
import time

from harness import (CAPTURE_BUTTON, PICTURE_ORIGIN, TOOLBAR_COLOUR, check, fail,
                     first_difference, skip)
from kde_session import (MODULES, PORTALS, SERVICES, TOOLS, KHuesift, KWinDesktop, KWinPointer,
                         arguments)
from wayland_session import (check_picture_shown, run_as_session_user, steady,
                             user_files, wait_for)

SIZE = (1280, 800)  # logical
KEY_ESC = 1
# The rectangle's size, screen pixels.
WIDTH, HEIGHT = 300, 240  # whole logical pixels at 1, 1.5 and 2
POINTER_NOTICE = ("The mouse pointer may show in captured pictures: KWin leaves it out only for "
                  "programs installed with a desktop entry that allows them its screenshots.")


def step(what):
    print("- " + what, flush=True)


def cut(frame, left, top, right, bottom):
    return [[frame.pixel(x, y) for x in range(left, right)] for y in range(top, bottom)]


def start_pattern(desktop):
    """The pattern window full-screen, and the screen it shows: the truth captures are held
    against."""
    desktop.spawn([desktop.args.pattern, "--fullscreen"], "pattern",
                  env=dict(desktop.env, QT_QPA_PLATFORM="wayland"))
    wait_for("the pattern full-screen", lambda: any(
        w["caption"] == "huesift-e2e-pattern" and w["fullScreen"] for w in desktop.windows()))
    def noisy(frame):
        return len(set(frame.data[i:i + 3] for i in range(0, len(frame.data), 3 * 97))) > 5000
    wait_for("the pattern drawn", lambda: noisy(desktop.screen()))
    return steady(desktop.screen)


def rectangle_over(app, point):
    """A rectangle of WIDTH x HEIGHT screen pixels that covers a point of the main window
    (logical), from a corner that lies on a whole logical pixel, where KWin puts the
    pointer."""
    scale = app.desktop.scale
    step = 2 if scale == 1.5 else 1
    left, top = (max(4, (app.origin[i] + point[i] - 40) // step * step) for i in (0, 1))
    left, top = round(left * scale), round(top * scale)
    return left, top, left + WIDTH, top + HEIGHT


def capture(app, rect, screen=None):
    """Clicks Capture and drags rect over the overlay; with screen, first checks that the
    overlay shows the still one to one. Returns once the main window is back."""
    desktop = app.desktop
    app.click_capture(CAPTURE_BUTTON)
    app.wait_for_overlay()
    if screen is not None:
        time.sleep(0.3)
        shown = wait_for("the still on the overlay, one to one",
                         lambda: desktop.screen() == screen, timeout=5, quiet=True)
        check(shown, "at scale %s the overlay does not show the screen one to one"
              % desktop.scale)
    app.pointer.drag(rect[:2], rect[2:])
    wait_for("the main window back", lambda: app.main_window() and not app.overlay())


def check_shown(app, want):
    """The picture shown one picture pixel per screen pixel from its corner's screen pixel."""
    scale = app.desktop.scale
    corner = tuple(math.floor((app.origin[i] + PICTURE_ORIGIN[i]) * scale + 0.5) for i in (0, 1))
    check_picture_shown(app.desktop, corner, want, 2, "at scale %s the picture" % scale)


def check_on_top(app, n):
    """The main window is the active one, as KWin tells, and the screen shows its toolbar."""
    def on_top():
        main = app.main_window()
        return main and main["active"] and \
            app.desktop.screen().pixel(*app.at((5, 10))) == TOOLBAR_COLOUR
    if not wait_for("the main window on top and active", on_top, timeout=5, quiet=True):
        fail("after capture %d the main window is not on top and active: %s"
             % (n, [(w["caption"], w["active"]) for w in app.desktop.windows()]))


def captures_in_a_row(app, rect, count):
    """Captures, every fifth given up with Escape: after each the main window is back on top
    and active, over the full-screen window of another program that KWin activated while ours
    were hidden."""
    for n in range(count):
        if n % 5 == 4:
            app.click_capture(CAPTURE_BUTTON)
            app.wait_for_overlay()
            app.pointer.key(KEY_ESC)
            wait_for("the main window back", lambda: app.main_window() and not app.overlay())
        else:
            capture(app, (rect[0] + n, rect[1], rect[2], rect[3] - n))
        check_on_top(app, n + 1)
    check(app.messages() == [], "messages shown: %s" % app.messages())


def at_scale(args, scale):
    with KWinDesktop(args, "scale-%s" % scale) as desktop:
        step("scale %s" % scale)
        started = time.monotonic()
        desktop.start(SIZE, scale, xwayland=scale == 1)
        screen = start_pattern(desktop)
        pointer = KWinPointer(desktop)
        app = KHuesift(desktop, pointer, desktop.args.huesift)
        rect = rectangle_over(app, CAPTURE_BUTTON)
        # At 1.5 Qt draws at 2 and KWin shrinks it: no window is shown one to one there.
        capture(app, rect, screen if scale == int(scale) else None)
        want = cut(screen, *rect)
        if scale == int(scale):
            check_shown(app, want)
        else:
            problem = first_difference(app.copy(), want)
            check(problem is None, "captured at scale %s: %s" % (scale, problem))
        check(app.messages() == [], "messages shown: %s" % app.messages())
        if scale == 1:
            step("twenty captures, the pattern full-screen behind")
            captures_in_a_row(app, rect, 20)
        app.quit()
        if scale == 1:
            step("Huesift on XWayland: ten captures, an X11 program full-screen behind")
            wait_for("the main window gone", lambda: not app.main_window())
            # KWin weighs one X11 window's activation against another's by their times.
            x11 = desktop.spawn([desktop.args.pattern, "--fullscreen"], "pattern-xcb",
                                env=dict(desktop.env, QT_QPA_PLATFORM="xcb",
                                         DISPLAY=desktop.x_display))
            wait_for("the X11 pattern full-screen", lambda: any(
                w["pid"] == x11.pid and w["fullScreen"] for w in desktop.windows()))
            app = KHuesift(desktop, pointer, desktop.args.huesift, "huesift-xcb", "xcb")
            captures_in_a_row(app, rectangle_over(app, CAPTURE_BUTTON), 10)
            app.quit()
            wait_for("the main window gone", lambda: not app.main_window())
            unlisted(desktop, pointer, screen)
        print("scale %s: %.0f s" % (scale, time.monotonic() - started), flush=True)


def unlisted(desktop, pointer, screen):
    """A copy of the program that no desktop entry names: KWin refuses it, the portal serves
    it (and draws the pointer where it was), it says so once, and the portal's files go."""
    step("a program KWin does not know: through the portal")
    program = os.path.join(desktop.dir, "unlisted", "huesift")
    os.makedirs(os.path.dirname(program))
    source = os.path.dirname(desktop.args.huesift)
    for name in os.listdir(source):
        if name == "huesift" or name.endswith(".cur"):
            shutil.copy2(os.path.join(source, name), os.path.dirname(program))
    pictures = os.path.join(desktop.home, "Pictures")
    for path in (os.path.join(desktop.home, "Screenshot.png"),
                 os.path.join(pictures, "Screenshot_20261210_101010.png")):
        with open(path, "wb") as f:
            f.write(b"the user's own picture")
    before = user_files(desktop.home)
    app = KHuesift(desktop, pointer, program, "huesift-unlisted")
    # Away from the pointer, which the portal draws in.
    left, top = app.at((200, 200))
    rect = (left, top, left + WIDTH, top + HEIGHT)
    app.click_capture(CAPTURE_BUTTON)
    app.answer_message(POINTER_NOTICE)
    app.wait_for_overlay()
    pointer.drag(rect[:2], rect[2:])
    wait_for("the main window back", lambda: app.main_window() and not app.overlay())
    check_shown(app, cut(screen, *rect))
    check_on_top(app, 1)
    for n in range(9):
        capture(app, (rect[0] + n, rect[1], rect[2], rect[3] - n))
        check_on_top(app, n + 2)
    check(app.messages() == [POINTER_NOTICE], "messages shown: %s" % app.messages())
    step("no portal: one message, and the main window back")
    desktop.stop_portal()
    app.click_capture(CAPTURE_BUTTON)
    app.answer_message("Screen capture is not available: the screenshot portal is not running")
    check_on_top(app, 11)
    app.quit()
    after = user_files(desktop.home)
    check(after == before, "files left or changed after ten captures: %s"
          % sorted(set(after) ^ set(before)))


def test(args):
    for scale in (1, 2, 1.5):
        at_scale(args, scale)
    print("PASS: on KWin at scales 1, 2 and 1.5 a capture is KWin's own pointer-free picture "
          "pixel for pixel, shown one to one; twenty captures on Wayland and ten on XWayland "
          "each bring the main window back on top and active; refused by KWin, the portal "
          "serves with one notice and leaves no file")


def main():
    args = arguments()
    if not args.inner:
        if not args.pointer:
            skip("the fake-input pointer was not built (plasma-wayland-protocols missing)")
        # exits with the run's status
        run_as_session_user(args, __file__, tools=TOOLS, portals=PORTALS, modules=MODULES,
                            files=("pattern", "entry"), services=SERVICES, timeout=840)
    test(args)


if __name__ == "__main__":
    main()
