# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up without a usable display: one line on standard error naming what is missing and
exit status 1, not Qt's own lines and an abort."""

import argparse
import os
import socket
import subprocess
import sys
import tempfile


def unused_display():
    """An X display number nothing listens on."""
    for number in range(170, 400):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and \
                not os.path.exists("/tmp/.X%d-lock" % number):
            probe = socket.socket(socket.AF_UNIX)
            try:
                probe.connect("\0/tmp/.X11-unix/X%d" % number)  # the abstract socket
            except OSError:
                return ":%d" % number
            finally:
                probe.close()
    raise RuntimeError("no free display number")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--huesift", required=True)
    parser.add_argument("--pattern")
    args = parser.parse_args()
    display = unused_display()
    runtime = tempfile.mkdtemp(prefix="huesift-startup.")
    more = "Try 'huesift --help' for more information."
    cases = [
        ([], {}, 1, "huesift: no display: set DISPLAY or WAYLAND_DISPLAY"),
        ([], {"DISPLAY": display}, 1, "huesift: cannot open display " + display),
        ([], {"WAYLAND_DISPLAY": "huesift-no-such-display", "QT_QPA_PLATFORM": "wayland"}, 1,
         "huesift: cannot open Wayland display huesift-no-such-display"),
        # A mistake on the command line is named before the display is looked for.
        (["-x", "shot.png"], {}, 2, "huesift: unknown option -x\n" + more),
        (["--frobnicate"], {"DISPLAY": display}, 2, "huesift: unknown option --frobnicate\n" + more),
    ]
    failures = []
    try:
        for words, extra, code, want in cases:
            env = {k: v for k, v in os.environ.items()
                   if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                "XDG_SESSION_TYPE")}
            env.update(extra, XDG_RUNTIME_DIR=runtime)
            result = subprocess.run([args.huesift, *words], env=env, stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=30)
            got = result.stderr.decode(errors="replace")
            if result.returncode != code or got != want + "\n" or result.stdout:
                failures.append("%s with %s: exit %d, stderr %r (expected exit %d and %r)" %
                                (words, extra or "no display", result.returncode, got, code,
                                 want))
    finally:
        os.rmdir(runtime)
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("PASS: %d start-ups without a display each said what was wrong, with the exit status "
          "for it" % len(cases))


if __name__ == "__main__":
    main()
