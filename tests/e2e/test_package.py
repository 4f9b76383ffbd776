# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package: built with cpack from a packager's build, its dependencies read off
the program by dpkg-shlibdeps, checked by lintian (nothing but the placeholder maintainer
address may be reported), installed with apt-get like any downloaded .deb, /usr/bin/huesift
started from / under Xvfb, then purged again. Needs root, and a machine without a huesift
package of its own (which it would replace)."""

import argparse
import glob
import os
import re
import shutil
import subprocess

from harness import check, fail, skip
from installed import build_as_packager, check_running, require_display_tools, run, start_from_root

APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def installed():
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "huesift"], capture_output=True,
                            text=True)
    return result.returncode == 0 and "install ok installed" in result.stdout


# What lintian may say of the package: only that the maintainer's address is a placeholder,
# which a distributor replaces (-DHUESIFT_PACKAGE_MAINTAINER="Name <address>").
PLACEHOLDER_ADDRESS_TAGS = {"bogus-mail-host", "bogus-mail-host-in-debian-changelog"}


def check_lintian(deb):
    """lintian's errors, warnings and notes on the package: none but the placeholder address."""
    if not shutil.which("lintian"):
        fail("lintian is not installed (scripts/deps.sh installs it)")
    # Standard error has lintian's remark that it would rather not run as root.
    result = subprocess.run(["lintian", "--display-level", ">=info", deb], capture_output=True,
                            text=True)
    print(result.stdout, end="")
    # Exit 2 says that there were tags, which are looked at here; anything else but 0 is
    # lintian failing.
    check(result.returncode in (0, 2), "lintian exited with %d: %s" %
          (result.returncode, result.stderr))
    tags = set(re.findall(r"^[A-Z]: huesift(?: \S+)?: (\S+)", result.stdout, re.M))
    check(not tags - PLACEHOLDER_ADDRESS_TAGS,
          "lintian reports %s" % ", ".join(sorted(tags - PLACEHOLDER_ADDRESS_TAGS)))
    print("lintian: nothing but the placeholder maintainer address")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--launcher", default="")
    args = parser.parse_args()
    if os.geteuid() != 0:
        skip("installing a package needs root")
    if installed():
        skip("a huesift package is installed on this machine; it is left alone")
    require_display_tools()

    build = os.path.abspath(args.build)
    build_as_packager(os.path.abspath(args.source), build, launcher=args.launcher)
    for old in glob.glob(os.path.join(build, "huesift_*.deb")):
        os.remove(old)
    run(["cpack", "-G", "DEB"], cwd=build)
    debs = glob.glob(os.path.join(build, "huesift_*.deb"))
    check(len(debs) == 1, "cpack made %s" % debs)
    deb = os.path.basename(debs[0])
    depends = run(["dpkg-deb", "-f", debs[0], "Depends"])
    print("Depends: " + depends.strip())
    for needed in ("libqt6widgets6", "libqt6gui6", "libc6", "qt6-qpa-plugins"):
        check(needed in depends, "the package does not depend on %s" % needed)
    check_lintian(debs[0])

    try:
        run(["apt-get", "install", "-y", "-q", "./" + deb], cwd=build, env=APT_ENV)
        check(installed(), "apt-get did not install huesift")
        check(os.access("/usr/bin/huesift", os.X_OK), "no /usr/bin/huesift")
        with start_from_root("/usr/bin/huesift") as session:
            check_running(session, "/usr")
            check(session.alive(), "huesift ended")
    finally:
        run(["apt-get", "purge", "-y", "-q", "huesift"], env=APT_ENV)
    check(not installed() and not os.path.exists("/usr/bin/huesift"), "huesift is still installed")
    print("PASS: %s installed with apt-get, ran from /usr/bin, purged" % deb)


if __name__ == "__main__":
    main()
