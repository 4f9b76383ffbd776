# SPDX-License-Identifier: GPL-3.0-or-later
"""A headless KDE Plasma desktop for the end-to-end tests: KWin on a virtual output with KDE's
screenshot portal, on a private session bus (and a private "system" bus), a pointer driven
through KWin's fake-input protocol, the screen read through KWin's own screenshot interface
(without the pointer) and the windows through KWin's scripting interface.

KWin offers its screenshots and its fake input only to executables that an installed desktop
entry names (Exec, by full path) with the interface in X-KDE-DBUS-Restricted-Interfaces or
X-KDE-Wayland-Interfaces. The session writes such entries for the pointer, for a private copy
of Python that reads the screen, and, from the build's own desktop entry, for the program
under test, before KWin starts. Like wayland_session.py it runs as a throw-away user
(run_as_session_user there)."""

import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import time

from harness import TOOLBAR_COLOUR, check, decode_png, fail
from wayland_session import (LAST_SCREEN, POINTER_STEPS, Frame, Pointer, SessionProcesses,
                             session_environment, wait_for)

KWIN = "/usr/bin/kwin_wayland"
TOOLS = ("kwin_wayland", "kbuildsycoca5", "dbus-daemon", "dbus-run-session")


def kde_portal():
    found = glob.glob("/usr/lib/*/libexec/xdg-desktop-portal-kde")
    return found[0] if found else "/usr/libexec/xdg-desktop-portal-kde"


PORTALS = ("/usr/libexec/xdg-desktop-portal", kde_portal())
MODULES = ("harness.py", "wayland_session.py", "kde_session.py")
# The session bus starts nothing but the permission store: the portal's back-end is started
# here, and another desktop's would be started beside it.
SERVICES = ("org.freedesktop.impl.portal.PermissionStore.service",)


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--pattern", required=True)
    parser.add_argument("--entry", required=True)
    parser.add_argument("--pointer", default="")
    parser.add_argument("--inner", action="store_true")
    parser.add_argument("--dir")
    return parser.parse_args()


# Reads the screen through KWin's ScreenShot2, run by a private copy of Python that a desktop
# entry authorises: the whole workspace at the screen's own resolution, without the pointer,
# written to standard output as "WIDTH HEIGHT\n" and packed RGB rows.
READER = r'''
import os, sys, dbus
read_end, write_end = os.pipe()
meta = dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2").CaptureWorkspace(
    {"include-cursor": False, "native-resolution": True}, dbus.types.UnixFd(write_end),
    dbus_interface="org.kde.KWin.ScreenShot2", signature="a{sv}h", timeout=20)
os.close(write_end)
width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
if int(meta["format"]) not in (4, 5, 6):  # RGB32, ARGB32, ARGB32_Premultiplied: B G R A
    sys.exit("unexpected format %s" % meta["format"])
data = bytearray()
while len(data) < stride * height:
    chunk = os.read(read_end, 1 << 20)
    if not chunk:
        sys.exit("the picture ended early")
    data.extend(chunk)
if stride != width * 4:
    data = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
rgb = bytearray(width * height * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
sys.stdout.buffer.write(b"%d %d\n" % (width, height) + rgb)
'''

# Lists the windows, bottom to top, to KWin's log (its scripts print nowhere else).
WINDOWS_SCRIPT = r'''
var out = [];
var windows = workspace.clientList();
for (var i = 0; i < windows.length; ++i) {
    var w = windows[i];
    // What the program draws (KWin's title bar lies above it).
    var g = w.bufferGeometry;
    out.push({caption: String(w.caption), pid: w.pid, active: !!w.active,
              fullScreen: !!w.fullScreen, minimized: !!w.minimized, layer: w.layer,
              stackingOrder: w.stackingOrder, x: g.x, y: g.y, width: g.width,
              height: g.height});
}
out.sort(function(a, b) { return a.stackingOrder - b.stackingOrder; });
print("MARKER " + JSON.stringify(out));
'''


