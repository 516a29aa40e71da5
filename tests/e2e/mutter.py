#!/usr/bin/env python3
"""Keys and pictures for a headless mutter, through its remote-desktop and
screen-cast interfaces on the session bus.

Both kinds of session end when the client that made them leaves the bus,
so this stays connected and reads commands from standard input, answering
each with one line:

    key CODE...    press and release each evdev key code in turn
    shot FILE      write the monitor's picture to FILE (PNG)

The first line it writes is "ready". Only the standard library: the D-Bus
wire protocol is small enough to speak directly.
"""
import os
import socket
import struct
import subprocess
import sys

# The keys of a remote-desktop session go through mutter's own input routing,
# as a real keyboard's would.
MUTTER = "org.gnome.Mutter"


def align(offset, boundary):
    return (offset + boundary - 1) // boundary * boundary


class Writer:
    def __init__(self):
        self.data = bytearray()

    def pad(self, boundary):
        self.data += b"\0" * (align(len(self.data), boundary) - len(self.data))

    def value(self, signature, value):
        kind = signature[0]
        if kind in "ub":
            self.pad(4)
            self.data += struct.pack("<I", int(value))
        elif kind == "i":
            self.pad(4)
            self.data += struct.pack("<i", value)
        elif kind in "so":
            self.pad(4)
            encoded = value.encode()
            self.data += struct.pack("<I", len(encoded)) + encoded + b"\0"
        elif kind == "g":
            encoded = value.encode()
            self.data += bytes([len(encoded)]) + encoded + b"\0"
        elif kind == "y":
            self.data += bytes([value])
        elif kind == "v":
            inner, payload = value
            self.value("g", inner)
            self.value(inner, payload)
        elif signature.startswith("a{"):
            self.pad(4)
            length_at = len(self.data)
            self.data += b"\0\0\0\0"
            self.pad(8)
            start = len(self.data)
            key, item = signature[2], signature[3:-1]
            for name, entry in value.items():
                self.pad(8)
                self.value(key, name)
                self.value(item, entry)
            struct.pack_into("<I", self.data, length_at, len(self.data) - start)
        elif signature == "a(yv)":
            self.pad(4)
            length_at = len(self.data)
            self.data += b"\0\0\0\0"
            self.pad(8)
            start = len(self.data)
            for code, entry in value:
                self.pad(8)
                self.value("y", code)
                self.value("v", entry)
            struct.pack_into("<I", self.data, length_at, len(self.data) - start)
        else:
            raise ValueError("cannot write " + signature)


def split_signature(signature):
    """The complete types of a signature, one by one."""
    types, index = [], 0
    while index < len(signature):
        end = index
        depth = 0
        while True:
            char = signature[end]
            if char in "({":
                depth += 1
            elif char in ")}":
                depth -= 1
            end += 1
            if depth == 0 and char != "a":
                break
        types.append(signature[index:end])
        index = end
    return types


class Reader:
    def __init__(self, data, offset=0):
        self.data = data
        self.offset = offset

    def pad(self, boundary):
        self.offset = align(self.offset, boundary)

    def value(self, signature):
        kind = signature[0]
        if kind in "ubi":
            self.pad(4)
            (number,) = struct.unpack_from("<i" if kind == "i" else "<I", self.data, self.offset)
            self.offset += 4
            return number
        if kind in "t":
            self.pad(8)
            self.offset += 8
            return None
        if kind == "d":
            self.pad(8)
            self.offset += 8
            return None
        if kind == "y":
            self.offset += 1
            return self.data[self.offset - 1]
        if kind in "so":
            self.pad(4)
            (length,) = struct.unpack_from("<I", self.data, self.offset)
            self.offset += 4
            text = self.data[self.offset:self.offset + length].decode()
            self.offset += length + 1
            return text
        if kind == "g":
            length = self.data[self.offset]
            text = self.data[self.offset + 1:self.offset + 1 + length].decode()
            self.offset += length + 2
            return text
        if kind == "v":
            inner = self.value("g")
            return self.value(inner)
        if kind == "a":
            self.pad(4)
            (length,) = struct.unpack_from("<I", self.data, self.offset)
            self.offset += 4
            item = signature[1:]
            self.pad(8 if item[0] in "({t" else 1)
            end = self.offset + length
            items = []
            while self.offset < end:
                items.append(self.value(item))
            return items
        if kind in "({":
            self.pad(8)
            return [self.value(part) for part in split_signature(signature[1:-1])]
        raise ValueError("cannot read " + signature)


