# A stand-in for GNOME's idle monitor on the session bus
# (org.gnome.Mutter.IdleMonitor at /org/gnome/Mutter/IdleMonitor/Core), for
# the idle watcher's scenario where it is the only idle source. It counts
# idle time from its start, as if nobody touched anything; "quit" on
# standard input leaves the bus, as the monitor does when its compositor
# goes. It prints "ready" once it owns the name, and each call it gets.
#
#   /usr/bin/python3 idle-monitor.py    (python3-dbus and python3-gi)
import sys
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.gnome.Mutter.IdleMonitor"
PATH = "/org/gnome/Mutter/IdleMonitor/Core"


class Monitor(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.started = time.monotonic()
        self.next_id = 1
        self.idle_watches = {}  # id: (interval in ms, fired)
        self.active_watches = set()
        GLib.timeout_add(50, self.fire_idle_watches)

    def idle_ms(self):
        return int((time.monotonic() - self.started) * 1000)

    def new_id(self):
        self.next_id += 1
        return dbus.UInt32(self.next_id - 1)

    def fire_idle_watches(self):
        for watch, (interval, fired) in list(self.idle_watches.items()):
            if not fired and self.idle_ms() >= interval:
                self.idle_watches[watch] = (interval, True)
                self.WatchFired(watch)
        return True

    @dbus.service.method(NAME, in_signature="t", out_signature="u")
    def AddIdleWatch(self, interval):
        print(f"AddIdleWatch {interval}", flush=True)
        watch = self.new_id()
        self.idle_watches[watch] = (int(interval), False)
        return watch

    @dbus.service.method(NAME, in_signature="", out_signature="u")
    def AddUserActiveWatch(self):
        print("AddUserActiveWatch", flush=True)
        watch = self.new_id()
        self.active_watches.add(watch)
        return watch

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def RemoveWatch(self, watch):
        self.idle_watches.pop(watch, None)
        self.active_watches.discard(watch)

    @dbus.service.method(NAME, in_signature="", out_signature="t")
    def GetIdletime(self):
        return dbus.UInt64(self.idle_ms())

    @dbus.service.signal(NAME, signature="u")
    def WatchFired(self, watch):
        print(f"WatchFired {watch}", flush=True)


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
monitor = Monitor(bus)
owned = dbus.service.BusName(NAME, bus, do_not_queue=True)
loop = GLib.MainLoop()


def command(source, condition):
    if sys.stdin.readline().strip() in ("quit", ""):
        loop.quit()
        return False
    return True


GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
print("ready", flush=True)
loop.run()
