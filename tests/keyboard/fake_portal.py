#!/usr/bin/python3
# A small stand-in for the desktop's RemoteDesktop portal, for the keyboard
# mode tests, run on a private bus (dbus-run-session). It answers CreateSession,
# SelectDevices and Start as xdg-desktop-portal does (each call returns a
# request object whose Response signal carries the answer) and prints what the
# client asks on standard output, one line each:
#   ready <bus address>            once it owns org.freedesktop.portal.Desktop
#   select types=1 persist=2 token=abc
#   start
#   keysym <keysym> <state>        for every NotifyKeyboardKeysym
# Options: --version N (interface version), --refuse (the user says no in the
# dialog of Start), --close-after N (the session is closed under the client
# after N keysyms), --token T (the restore token handed out by Start, version 2),
# --reject-keysym K (a press of keysym K is printed, then answered with an error).
import argparse, os, sys
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
PATH = '/org/freedesktop/portal/desktop'
RD = 'org.freedesktop.portal.RemoteDesktop'

parser = argparse.ArgumentParser()
parser.add_argument('--version', type=int, default=1)
parser.add_argument('--refuse', action='store_true')
parser.add_argument('--close-after', type=int, default=0)
parser.add_argument('--token', default='restore-1')
parser.add_argument('--reject-keysym', type=int, default=-1)
args = parser.parse_args()


def say(text):
    print(text, flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    @dbus.service.signal('org.freedesktop.portal.Session', signature='a{sv}')
    def Closed(self, details):
        pass

    @dbus.service.method('org.freedesktop.portal.Session', in_signature='', out_signature='')
    def Close(self):
        say('close')


def sender_part(sender):
    return sender[1:].replace('.', '_')


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.sessions = {}
        self.keysyms = 0

    def request(self, sender, options, response, results):
        path = '%s/request/%s/%s' % (PATH, sender_part(sender), options.get('handle_token', 'r'))
        req = Request(self.bus, path)
        # The answer comes after the call has returned, as from the real portal.
        GLib.timeout_add(20, lambda: (req.Response(dbus.UInt32(response), results), False)[1])
        return dbus.ObjectPath(path)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='ss', out_signature='v')
    def Get(self, interface, name):
        if interface == RD and name == 'version':
            return dbus.UInt32(args.version)
        if interface == RD and name == 'AvailableDeviceTypes':
            return dbus.UInt32(7)
        raise dbus.exceptions.DBusException('no such property', name='org.freedesktop.DBus.Error.InvalidArgs')

    @dbus.service.method(RD, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
    def CreateSession(self, options, sender=None):
        spath = '%s/session/%s/%s' % (PATH, sender_part(sender), options.get('session_handle_token', 's'))
        self.sessions[spath] = Session(self.bus, spath)
        return self.request(sender, options, 0, {'session_handle': dbus.String(spath)})

    @dbus.service.method(RD, in_signature='oa{sv}', out_signature='o', sender_keyword='sender')
    def SelectDevices(self, session, options, sender=None):
        line = 'select types=%d' % int(options.get('types', 0))
        if args.version >= 2:
            line += ' persist=%d token=%s' % (int(options.get('persist_mode', 0)), options.get('restore_token', ''))
        elif 'persist_mode' in options or 'restore_token' in options:
            line += ' (version 2 options sent to a version 1 portal)'
        say(line)
        return self.request(sender, options, 0, {})

    @dbus.service.method(RD, in_signature='osa{sv}', out_signature='o', sender_keyword='sender')
    def Start(self, session, parent, options, sender=None):
        say('start')
        if args.refuse:
            return self.request(sender, options, 1, {})
        results = {'devices': dbus.UInt32(1)}
        if args.version >= 2:
            results['restore_token'] = dbus.String(args.token)
        return self.request(sender, options, 0, results)

    @dbus.service.method(RD, in_signature='oa{sv}iu', out_signature='')
    def NotifyKeyboardKeysym(self, session, options, keysym, state):
        say('keysym %d %d' % (keysym, state))
        self.keysyms += 1
        if keysym == args.reject_keysym and state == 1:
            raise dbus.exceptions.DBusException('key rejected', name='org.freedesktop.DBus.Error.Failed')
        if args.close_after and self.keysyms == args.close_after and str(session) in self.sessions:
            self.sessions.pop(str(session)).Closed({})


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = Portal(bus)
name = dbus.service.BusName(BUS_NAME, bus)
say('ready ' + os.environ['DBUS_SESSION_BUS_ADDRESS'])
GLib.MainLoop().run()
