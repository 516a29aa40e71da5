#!/usr/bin/env python3
"""Another X client for the scenarios: does to the saver what other programs
on a desktop do, and what xdotool cannot.

Usage: x11.py unmap WINDOW          unmaps the window (as a careless program would)
       x11.py destroy WINDOW        destroys the window
       x11.py close WINDOW          sends the window manager's WM_DELETE_WINDOW request
       x11.py paint WINDOW          fills the window white, as a program that draws into
                                    another's window would (the window is told nothing)
       x11.py grab keyboard|pointer|both
                                    holds the grab until killed; prints "grabbed" once it holds it
       x11.py notify X Y W H        maps a white override-redirect window (a notification)
                                    and keeps it until killed; prints its id
       x11.py keys KEYCODE ...      presses and releases each key by keycode through XTEST,
                                    so the server's keymap and Num Lock decide what it means
       x11.py numlock-on            locks Num Lock without pressing a key
       x11.py group N               locks keyboard group N, counted from 0, as a layout switch does
       x11.py focused               maps an ordinary window, gives it the keyboard focus
                                    and keeps it until killed; prints its id
       x11.py keep-focus            like focused, and takes the focus back whenever it loses it, as
                                    a compositor's window manager does for its own windows
       x11.py shown                 maps an ordinary window without focusing it and keeps it
                                    until killed; prints its id
       x11.py window-manager ACTIVE [STACKED ...]
                                    publishes on the root what a window manager does: the active
                                    window (_NET_ACTIVE_WINDOW, none when 0) and its windows from
                                    bottom to top (_NET_CLIENT_LIST_STACKING, none when not given)
       x11.py focus                 prints the focus: a window id, root, PointerRoot or None
       x11.py focus-to pointer-root|none
                                    sets the focus to PointerRoot or to None
       x11.py saver-state           prints the server's own screen saver state: on, off or disabled
       x11.py target [W H]          maps a dark blue 400x300 window for the module to draw
                                    into, prints its id, then answers commands on standard
                                    input, one line each: attributes, resize W H, destroy, quit
WINDOW is decimal or 0x hexadecimal.
"""
import ctypes
import ctypes.util
import signal
import sys
import time

c_int, c_uint, c_long, c_ulong, c_char_p, pointer = ctypes.c_int, ctypes.c_uint, ctypes.c_long, ctypes.c_ulong, ctypes.c_char_p, ctypes.c_void_p
Window = Atom = c_ulong
x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")


def declare(library, name, restype, *argtypes):
    function = getattr(library, name)
    function.restype = restype
    function.argtypes = list(argtypes)


class SetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", c_ulong), ("background_pixel", c_ulong), ("border_pixmap", c_ulong), ("border_pixel", c_ulong),
                ("bit_gravity", c_int), ("win_gravity", c_int), ("backing_store", c_int), ("backing_planes", c_ulong),
                ("backing_pixel", c_ulong), ("save_under", c_int), ("event_mask", c_long), ("do_not_propagate_mask", c_long),
                ("override_redirect", c_int), ("colormap", c_ulong), ("cursor", c_ulong)]


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int), ("border_width", c_int), ("depth", c_int),
                ("visual", pointer), ("root", Window), ("c_class", c_int), ("bit_gravity", c_int), ("win_gravity", c_int),
                ("backing_store", c_int), ("backing_planes", c_ulong), ("backing_pixel", c_ulong), ("save_under", c_int),
                ("colormap", c_ulong), ("map_installed", c_int), ("map_state", c_int), ("all_event_masks", c_long),
                ("your_event_mask", c_long), ("do_not_propagate_mask", c_long), ("override_redirect", c_int), ("screen", pointer)]


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", pointer), ("window", Window),
                ("message_type", Atom), ("format", c_int), ("data", c_long * 5)]


class ScreenSaverInfo(ctypes.Structure):
    _fields_ = [("window", Window), ("state", c_int), ("kind", c_int), ("til_or_since", c_ulong), ("idle", c_ulong),
                ("event_mask", c_ulong)]


class FocusChangeEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", pointer), ("window", Window),
                ("mode", c_int), ("detail", c_int)]


class Event(ctypes.Union):
    _fields_ = [("type", c_int), ("client", ClientMessageEvent), ("focus", FocusChangeEvent), ("pad", c_long * 24)]


declare(x11, "XOpenDisplay", pointer, c_char_p)
declare(x11, "XDefaultRootWindow", Window, pointer)
declare(x11, "XSync", c_int, pointer, c_int)
declare(x11, "XCloseDisplay", c_int, pointer)
for name in ("XUnmapWindow", "XDestroyWindow", "XMapWindow", "XMapRaised"):
    declare(x11, name, c_int, pointer, Window)
