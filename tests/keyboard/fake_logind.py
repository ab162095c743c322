#!/usr/bin/python3
# A stand-in for logind's session object, for the keyboard mode tests, run on a
# private bus (dbus-run-session): org.freedesktop.login1 with
# /org/freedesktop/login1/session/auto, whose Active and LockedHint the test
# sets with org.example.FakeLogind.Set(active, locked). Prints
# "ready <bus address>" once it owns its name.
import os
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib

SESSION = 'org.freedesktop.login1.Session'


class Session(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, '/org/freedesktop/login1/session/auto')
        self.properties = {'Active': dbus.Boolean(True), 'LockedHint': dbus.Boolean(False)}

    @dbus.service.method('org.freedesktop.DBus.Properties', in_signature='s', out_signature='a{sv}')
    def GetAll(self, interface):
        return self.properties if interface == SESSION else {}

    @dbus.service.method('org.example.FakeLogind', in_signature='bb')
    def Set(self, active, locked):
        self.properties = {'Active': dbus.Boolean(active), 'LockedHint': dbus.Boolean(locked)}


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName('org.freedesktop.login1', bus)
session = Session(bus)
print('ready', os.environ['DBUS_SESSION_BUS_ADDRESS'], flush=True)
GLib.MainLoop().run()