class KWinDesktop(SessionProcesses):
    """KWin on one virtual output at a scale, with the portal; everything it started ends
    when it closes. Screen pixels are the output's own; window rectangles are logical."""

    def __init__(self, args, name):
        super().__init__(os.path.join(args.dir, name))
        self.args = args
        self.bin = os.path.join(self.dir, "bin")
        run = os.path.join(self.dir, "run")
        self.home = os.path.join(self.dir, "home")
        os.makedirs(self.bin)
        os.mkdir(run, 0o700)
        # KDE's portal saves every screenshot to the pictures folder, and fails without one.
        os.makedirs(os.path.join(self.home, "Pictures"))
        self.scripts = 0
        self.env = session_environment(run, self.home, XDG_CURRENT_DESKTOP="KDE",
                                       KDE_FULL_SESSION="true", KDE_SESSION_VERSION="5")
        self.applications = os.path.join(self.env["XDG_DATA_HOME"], "applications")
        os.makedirs(self.applications)

    def entry(self, name, program, key, value):
        """A desktop entry that names program, for KWin to grant it an interface."""
        with open(os.path.join(self.applications, name + ".desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=%s\nNoDisplay=true\nExec=%s\n%s=%s\n"
                    % (name, program, key, value))

    def install_huesift(self, program):
        """The build's own desktop entry, naming the copy of the program that runs here."""
        with open(self.args.entry, encoding="utf-8") as f:
            text = f.read()
        check(re.search(r"^Exec=\S+ ", text, re.M), "the build's desktop entry has no Exec")
        text = re.sub(r"^Exec=\S+", lambda _: "Exec=" + program, text, flags=re.M)
        with open(os.path.join(self.applications, "huesift.desktop"), "w",
                  encoding="utf-8") as f:
            f.write(text)

    def start(self, size=(1280, 800), scale=1, xwayland=False):
        """The private buses, KWin on a virtual output of size (logical) at scale (with
        XWayland when asked), and the portal with KDE's back-end."""
        self.scale = scale
        self.mode = tuple(round(v * scale) for v in size)
        self.outputs = {"Virtual-0": dict(origin=(0, 0), mode=self.mode, scale=scale)}
        self.current = "Virtual-0"
        # A "system" bus of our own: KWin and the portal look for one.
        config = os.path.join(self.dir, "system-bus.conf")
        os.mkdir(os.path.join(self.dir, "system-bus"))
        with open(config, "w") as f:
            f.write('<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration '
                    '1.0//EN" "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">\n'
                    '<busconfig><type>system</type><listen>unix:dir=%s</listen>'
                    '<auth>EXTERNAL</auth><policy context="default"><allow send_destination='
                    '"*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>'
                    '</busconfig>\n' % os.path.join(self.dir, "system-bus"))
        system_bus = subprocess.Popen(["dbus-daemon", "--config-file", config, "--nofork",
                                       "--print-address=1"], stdout=subprocess.PIPE,
                                      env=self.env)
        self.processes.append(system_bus)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = system_bus.stdout.readline().decode().strip()
        check(self.env["DBUS_SYSTEM_BUS_ADDRESS"], "the private system bus did not start")

        # The installed kwin_wayland carries a file capability that a container's bounding
        # set may lack, and then cannot be started: a plain copy can.
        kwin = os.path.join(self.bin, "kwin_wayland")
        shutil.copy(KWIN, kwin)
        self.python = os.path.join(self.bin, "kwin-python")
        shutil.copy(os.path.realpath("/usr/bin/python3"), self.python)
        self.entry("huesift-e2e-screen", self.python, "X-KDE-DBUS-Restricted-Interfaces",
                   "org.kde.KWin.ScreenShot2")
        self.entry("huesift-e2e-pointer", os.path.realpath(self.args.pointer),
                   "X-KDE-Wayland-Interfaces", "org_kde_kwin_fake_input")
        self.install_huesift(os.path.realpath(self.args.huesift))
        # KWin finds desktop entries in KDE's service cache.
        with open(os.path.join(self.dir, "sycoca.log"), "wb") as log:
            subprocess.run(["kbuildsycoca5"], env=self.env, stdout=log, stderr=log, timeout=60,
                           check=True)

        import dbus  # the system's python3-dbus, which the session's own Python has
        self.bus = dbus.SessionBus()
        env = dict(self.env, QT_LOGGING_RULES="kwin_scripting.debug=true")
        sockets = "/tmp/.X11-unix"
        if xwayland:
            os.makedirs(sockets, mode=0o1777, exist_ok=True)
            displays = set(os.listdir(sockets))
        self.kwin = self.spawn([kwin, "--virtual", "--width", str(size[0]), "--height",
                                str(size[1]), "--scale", str(scale), "--socket", "wayland-0",
                                "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"] +
                               (["--xwayland"] if xwayland else []), "kwin", env=env)
        wait_for("KWin on the bus", lambda: self.kwin.poll() is None and
                 self.on_bus("org.kde.KWin"), timeout=60)
        check(self.kwin.poll() is None, "KWin ended; see kwin.log")
        self.env["WAYLAND_DISPLAY"] = "wayland-0"
        if xwayland:
            # The X display KWin's XWayland serves: the socket that came with it.
            self.x_display = ":" + wait_for("XWayland's socket", lambda: next(
                (n[1:] for n in set(os.listdir(sockets)) - displays if n.startswith("X")),
                None))
        backend = self.spawn([kde_portal()], "xdpk", env=dict(self.env, QT_QPA_PLATFORM="wayland"))
        # The front end must find the back-end on the bus when it starts.
        wait_for("KDE's portal back-end", lambda: backend.poll() is None and
                 self.on_bus("org.freedesktop.impl.portal.desktop.kde"), timeout=30)
        self.portal = self.spawn(["/usr/libexec/xdg-desktop-portal"], "xdp")
        wait_for("the portal", lambda: self.on_bus("org.freedesktop.portal.Desktop"),
                 timeout=30)

    def stop_portal(self):
        self.stop(self.portal)
        wait_for("the portal gone", lambda: not self.on_bus("org.freedesktop.portal.Desktop"))

    def on_bus(self, name):
        return bool(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
                    .NameHasOwner(name, dbus_interface="org.freedesktop.DBus"))

    def layout(self):
        return tuple(self.mode[i] / self.scale for i in (0, 1))

    def screen(self):
        """The output's own pixels, without the pointer, as KWin reads them."""
        result = subprocess.run([self.python, "-c", READER], env=self.env, capture_output=True,
                                timeout=60)
        if result.returncode != 0:
            fail("reading the screen through KWin failed: %s"
                 % result.stderr.decode(errors="replace"))
        head, data = result.stdout.split(b"\n", 1)
        width, height = (int(v) for v in head.split())
        frame = Frame(width, height, data)
        LAST_SCREEN[:] = [(frame, os.path.join(self.dir, "last-screen.ppm"))]
        return frame

    def windows(self):
        """The windows, bottom to top, as KWin's scripting tells them: caption, pid, active,
        fullScreen, normal, and the logical rectangle of the window's own content."""
        self.scripts += 1
        marker = "huesift-windows-%d" % self.scripts
        path = os.path.join(self.dir, "windows.js")
        with open(path, "w") as f:
            f.write(WINDOWS_SCRIPT.replace("MARKER", marker))
        scripting = self.bus.get_object("org.kde.KWin", "/Scripting")
        scripting.loadScript(path, marker, dbus_interface="org.kde.kwin.Scripting",
                             signature="ss")
        # Runs every script loaded and not yet running: this one.
        scripting.start(dbus_interface="org.kde.kwin.Scripting")
        log = os.path.join(self.dir, "kwin.log")

        def printed():
            with open(log, encoding="utf-8", errors="replace") as f:
                for line in f:
                    if marker + " " in line:
                        return [json.loads(line.split(marker + " ", 1)[1])]
            return None
        found = wait_for("KWin's list of windows", printed, timeout=10)[0]
        scripting.unloadScript(marker, dbus_interface="org.kde.kwin.Scripting")
        return found


class KWinPointer(Pointer):
    """The test's pointer on KWin: the same commands as on wlroots, through fake input."""

    def __init__(self, desktop):
        self.desktop = desktop
        width, height = desktop.layout()
        self.process = subprocess.Popen([desktop.args.pointer, str(POINTER_STEPS),
                                         str(POINTER_STEPS), str(width), str(height)],
                                        env=desktop.env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        desktop.processes.append(self.process)
        check(self.process.stdout.readline().strip() == "ready", "the fake-input pointer failed")

    def move(self, point):
        # KWin gave windows this pointer at whole logical pixels, the nearest to where it was
        # put: the test points at screen pixels that lie on one.
        logical = [point[i] / self.desktop.scale + 0.05 for i in (0, 1)]
        layout = self.desktop.layout()
        self.send("move %d %d" % tuple(round(logical[i] / layout[i] * POINTER_STEPS)
                                       for i in (0, 1)))
        time.sleep(0.03)

    def key(self, code):
        self.send("key %d 1" % code)
        self.send("key %d 0" % code)

    def copy(self):
        """Ctrl+C to the active window."""
        for command in ("key 29 1", "key 46 1", "key 46 0", "key 29 0"):
            self.send(command)


def main_window_of(windows, pid):
    """Huesift's main window among KWin's windows: its title ends with the program's name."""
    return next((w for w in windows if w["pid"] == pid and not w["minimized"] and
                 (w["caption"] == "Huesift" or w["caption"].endswith(" - Huesift")) and
                 w["width"] > 400), None)


class KHuesift:
    """The program on KWin, on Qt's Wayland platform, and what a user does with it."""

    def __init__(self, desktop, pointer, program, name="huesift", platform="wayland"):
        self.desktop, self.pointer = desktop, pointer
        env = dict(desktop.env, QT_QPA_PLATFORM=platform,
                   QT_LOGGING_RULES="huesift.messages.debug=true")
        if platform == "xcb":
            env["DISPLAY"] = desktop.x_display
        self.log = os.path.join(desktop.dir, name + ".log")
        self.process = desktop.spawn([program], name, env=env)
        main = wait_for("the main window", lambda: main_window_of(desktop.windows(),
                                                                  self.process.pid))
        self.origin = (main["x"], main["y"])
        if platform == "xcb":
            # KWin tells an X11 window's frame, its title bar included: the window's own
            # top is where its toolbar begins.
            def toolbar_top():
                screen = desktop.screen()
                x = round((main["x"] + 5) * desktop.scale)
                return next((y for y in range(round(main["y"] * desktop.scale), screen.height)
                             if screen.pixel(x, y) == TOOLBAR_COLOUR), None)
            self.origin = (main["x"], wait_for("the toolbar drawn", toolbar_top) /
                           desktop.scale)
        wait_for("the toolbar drawn", lambda: desktop.screen().pixel(
            *self.at((5, 10))) == TOOLBAR_COLOUR)

    def at(self, point):
        """The screen pixel at a point of the main window (logical pixels)."""
        return tuple(int((self.origin[i] + point[i]) * self.desktop.scale) for i in (0, 1))

    def messages(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return [line.split(": ", 1)[1].rstrip("\n") for line in log
                    if line.startswith("huesift.messages: ")]

    def main_window(self):
        return main_window_of(self.desktop.windows(), self.process.pid)

    def overlay(self):
        return next((w for w in self.desktop.windows() if w["pid"] == self.process.pid and
                     w["caption"] == "Huesift capture" and w["fullScreen"]), None)

    def wait_for_overlay(self):
        """The overlay full-screen. The screenshot before it may take the program's whole 20 s
        on a busy machine (KDE's portal starts cold), so the wait is longer than that, and a
        message the program showed instead is named."""
        if not wait_for("the overlay full-screen", self.overlay, timeout=30, quiet=True):
            fail("no overlay after 30 s; messages shown: %s" % self.messages())

    def click_capture(self, button):
        """Clicks Capture until the main window goes (a click that comes before a newly
        shown window takes the pointer is lost)."""
        for _ in range(5):
            self.pointer.click(self.at(button))
            if wait_for("the capture to begin", lambda: not self.main_window(), timeout=3,
                        quiet=True):
                return
        fail("Capture did not hide the main window")

    def answer_message(self, text):
        """Waits for the message box that shows text and clicks its OK."""
        wait_for("the message", lambda: text in self.messages())
        box = wait_for("the message box", lambda: next(
            (w for w in self.desktop.windows() if w["pid"] == self.process.pid and
             w["caption"] == "Huesift" and w["width"] < 700), None))
        scale = self.desktop.scale
        ok = (int((box["x"] + box["width"] - 50) * scale),
              int((box["y"] + box["height"] - 24) * scale))
        for _ in range(10):
            self.pointer.click(ok)
            if wait_for("the box to close", lambda: not any(
                    w["pid"] == self.process.pid and w["caption"] == "Huesift" and
                    w["width"] < 700 for w in self.desktop.windows()), timeout=2, quiet=True):
                return
        fail("the message box could not be closed")

    def copy(self):
        """The picture through the clipboard (Ctrl+C), as wl-paste reads it."""
        subprocess.run(["wl-copy", "--type", "text/plain", "not a picture"],
                       env=self.desktop.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        self.pointer.copy()

        def png():
            data = subprocess.run(["wl-paste", "--no-newline", "--type", "image/png"],
                                  env=self.desktop.env, capture_output=True, timeout=30).stdout
            return data if data.startswith(b"\x89PNG") else None
        return decode_png(wait_for("a PNG on the clipboard", png))

    def quit(self):
        self.desktop.stop(self.process)