declare(x11, "XGrabKeyboard", c_int, pointer, Window, c_int, c_int, c_int, c_ulong)
declare(x11, "XGrabPointer", c_int, pointer, Window, c_int, c_uint, c_int, c_int, Window, c_ulong, c_ulong)
declare(x11, "XCreateSimpleWindow", Window, pointer, Window, c_int, c_int, c_uint, c_uint, c_uint, c_ulong, c_ulong)
declare(x11, "XChangeWindowAttributes", c_int, pointer, Window, c_ulong, ctypes.POINTER(SetWindowAttributes))
declare(x11, "XGetWindowAttributes", c_int, pointer, Window, ctypes.POINTER(WindowAttributes))
declare(x11, "XResizeWindow", c_int, pointer, Window, c_uint, c_uint)
declare(x11, "XStoreName", c_int, pointer, Window, c_char_p)
declare(x11, "XInternAtom", Atom, pointer, c_char_p, c_int)
declare(x11, "XSendEvent", c_int, pointer, Window, c_int, c_long, ctypes.POINTER(Event))
declare(x11, "XkbQueryExtension", c_int, pointer, *[ctypes.POINTER(c_int)] * 5)
declare(x11, "XkbLockModifiers", c_int, pointer, c_uint, c_uint, c_uint)
declare(x11, "XkbLockGroup", c_int, pointer, c_uint, c_uint)
declare(x11, "XSetInputFocus", c_int, pointer, Window, c_int, c_ulong)
declare(x11, "XChangeProperty", c_int, pointer, Window, Atom, Atom, c_int, c_int, ctypes.POINTER(c_ulong), c_int)
declare(x11, "XDeleteProperty", c_int, pointer, Window, Atom)
declare(x11, "XSelectInput", c_int, pointer, Window, c_long)
declare(x11, "XNextEvent", c_int, pointer, ctypes.POINTER(Event))
declare(x11, "XGetInputFocus", c_int, pointer, ctypes.POINTER(Window), ctypes.POINTER(c_int))
declare(x11, "XCreateGC", pointer, pointer, Window, c_ulong, pointer)
declare(x11, "XSetForeground", c_int, pointer, pointer, c_ulong)
declare(x11, "XFillRectangle", c_int, pointer, Window, pointer, c_int, c_int, c_uint, c_uint)

GRAB_SUCCESS = 0
GRAB_MODE_ASYNC = 1
CURRENT_TIME = 0
CW_OVERRIDE_REDIRECT = 1 << 9
CLIENT_MESSAGE = 33
USE_CORE_KEYBOARD = 0x100
MOD2 = 1 << 4  # the modifier Num_Lock sets on every usual keymap
POINTER_ROOT = 1
REVERT_TO_PARENT = 2
XA_WINDOW = 33
FOCUS_CHANGE_MASK = 1 << 21
FOCUS_OUT = 10
NOTIFY_NORMAL, NOTIFY_WHILE_GRABBED = 0, 3
PROP_MODE_REPLACE = 0
SAVER_STATES = {0: "off", 1: "on", 3: "disabled"}


def hold_until_killed():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        time.sleep(3600)


def grab(display, root, what):
    # A client that has just gone may still hold its grab for a moment.
    keyboard = what not in ("keyboard", "both")
    pointer_held = what not in ("pointer", "both")
    for _ in range(40):
        if not keyboard:
            keyboard = x11.XGrabKeyboard(display, root, 0, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, CURRENT_TIME) == GRAB_SUCCESS
        if not pointer_held:
            pointer_held = x11.XGrabPointer(display, root, 0, 0, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, 0, 0, CURRENT_TIME) == GRAB_SUCCESS
        if keyboard and pointer_held:
            break
        time.sleep(0.05)
    if not (keyboard and pointer_held):
        sys.exit("x11.py: cannot grab the " + what)
    x11.XSync(display, 0)
    print("grabbed", flush=True)
    hold_until_killed()


def notify(display, root, x, y, width, height):
    window = x11.XCreateSimpleWindow(display, root, x, y, width, height, 0, 0xFFFFFF, 0xFFFFFF)
    attributes = SetWindowAttributes()
    attributes.override_redirect = 1
    x11.XChangeWindowAttributes(display, window, CW_OVERRIDE_REDIRECT, ctypes.byref(attributes))
    x11.XMapRaised(display, window)
    x11.XSync(display, 0)
    print(window, flush=True)
    hold_until_killed()


def close(display, window):
    event = Event()
    event.client.type = CLIENT_MESSAGE
    event.client.window = window
    event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))


def paint(display, window):
    attributes = WindowAttributes()
    x11.XGetWindowAttributes(display, window, ctypes.byref(attributes))
    gc = x11.XCreateGC(display, window, 0, None)
    x11.XSetForeground(display, gc, 0xFFFFFF)
    x11.XFillRectangle(display, window, gc, 0, 0, attributes.width, attributes.height)


def press_keys(display, codes):
    xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    declare(xtst, "XTestFakeKeyEvent", c_int, pointer, c_uint, c_int, c_ulong)
    for code in codes:
        xtst.XTestFakeKeyEvent(display, code, 1, 0)
        xtst.XTestFakeKeyEvent(display, code, 0, 0)
        x11.XSync(display, 0)


def numlock_on(display):
    values = [c_int() for _ in range(5)]
    if not x11.XkbQueryExtension(display, *[ctypes.byref(value) for value in values]):
        sys.exit("x11.py: the server has no keyboard extension")
    x11.XkbLockModifiers(display, USE_CORE_KEYBOARD, MOD2, MOD2)


