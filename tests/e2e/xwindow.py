#!/usr/bin/env python3
"""A window that a test owns, for the module to draw into, driven by commands.

Creates a top-level 400x300 window with a dark blue background, maps it and
prints its id (hexadecimal) on a line. Then reads commands on standard input,
one a line, and answers each with one line:
  attributes      the window's attributes another client can see
  resize W H      resizes the window
  destroy         destroys the window
  close ID        sends window ID the window manager's WM_DELETE_WINDOW request
  quit            ends
Usage: xwindow.py [WIDTH HEIGHT]
"""
import ctypes
import ctypes.util
import sys

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
Window = ctypes.c_ulong
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = Window
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XCreateSimpleWindow.restype = Window
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint,
                                    ctypes.c_ulong, ctypes.c_ulong]
for name in ("XMapWindow", "XDestroyWindow"):
    getattr(x11, name).argtypes = [ctypes.c_void_p, Window]
x11.XResizeWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_uint, ctypes.c_uint]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XStoreName.argtypes = [ctypes.c_void_p, Window, ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p), ("root", Window),
                ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", Window), ("message_type", ctypes.c_ulong), ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("client", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]
x11.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]

CLIENT_MESSAGE = 33


def main():
    width, height = (int(sys.argv[1]), int(sys.argv[2])) if len(sys.argv) == 3 else (400, 300)
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    window = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), 0, 0, width, height, 0, 0, 0x000080)
    x11.XStoreName(display, window, b"module target")
    x11.XMapWindow(display, window)
    x11.XSync(display, 0)
    print(f"0x{window:x}", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == "attributes":
            a = XWindowAttributes()
            x11.XGetWindowAttributes(display, window, ctypes.byref(a))
            # What other clients see: everything but our own event mask and the size.
            print(f"all_event_masks={a.all_event_masks:#x} do_not_propagate={a.do_not_propagate_mask:#x} bit_gravity={a.bit_gravity} "
                  f"win_gravity={a.win_gravity} backing_store={a.backing_store} save_under={a.save_under} colormap={a.colormap:#x} "
                  f"map_state={a.map_state} override_redirect={a.override_redirect}", flush=True)
            continue
        if words[0] == "resize":
            x11.XResizeWindow(display, window, int(words[1]), int(words[2]))
        elif words[0] == "destroy":
            x11.XDestroyWindow(display, window)
        elif words[0] == "close":
            target = int(words[1], 0)
            event = XEvent()
            event.client.type = CLIENT_MESSAGE
            event.client.window = target
            event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
            event.client.format = 32
            event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            x11.XSendEvent(display, target, 0, 0, ctypes.byref(event))
        elif words[0] == "quit":
            break
        x11.XSync(display, 0)
        print("done", flush=True)


if __name__ == "__main__":
    main()
