# SPDX-License-Identifier: GPL-3.0-or-later
"""A private X display with the real huesift on it, and the input and clipboard tools."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from harness import CAPTURE_BUTTON, ON_FAILURE, Screenshot, check, decode_png, fail, wait_for

SCREEN = (1024, 768)


class Session:
    def __init__(self, huesift, pattern=None, cups_server=None, cwd=None, args=(), launcher=(),
                 screen=SCREEN, scale=None, env=None):
        """args follow the program on its command line; launcher goes before it (a command
        that ends by executing the rest of its arguments, so the process stays the program).
        env: variables for huesift alone, after the session's own.
        scale: Qt's scale factor for huesift alone (QT_SCALE_FACTOR); the screen, the pattern
        window and every coordinate the session takes or gives are device pixels."""
        self.huesift = os.path.abspath(huesift)
        self.args = list(args)
        self.launcher = list(launcher)
        self.cwd = cwd or os.path.dirname(self.huesift)
        self.pattern = pattern
        self.cups_server = cups_server
        self.screen = tuple(screen)
        self.scale = scale
        self.extra_env = dict(env or {})
        self.processes = []
        self.tooltips = {}  # window: whether it is a tooltip, as read when first seen
        self.home = tempfile.mkdtemp(prefix="huesift-e2e-home.")

    # ---- lifetime ----

    def __enter__(self):
        self._start_display()
        if self.pattern:
            pattern = self._spawn([self.pattern])
            wait_for("the pattern window", lambda: self._visible(pattern.pid))
        extra = {"QT_LOGGING_RULES": "huesift.messages.debug=true;huesift.clipboard.debug=true"}
        if self.scale:
            extra["QT_SCALE_FACTOR"] = str(self.scale)
        if self.cups_server:
            extra["CUPS_SERVER"] = self.cups_server
        extra.update(self.extra_env)
        self.log = os.path.join(self.home, "huesift.log")
        with open(self.log, "wb") as log:
            self.app = self._spawn(self.launcher + [self.huesift] + self.args, cwd=self.cwd,
                                   extra=extra, stderr=log)
        ON_FAILURE.append(self._report)
        found = wait_for("the main window", lambda: self._visible(self.app.pid, "^Huesift$"))
        self.main = found[0]
        # The window fits itself to the work area when first shown; let that settle.
        # At a fractional scale the logical work area is rounded and scaled back, which can
        # give one screen pixel more (1707 logical pixels at 1.5 are 2560.5).
        wait_for("the main window at the work area",
                 lambda: all(0 <= got - want <= (1 if self.scale else 0) for got, want
                             in zip(self.geometry(self.main)[2:], self.screen)))
        return self

    def __exit__(self, *exc):
        if self._report in ON_FAILURE:
            ON_FAILURE.remove(self._report)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)
        return False

    def _report(self):
        """What a failure leaves to read: the program's own output and the windows it shows."""
        try:
            with open(self.log, encoding="utf-8", errors="replace") as log:
                lines = log.readlines()[-20:]
            print("huesift's last output:\n" + "".join("  " + line for line in lines),
                  file=sys.stderr)
            print("its visible windows: %s; running: %s" % (
                self.describe(self.visible_windows()), self.alive()), file=sys.stderr)
        except (OSError, subprocess.SubprocessError) as error:
            print("no report: %s" % error, file=sys.stderr)

    def _start_display(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % self.screen,
             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(xvfb)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        check(number.isdigit(), "Xvfb did not report its display")
        self.env = dict(os.environ, DISPLAY=":" + number, HOME=self.home,
                        XDG_RUNTIME_DIR=self.home, QT_QPA_PLATFORM="xcb")
        for name in ("CUPS_SERVER", "XAUTHORITY", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR",
                     "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "XDG_SESSION_TYPE"):
            self.env.pop(name, None)

    def _spawn(self, argv, cwd=None, extra=None, stderr=None):
        env = dict(self.env, **(extra or {}))
        process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                   stderr=stderr)
        self.processes.append(process)
        return process

    def messages(self):
        """The texts of the message boxes the program has shown so far."""
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return [line.split(": ", 1)[1].rstrip("\n") for line in log
                    if line.startswith("huesift.messages: ")]

    def alive(self):
        return self.app.poll() is None

    # ---- windows ----

    def tool(self, *argv, data=None, check_rc=True):
        result = subprocess.run(list(argv), env=self.env, input=data, capture_output=True,
                                timeout=30)
        if check_rc and result.returncode != 0:
            fail("%s failed: %s" % (" ".join(argv), result.stderr.decode(errors="replace")))
        return result

    def _visible(self, pid, name=None):
        argv = ["xdotool", "search", "--onlyvisible", "--pid", str(pid)]
        if name:
            argv += ["--name", name]
        result = self.tool(*argv, check_rc=False)
        return [w for w in map(int, result.stdout.split()) if not self._tooltip(w)]

    def _tooltip(self, window):
        """Whether window is a tooltip. A tooltip opens whenever the pointer rests on a button
        a little longer, which on a busy machine can happen between any two steps of a test;
        it must never pass for a window the program opened."""
        if window not in self.tooltips:
            kind = self.window_type(window)
            if not kind:
                return False
            self.tooltips[window] = kind.endswith("_TOOLTIP")
        return self.tooltips[window]

    def describe(self, windows):
        """Each window's name and type, for a failure's message."""
        return ["%s (%s)" % (self.tool("xdotool", "getwindowname", str(w), check_rc=False)
                             .stdout.decode(errors="replace").strip(), self.window_type(w))
                for w in sorted(windows)]

    def window_type(self, window):
        """The first _NET_WM_WINDOW_TYPE of window, "" if it has none or is gone."""
        out = self.tool("xprop", "-id", str(window), "_NET_WM_WINDOW_TYPE",
                        check_rc=False).stdout.decode(errors="replace")
        found = re.search(r"= (\w+)", out)
        return found.group(1) if found else ""

    def visible_windows(self):
        return set(self._visible(self.app.pid))

    def viewable(self, window):
        if window is None:
            return False
        result = self.tool("xwininfo", "-id", str(window), check_rc=False)
        return b"IsViewable" in result.stdout

    def geometry(self, window):
        out = self.tool("xwininfo", "-id", str(window)).stdout.decode()
        value = {}
        for line in out.splitlines():
            key, _, rest = line.strip().partition(":")
            value[key] = rest.strip()
        return (int(value["Absolute upper-left X"]), int(value["Absolute upper-left Y"]),
                int(value["Width"]), int(value["Height"]))

    def overlay(self):
        found = self.tool("xdotool", "search", "--name", "^Huesift capture$",
                          check_rc=False).stdout.split()
        return int(found[0]) if found else None

    # ---- input ----

    def client_point(self, point):
        """A point given in the main window's logical coordinates (as the toolbar's layout
        is), on the screen."""
        x, y, _, _ = self.geometry(self.main)
        scale = self.scale or 1
        return x + round(point[0] * scale), y + round(point[1] * scale)

    def picture_point(self, px, py):
        return self.client_point((px - 1, py + 28))

    def move(self, x, y):
        # xdotool's --sync waits for a motion, which never comes when the pointer is there.
        where = self.tool("xdotool", "getmouselocation").stdout.decode().split()
        if where[:2] != ["x:%d" % x, "y:%d" % y]:
            self.tool("xdotool", "mousemove", "--sync", str(x), str(y))

    def click(self, point, button=1):
        self.move(*point)
        self.tool("xdotool", "click", str(button))

    def drag(self, start, end, steps=8):
        self.move(*start)
        self.tool("xdotool", "mousedown", "1")
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i // steps,
                      start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.02)
        self.tool("xdotool", "mouseup", "1")

    def key(self, *keys):
        self.tool("xdotool", "key", *keys)

    def new_window(self, before, what):
        return wait_for(what, lambda: sorted(self.visible_windows() - before))[0]

    def choose_from_menu(self, point, what, timeout=20.0, item=1):
        """Right-clicks point and chooses item number item (from 1) of the menu that opens
        there. The click is repeated while the program refuses it (as it does while Process
        runs)."""
        deadline = time.monotonic() + timeout
        before = self.visible_windows()
        while True:
            self.click(point, button=3)
            opened = wait_for("the %s menu" % what, lambda: sorted(self.visible_windows() - before),
                              timeout=1.0, quiet=True)
            if opened:
                break
            if time.monotonic() > deadline:
                fail("the %s menu did not open" % what)
        menu = opened[0]
        self.key(*["Down"] * item, "Return")
        wait_for("the %s menu to close" % what, lambda: not self.viewable(menu))

    def take_focus(self, window):
        # No window manager gives a window the keyboard focus when it opens or when a dialog
        # over it closes; a desktop would.
        wait_for("the keyboard focus", lambda: self.tool(
            "xdotool", "windowfocus", "--sync", str(window), check_rc=False).returncode == 0)

    def answer_message(self, count, timeout=20.0):
        """Waits for message box number count + 1, closes it with OK and returns its text."""
        wait_for("message %d" % (count + 1), lambda: len(self.messages()) > count,
                 timeout=timeout)
        # The text is logged just before the box opens; a key sent before that would be lost.
        box = wait_for("the message box", lambda: sorted(
            set(self._visible(self.app.pid, "^Huesift$")) - {self.main}))[0]
        self.take_focus(box)
        self.key("Return")
        wait_for("the message box to close", lambda: not self.viewable(box))
        check(len(self.messages()) == count + 1, "more than one message: %s" %
              self.messages()[count:])
        return self.messages()[count]

    def screenshot(self):
        """What the screen shows now, read by the X server's own dump (xwd)."""
        return Screenshot(self.tool("xwd", "-root", "-silent").stdout)

    # ---- clipboard ----

    def children(self):
        """The program's child processes: its clipboard readers, a spare one among them."""
        path = "/proc/%d/task/%d/children" % (self.app.pid, self.app.pid)
        try:
            with open(path) as f:
                return [int(pid) for pid in f.read().split()]
        except OSError:
            return []

    def clipboard_readers(self):
        """Which reader answered each clipboard read so far, from the program's log: "the
        spare", "a new reader", ..."""
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return [line.rstrip("\n").split(": read by ", 1)[1] for line in log
                    if line.startswith("huesift.clipboard: read by ")]

    def clipboard_reads(self):
        """How often the program has read the clipboard so far."""
        return len(self.clipboard_readers())

    def paste(self):
        """Chooses "Paste" on the Capture button's menu and waits until the program has read
        the clipboard, so that what a test puts on the clipboard next is not what gets
        pasted."""
        before = self.clipboard_reads()
        self.choose_from_menu(self.client_point(CAPTURE_BUTTON), "Capture")
        self.wait_for_paste(before)

    def wait_for_paste(self, before):
        """Waits until a paste just asked for (menu or Ctrl+V) has read the clipboard; before:
        clipboard_reads() from before it was asked for."""
        wait_for("the paste to read the clipboard", lambda: self.clipboard_reads() > before,
                 timeout=15, interval=0.01)

    def offer_clipboard(self, data, mime):
        """Another program owns the clipboard and offers data as mime."""
        path = os.path.join(self.home, "clip")
        with open(path, "wb") as f:
            f.write(data)
        owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", mime, "-i", path],
                                 env=self.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        self.processes.append(owner)
        wait_for("xclip to own the clipboard", lambda: mime.encode() in self.tool(
            "xclip", "-selection", "clipboard", "-t", "TARGETS", "-o", check_rc=False).stdout)

    def clipboard(self, mime):
        result = self.tool("xclip", "-selection", "clipboard", "-t", mime, "-o", check_rc=False)
        return result.stdout if result.returncode == 0 else None

    def clipboard_png(self):
        """The PNG on the clipboard, or None. While xclip owns the clipboard it answers every
        type with its own data, so anything but a PNG means the program has not taken over."""
        data = self.clipboard("image/png")
        return data if data and data.startswith(b"\x89PNG\r\n\x1a\n") else None

    def copy_picture(self, point, what="the picture"):
        """Chooses Copy on the picture's menu at point and returns the copied picture as rows.
        Another program owns the clipboard first, so that an earlier copy cannot pass for it;
        the menu closes before its item runs, so the copy is waited for."""
        self.offer_clipboard(b"not a picture", "text/plain")
        self.choose_from_menu(point, "picture")
        return decode_png(wait_for(what + " on the clipboard", self.clipboard_png))