def shown(display, root, take_focus):
    window = x11.XCreateSimpleWindow(display, root, 0, 0, 200, 100, 0, 0, 0xFFFFFF)
    x11.XMapRaised(display, window)
    x11.XSync(display, 0)
    if take_focus:
        x11.XSetInputFocus(display, window, REVERT_TO_PARENT, CURRENT_TIME)
        x11.XSync(display, 0)
    print(hex(window), flush=True)
    hold_until_killed()


def keep_focus(display, root):
    window = x11.XCreateSimpleWindow(display, root, 0, 0, 200, 100, 0, 0, 0xFFFFFF)
    x11.XSelectInput(display, window, FOCUS_CHANGE_MASK)
    x11.XMapRaised(display, window)
    x11.XSync(display, 0)
    x11.XSetInputFocus(display, window, REVERT_TO_PARENT, CURRENT_TIME)
    x11.XSync(display, 0)
    print(hex(window), flush=True)
    # SIGTERM ends the process at once: a Python handler would wait for XNextEvent to return.
    event = Event()
    while True:
        x11.XNextEvent(display, ctypes.byref(event))
        # Grabs move the focus for a moment on their own; only a real change counts.
        if event.type == FOCUS_OUT and event.focus.mode in (NOTIFY_NORMAL, NOTIFY_WHILE_GRABBED):
            x11.XSetInputFocus(display, window, REVERT_TO_PARENT, CURRENT_TIME)
            x11.XSync(display, 0)


def window_manager(display, root, active, stacked):
    for name, windows in ((b"_NET_ACTIVE_WINDOW", [active] if active else []), (b"_NET_CLIENT_LIST_STACKING", stacked)):
        atom = x11.XInternAtom(display, name, 0)
        if windows:
            values = (c_ulong * len(windows))(*windows)
            x11.XChangeProperty(display, root, atom, XA_WINDOW, 32, PROP_MODE_REPLACE, values, len(windows))
        else:
            x11.XDeleteProperty(display, root, atom)


def focus(display, root):
    window = Window()
    revert_to = c_int()
    x11.XGetInputFocus(display, ctypes.byref(window), ctypes.byref(revert_to))
    print({0: "None", POINTER_ROOT: "PointerRoot"}.get(window.value, "root" if window.value == root else hex(window.value)))


def saver_state(display, root):
    xss = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xss") or "libXss.so.1")
    declare(xss, "XScreenSaverQueryInfo", c_int, pointer, Window, ctypes.POINTER(ScreenSaverInfo))
    info = ScreenSaverInfo()
    if not xss.XScreenSaverQueryInfo(display, root, ctypes.byref(info)):
        sys.exit("x11.py: the server has no MIT-SCREEN-SAVER extension")
    print(SAVER_STATES.get(info.state, str(info.state)))


def target(display, root, width, height):
    window = x11.XCreateSimpleWindow(display, root, 0, 0, width, height, 0, 0, 0x000080)
    x11.XStoreName(display, window, b"module target")
    x11.XMapWindow(display, window)
    x11.XSync(display, 0)
    print(f"0x{window:x}", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == "attributes":
            a = WindowAttributes()
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
        elif words[0] == "quit":
            break
        x11.XSync(display, 0)
        print("done", flush=True)


def main(arguments):
    if not arguments:
        sys.exit(__doc__)
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("x11.py: cannot open the display")
    root = x11.XDefaultRootWindow(display)
    command, rest = arguments[0], arguments[1:]
    if command == "unmap":
        x11.XUnmapWindow(display, int(rest[0], 0))
    elif command == "destroy":
        x11.XDestroyWindow(display, int(rest[0], 0))
    elif command == "close":
        close(display, int(rest[0], 0))
    elif command == "paint":
        paint(display, int(rest[0], 0))
    elif command == "grab":
        grab(display, root, rest[0])
    elif command == "notify":
        notify(display, root, *(int(value) for value in rest[:4]))
    elif command == "keys":
        press_keys(display, [int(code) for code in rest])
    elif command == "numlock-on":
        numlock_on(display)
    elif command == "group":
        x11.XkbLockGroup(display, USE_CORE_KEYBOARD, int(rest[0]))
    elif command == "focused":
        shown(display, root, True)
    elif command == "keep-focus":
        keep_focus(display, root)
    elif command == "shown":
        shown(display, root, False)
    elif command == "window-manager":
        window_manager(display, root, int(rest[0], 0), [int(window, 0) for window in rest[1:]])
    elif command == "focus":
        focus(display, root)
    elif command == "focus-to":
        x11.XSetInputFocus(display, POINTER_ROOT if rest[0] == "pointer-root" else 0, POINTER_ROOT, CURRENT_TIME)
    elif command == "saver-state":
        saver_state(display, root)
    elif command == "target":
        target(display, root, *((int(rest[0]), int(rest[1])) if len(rest) == 2 else (400, 300)))
    else:
        sys.exit(__doc__)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


main(sys.argv[1:])
