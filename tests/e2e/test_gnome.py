# SPDX-License-Identifier: GPL-3.0-or-later
"""Capture on GNOME Shell: headless gnome-shell with GNOME's own screenshot portal, Huesift on
Qt's Wayland platform, the pointer driven through mutter's RemoteDesktop API (the
session is set up by gnome_session.py as a throw-away user: the test needs root and skips
without).

The desktop's background is a noisy pattern. In one session:
- no screenshot grant yet: Capture waits for the desktop's question past the 20 s it used to
  wait for the portal, with no message (the portal itself gives up on its question at 25 s);
  after Allow the overlay shows the screen one
  to one and the dragged rectangle is the shell's own screenshot of it, without a trace of
  the question, shown one picture pixel per screen pixel;
- ten captures leave the user's home and Pictures folder as they were, a Screenshot.png of
  the user's own included;
- with the grant taken away, Deny gives one message and leaves the picture as it was, and a
  refusal on record gives one message at once;
- at scale 2 (mutter lays the screen out in its pixels) and at 1.5 (its fractional layout)
  the picture is the screen's pixels as at 1; at 1.5 the shell smooths what Qt draws at 2,
  so there the overlay and the picture shown are checked to lie on the screen's pixels."""

import math
import os
import time

from harness import PICTURE_ORIGIN, check, encode_png, pattern_colour
from wayland_session import run_as_session_user, user_files, wait_for
from gnome_session import (MODULES, MONITOR, PORTALS, SERVICES, TOOLS,
                           GnomeDesktop, Huesift, arguments, python_modules_missing)

# The dragged rectangle, screen pixels, right and bottom exclusive: 300x200 at odd places.
LEFT, TOP, RIGHT, BOTTOM = 301, 211, 601, 411
# The most by which the shell's smoothing in its fractional layout may change the pattern,
# a channel on average (a pixel off or a magnified picture changes it by 30 or more).
FRACTIONAL_SMOOTHING = 12
# How long the capture waited for the portal before it learnt to wait for the user.
OLD_TIME_OUT = 20


def step(what):
    print("- %s (%.0f s)" % (what, time.monotonic() - STARTED), flush=True)


STARTED = time.monotonic()


def cut(frame, left, top, right, bottom):
    return [frame.row(y, left, right) for y in range(top, bottom)]


def permission_store(desktop, method, *args):
    import dbus
    store = dbus.Interface(desktop.bus.get_object("org.freedesktop.impl.portal.PermissionStore",
                                                  "/org/freedesktop/impl/portal/PermissionStore"),
                           "org.freedesktop.impl.portal.PermissionStore")
    getattr(store, method)(*args)


def question_buttons(desktop):
    """The shell's question whether programs may take screenshots: its buttons' centres by
    label, in the shell's layout; nothing while it is not up."""
    return desktop.eval("""(() => {
        const found = {};
        const walk = a => {
            if (a instanceof imports.gi.St.Button && a.visible && a.label) {
                const [x, y] = a.get_transformed_position();
                const [w, h] = a.get_transformed_size();
                found[a.label] = [x + w / 2, y + h / 2];
            }
            a.get_children().forEach(walk);
        };
        walk(Main.layoutManager.modalDialogGroup);
        return found;
    })()""")


