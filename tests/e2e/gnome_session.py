# SPDX-License-Identifier: GPL-3.0-or-later
"""A headless GNOME Shell for the end-to-end tests: gnome-shell on one virtual monitor with
GNOME's own screenshot portal, on a private session bus and a private "system" bus (the shell
wants one), the pointer driven through mutter's RemoteDesktop D-Bus API, the screen
read through the shell's own screenshot call, and the real huesift on it.

The session runs as a throw-away user, as wayland_session.py makes one (root needed, else the
test skips). The shell's windows are listed through a small extension of the test's own, which
lets the test ask the shell (Eval)."""

import argparse
import json
import os
import subprocess
import time

from harness import (CAPTURE_BUTTON, PICTURE_ORIGIN, TOOLBAR_COLOUR, check, fail,
                     session_bus_config)
from wayland_session import Desktop, Frame, steady, wait_for

TOOLS = ("gnome-shell", "gsettings", "dbus-daemon", "dbus-run-session",
         "dbus-update-activation-environment")
PORTALS = ("/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-gnome")
MODULES = ("harness.py", "wayland_session.py", "gnome_session.py")
# Only these may be started on demand: with every service file, the portal also starts
# another desktop's back end, which aborts here.
SERVICES = ("org.freedesktop.impl.portal.PermissionStore.service", "ca.desrt.dconf.service")
MONITOR = (1920, 1080)
EXTENSION = "huesift-e2e@huesift.test"
EXTENSION_JS = """
function init() {
  return {
    enable() {
      global.context.unsafe_mode = true;
    },
    disable() {},
  };
}
"""
BTN_LEFT, BTN_RIGHT = 0x110, 0x111
KEY_SHIFT = 0xffe1


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--inner", action="store_true")
    parser.add_argument("--dir")
    args = parser.parse_args()
    args.pointer = None
    return args


def python_modules_missing():
    """The session's test runs on the system's Python, which needs these."""
    return subprocess.run(["/usr/bin/python3", "-c", "import dbus, gi, PIL"],
                          capture_output=True).returncode != 0


