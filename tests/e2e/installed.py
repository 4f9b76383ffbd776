# SPDX-License-Identifier: GPL-3.0-or-later
"""Shared by the install and package tests: a build of the program as a packager makes it
(Qt alone, no tests or benchmarks), and checks of an installed Huesift on a private X
display, started from / as a menu launch would."""

import configparser
import os
import re
import shutil
import subprocess
import sys
import time

from harness import (ADD_COLOR_BUTTON, FILL_BUTTON, check, decode_png, encode_png, fail,
                     skip)
from session import Session


def run(argv, **kwargs):
    print("+ " + " ".join(argv), flush=True)
    result = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    if result.returncode != 0:
        sys.stdout.write(result.stdout.decode(errors="replace"))
        fail("%s exited with %d" % (argv[0], result.returncode))
    return result.stdout.decode(errors="replace")


def require_display_tools():
    for tool in ("Xvfb", "xdotool", "xclip", "xwininfo", "xprop"):
        if not shutil.which(tool):
            skip("%s is not installed" % tool)


def build_as_packager(source, build, options=(), launcher=""):
    """Configures and builds without tests; none of the test libraries may be looked for."""
    argv = ["cmake", "-S", source, "-B", build, "-DBUILD_TESTING=OFF",
            "-DCMAKE_BUILD_TYPE=Release"] + list(options)
    if launcher:
        argv.append("-DCMAKE_CXX_COMPILER_LAUNCHER=" + launcher)
    run(argv)
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as f:
        cache = f.read()
    for package in ("GTest", "benchmark", "Qt6Test"):
        check(not re.search(r"^%s_DIR:" % package, cache, re.M),
              "a build without tests looked for %s" % package)
    run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2)])


def desktop_entry(path):
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(path, encoding="utf-8")
    return entry["Desktop Entry"]


def check_names_program(entry, program):
    """KWin grants its pointer-free screenshots to the executable whose full path a desktop
    entry's Exec names (its first word, compared made canonical) with the interface listed;
    the entry names the installed program by exactly that path."""
    named = entry["Exec"].split()[0]
    check(named == program, "the desktop entry runs %s, not %s" % (named, program))
    check("org.kde.KWin.ScreenShot2" in
          entry.get("X-KDE-DBUS-Restricted-Interfaces", "").split(","),
          "the desktop entry does not ask KWin for its screenshots")


def window_class(session):
    out = session.tool("xprop", "-id", str(session.main), "WM_CLASS").stdout.decode()
    return re.findall(r'"([^"]*)"', out)


def window_icon(session):
    """The window's first icon as rows of (r, g, b); its alpha must be opaque."""
    out = session.tool("xprop", "-id", str(session.main), "-notype", "-f", "_NET_WM_ICON",
                       "32c", " = $0+", "_NET_WM_ICON").stdout.decode()
    values = [int(v) for v in out.split("=", 1)[1].replace(",", " ").split()]
    width, height, pixels = values[0], values[1], values[2:]
    check(all(p >> 24 == 255 for p in pixels[:width * height]), "the window icon is not opaque")
    return [[((p >> 16) & 255, (p >> 8) & 255, p & 255)
             for p in pixels[y * width:(y + 1) * width]] for y in range(height)]


def check_running(session, prefix):
    """The window's class is the one the desktop entry names, its icon is the installed one,
    and every tool cursor loads."""
    entry = desktop_entry(os.path.join(prefix, "share/applications/huesift.desktop"))
    check_names_program(entry, os.path.join(prefix, "bin/huesift"))
    names = window_class(session)
    check(len(names) == 2 and names[1] == entry["StartupWMClass"],
          "window class %s, the desktop entry says %s" % (names, entry["StartupWMClass"]))
    with open(os.path.join(prefix, "share/icons/hicolor/32x32/apps/huesift.png"), "rb") as f:
        check(window_icon(session) == decode_png(f.read()),
              "the window icon is not the installed 32 x 32 icon")
    messages, windows = load_every_cursor(session)
    check(messages == [] and not windows, "loading the tool cursors showed %s, new windows %s"
          % (messages, session.describe(windows)))


def load_every_cursor(session):
    """Pastes a picture and loads the four tool cursors: "Add Color" and "Fill" down, with a
    right click on the picture after each. Returns the messages shown and the windows that
    opened on the way."""
    rows = [[(200, 30, 40)] * 40 for _ in range(30)]
    session.offer_clipboard(encode_png(rows), "image/png")
    # Until the paste has read the clipboard, "Add Color" is still disabled and a right click
    # on the picture opens its menu instead of switching a cursor.
    session.paste()
    before = session.visible_windows()
    for button in (ADD_COLOR_BUTTON, FILL_BUTTON):
        session.click(session.client_point(button))
        session.click(session.picture_point(20, 15), button=3)
    time.sleep(0.5)
    return session.messages(), session.visible_windows() - before


def start_from_root(huesift):
    return Session(huesift, cwd="/")
