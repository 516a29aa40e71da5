# A stand-in for logind's session object on a bus of the scenario's own
# (DBUS_SYSTEM_BUS_ADDRESS): org.freedesktop.login1 with the session given
# (its id, letters and digits beginning with a letter, which its object path
# keeps as they are) and its LockedHint property, locked at first. "unlock"
# and "lock" on standard input change it and announce the change as logind
# does; "quit" or the end of input ends it. It prints "ready" once it owns
# the name.
#
#   /usr/bin/python3 logind-session.py ID    (python3-dbus and python3-gi)
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

SESSION = "org.freedesktop.login1.Session"
PROPERTIES = "org.freedesktop.DBus.Properties"


class Session(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.locked = True

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface != SESSION or name != "LockedHint":
            raise dbus.exceptions.DBusException(f"no property {interface}.{name} here", name="org.freedesktop.DBus.Error.UnknownProperty")
        return dbus.Boolean(self.locked)

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def set_locked(self, locked):
        self.locked = locked
        self.PropertiesChanged(SESSION, {"LockedHint": dbus.Boolean(locked)}, [])


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(os.environ["DBUS_SYSTEM_BUS_ADDRESS"])
session = Session(bus, "/org/freedesktop/login1/session/" + sys.argv[1])
owned = dbus.service.BusName("org.freedesktop.login1", bus, do_not_queue=True)
loop = GLib.MainLoop()


def command(source, condition):
    line = sys.stdin.readline().strip()
    if line in ("lock", "unlock"):
        session.set_locked(line == "lock")
        return True
    loop.quit()
    return False


GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
print("ready", flush=True)
loop.run()
