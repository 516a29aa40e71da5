# Takes a screenshot through KWin's org.kde.KWin.ScreenShot2 (KWin started
# with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1) and writes it as a PNG:
#
#   python3 kwin-shot.py OUT.png [SCREEN]    the whole workspace, or the output named SCREEN
#
# KWin writes the raw pixels into a pipe and describes them in its reply.
import os
import subprocess
import sys
import threading

import dbus

out = sys.argv[1]
bus = dbus.SessionBus()
shooter = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"), "org.kde.KWin.ScreenShot2")
reader, writer = os.pipe()
chunks = []
drain = threading.Thread(target=lambda: chunks.extend(iter(lambda: os.read(reader, 1 << 20), b"")), daemon=True)
drain.start()
options = {"native-resolution": True}
try:
    if len(sys.argv) > 2:
        reply = shooter.CaptureScreen(sys.argv[2], options, dbus.types.UnixFd(writer), timeout=10)
    else:
        reply = shooter.CaptureWorkspace(options, dbus.types.UnixFd(writer), timeout=10)
finally:
    os.close(writer)
drain.join(10)
width, height, stride, image_format = int(reply["width"]), int(reply["height"]), int(reply["stride"]), int(reply["format"])
# QImage's 32-bit formats (RGB32, ARGB32, ARGB32_Premultiplied) lie in memory as B, G, R, A.
if image_format not in (4, 5, 6):
    sys.exit(f"kwin-shot: pixels in QImage format {image_format}, not a 32-bit one")
data = b"".join(chunks)
rows = b"".join(data[y * stride : y * stride + width * 4] for y in range(height))
subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-", "-alpha", "off", out], input=rows, check=True)
