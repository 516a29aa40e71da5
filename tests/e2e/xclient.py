#!/usr/bin/env python3
"""Another X client, doing to the saver what other programs on a desktop do.

Usage: xclient.py unmap WINDOW        unmaps the window (as a careless program would)
       xclient.py destroy WINDOW      destroys the window
       xclient.py grab keyboard|pointer|both
                                      holds the grab until killed; prints "grabbed" once it holds it
       xclient.py notify X Y W H      maps a white override-redirect window (a notification)
                                      and keeps it until killed; prints its id
       xclient.py focused             maps an ordinary window, gives it the keyboard focus
                                      and keeps it until killed; prints its id
       xclient.py focus               prints the focus: a window id, PointerRoot or None
       xclient.py focus-to pointer-root|none
                                      sets the focus to PointerRoot or to None
       xclient.py saver-state         prints the server's own screen saver state: on, off or disabled
WINDOW is decimal or 0x hexadecimal.
"""
import ctypes
import ctypes.util
import signal
import sys
import time

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
x11.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint, ctypes.c_int, ctypes.c_int,
                             ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
x11.XCreateSimpleWindow.restype = ctypes.c_ulong
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                    ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
x11.XMapRaised.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
x11.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int)]


class SetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


x11.XChangeWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.POINTER(SetWindowAttributes)]

class ScreenSaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong), ("event_mask", ctypes.c_ulong)]


POINTER_ROOT = 1
REVERT_TO_PARENT = 2
SAVER_STATES = {0: "off", 1: "on", 3: "disabled"}

GRAB_SUCCESS = 0
GRAB_MODE_ASYNC = 1
CURRENT_TIME = 0
CW_OVERRIDE_REDIRECT = 1 << 9


def hold_until_killed():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        time.sleep(3600)


def main(arguments):
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("xclient.py: cannot open the display")
    root = x11.XDefaultRootWindow(display)
    command = arguments[0]
    if command in ("unmap", "destroy"):
        window = int(arguments[1], 0)
        (x11.XUnmapWindow if command == "unmap" else x11.XDestroyWindow)(display, window)
        x11.XSync(display, 0)
    elif command == "grab":
        # A client that has just gone may still hold its grab for a moment.
        what = arguments[1]
        keyboard = what not in ("keyboard", "both")
        pointer = what not in ("pointer", "both")
        for _ in range(40):
            if not keyboard:
                keyboard = x11.XGrabKeyboard(display, root, 0, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, CURRENT_TIME) == GRAB_SUCCESS
            if not pointer:
                pointer = x11.XGrabPointer(display, root, 0, 0, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, 0, 0, CURRENT_TIME) == GRAB_SUCCESS
            if keyboard and pointer:
                break
            time.sleep(0.05)
        if not (keyboard and pointer):
            sys.exit("xclient.py: cannot grab the " + what)
        x11.XSync(display, 0)
        print("grabbed", flush=True)
        hold_until_killed()
    elif command == "notify":
        x, y, width, height = (int(value) for value in arguments[1:5])
        window = x11.XCreateSimpleWindow(display, root, x, y, width, height, 0, 0xFFFFFF, 0xFFFFFF)
        attributes = SetWindowAttributes()
        attributes.override_redirect = 1
        x11.XChangeWindowAttributes(display, window, CW_OVERRIDE_REDIRECT, ctypes.byref(attributes))
        x11.XMapRaised(display, window)
        x11.XSync(display, 0)
        print(window, flush=True)
        hold_until_killed()
    elif command == "focused":
        window = x11.XCreateSimpleWindow(display, root, 0, 0, 200, 100, 0, 0, 0xFFFFFF)
        x11.XMapRaised(display, window)
        x11.XSync(display, 0)
        x11.XSetInputFocus(display, window, REVERT_TO_PARENT, CURRENT_TIME)
        x11.XSync(display, 0)
        print(hex(window), flush=True)
        hold_until_killed()
    elif command == "focus":
        window = ctypes.c_ulong()
        revert_to = ctypes.c_int()
        x11.XGetInputFocus(display, ctypes.byref(window), ctypes.byref(revert_to))
        print({0: "None", POINTER_ROOT: "PointerRoot"}.get(window.value, "root" if window.value == root else hex(window.value)))
    elif command == "focus-to":
        x11.XSetInputFocus(display, POINTER_ROOT if arguments[1] == "pointer-root" else 0, POINTER_ROOT, CURRENT_TIME)
        x11.XSync(display, 0)
    elif command == "saver-state":
        xss = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xss") or "libXss.so.1")
        xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ScreenSaverInfo)]
        info = ScreenSaverInfo()
        if not xss.XScreenSaverQueryInfo(display, root, ctypes.byref(info)):
            sys.exit("xclient.py: the server has no MIT-SCREEN-SAVER extension")
        print(SAVER_STATES.get(info.state, str(info.state)))
    else:
        sys.exit(__doc__)


main(sys.argv[1:])
