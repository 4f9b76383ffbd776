# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in for a desktop's screenshot portal, on a private session bus: it owns the portal's
name and answers each Screenshot call as the real one does (a request object at once, then
that object's Response signal with the picture file's uri), with the next file of a list the
test gives. Imported by a test for StandInPortal; run as a script (by an interpreter with
PyGObject) it is the service itself."""

import os
import shutil
import subprocess
import sys
import threading

from harness import check, fail, session_bus_config, skip, wait_for

NAME = "org.freedesktop.portal.Desktop"
OBJECT = "/org/freedesktop/portal/desktop"
INTERFACE = """<node><interface name="org.freedesktop.portal.Screenshot">
  <method name="Screenshot">
    <arg type="s" name="parent_window" direction="in"/>
    <arg type="a{sv}" name="options" direction="in"/>
    <arg type="o" name="handle" direction="out"/>
  </method>
</interface></node>"""


def python_with_gobject():
    """This interpreter or the system's, whichever has PyGObject (python3-gi)."""
    for python in (sys.executable, "/usr/bin/python3"):
        if python and os.path.exists(python) and subprocess.run(
                [python, "-c", "from gi.repository import Gio, GLib"],
                capture_output=True).returncode == 0:
            return python
    return None


class StandInPortal:
    """A private dbus-daemon with the stand-in portal on it, serving files in the given order
    (the last one again once the list is used up). A file given as (path, source) is written
    when it is asked for, from source, as a real portal writes its picture for the call; a
    path alone is served as it already lies. address is the bus for the program's
    DBUS_SESSION_BUS_ADDRESS; served() lists the files handed out so far."""

    def __init__(self, folder, files):
        self.folder = folder
        self.files = [f if isinstance(f, str) else "%s<%s" % f for f in files]
        self.processes = []
        self.answers = []

    def __enter__(self):
        python = python_with_gobject()
        if not python:
            skip("no python3 with PyGObject (python3-gi) for the stand-in screenshot portal")
        config = os.path.join(self.folder, "bus.conf")
        with open(config, "w") as f:
            f.write(session_bus_config(self.folder))
        bus = subprocess.Popen(["dbus-daemon", "--config-file", config, "--nofork",
                                "--print-address"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
        self.processes.append(bus)
        self.address = bus.stdout.readline().strip()
        check(self.address.startswith("unix:"), "the private bus gave no address")
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address)
        self.service = subprocess.Popen([python, os.path.abspath(__file__), *self.files],
                                        env=env, stdout=subprocess.PIPE, text=True)
        self.processes.append(self.service)
        line = self.service.stdout.readline().strip()
        check(line == "ready", "the stand-in portal did not start: %r" % line)
        threading.Thread(target=self._note_answers, daemon=True).start()
        return self

    def _note_answers(self):
        for line in self.service.stdout:
            self.answers.append(line.strip().split(" ", 1)[1])

    def served(self):
        """The files handed to a caller so far, in order."""
        return list(self.answers)

    def wait_for_answer(self, count):
        return wait_for("answer %d of the stand-in portal" % count,
                        lambda: len(self.answers) >= count and self.served())

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                process.wait(5)
        return False


def serve(files):
    from gi.repository import Gio, GLib

    calls = []

    def on_call(connection, sender, path, interface, method, parameters, invocation):
        if method != "Screenshot":
            invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)
            return
        _, options = parameters.unpack()
        token = options.get("handle_token", "standin%d" % len(calls))
        request = "%s/request/%s/%s" % (OBJECT, sender[1:].replace(".", "_"), token)
        file, _, source = files[min(len(calls), len(files) - 1)].partition("<")
        calls.append(file)
        if source:
            shutil.copyfile(source, file)
        invocation.return_value(GLib.Variant("(o)", (request,)))
        connection.emit_signal(None, request, "org.freedesktop.portal.Request", "Response",
                               GLib.Variant("(ua{sv})", (0, {"uri": GLib.Variant(
                                   "s", GLib.filename_to_uri(file, None))})))
        print("served " + file, flush=True)

    def on_bus(connection, name):
        node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
        connection.register_object(OBJECT, node.interfaces[0], on_call, None, None)

    def on_name(connection, name):
        print("ready", flush=True)

    loop = GLib.MainLoop()
    Gio.bus_own_name(Gio.BusType.SESSION, NAME, Gio.BusNameOwnerFlags.NONE, on_bus, on_name,
                     lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        fail("usage: portal_standin.py FILE...")
    serve(sys.argv[1:])
