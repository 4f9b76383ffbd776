# SPDX-License-Identifier: GPL-3.0-or-later
"""A private CUPS server for the print tests: its own configuration, socket, spool, logs and
one cups-pdf printer (the default) writing into a private folder. Nothing of the host's CUPS
set-up is read or changed, and no system service is started."""

import glob
import os
import shutil
import signal
import subprocess
import tempfile

from harness import fail, skip, wait_for

CUPS_LIB = "/usr/lib/cups"
CUPS_PDF_PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"
# cups-pdf reads its settings from this fixed path; the backend gets a private file mounted
# over it inside a mount namespace of its own.
CUPS_PDF_CONF = "/etc/cups/cups-pdf.conf"


class CupsServer:
    def __init__(self, resolution):
        self.resolution = resolution

    def __enter__(self):
        for path in ("/usr/sbin/cupsd", CUPS_LIB + "/backend/cups-pdf", CUPS_PDF_PPD,
                     CUPS_PDF_CONF):
            if not os.path.exists(path):
                skip(path + " is missing")
        if os.geteuid() != 0:
            skip("cups-pdf runs only as root")
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            skip("no private mount namespace for cups-pdf's settings")

        self.root = tempfile.mkdtemp(prefix="huesift-cups.")
        os.chmod(self.root, 0o755)  # the filters run as the lp user
        d = {name: os.path.join(self.root, name)
             for name in ("conf", "bin", "spool", "tmp", "cache", "state", "log", "out",
                          "pdfspool")}
        for path in d.values():
            os.makedirs(path, mode=0o755)
        os.chmod(d["tmp"], 0o1777)  # filters running as lp write their temporary files here
        os.makedirs(os.path.join(d["conf"], "ppd"))
        os.makedirs(os.path.join(d["bin"], "backend"))
        self.socket = os.path.join(self.root, "cups.sock")
        self.out = d["out"]
        self.log = d["log"]

        for sub in ("cgi-bin", "daemon", "driver", "filter", "monitor", "notifier"):
            if os.path.exists(os.path.join(CUPS_LIB, sub)):
                os.symlink(os.path.join(CUPS_LIB, sub), os.path.join(d["bin"], sub))
        for backend in glob.glob(CUPS_LIB + "/backend/*"):
            if os.path.basename(backend) != "cups-pdf":
                os.symlink(backend, os.path.join(d["bin"], "backend", os.path.basename(backend)))
        conf = os.path.join(self.root, "cups-pdf.conf")
        write(conf, "Out %s\nAnonDirName %s\nSpool %s\nLog %s\nGSTmp %s\nGrp root\n" %
              (d["out"], d["out"], d["pdfspool"], d["log"], d["tmp"]))
        # Mode 0700 makes cupsd run the backend as root, which cups-pdf needs.
        write(os.path.join(d["bin"], "backend", "cups-pdf"),
              "#!/bin/sh\n"
              "[ $# -eq 0 ] && exec %s/backend/cups-pdf\n"
              "exec unshare -m sh -c 'mount --bind %s %s && exec %s/backend/cups-pdf \"$@\"'"
              " cups-pdf \"$@\"\n" % (CUPS_LIB, conf, CUPS_PDF_CONF, CUPS_LIB), mode=0o700)

        write(os.path.join(d["conf"], "cups-files.conf"),
              "ServerRoot %s\nServerBin %s\nRequestRoot %s\nTempDir %s\nCacheDir %s\n"
              "StateDir %s\nAccessLog %s/access_log\nErrorLog %s/error_log\n"
              "PageLog %s/page_log\nSystemGroup root\nFileDevice No\n" %
              (d["conf"], d["bin"], d["spool"], d["tmp"], d["cache"], d["state"], d["log"],
               d["log"], d["log"]))
        write(os.path.join(d["conf"], "cupsd.conf"),
              "LogLevel info\nListen %s\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"
              % self.socket)
        with open(CUPS_PDF_PPD) as f:
            ppd = f.read().replace("*DefaultResolution: 300dpi",
                                   "*DefaultResolution: %ddpi" % self.resolution)
        if "*DefaultResolution: %ddpi" % self.resolution not in ppd:
            fail("the cups-pdf PPD has no resolution to set")
        write(os.path.join(d["conf"], "ppd", "PDF.ppd"), ppd)
        write(os.path.join(d["conf"], "printers.conf"),
              "<DefaultPrinter PDF>\nInfo PDF\nDeviceURI cups-pdf:/\nState Idle\n"
              "Accepting Yes\nShared No\n</DefaultPrinter>\n")

        self.process = subprocess.Popen(
            ["/usr/sbin/cupsd", "-f", "-c", os.path.join(d["conf"], "cupsd.conf"),
             "-s", os.path.join(d["conf"], "cups-files.conf")],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the private CUPS server", lambda: self.lpstat("-r").startswith(
            "scheduler is running"))
        return self

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        if exc[0] is not None:
            error_log = os.path.join(self.log, "error_log")
            if os.path.exists(error_log):
                with open(error_log) as f:
                    print("CUPS error log:\n" + "".join(f.readlines()[-30:]))
        if os.environ.get("HUESIFT_E2E_KEEP"):
            print("CUPS files kept in " + self.root)
        else:
            shutil.rmtree(self.root, ignore_errors=True)
        return False

    def lpstat(self, *argv):
        result = subprocess.run(["lpstat", *argv], capture_output=True, text=True,
                                env=dict(os.environ, CUPS_SERVER=self.socket))
        return result.stdout

    def wait_for_pdfs(self, count, timeout=90.0):
        """The PDFs cups-pdf has written once count jobs are complete, oldest first."""
        def done():
            pdfs = sorted(glob.glob(os.path.join(self.out, "*.pdf")), key=os.path.getmtime)
            return pdfs if len(pdfs) >= count and not self.lpstat("-o").strip() else None
        return wait_for("%d printed PDF(s)" % count, done, timeout=timeout, interval=0.25)


def write(path, text, mode=0o644):
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)