class GnomeDesktop(Desktop):
    def __init__(self, args):
        super().__init__(args)
        for name in ("WLR_BACKENDS", "WLR_LIBINPUT_NO_DEVICES", "WLR_RENDERER"):
            self.env.pop(name)
        self.env.update(XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_DESKTOP="gnome")
        self.bus = None

    # ---- the shell and the portal ----

    def start(self, background):
        """The shell on one monitor showing the picture (a PNG file) as its background, and
        the portals; what the user had granted is nothing yet."""
        config = os.path.join(self.dir, "system-bus.conf")
        listen = os.path.join(self.dir, "system-bus")
        os.mkdir(listen)
        with open(config, "w") as f:
            f.write(session_bus_config(listen).replace("<type>session</type>",
                                                       "<type>system</type>"))
        # The shell takes logind for present (this machine has /run/systemd/seats) and dies
        # without a system bus to ask it on.
        address = os.path.join(self.dir, "system-bus.address")
        with open(address, "wb") as out:
            self.spawn(["dbus-daemon", "--config-file", config, "--nofork",
                        "--print-address=%d" % out.fileno()], "system-bus",
                       pass_fds=(out.fileno(),))
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = wait_for("the system bus", lambda: open(
            address).read().strip())

        # What the bus starts (dconf, the permission store) keeps its files in this
        # session's home.
        self.tool("dbus-update-activation-environment", "HOME", "XDG_CONFIG_HOME",
                  "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "XDG_CURRENT_DESKTOP",
                  "DBUS_SYSTEM_BUS_ADDRESS")
        extension = os.path.join(self.env["XDG_DATA_HOME"], "gnome-shell", "extensions",
                                 EXTENSION)
        os.makedirs(extension)
        with open(os.path.join(extension, "metadata.json"), "w") as f:
            json.dump({"uuid": EXTENSION, "name": "huesift e2e", "description": "test",
                       "shell-version": ["43"]}, f)
        with open(os.path.join(extension, "extension.js"), "w") as f:
            f.write(EXTENSION_JS)
        # Without this mark the shell shows a "Screen Lock disabled" banner over the top.
        open(os.path.join(self.env["XDG_DATA_HOME"], "gnome-shell", "lock-warning-shown"),
             "w").close()
        uri = "file://" + background
        for schema, key, value in (
                # A pointer pushed into the top-left corner would open the overview.
                ("org.gnome.desktop.interface", "enable-hot-corners", "false"),
                ("org.gnome.desktop.background", "picture-uri", uri),
                ("org.gnome.desktop.background", "picture-uri-dark", uri),
                ("org.gnome.desktop.background", "picture-options", "zoom"),
                # No notification over the top of the screen.
                ("org.gnome.desktop.notifications", "show-banners", "false"),
                # No welcome tour offered.
                ("org.gnome.shell", "welcome-dialog-last-shown-version", "'999'"),
                ("org.gnome.shell", "disable-user-extensions", "false"),
                ("org.gnome.shell", "enabled-extensions", "['%s']" % EXTENSION)):
            self.tool("gsettings", "set", schema, key, value)

        self.shell_log = os.path.join(self.dir, "shell.log")
        shell = self.spawn(["gnome-shell", "--headless", "--wayland", "--no-x11",
                            "--virtual-monitor", "%dx%d" % MONITOR], "shell")
        self.env["WAYLAND_DISPLAY"] = "wayland-0"

        def started():
            if shell.poll() is not None:
                fail("gnome-shell ended at start-up, see %s" % self.shell_log)
            return "GNOME Shell started" in open(self.shell_log, errors="replace").read()
        wait_for("the shell to start", started, timeout=90)
        import dbus
        self.bus = dbus.SessionBus()
        self.shell = dbus.Interface(self.bus.get_object("org.gnome.Shell", "/org/gnome/Shell"),
                                    "org.gnome.Shell")
        wait_for("the shell to obey its test extension",
                 lambda: self.shell.Eval("1")[0], timeout=30)
        # The shell opens the overview at the end of its start-up; until it is left, windows
        # are thumbnails.
        closed = [0]

        def overview_closed():
            if self.eval("Main.overview.visible"):
                closed[0] = 0
                self.eval("Main.overview.hide()")
            else:
                closed[0] += 1
            time.sleep(0.2)
            return closed[0] >= 5
        wait_for("the overview closed", overview_closed, timeout=30)
        # The top bar shows the time: the screen is the test's background and windows alone.
        self.eval("Main.layoutManager.removeChrome(Main.layoutManager.panelBox)")
        # For org.gnome.Shell.Screenshot, which answers only a few callers by name.
        self.bus.request_name("org.gnome.Screenshot", dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        self.remote = self.remote_session()

        # The back end first: a front end that comes up without it answers 2 or never.
        self.spawn(["/usr/libexec/xdg-desktop-portal-gnome"], "xdpg")
        wait_for("GNOME's portal",
                 lambda: self.on_bus("org.freedesktop.impl.portal.desktop.gnome"))
        self.start_portal()

    def eval(self, script):
        """A JavaScript expression's value, evaluated inside the shell."""
        ok, result = self.shell.Eval(script)
        if not ok:
            fail("the shell could not evaluate %s: %s" % (script, result))
        return json.loads(str(result)) if str(result) else None

    def display_config(self):
        import dbus
        return dbus.Interface(self.bus.get_object("org.gnome.Mutter.DisplayConfig",
                                                  "/org/gnome/Mutter/DisplayConfig"),
                              "org.gnome.Mutter.DisplayConfig")

    def set_scale(self, scale, fractional=False):
        """The monitor's scale; fractional ones need mutter's fractional layout, in which
        everything is laid out in logical pixels (at whole scales, in screen pixels)."""
        import dbus
        features = "['scale-monitor-framebuffer']" if fractional else "[]"
        self.tool("gsettings", "set", "org.gnome.mutter", "experimental-features", features)

        def current():
            serial, monitors, _, properties = self.display_config().GetCurrentState()
            if bool(properties.get("supports-changing-layout-mode")) != fractional:
                return None
            (connector, _, _, _), modes, _ = monitors[0]
            return serial, connector, next(m[0] for m in modes if m[6].get("is-current"))
        serial, connector, mode = wait_for("the fractional layout %s" % (
            "offered" if fractional else "gone"), current)
        # Layout in logical pixels (1) or in screen pixels (2).
        properties = dbus.Dictionary({"layout-mode": dbus.UInt32(1)} if fractional else {},
                                     signature="sv")
        self.display_config().ApplyMonitorsConfig(
            serial, 1, [(0, 0, dbus.Double(scale), dbus.UInt32(0), True,
                         [(connector, mode, {})])], properties)
        self.scale, self.fractional = scale, fractional
        if hasattr(self, "motion_scale"):
            del self.motion_scale
        wait_for("the screen at scale %s" % scale,
                 lambda: self.stage() == tuple(round(m / (scale if fractional else 1))
                                               for m in MONITOR))

    def stage(self):
        """The shell's layout size: where windows and the pointer are counted."""
        return tuple(self.eval("[global.stage.width, global.stage.height]"))

    def screen(self):
        """What the monitor shows, in its own pixels, as the shell itself takes it."""
        from PIL import Image
        # A new name each time (the last one kept, for a failure's log): with one name for
        # all, the shell now and then failed to open its file.
        self.shots = getattr(self, "shots", 0) + 1
        last = os.path.join(self.dir, "shell-shot-%d.png" % (self.shots - 1))
        if os.path.exists(last):
            os.remove(last)
        path = os.path.join(self.dir, "shell-shot-%d.png" % self.shots)
        shot = self.bus.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot")
        ok, used = shot.Screenshot(False, False, path,
                                   dbus_interface="org.gnome.Shell.Screenshot")
        check(ok, "the shell took no screenshot")
        with Image.open(str(used)) as image:
            rgb = image.convert("RGB")
            return Frame(rgb.width, rgb.height, rgb.tobytes())

    def steady_screen(self):
        return steady(self.screen)

    def pixels_per_stage(self):
        return MONITOR[0] / self.stage()[0]

    # ---- windows ----

    def windows(self):
        return self.eval("""global.get_window_actors().filter(a => a.visible).map(a => {
            const w = a.meta_window, r = w.get_frame_rect();
            return {title: w.get_title(), x: r.x, y: r.y, width: r.width, height: r.height,
                    fullscreen: w.is_fullscreen()};
        })""")

    def window(self, title):
        """A shown window called title, or "NAME - title"."""
        return next((w for w in self.windows() if w["title"] == title or
                     (w["title"] or "").endswith(" - " + title)), None)

    # ---- the pointer (counted in the shell's layout) ----

    def remote_session(self):
        import dbus
        remote = dbus.Interface(self.bus.get_object("org.gnome.Mutter.RemoteDesktop",
                                                    "/org/gnome/Mutter/RemoteDesktop"),
                                "org.gnome.Mutter.RemoteDesktop")
        session = dbus.Interface(self.bus.get_object("org.gnome.Mutter.RemoteDesktop",
                                                     remote.CreateSession()),
                                 "org.gnome.Mutter.RemoteDesktop.Session")
        session.Start()
        # Its keyboard comes with its first key. Without a keyboard no window has the
        # keyboard's focus, and the shell takes the clipboard only from the window that has.
        session.NotifyKeyboardKeysym(KEY_SHIFT, True)
        session.NotifyKeyboardKeysym(KEY_SHIFT, False)
        return session

    def pointer_at(self):
        return tuple(self.eval("global.get_pointer().slice(0, 2)"))

    def move(self, x, y):
        """To a point of the layout. Motion is relative only (absolute needs a screen-cast
        stream), so the pointer is pushed into the corner first and then moved from there;
        mutter may count the motion in other units than the layout (at whole scales it
        multiplies it by the scale), which the first move shows."""
        self.remote.NotifyPointerMotionRelative(-100000.0, -100000.0)
        wait_for("the pointer in the corner", lambda: self.pointer_at() == (0, 0), timeout=5)
        if not hasattr(self, "motion_scale"):
            self.remote.NotifyPointerMotionRelative(100.0, 100.0)
            wait_for("the pointer moved", lambda: self.pointer_at() != (0, 0), timeout=5)
            time.sleep(0.1)
            self.motion_scale = self.pointer_at()[0] / 100.0
            self.remote.NotifyPointerMotionRelative(-100000.0, -100000.0)
            wait_for("the pointer in the corner", lambda: self.pointer_at() == (0, 0),
                     timeout=5)
        self.remote.NotifyPointerMotionRelative(x / self.motion_scale, y / self.motion_scale)
        wait_for("the pointer at (%s, %s)" % (x, y), lambda: all(
            abs(p - q) <= 1 for p, q in zip(self.pointer_at(), (x, y))), timeout=5)

    def window_at(self, x, y):
        """Whether the pointer at a point of the layout would reach a window."""
        return self.eval("""(() => {
            let a = global.stage.get_actor_at_pos(imports.gi.Clutter.PickMode.REACTIVE, %r, %r);
            while (a && !(a instanceof imports.gi.Meta.WindowActor))
                a = a.get_parent();
            return !!a;
        })()""" % (x, y))

    def button(self, down, button=None):
        self.remote.NotifyPointerButton(button or BTN_LEFT, down)
        time.sleep(0.05)

    def click(self, x, y):
        self.move(x, y)
        self.button(True)
        self.button(False)

    def clipboard_png(self):
        """The clipboard's image/png, as the shell reads it."""
        import base64
        self.eval("""(() => {
            globalThis.huesiftClipboard = null;
            imports.gi.St.Clipboard.get_default().get_content(
                imports.gi.St.ClipboardType.CLIPBOARD, 'image/png', (c, bytes) => {
                    globalThis.huesiftClipboard =
                        bytes ? imports.gi.GLib.base64_encode(bytes.get_data()) : '';
                });
            return true;
        })()""")
        data = wait_for("the clipboard read", lambda: self.eval(
            "globalThis.huesiftClipboard") is not None and self.eval(
            "globalThis.huesiftClipboard"), timeout=10, quiet=True)
        return base64.b64decode(data) if data else b""


class Huesift:
    """The program on Qt's Wayland platform in the shell, and what a user does with it;
    positions on the screen are the monitor's pixels."""

    def __init__(self, desktop):
        self.desktop = desktop
        env = dict(desktop.env, QT_QPA_PLATFORM="wayland",
                   QT_WAYLAND_DISABLE_WINDOWDECORATION="1",
                   QT_LOGGING_RULES="huesift.messages.debug=true")
        self.log = os.path.join(desktop.dir, "huesift-%d.log" % time.monotonic_ns())
        huesift = desktop.args.huesift
        self.process = desktop.spawn([huesift], "huesift", env=env, stdout=open(self.log, "wb"),
                                     cwd=os.path.dirname(huesift))
        self.main = wait_for("the main window", lambda: desktop.window("Huesift"), timeout=30)

        def drawn():
            # The window may yet be placed anew.
            self.main = desktop.window("Huesift") or self.main
            return desktop.screen().pixel(*self.at((5, 10))) == TOOLBAR_COLOUR
        wait_for("the toolbar drawn", drawn)

    def stage_per_logical(self):
        return self.desktop.scale / self.desktop.pixels_per_stage()

    def at(self, point):
        """The screen pixel at a point of the main window (logical pixels)."""
        per = self.desktop.pixels_per_stage()
        return tuple(int(self.main[k] * per + point[i] * self.desktop.scale)
                     for i, k in enumerate(("x", "y")))

    def click(self, point):
        """Clicks a point of the main window (logical pixels) at its pixel's centre."""
        per = self.stage_per_logical()
        self.desktop.click(self.main["x"] + point[0] * per, self.main["y"] + point[1] * per)

    def messages(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return [line.split(": ", 1)[1].rstrip("\n") for line in log
                    if line.startswith("huesift.messages: ")]

    def click_capture(self):
        """Clicks Capture, again while nothing comes of it: a click that comes before a newly
        shown window takes the pointer is lost. The capture then hides the main window or
        opens a window of its own (a question, a message)."""
        def titles():
            return sorted(w["title"] or "" for w in self.desktop.windows())
        before = titles()
        for _ in range(5):
            self.click(CAPTURE_BUTTON)
            if wait_for("the capture to begin", lambda: titles() != before, timeout=3,
                        quiet=True):
                return
        fail("Capture does nothing")

    def overlay(self):
        return wait_for("the overlay full-screen", lambda: next(
            (w for w in self.desktop.windows()
             if w["title"] == "Huesift capture" and w["fullscreen"]), None), timeout=30)

    def drag(self, start, end):
        """Drags over the overlay between two screen pixels (their centres) and waits for the
        main window to come back."""
        desktop = self.desktop
        per = desktop.pixels_per_stage()
        stage = [((p[0] + 0.5) / per, (p[1] + 0.5) / per) for p in (start, end)]
        desktop.move(*stage[0])
        desktop.button(True)
        steps = 6
        for _ in range(steps):
            desktop.remote.NotifyPointerMotionRelative(
                (stage[1][0] - stage[0][0]) / steps / desktop.motion_scale,
                (stage[1][1] - stage[0][1]) / steps / desktop.motion_scale)
            time.sleep(0.05)
        desktop.button(False)
        self.main = wait_for("the main window back", lambda: not desktop.window(
            "Huesift capture") and desktop.window("Huesift"))

    def menu(self):
        """The program's pop-up menu, while it is up: a window of its own over the main
        window."""
        return next((w for w in self.desktop.windows() if w["x"] != self.main["x"] or
                     w["width"] != self.main["width"]), None)

    def copy(self):
        """The picture through its menu's Copy and the clipboard, as a Frame."""
        import io
        from PIL import Image
        desktop = self.desktop
        per = desktop.pixels_per_stage()
        point = self.at((PICTURE_ORIGIN[0] + 20, PICTURE_ORIGIN[1] + 20))
        desktop.move(point[0] / per, point[1] / per)
        # Whatever the clipboard held goes first: every capture here takes the same pixels.
        desktop.eval("imports.gi.St.Clipboard.get_default().set_text("
                     "imports.gi.St.ClipboardType.CLIPBOARD, 'none')")
        png = None
        per_logical = self.stage_per_logical()
        # A click that comes before the new menu takes the pointer is lost: it is repeated,
        # on the menu while it is up, and else on the picture for the menu again.
        for _ in range(4):
            menu = self.menu()
            if not menu:
                # The right button opens the picture's menu, whose first item is Copy. A
                # window just shown again takes the pointer only after a while; until then
                # the button would open the desktop's own menu.
                desktop.move(point[0] / per, point[1] / per)
                wait_for("the main window under the pointer",
                         lambda: desktop.window_at(point[0] / per, point[1] / per))
                desktop.button(True, BTN_RIGHT)
                desktop.button(False, BTN_RIGHT)
                menu = wait_for("the picture's menu", self.menu, timeout=3, quiet=True)
                if not menu:
                    continue
                time.sleep(0.3)
            desktop.click(menu["x"] + 25 * per_logical, menu["y"] + 10 * per_logical)
            png = wait_for("a picture on the clipboard", lambda: (
                lambda data: data.startswith(b"\x89PNG") and data)(desktop.clipboard_png()),
                timeout=3, quiet=True)
            if png:
                break
        check(png, "Copy put no picture on the clipboard")
        with Image.open(io.BytesIO(png)) as image:
            rgb = image.convert("RGB")
            return Frame(rgb.width, rgb.height, rgb.tobytes())

    def quit(self):
        self.desktop.stop(self.process)
        wait_for("the main window gone", lambda: not self.desktop.window("Huesift"))
