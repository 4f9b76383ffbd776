# SPDX-License-Identifier: GPL-3.0-or-later
"""A headless Wayland desktop for the end-to-end tests: sway with the freedesktop screenshot
portal on a private session bus, pipewire, a pointer driven through wlroots' virtual-pointer
protocol, the screen read with grim and the clipboard with wl-paste (or xclip on XWayland),
and the real huesift on it.

sway refuses to run as root and the portal serves only its own user, so the session runs as a
throw-away user created for the test and removed after it; that needs root, and without root
the test reports itself skipped. The test runs twice: as root, run_as_session_user() makes the
user and runs the test again as that user from a folder the user can read, where this module
and the harness are copied beside it; inside, Desktop starts the session. The session has its
own /tmp where the system allows it (the portal writes its pictures there under a fixed name)."""

import argparse
import functools
import json
import os
import pwd
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from harness import (CAPTURE_BUTTON, ON_FAILURE, PICTURE_ORIGIN, TOOLBAR_COLOUR, check,
                     decode_png, encode_png, fail, session_bus_config, skip)
from harness import wait_for as harness_wait_for

OUTPUT = (1280, 800)
TOOLS = ("sway", "swaybg", "swaymsg", "grim", "wl-paste", "wl-copy", "pipewire", "Xwayland",
         "xclip", "dbus-run-session", "dbus-send", "dbus-update-activation-environment")
PORTALS = ("/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-wlr",
           "/usr/libexec/xdg-desktop-portal-gtk")

# What the test run as the session's user imports, copied beside it.
MODULES = ("harness.py", "wayland_session.py")
# What the session bus may start: the portal back-end for what wlroots' lacks, and the
# permission store.
SERVICES = ("org.freedesktop.impl.portal.desktop.gtk.service",
            "org.freedesktop.impl.portal.PermissionStore.service")


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--pattern")
    parser.add_argument("--pointer", default="")
    parser.add_argument("--inner", action="store_true")
    parser.add_argument("--dir")
    return parser.parse_args()


# ---------------------------------------------------------------------------------------
# Outside: as root, a user for the session, and everything removed afterwards.
# ---------------------------------------------------------------------------------------