class Bus:
    def __init__(self, address):
        path = dict(part.split("=", 1) for part in address.split(":", 1)[1].split(","))
        self.socket = socket.socket(socket.AF_UNIX)
        if "abstract" in path:
            self.socket.connect("\0" + path["abstract"])
        else:
            self.socket.connect(path["path"])
        self.socket.sendall(b"\0AUTH EXTERNAL " + str(os.getuid()).encode().hex().encode() + b"\r\n")
        if not self.receive_line().startswith(b"OK"):
            raise RuntimeError("the session bus refused us")
        self.socket.sendall(b"BEGIN\r\n")
        self.serial = 0
        self.buffer = b""
        self.signals = []
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello")

    def receive_line(self):
        line = b""
        while not line.endswith(b"\r\n"):
            line += self.socket.recv(1)
        return line

    def send(self, destination, path, interface, member, signature="", arguments=()):
        self.serial += 1
        body = Writer()
        for part, argument in zip(split_signature(signature), arguments):
            body.value(part, argument)
        fields = [(1, ("o", path)), (2, ("s", interface)), (3, ("s", member)), (6, ("s", destination))]
        if signature:
            fields.append((8, ("g", signature)))
        header = Writer()
        for item, payload in (("y", ord("l")), ("y", 1), ("y", 0), ("y", 1)):
            header.value(item, payload)
        header.data += struct.pack("<II", len(body.data), self.serial)
        header.value("a(yv)", fields)
        header.pad(8)
        self.socket.sendall(bytes(header.data) + bytes(body.data))
        return self.serial

    def receive(self):
        while True:
            if len(self.buffer) >= 16:
                body_length, _, fields_length = struct.unpack_from("<III", self.buffer, 4)
                header_length = align(16 + fields_length, 8)
                if len(self.buffer) >= header_length + body_length:
                    message = self.buffer[:header_length + body_length]
                    self.buffer = self.buffer[header_length + body_length:]
                    return self.parse(message, header_length)
            chunk = self.socket.recv(65536)
            if not chunk:
                raise RuntimeError("the session bus went away")
            self.buffer += chunk

    @staticmethod
    def parse(message, header_length):
        kind = message[1]
        reader = Reader(message, 12)
        fields = {code: value for code, value in reader.value("a(yv)")}
        body = Reader(message, header_length)
        arguments = [body.value(part) for part in split_signature(fields.get(8, ""))]
        return kind, fields, arguments

    def call(self, destination, path, interface, member, signature="", arguments=()):
        serial = self.send(destination, path, interface, member, signature, arguments)
        while True:
            kind, fields, values = self.receive()
            if kind == 4:
                self.signals.append((fields, values))
            elif fields.get(5) == serial:
                if kind == 3:
                    raise RuntimeError("%s.%s: %s %s" % (interface, member, fields.get(4), values))
                return values

    def wait_signal(self, member):
        while True:
            for index, (fields, values) in enumerate(self.signals):
                if fields.get(3) == member:
                    del self.signals[index]
                    return values
            kind, fields, values = self.receive()
            if kind == 4:
                self.signals.append((fields, values))


def main():
    bus = Bus(sys.argv[1])
    remote = bus.call(MUTTER + ".RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop", MUTTER + ".RemoteDesktop", "CreateSession")[0]
    keyboard = MUTTER + ".RemoteDesktop.Session"
    bus.call(MUTTER + ".RemoteDesktop", remote, keyboard, "Start")

    bus.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "AddMatch", "s",
             ("type='signal',member='PipeWireStreamAdded'",))
    cast = bus.call(MUTTER + ".ScreenCast", "/org/gnome/Mutter/ScreenCast", MUTTER + ".ScreenCast", "CreateSession",
                    "a{sv}", ({},))[0]
    # The one virtual monitor; the pointer is left out of the pictures.
    stream = bus.call(MUTTER + ".ScreenCast", cast, MUTTER + ".ScreenCast.Session", "RecordMonitor", "sa{sv}",
                      ("", {"cursor-mode": ("u", 0)}))[0]
    bus.call(MUTTER + ".ScreenCast", cast, MUTTER + ".ScreenCast.Session", "Start")
    node = bus.wait_signal("PipeWireStreamAdded")[0]

    def key(code, pressed):
        bus.call(MUTTER + ".RemoteDesktop", remote, keyboard, "NotifyKeyboardKeycode", "ub", (code, pressed))

    # The first key of a session is lost: a harmless one (Shift) goes first.
    key(42, True)
    key(42, False)
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            if words[0] == "key":
                for code in words[1:]:
                    key(int(code), True)
                    key(int(code), False)
                print("done", flush=True)
            elif words[0] == "shot":
                result = subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node, "num-buffers=1", "!",
                                         "videoconvert", "!", "pngenc", "!", "filesink", "location=" + words[1]],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
                print("done" if result.returncode == 0 else "failed", flush=True)
            else:
                print("unknown", flush=True)
        except Exception as error:  # one command failing leaves the sessions for the next
            print("failed " + str(error).replace("\n", " "), flush=True)


if __name__ == "__main__":
    main()
