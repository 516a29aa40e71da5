#!/usr/bin/env python3
"""Presses keys by keycode through the XTEST extension, as a keyboard would.

xdotool types keypad keys by keysym and so presses Num Lock itself; a keycode
goes through the server's own keymap and modifier state instead.

Usage: xkey.py KEYCODE [KEYCODE ...]   (each is pressed and released in turn)
       xkey.py numlock-on                (locks Num Lock without pressing a key)
       xkey.py group N                   (locks keyboard group N, counted from 0, as a layout switch does)
"""
import ctypes
import ctypes.util
import sys

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst") or "libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("xkey.py: cannot open the display")
if sys.argv[1:] == ["numlock-on"]:
    # Lock the modifier that Num_Lock sets (mod2 on every usual keymap).
    x11.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
    values = [ctypes.c_int() for _ in range(5)]
    if not x11.XkbQueryExtension(display, *[ctypes.byref(value) for value in values]):
        sys.exit("xkey.py: the server has no keyboard extension")
    x11.XkbLockModifiers.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint]
    use_core_keyboard = 0x100
    mod2 = 1 << 4
    x11.XkbLockModifiers(display, use_core_keyboard, mod2, mod2)
    x11.XSync(display, 0)
    sys.argv = sys.argv[:1]
if sys.argv[1:2] == ["group"]:
    x11.XkbLockGroup.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint]
    x11.XkbLockGroup(display, 0x100, int(sys.argv[2]))
    x11.XSync(display, 0)
    sys.argv = sys.argv[:1]
for code in sys.argv[1:]:
    xtst.XTestFakeKeyEvent(display, int(code), 1, 0)
    xtst.XTestFakeKeyEvent(display, int(code), 0, 0)
    x11.XSync(display, 0)
x11.XCloseDisplay(display)