def run_as_session_user(args, test, tools=TOOLS, portals=PORTALS, modules=MODULES, files=(),
                        services=SERVICES, timeout=240):
    """Runs the test script again as a throw-away user on a private session bus, with --inner
    and --dir, and exits with its status. Another desktop's test names what it needs: tools
    and portals (without them it skips), modules beside it, files (options of args whose file
    is copied beside it and passed on) and the bus's services."""
    if os.geteuid() != 0:
        skip("the Wayland session runs as a throw-away user, which only root can create")
    missing = [t for t in tools + ("runuser", "useradd", "userdel") if not shutil.which(t)]
    missing += [p for p in portals if not os.path.exists(p)]
    if missing:
        skip("not installed: " + ", ".join(missing))
    if args.pointer is not None and not args.pointer:
        skip("the virtual-pointer client was not built (wayland-client or wayland-scanner "
             "missing)")

    here = os.path.dirname(os.path.abspath(__file__))
    work = tempfile.mkdtemp(prefix="huesift-wayland.", dir="/var/tmp")
    os.chmod(work, 0o755)
    user = "hswl" + secrets.token_hex(4)
    created = False
    try:
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", work,
                        "--shell", "/usr/sbin/nologin", "--user-group", user], check=True)
        created = True
        entry = pwd.getpwnam(user)
        # The program and what it reads beside it, the pointer, the test and what it imports,
        # where the user can reach them.
        bin_dir = os.path.join(work, "bin")
        os.mkdir(bin_dir)
        source = os.path.dirname(os.path.abspath(args.huesift))
        shutil.copy2(args.huesift, bin_dir)
        for name in os.listdir(source):
            if name.endswith(".cur"):
                shutil.copy2(os.path.join(source, name), bin_dir)
        if args.pointer:
            shutil.copy2(args.pointer, bin_dir)
        shutil.copy2(test, bin_dir)
        for name in modules:
            shutil.copy2(os.path.join(here, name), bin_dir)
        passed_on = []
        for option in files:
            shutil.copy2(getattr(args, option), bin_dir)
            passed_on += ["--" + option,
                          os.path.join(bin_dir, os.path.basename(getattr(args, option)))]
        session = os.path.join(work, "session")
        os.mkdir(session, 0o700)
        os.chown(session, entry.pw_uid, entry.pw_gid)

        bus = write_bus_config(work, session, services)
        # The system's own Python: the one running this may live where the user cannot read.
        python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
        inner_argv = ["runuser", "-u", user, "--", "dbus-run-session", "--config-file", bus,
                      "--", python, os.path.join(bin_dir, os.path.basename(test)), "--inner",
                      "--huesift", os.path.join(bin_dir, os.path.basename(args.huesift)),
                      "--dir", session] + passed_on
        if args.pointer:
            inner_argv += ["--pointer", os.path.join(bin_dir, os.path.basename(args.pointer))]
        private_tmp = subprocess.run(
            ["unshare", "--mount", "--propagation", "private", "true"],
            capture_output=True).returncode == 0
        if private_tmp:
            script = 'mount -t tmpfs -o mode=1777 tmpfs /tmp && exec "$@"'
            argv = ["unshare", "--mount", "--propagation", "private", "sh", "-c", script,
                    "sh"] + inner_argv
        else:
            if os.path.exists("/tmp/out.png"):
                skip("/tmp/out.png, where the portal writes, belongs to something else")
            argv = inner_argv
        result = subprocess.run(argv, timeout=timeout)
        code = result.returncode
    finally:
        if created:
            end_processes_of(user)
            subprocess.run(["userdel", user], check=False)
        if os.environ.get("HUESIFT_E2E_KEEP"):
            print("kept: " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    sys.exit(code)


def write_bus_config(work, session, names):
    """A session bus that starts only the services the test wants (portal back-ends, say):
    the front end is started by the test itself, so that stopping it leaves no portal at
    all."""
    services = os.path.join(work, "services")
    os.mkdir(services)
    for name in names:
        path = os.path.join("/usr/share/dbus-1/services", name)
        if os.path.exists(path):
            shutil.copy2(path, services)
    config = os.path.join(work, "bus.conf")
    with open(config, "w") as f:
        f.write(session_bus_config(session, services))
    return config


def end_processes_of(user):
    """Whatever the session left running: the processes of the test's own user, by id."""
    for _ in range(20):
        listed = subprocess.run(["ps", "-u", user, "-o", "pid="], capture_output=True, text=True)
        pids = [int(p) for p in listed.stdout.split()]
        if not pids:
            return
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.1)


def session_test_main(test):
    """A sway test's entry: as root, runs its script again as the session user and exits
    with that run's status; as that user, runs test(args)."""
    args = arguments()
    if not args.inner:
        run_as_session_user(args, os.path.abspath(sys.argv[0]))
    test(args)


# ---------------------------------------------------------------------------------------
# Inside: as the throw-away user, on the private session bus.
# ---------------------------------------------------------------------------------------