def mean_difference(rows, frame, left, top):
    """The mean difference of each colour channel between rows (of RGB bytes) and frame from
    (left, top)."""
    total = count = 0
    for y, row in enumerate(rows):
        shown = frame.row(top + y, left, left + len(row) // 3)
        total += sum(abs(a - b) for a, b in zip(row, shown))
        count += len(row)
    return total / count


def overlay_one_to_one(app, screen):
    """The overlay up, showing the screen as it was, pixel for pixel. In mutter's fractional
    layout Qt draws at 2 and the shell shrinks what it draws, smoothing it: there the still
    must lie on the screen as it was, no pixel off and not magnified (either makes the
    pattern differ by some 30 a channel on average; the smoothing, by less than 8)."""
    desktop = app.desktop
    app.overlay()
    if desktop.fractional:
        rows = [screen.row(y) for y in range(screen.height)]
        shown = wait_for("the still on the overlay, lined up", lambda: mean_difference(
            rows, desktop.screen(), 0, 0) < FRACTIONAL_SMOOTHING, timeout=10, quiet=True)
        check(shown, "at scale %s the overlay differs from the screen by %.1f a channel on "
              "average" % (desktop.scale, mean_difference(rows, desktop.screen(), 0, 0)))
        return
    shown = wait_for("the still on the overlay, one to one", lambda: desktop.screen() == screen,
                     timeout=10, quiet=True)
    if not shown:
        with open(os.path.join(desktop.dir, "expected-screen.ppm"), "wb") as f:
            f.write(b"P6 %d %d 255\n" % (screen.width, screen.height) + screen.data)
        now = desktop.screen()
        wrong = [(x, y) for y in range(now.height) if now.row(y) != screen.row(y)
                 for x in range(now.width) if now.pixel(x, y) != screen.pixel(x, y)]
        check(False, "at scale %s the overlay differs from the screen in %d pixels, the first "
              "at %s" % (desktop.scale, len(wrong), wrong[:1]))


def picture_shown(app, want):
    """The main window shows want one picture pixel per screen pixel from its corner's
    screen pixel, below the strip over its top row (smoothed in the fractional layout, see
    overlay_one_to_one); what is wrong, or None."""
    desktop = app.desktop
    per, scale = desktop.pixels_per_stage(), desktop.scale
    # Logical positions are rounded to screen pixels away from 0, as the picture rounds them.
    x0, y0 = (int(math.copysign(math.floor(abs(logical) * scale + 0.5), logical)) for logical in
              (app.main["x"] * per / scale + PICTURE_ORIGIN[0],
               app.main["y"] * per / scale + PICTURE_ORIGIN[1]))
    inner = [row[6:-6] for row in want[8:-2]]

    def wrong():
        now = desktop.screen()
        if desktop.fractional:
            off = mean_difference(inner, now, x0 + 2, y0 + 8)
            return off >= FRACTIONAL_SMOOTHING and "%.1f a channel off on average" % off
        return next(("row %d differs" % (y + 8) for y, row in enumerate(inner)
                     if now.row(y0 + 8 + y, x0 + 2, x0 + 2 + len(row) // 3) != row), None)
    wait_for("the picture shown", lambda: not wrong(), timeout=5, quiet=True)
    return wrong()


def capture(app, screen, want, asked=False):
    """Capture, the overlay checked, the rectangle dragged, the picture taken checked through
    the clipboard and as shown."""
    if not asked:
        app.click_capture()
    overlay_one_to_one(app, screen)
    app.drag((LEFT, TOP), (RIGHT, BOTTOM))
    copied = app.copy()
    check((copied.width, copied.height) == (RIGHT - LEFT, BOTTOM - TOP),
          "at scale %s the picture is %dx%d" % (app.desktop.scale, copied.width, copied.height))
    row = next((y for y in range(copied.height) if copied.row(y) != want[y]), None)
    check(row is None, "at scale %s the picture's row %s is not the screen's" % (
        app.desktop.scale, row))
    problem = picture_shown(app, want)
    check(not problem, "at scale %s the picture is not shown one picture pixel per screen "
          "pixel: %s" % (app.desktop.scale, problem))


def answer_message(app, count):
    """Waits for the count-th message and closes its box with its OK button."""
    desktop = app.desktop
    wait_for("message %d" % count, lambda: len(app.messages()) >= count)
    check(len(app.messages()) == count, "more than one message: %s" % app.messages())
    # The box is the program's second window, over the main window.
    box = wait_for("the message box", lambda: len(desktop.windows()) == 2 and min(
        desktop.windows(), key=lambda w: w["width"]))
    time.sleep(0.5)
    per = app.stage_per_logical()
    for _ in range(5):
        desktop.click(box["x"] + box["width"] - 50 * per, box["y"] + box["height"] - 24 * per)
        if wait_for("the message box closed", lambda: len(desktop.windows()) == 1, timeout=2,
                    quiet=True):
            return
    check(False, "the message box did not close: %s" % desktop.windows())


def test(args):
    rows = [[pattern_colour(x, y) for x in range(MONITOR[0])] for y in range(MONITOR[1])]
    background = os.path.join(args.dir, "pattern.png")
    with open(background, "wb") as f:
        f.write(encode_png(rows))
    with GnomeDesktop(args) as desktop:
        desktop.start(background)
        desktop.scale, desktop.fractional = 1, False
        home = desktop.env["HOME"]
        os.makedirs(os.path.join(home, "Pictures"))
        # A file of the user's own under the name GNOME's portal writes first.
        with open(os.path.join(home, "Screenshot.png"), "wb") as f:
            f.write(b"the user's own Screenshot.png")
        files = user_files(home)
        step("shell up")

        screen = desktop.steady_screen()
        want = cut(screen, LEFT, TOP, RIGHT, BOTTOM)
        check(len(set(want[0][i:i + 3] for i in range(0, len(want[0]), 3))) > 250,
              "the background shows too little pattern where the rectangle is dragged")
        app = Huesift(desktop)
        step("no grant: Capture waits for the question as long as it is up")
        app.click_capture()
        asked_at = time.monotonic()
        buttons = wait_for("the desktop's question", lambda: question_buttons(desktop),
                           timeout=OLD_TIME_OUT / 2)
        check({"Allow", "Deny"} <= set(buttons), "the question's buttons: %s" % buttons)
        # The portal itself gives up on its question after 25 s (its call's time-out).
        while time.monotonic() - asked_at < OLD_TIME_OUT + 1:
            check(app.messages() == [], "a message while the question is up: %s"
                  % app.messages())
            check(question_buttons(desktop), "the question went away by itself")
            time.sleep(1)
        desktop.click(*question_buttons(desktop)["Allow"])
        capture(app, screen, want, asked=True)
        check(app.messages() == [], "messages shown: %s" % app.messages())

        step("nine captures more")
        for _ in range(9):
            capture(app, screen, want)
        check(app.messages() == [], "messages shown: %s" % app.messages())
        now = user_files(home)
        check(now == files, "the user's folders changed: %s" % sorted(
            path for path in set(now) | set(files) if now.get(path) != files.get(path)))

        step("the grant taken away, then Deny")
        permission_store(desktop, "DeletePermission", "screenshot", "screenshot", "")
        app.click_capture()
        buttons = wait_for("the desktop's question", lambda: question_buttons(desktop),
                           timeout=30)
        desktop.click(*buttons["Deny"])
        answer_message(app, 1)
        check(desktop.window("Huesift") and not desktop.window("Huesift capture"),
              "the main window is not back alone")
        row = picture_shown(app, want)
        check(row is None, "after Deny the picture changed (row %s)" % row)
        step("a refusal on record")
        app.click_capture()
        answer_message(app, 2)
        check("DeletePermission" in app.messages()[1],
              "the message does not say how to be asked again: %s" % app.messages()[1])
        check(not question_buttons(desktop), "asked again although refused")
        app.quit()
        permission_store(desktop, "SetPermission", "screenshot", True, "screenshot", "",
                         ["yes"])

        for scale, fractional in ((2, False), (1.5, True)):
            step("scale %s" % scale)
            desktop.set_scale(scale, fractional)
            screen = desktop.steady_screen()
            want = cut(screen, LEFT, TOP, RIGHT, BOTTOM)
            app = Huesift(desktop)
            capture(app, screen, want)
            check(app.messages() == [], "messages shown: %s" % app.messages())
            app.quit()
    print("PASS: on GNOME Shell Capture waits for the desktop's question and takes the screen "
          "without it after Allow, says once why not after Deny, leaves the user's folders as "
          "they were, and at scales 1, 2 and 1.5 takes the screen's pixels, the overlay and the "
          "picture shown one to one with the screen (at 1.5 lined up, as the shell smooths "
          "them)")


def main():
    args = arguments()
    if not args.inner:
        if os.geteuid() == 0 and python_modules_missing():
            from harness import skip
            skip("python3-dbus, python3-gi or python3-pil is not installed")
        run_as_session_user(args, __file__, tools=TOOLS, portals=PORTALS, modules=MODULES,
                            services=SERVICES, timeout=600)
    test(args)


if __name__ == "__main__":
    main()
