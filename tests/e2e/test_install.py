# SPDX-License-Identifier: GPL-3.0-or-later
"""cmake --install of a packager's build: exactly the files a desktop needs, each valid, in a
prefix and under DESTDIR; the installed program started from / finds its tool cursors, has
the window class its desktop entry names and the icon it installed, and it speaks German on a
German desktop. A second start with the cursors moved away must show "Cursor not loaded", so
the first start's silence counts."""

import argparse
import gzip
import os
import re
import shutil
import struct
import subprocess
import xml.etree.ElementTree as ElementTree

from harness import check, fail
from installed import (build_as_packager, check_names_program, check_running, desktop_entry,
                       load_every_cursor, require_display_tools, run, start_from_root)

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
EXPECTED = sorted(
    ["bin/huesift",
     "share/applications/huesift.desktop",
     "share/doc/huesift/changelog.gz",
     "share/doc/huesift/copyright",
     "share/icons/hicolor/scalable/apps/huesift.svg",
     "share/huesift/translations/huesift_de.qm",
     "share/man/man1/huesift.1.gz",
     "share/metainfo/huesift.metainfo.xml"] +
    ["share/huesift/%s.cur" % name for name in ("boxb", "boxo", "syrblue", "syrred")] +
    ["share/icons/hicolor/%dx%d/apps/huesift.png" % (s, s) for s in ICON_SIZES])


def files_under(root):
    found = []
    for folder, _, names in os.walk(root):
        found += [os.path.relpath(os.path.join(folder, n), root) for n in names]
    return sorted(found)


def check_metadata(prefix, build):
    desktop = os.path.join(prefix, "share/applications/huesift.desktop")
    result = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
    check(result.returncode == 0 and not (result.stdout + result.stderr).strip(),
          "desktop-file-validate: %s%s" % (result.stdout, result.stderr))

    metainfo = os.path.join(prefix, "share/metainfo/huesift.metainfo.xml")
    run(["appstreamcli", "validate", "--no-net", metainfo])
    component = ElementTree.parse(metainfo).getroot()
    check(component.findtext("launchable") == "huesift.desktop",
          "metainfo launches no huesift.desktop")
    check(component.findtext("screenshots/screenshot/image", "").startswith("https://"),
          "metainfo has no screenshot")
    check(component.find("releases/release[@version]") is not None, "metainfo has no release")

    for size in ICON_SIZES:
        path = os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/huesift.png" % (size, size))
        with open(path, "rb") as f:
            head = f.read(24)
        check(head[:8] == b"\x89PNG\r\n\x1a\n" and
              struct.unpack(">II", head[16:24]) == (size, size),
              "%s is not a %d x %d PNG" % (path, size, size))
    svg = ElementTree.parse(os.path.join(prefix, "share/icons/hicolor/scalable/apps/huesift.svg"))
    check(svg.getroot().tag == "{http://www.w3.org/2000/svg}svg" and svg.getroot().get("viewBox"),
          "the scalable icon is not an SVG picture")

    with gzip.open(os.path.join(prefix, "share/man/man1/huesift.1.gz"), "rt") as f:
        page = f.read()
    check(".TH HUESIFT 1 " in page and ".SH NAME" in page, "the manual page has no title or name")

    # The Debian changelog, in the format dpkg reads, its newest entry this version.
    with gzip.open(os.path.join(prefix, "share/doc/huesift/changelog.gz"), "rb") as f:
        changelog = os.path.join(build, "changelog.read-back")
        with open(changelog, "wb") as out:
            out.write(f.read())
    newest = run(["dpkg-parsechangelog", "-l", changelog, "-S", "Version"]).strip()
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as f:
        version = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", f.read(), re.M).group(1)
    check(newest == version, "the changelog's newest entry is %r, the program %s" %
          (newest, version))

    dynamic = run(["readelf", "-d", os.path.join(prefix, "bin/huesift")])
    check(os.path.abspath(build) not in dynamic,
          "the installed program still looks in its build folder")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--launcher", default="")
    args = parser.parse_args()
    require_display_tools()
    for tool in ("desktop-file-validate", "appstreamcli", "readelf"):
        if not shutil.which(tool):
            fail("%s is not installed (scripts/deps.sh installs it)" % tool)

    work = os.path.abspath(args.work)
    build, prefix, stage = (os.path.join(work, d) for d in ("build", "prefix", "stage"))
    for folder in (prefix, stage):
        shutil.rmtree(folder, ignore_errors=True)
    build_as_packager(os.path.abspath(args.source), build, ["-DCMAKE_INSTALL_PREFIX=" + prefix],
                      launcher=args.launcher)

    run(["cmake", "--install", build])
    check(files_under(prefix) == EXPECTED,
          "installed: %s\nexpected: %s" % (files_under(prefix), EXPECTED))
    run(["cmake", "--install", build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=stage))
    check(files_under(stage) == ["usr/" + f for f in EXPECTED],
          "installed under DESTDIR: %s" % files_under(stage))
    check_names_program(
        desktop_entry(os.path.join(stage, "usr/share/applications/huesift.desktop")),
        "/usr/bin/huesift")
    check_metadata(prefix, build)

    huesift = os.path.join(prefix, "bin/huesift")
    # Its catalogues are found from the installed program's place, as the cursors are.
    usage = run([huesift, "--help"], cwd="/",
                env=dict(os.environ, LANG="de_DE.UTF-8", LANGUAGE="de", LC_ALL="", LC_MESSAGES=""))
    check("Aufruf: huesift" in usage, "the installed program's --help is not German: %s" % usage)
    with start_from_root(huesift) as session:
        check_running(session, prefix)
        check(session.alive(), "huesift ended")

    shares = os.path.join(prefix, "share/huesift")
    os.rename(shares, shares + ".moved")
    try:
        with start_from_root(huesift) as session:
            messages, windows = load_every_cursor(session)
    finally:
        os.rename(shares + ".moved", shares)
    check("Cursor not loaded" in messages and windows,
          "without its cursors the program showed %s (%d new windows)" % (messages, len(windows)))

    shutil.rmtree(stage)
    print("PASS: %d files installed and valid; started from /, every tool cursor loaded" %
          len(EXPECTED))


if __name__ == "__main__":
    main()