def session_environment(run, home, **desktop):
    """The session user's environment: this process's, without the display it was started
    on, with the user's own runtime and home folders and the desktop's variables."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR",
                        "XAUTHORITY")}
    env.update(XDG_RUNTIME_DIR=run, HOME=home, XDG_CONFIG_HOME=home + "/.config",
               XDG_CACHE_HOME=home + "/.cache", XDG_DATA_HOME=home + "/.local/share",
               XDG_SESSION_TYPE="wayland", **desktop)
    return env


class SessionProcesses:
    """The programs a desktop started, each logging to a file of its own in its folder; they
    all end when it closes."""

    def __init__(self, directory):
        self.dir = directory
        self.processes = []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def log(self, name):
        return open(os.path.join(self.dir, name + ".log"), "wb")

    def spawn(self, argv, name, **kw):
        process = subprocess.Popen(argv, env=kw.pop("env", None) or self.env,
                                   stdout=kw.pop("stdout", None) or self.log(name),
                                   stderr=subprocess.STDOUT, **kw)
        self.processes.append(process)
        return process

    def stop(self, process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def close(self):
        for process in reversed(self.processes):
            self.stop(process)


class Desktop(SessionProcesses):
    """The session as the throw-away user: sway on a headless output showing a known
    background, pipewire and the portals, and the tools that read the screen and the windows;
    everything it started ends when it closes."""

    def __init__(self, args, name=None):
        """name: a folder of its own in the session's, for a second desktop in one test."""
        super().__init__(os.path.join(args.dir, name) if name else args.dir)
        self.args = args
        os.makedirs(self.dir, exist_ok=True)
        run = os.path.join(self.dir, "run")
        home = os.path.join(self.dir, "home")
        os.mkdir(run, 0o700)
        os.mkdir(home)
        self.env = session_environment(run, home, WLR_BACKENDS="headless",
                                       WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman",
                                       XDG_CURRENT_DESKTOP="sway")

    def tool(self, *argv, check_rc=True):
        result = subprocess.run(list(argv), env=self.env, capture_output=True, timeout=30)
        if check_rc and result.returncode != 0:
            fail("%s failed: %s" % (" ".join(argv), result.stderr.decode(errors="replace")))
        return result

    # ---- the compositor and the portal ----

    def start(self, pattern_rows, mode=OUTPUT, scale=1, second=None):
        """Starts the session on one output of mode (screen pixels) at scale, with the picture
        as the desktop's background; at scale 1 it is shown one picture pixel per screen pixel
        and what the screen shows is then compared with self.background. second: (mode,
        scale, picture) of a second output, HEADLESS-2, right of the first."""
        self.background = Frame.of(pattern_rows)
        self.mode, self.scale = mode, scale
        self.outputs = {"HEADLESS-1": dict(origin=(0, 0), mode=mode, scale=scale)}
        self.current = "HEADLESS-1"  # the output that screen(), the pointer and Huesift use
        outputs = [("HEADLESS-1", mode, scale, pattern_rows)]
        if second:
            self.env["WLR_HEADLESS_OUTPUTS"] = "2"
            outputs.append(("HEADLESS-2",) + tuple(second))
            self.outputs["HEADLESS-2"] = dict(origin=(round(mode[0] / scale), 0),
                                              mode=second[0], scale=second[1])
        config = os.path.join(self.dir, "sway.cfg")
        with open(config, "w") as f:
            for name, size, factor, rows in outputs:
                background = os.path.join(self.dir, "pattern-%s.png" % name)
                with open(background, "wb") as picture:
                    picture.write(encode_png(rows))
                origin = self.outputs[name]["origin"]
                f.write("output %s resolution %dx%d position %d %d scale %s bg %s center\n"
                        % ((name,) + size + origin + (factor, background)))
            f.write("default_border none\ndefault_floating_border none\n")
            # The pointer is drawn into the screen's picture; it goes once it rests.
            f.write("seat seat0 hide_cursor 200\n")
            f.write("exec printenv DISPLAY > %s\n" % os.path.join(self.dir, "xdisplay"))
        self.spawn(["sway", "-c", config], "sway")
        run = self.env["XDG_RUNTIME_DIR"]
        socket = wait_for("the compositor's socket", lambda: next(
            (n for n in os.listdir(run) if n.startswith("wayland-") and not n.endswith(".lock")),
            None))
        self.env["WAYLAND_DISPLAY"] = socket
        self.env["SWAYSOCK"] = os.path.join(run, wait_for("sway's control socket", lambda: next(
            (n for n in os.listdir(run) if n.startswith("sway-ipc.")), None)))
        self.tool("dbus-update-activation-environment", "XDG_RUNTIME_DIR", "WAYLAND_DISPLAY",
                  "XDG_CURRENT_DESKTOP")
        self.spawn(["pipewire"], "pipewire")
        time.sleep(1)
        self.spawn(["/usr/libexec/xdg-desktop-portal-wlr"], "xdpw")
        wait_for("the wlroots portal", lambda: self.on_bus("org.freedesktop.impl.portal.desktop.wlr"))
        self.start_portal()

    def set_scale(self, scale, mode=None):
        """The output's scale, and its mode (screen pixels) when given, which the programs on
        it see at once."""
        mode = mode or self.mode
        self.tool("swaymsg", "output HEADLESS-1 resolution %dx%d scale %s" % (mode + (scale,)))
        self.mode, self.scale = mode, scale
        self.outputs["HEADLESS-1"].update(mode=mode, scale=scale)
        wait_for("the output at scale %s" % scale, lambda: any(
            o["name"] == "HEADLESS-1" and o["scale"] == scale and
            (o["current_mode"]["width"], o["current_mode"]["height"]) == mode for o in
            json.loads(self.tool("swaymsg", "-t", "get_outputs").stdout)))

    def start_portal(self):
        self.portal = self.spawn(["/usr/libexec/xdg-desktop-portal"], "xdp")
        wait_for("the portal", lambda: self.on_bus("org.freedesktop.portal.Desktop"))

    def offer_png(self, png, path=None):
        """wl-copy, kept in the foreground, holding png as the selection; path: where its cat
        is looked for first."""
        env = dict(self.env)
        if path:
            env["PATH"] = path + ":" + env.get("PATH", "/usr/bin:/bin")
        owner = subprocess.Popen(["wl-copy", "--foreground", "--type", "image/png"], env=env,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        self.processes.append(owner)
        owner.stdin.write(png)
        owner.stdin.close()
        wait_for("the offer on the clipboard", lambda: b"image/png" in self.tool(
            "wl-paste", "--list-types", check_rc=False).stdout)
        return owner

    def xwayland_display(self):
        """The X display sway's XWayland serves, as sway told its first command."""
        path = os.path.join(self.dir, "xdisplay")
        return wait_for("XWayland's display", lambda: os.path.exists(path) and
                        open(path).read().strip())

    def on_bus(self, name):
        result = self.tool("dbus-send", "--session", "--print-reply",
                           "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus.NameHasOwner", "string:" + name, check_rc=False)
        return b"boolean true" in result.stdout

    def stop_portal(self):
        self.stop(self.portal)
        wait_for("the portal gone", lambda: not self.on_bus("org.freedesktop.portal.Desktop"))

    # ---- windows ----

    def windows(self):
        tree = json.loads(self.tool("swaymsg", "-t", "get_tree").stdout)
        found = []

        def walk(node):
            if node.get("pid") and node.get("visible"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(tree)
        return found

    def window(self, title, kind=None):
        """A visible window called title, or "NAME - title" (Huesift's main window names its
        picture first)."""
        def named(w):
            name = w.get("name") or ""
            return name == title or name.endswith(" - " + title)
        return next((w for w in self.windows() if named(w) and
                     (kind is None or w.get("type") == kind)), None)

    def layout(self):
        """The logical size of the whole desktop, every output where it lies."""
        return tuple(max(o["origin"][i] + o["mode"][i] / o["scale"] for o in self.outputs.values())
                     for i in (0, 1))

    def screen(self, output=None):
        """An output's own screen pixels (the current output's unless named), as grim reads
        them."""
        data = self.tool("grim", "-t", "ppm", "-o", output or self.current, "-").stdout
        magic, width, height, depth, pixels = data.split(maxsplit=4)
        check(magic == b"P6" and depth == b"255", "unexpected grim output")
        frame = Frame(int(width), int(height), pixels)
        LAST_SCREEN[:] = [(frame, os.path.join(self.dir, "last-screen.ppm"))]
        return frame


def steady(read, what="the screen at rest"):
    """What read() gives once two reads in a row agree: a screen that has stopped changing."""
    last = [None]

    def same():
        now = read()
        agreed = now == last[0]
        last[0] = now
        return now if agreed else None
    return wait_for(what, same)


def user_files(home):
    """What the user's home and pictures folder hold: each regular file's path and bytes."""
    found = {}
    for folder in (home, os.path.join(home, "Pictures")):
        if os.path.isdir(folder):
            for name in sorted(os.listdir(folder)):
                path = os.path.join(folder, name)
                if os.path.isfile(path) and not os.path.islink(path):
                    with open(path, "rb") as f:
                        found[path] = f.read()
    return found


def check_picture_shown(desktop, corner, picture, skip, what="the picture"):
    """picture shown one picture pixel per screen pixel from the screen pixel corner (its top
    left), below the strip over its top row and right of its first skip columns, which the
    window's edge may cover."""
    x0, y0 = corner
    rows = [Frame.of([row[skip:]]).data for row in picture]

    def wrong_row():
        now = desktop.screen()
        return next((y for y in range(8, len(picture))
                     if now.row(y0 + y, x0 + skip, x0 + len(picture[0])) != rows[y]), None)
    wait_for("the picture shown", lambda: wrong_row() is None, quiet=True)
    row = wrong_row()
    check(row is None, "%s: row %s is not shown one picture pixel per screen pixel" % (what, row))


class Frame:
    """Rows of packed RGB bytes."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, bytes(data)

    @staticmethod
    def of(rows):
        return Frame(len(rows[0]), len(rows), b"".join(bytes(c for px in row for c in px)
                                                       for row in rows))

    def row(self, y, left=0, right=None):
        right = self.width if right is None else right
        return self.data[(y * self.width + left) * 3:(y * self.width + right) * 3]

    def pixel(self, x, y):
        return tuple(self.row(y, x, x + 1))

    def __eq__(self, other):
        return isinstance(other, Frame) and \
            (self.width, self.height, self.data) == (other.width, other.height, other.data)


class Pointer:
    def __init__(self, desktop):
        # Positions are screen pixels of the desktop's current output; the pointer goes to a
        # pixel's centre, which stays in the pixel whatever the scale turns it into in the
        # desktop's logical coordinates, fine steps of which the pointer is given.
        self.desktop = desktop
        self.process = subprocess.Popen([desktop.args.pointer, str(POINTER_STEPS),
                                         str(POINTER_STEPS)],
                                        env=desktop.env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        desktop.processes.append(self.process)
        check(self.process.stdout.readline().strip() == "ready", "the virtual pointer failed")

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        check(self.process.stdout.readline().strip() == "ok", "the pointer refused " + command)

    def move(self, point):
        output = self.desktop.outputs[self.desktop.current]
        layout = self.desktop.layout()
        logical = [output["origin"][i] + (point[i] + 0.5) / output["scale"] for i in (0, 1)]
        self.send("move %d %d" % tuple(round(logical[i] / layout[i] * POINTER_STEPS)
                                       for i in (0, 1)))
        time.sleep(0.03)

    def click(self, point, button=1):
        self.move(point)
        self.send("press %d" % button)
        time.sleep(0.05)
        self.send("release %d" % button)
        time.sleep(0.1)

    def drag(self, start, end, steps=8):
        self.move(start)
        self.send("press 1")
        for i in range(1, steps + 1):
            self.move((start[0] + (end[0] - start[0]) * i // steps,
                       start[1] + (end[1] - start[1]) * i // steps))
        self.send("release 1")


# Pointer positions are sent as fractions of the desktop in this many steps.
POINTER_STEPS = 1 << 20

LAST_SCREEN = []


def keep_last_screen():
    if LAST_SCREEN and os.environ.get("HUESIFT_E2E_KEEP"):
        frame, where = LAST_SCREEN[-1]
        with open(where, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (frame.width, frame.height) + frame.data)


ON_FAILURE.append(keep_last_screen)
# Most waits here take a screenshot each time round, so they look half as often.
wait_for = functools.partial(harness_wait_for, interval=0.1)


def changed_box(before, after):
    """Bounding box (left, top, right, bottom) of the pixels that differ, or None."""
    rows = [y for y in range(before.height) if before.row(y) != after.row(y)]
    if not rows:
        return None
    cols = [x for y in rows for x in range(before.width) if before.pixel(x, y) != after.pixel(x, y)]
    return min(cols), rows[0], max(cols) + 1, rows[-1] + 1


class Huesift:
    """The program on the desktop, on Qt's Wayland platform or as an X11 program on XWayland,
    and what a user does with it."""

    def __init__(self, desktop, pointer, platform):
        self.desktop, self.pointer = desktop, pointer
        env = dict(desktop.env, QT_QPA_PLATFORM=platform, QT_WAYLAND_DISABLE_WINDOWDECORATION="1",
                   QT_LOGGING_RULES="huesift.messages.debug=true")
        self.display = desktop.xwayland_display() if platform == "xcb" else None
        if self.display:
            env["DISPLAY"] = self.display
        self.log = os.path.join(desktop.dir, "huesift-%s.log" % platform)
        huesift = desktop.args.huesift
        self.process = desktop.spawn([huesift], "huesift", env=env, stdout=open(self.log, "wb"),
                                     cwd=os.path.dirname(huesift))
        main = wait_for("the main window", lambda: desktop.window("Huesift", "con"))
        self.origin = (main["rect"]["x"], main["rect"]["y"])
        # It runs and draws under the compositor: its toolbar in its colour.
        wait_for("the toolbar drawn", lambda: desktop.screen().pixel(
            *self.at((5, 10))) == TOOLBAR_COLOUR)

    def at(self, point):
        """The screen pixel of the current output at a point of the main window (logical
        pixels)."""
        output = self.desktop.outputs[self.desktop.current]
        return tuple(int((self.origin[i] - output["origin"][i] + point[i]) * output["scale"])
                     for i in (0, 1))

    def messages(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return [line.split(": ", 1)[1].rstrip("\n") for line in log
                    if line.startswith("huesift.messages: ")]

    def begin_capture(self):
        """Clicks Capture and returns the overlay, once it covers the screen."""
        desktop = self.desktop
        # A click that comes before a newly shown window takes the pointer is lost; it is
        # repeated while the main window stays (a capture hides it at once).
        for _ in range(5):
            self.pointer.click(self.at(CAPTURE_BUTTON))
            if wait_for("the capture to begin", lambda: not desktop.window("Huesift", "con"),
                        timeout=3, quiet=True):
                break

        def covering(w):
            # sway's window manager for XWayland now and then maps an X11 window that asks to
            # be full-screen as a floating window of the screen's size at its corner: the
            # same screen pixels. A Wayland window must be full-screen.
            output = desktop.outputs[desktop.current]
            return w.get("fullscreen_mode") or (self.display and w["rect"] == dict(
                x=output["origin"][0], y=output["origin"][1],
                width=round(output["mode"][0] / output["scale"]),
                height=round(output["mode"][1] / output["scale"])))
        return wait_for("the overlay full-screen", lambda: next(
            (w for w in desktop.windows()
             if w.get("name") == "Huesift capture" and covering(w)), None))

    def drag_on_overlay(self, start, end):
        """Drags a rectangle on the overlay and waits for the main window to come back."""
        self.pointer.drag(start, end)
        wait_for("the main window back", lambda: self.desktop.window("Huesift", "con") and
                 not self.desktop.window("Huesift capture"))

    def answer_message(self):
        """Waits for a message box and clicks its OK; whether the box went away."""
        desktop = self.desktop
        # The message box floats over the main window (which came back as a new window).
        box = wait_for("the message box", lambda: desktop.window("Huesift", "floating_con"))
        r = box["rect"]
        ok_button = (r["x"] + r["width"] - 50, r["y"] + r["height"] - 24)
        # A click that comes before the new box takes the pointer is lost; it is repeated.
        for _ in range(10):
            self.pointer.click(ok_button)
            if wait_for("the box to close", lambda: not any(
                    w["id"] == box["id"] for w in desktop.windows()), timeout=1, quiet=True):
                break
        return not any(w["id"] == box["id"] for w in desktop.windows())

    def copy(self):
        desktop = self.desktop
        if not self.display:
            # wl-copy stays behind to serve the clipboard; its output is not waited for.
            subprocess.run(["wl-copy", "--type", "text/plain", "not a picture"], env=desktop.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        point = self.at((PICTURE_ORIGIN[0] + 20, PICTURE_ORIGIN[1] + 20))
        self.pointer.move(point)
        time.sleep(0.3)
        before = desktop.screen()
        # Pressed on the picture, the right button opens the menu; let go over its one item,
        # it chooses the item.
        self.pointer.send("press 3")
        wait_for("the picture's menu", lambda: changed_box(before, desktop.screen()))
        time.sleep(0.3)
        # The item lies near the menu's top-left corner: what changed on the screen may also
        # take in the pointer, below and right of where it was pressed.
        menu = changed_box(before, desktop.screen())
        self.pointer.move((menu[0] + 25, menu[1] + 10))
        time.sleep(0.1)
        self.pointer.send("release 3")
        wait_for("the menu to close", lambda: changed_box(before, desktop.screen()) is None)

        def png():
            if self.display:
                # What an X11 program puts on the clipboard is read as X11 programs read it;
                # handing it on to Wayland programs is the desktop's part.
                data = desktop.tool("xclip", "-display", self.display, "-selection", "clipboard",
                                    "-t", "image/png", "-o", check_rc=False).stdout
            else:
                data = desktop.tool("wl-paste", "--no-newline", "--type", "image/png",
                                    check_rc=False).stdout
            return data if data.startswith(b"\x89PNG") else None
        return decode_png(wait_for("a PNG on the clipboard", png))

    def quit(self):
        self.desktop.stop(self.process)
