#!/usr/bin/env python3
"""What the saver costs on a real X server, measured from outside.

On a private Xvfb at 1920x1080x24 it runs `quilvenmoor /S` in scroll mode and
in bounce mode, and `quilvenmoor-module --root` drawing into the 1920x1080
root window (scroll mode: a framework's window takes no keys), and reports, over 20 s after 3 s of start-up: CPU of the saver
and of the X server (from /proc/PID/schedstat, in nanoseconds), peak resident memory, context switches a
second, X requests and round trips per tick and the tick intervals (from the
timestamps and contents of its socket writes under strace), X errors, the
time from exec to the first frame and from a dismissing key to the exit.
Beside it, on the same server, two X screen savers of Debian's
xscreensaver-data (deco and noseguy, with -root), and the Windows .scr under
Wine, with the console display on and then off (the message sent as the
system would).

Usage: bench/window.py BUILD [--seconds N] [--scr FILE.scr] [--markdown]
"""
import argparse
import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def cpu_seconds(pid):
    """Time on a CPU: schedstat counts it in nanoseconds; /proc/PID/stat only
    in clock ticks, sampled, which misses a process that runs in short bursts."""
    try:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as schedstat:
                total += int(schedstat.read().split()[0])
        return total / 1e9
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def status_field(pid, name):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0


def switches(pid):
    return status_field(pid, "voluntary_ctxt_switches") + status_field(pid, "nonvoluntary_ctxt_switches")


class Display:
    """A private Xvfb, and an XTEST connection to press keys without a helper process."""

    def __init__(self):
        self.server, number = self.start_server()
        self.name = f":{number}"
        os.environ["DISPLAY"] = self.name
        x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x11 = x11
        self.connection = None
        for _ in range(200):
            self.connection = x11.XOpenDisplay(self.name.encode())
            if self.connection:
                break
            time.sleep(0.01)
        if not self.connection:
            raise RuntimeError(f"cannot open the display {self.name}")

    @staticmethod
    def start_server():
        """Xvfb on a display of its own choosing. A server whose lock file has
        gone (removed by someone else) makes Xvfb choose its number, fail to
        listen there and end: then take a number with no socket and no lock."""
        arguments = ["-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"]
        read_end, write_end = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end)] + arguments, pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = os.read(read_end, 16).decode().strip()
        os.close(read_end)
        time.sleep(0.3)
        if server.poll() is None:
            return server, number
        for candidate in range(60, 200):
            if os.path.exists(f"/tmp/.X11-unix/X{candidate}") or os.path.exists(f"/tmp/.X{candidate}-lock"):
                continue
            server = subprocess.Popen(["Xvfb", f":{candidate}"] + arguments, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{candidate}") or server.poll() is not None:
                    break
                time.sleep(0.02)
            if server.poll() is None:
                return server, str(candidate)
        raise RuntimeError("cannot start Xvfb")

    def press(self, keysym):
        code = self.x11.XKeysymToKeycode(self.connection, keysym)
        self.xtst.XTestFakeKeyEvent(self.connection, code, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.connection, code, 0, 0)
        self.x11.XFlush(self.connection)

    def has_window(self, title):
        listing = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True).stdout
        return f'"{title}"' in listing

    def close(self):
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay(self.connection)
        self.server.terminate()
        self.server.wait()


XK_ESCAPE = 0xFF1B


def saver_command(build, program):
    """The stand-alone saver, or the module in the root window (as xscreensaver
    runs it, but with the whole screen as its window)."""
    if program == "module":
        return [os.path.join(build, "quilvenmoor-module"), "--root"]
    return [os.path.join(build, "quilvenmoor"), "/S"]


def wait_until_shown(display, program):
    """The saver's window appears; the module has none of its own, so give it a moment."""
    if program == "module":
        time.sleep(0.5)
        return
    while not display.has_window("Screen saver"):
        time.sleep(0.01)


def stop(display, process, program):
    """A dismissing key ends the saver; the module, whose window takes no keys,
    ends on SIGTERM (sent to the program itself when strace runs it)."""
    if program != "module":
        display.press(XK_ESCAPE)
        return
    try:
        with open(f"/proc/{process.pid}/task/{process.pid}/children") as children:
            traced = [int(pid) for pid in children.read().split()]
    except OSError:
        traced = []
    if os.path.basename(process.args[0]) == "strace" and traced:
        for pid in traced:
            os.kill(pid, signal.SIGTERM)
    else:
        process.terminate()
XK_Q = 0x71
XK_S = 0x73


def switch_to_bounce(display):
    """S first: the box may be out of sight in scroll mode, and bounce mode
    started beside the screen stays there."""
    display.press(XK_S)
    display.press(XK_Q)


def resources(pids, server_pid, seconds):
    """CPU seconds of the processes and of the X server over `seconds`."""
    before = [cpu_seconds(pid) for pid in pids]
    server_before = cpu_seconds(server_pid)
    switches_before = [switches(pid) for pid in pids]
    time.sleep(seconds)
    own = sum(cpu_seconds(pid) for pid in pids) - sum(before)
    server = cpu_seconds(server_pid) - server_before
    context = (sum(switches(pid) for pid in pids) - sum(switches_before)) / seconds
    return own, server, context


def measure_saver(build, mode, seconds, program="saver"):
    display = Display()
    time.sleep(0.5)  # a server that has settled, as a desktop's is
    saver = saver_command(build, program)
    # The saver's diagnostic line "frame T" gives the moment its first frame
    # was sent, on the same monotonic clock as ours.
    started = time.monotonic()
    process = subprocess.Popen(saver, stderr=subprocess.PIPE, text=True, env=dict(os.environ, QUILVENMOOR_TICK_TRACE="1"))
    first_frame = float("nan")
    for line in process.stderr:
        if line.startswith("frame "):
            first_frame = float(line.split()[1]) - started * 1000
            break
    drain = threading.Thread(target=lambda: [errors.append(line) for line in process.stderr], daemon=True)
    errors = []
    drain.start()
    time.sleep(3)
    if mode == "bounce":
        switch_to_bounce(display)
        time.sleep(0.2)
    own, server, context = resources([process.pid], display.server.pid, seconds)
    peak = status_field(process.pid, "VmHWM")
    pressed = time.monotonic()
    stop(display, process, program)
    process.wait()
    dismissed = time.monotonic() - pressed
    drain.join(timeout=2)
    errors = sum(line.count("X error") for line in errors)
    display.close()
    result = {"cpu_saver": own / seconds * 100, "cpu_server": server / seconds * 100, "rss_kb": peak,
              "switches": context, "dismiss_ms": dismissed * 1000, "x_errors": errors}
    result.update(trace_saver(build, mode, program=program))
    # The strace run's first frame is slowed by strace; this one is seen on the screen.
    result["first_frame_traced_ms"] = result["first_frame_ms"]
    result["first_frame_ms"] = first_frame
    return result


COPY_AREA = 62
PUT_IMAGE = 72


def requests_in(writes):
    """The client's X requests, each with the time of the write that completed it.

    `writes` are (time, bytes) in order; a request may span writes. The stream
    opens with the connection setup; a length of 0 is a big request whose
    length follows in the next 4 bytes."""
    stream = b""
    requests = []
    setup_done = False
    for stamp, data in writes:
        stream += data
        while True:
            if not setup_done:
                if len(stream) < 12:
                    break
                name = int.from_bytes(stream[6:8], "little")
                auth = int.from_bytes(stream[8:10], "little")
                size = 12 + (name + 3) // 4 * 4 + (auth + 3) // 4 * 4
                if len(stream) < size:
                    break
                stream = stream[size:]
                setup_done = True
                continue
            if len(stream) < 4:
                break
            length = int.from_bytes(stream[2:4], "little") * 4
            if length == 0:
                if len(stream) < 8:
                    break
                length = int.from_bytes(stream[4:8], "little") * 4
            if len(stream) < length:
                break
            requests.append((stamp, stream[0]))
            stream = stream[length:]
    return requests


def trace_saver(build, mode, seconds=8, program="saver"):
    """First frame, ticks and requests, from the saver's socket writes under strace."""
    display = Display()
    log = tempfile.mktemp(suffix=".strace")
    saver = saver_command(build, program)
    process = subprocess.Popen(["strace", "-ttt", "-xx", "-s", "1000000", "-e", "trace=execve,writev,write,sendmsg,read,recvmsg,recvfrom",
                                "-o", log] + saver, stderr=subprocess.DEVNULL)
    wait_until_shown(display, program)
    time.sleep(1.5)
    if mode == "bounce":
        switch_to_bounce(display)
    time.sleep(seconds)
    stop(display, process, program)
    process.wait()
    display.close()

    exec_time = None
    writes = []  # (time, fd, bytes) of each write to a socket
    reads = []  # (time, fd) of each read that brought data
    with open(log) as lines:
        for line in lines:
            if exec_time is None and re.match(r"[\d.]+ execve\(", line):
                exec_time = float(line.split()[0])
                continue
            match = re.match(r"([\d.]+) (\w+)\((\d+)", line)
            if not match:
                continue
            stamp, call, fd = float(match.group(1)), match.group(2), int(match.group(3))
            if call in ("writev", "write", "sendmsg"):
                written = re.search(r"= (\d+)$", line.strip())
                data = bytes(int(h, 16) for h in re.findall(r"\\x([0-9a-f]{2})", line))
                writes.append((stamp, fd, data[:int(written.group(1))] if written else b""))
            elif call in ("read", "recvmsg", "recvfrom") and "EAGAIN" not in line and not line.rstrip().endswith("= 0"):
                reads.append((stamp, fd))
    os.unlink(log)
    x_fd = writes[0][1] if writes else -1
    requests = requests_in([(stamp, data) for stamp, fd, data in writes if fd == x_fd])
    copies = [stamp for stamp, opcode in requests if opcode == COPY_AREA]
    first_frame = copies[0] if copies else None
    # Steady state from 2.5 s after the first frame; a tick is one copy of the box.
    ticks = [stamp for stamp in copies if first_frame and stamp > first_frame + 2.5]
    # A gap of half a second or more is the box out of sight (nothing to draw), not a late tick.
    intervals = sorted((b - a) * 1000 for a, b in zip(ticks, ticks[1:]) if b - a < 0.5)
    in_window = [opcode for stamp, opcode in requests if ticks and ticks[0] < stamp <= ticks[-1] and opcode != PUT_IMAGE]
    window_reads = [stamp for stamp, fd in reads if fd == x_fd and ticks and ticks[0] <= stamp <= ticks[-1]]
    # The phase of the ticks on the 30 ms grid, at the start and at the end of the window.
    phases = [((stamp - ticks[0]) * 1000) % 30 for stamp in ticks] if ticks else []
    phases = [phase - 30 if phase > 15 else phase for phase in phases]
    drift = statistics.mean(phases[-50:]) - statistics.mean(phases[:50]) if len(phases) > 100 else float("nan")
    per_tick = len(in_window) / max(1, len(ticks) - 1)
    return {
        "first_frame_ms": (first_frame - exec_time) * 1000 if first_frame and exec_time else float("nan"),
        "tick_mean": statistics.mean(intervals) if intervals else float("nan"),
        "tick_p99": intervals[max(0, int(len(intervals) * 0.99) - 1)] if intervals else float("nan"),
        "tick_max": intervals[-1] if intervals else float("nan"),
        "requests_per_tick": per_tick,
        "round_trips_per_tick": len(window_reads) / max(1, len(ticks)),
        "drift_ms": drift,
    }


def measure_peer(name, seconds):
    program = f"/usr/libexec/xscreensaver/{name}"
    if not os.path.exists(program):
        return None
    display = Display()
    process = subprocess.Popen([program, "-root"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    own, server, context = resources([process.pid], display.server.pid, seconds)
    peak = status_field(process.pid, "VmHWM")
    process.terminate()
    process.wait()
    display.close()
    return {"cpu_saver": own / seconds * 100, "cpu_server": server / seconds * 100, "rss_kb": peak, "switches": context}


def measure_wine(scr, seconds):
    runner = os.path.join(ROOT, "tools", "wine-run.sh")
    display = Display()
    subprocess.run([runner, "--stop"])
    # Warm the prefix: one start that ends at once.
    subprocess.run([runner, scr, "/p", "0"])
    started = time.monotonic()
    process = subprocess.Popen([runner, scr, "/S"], stderr=subprocess.DEVNULL)
    while not display.has_window("Screen saver"):
        time.sleep(0.005)
    first_window = time.monotonic() - started
    if process.poll() is not None:
        display.close()
        return None
    time.sleep(3)
    wine_processes = [int(pid) for pid in subprocess.run(["pgrep", "-f", "wineserver|\\.exe|winedevice"], capture_output=True, text=True).stdout.split()
                      if int(pid) != process.pid]
    before = {pid: cpu_seconds(pid) for pid in wine_processes if os.path.exists(f"/proc/{pid}")}
    own, server, context = resources([process.pid], display.server.pid, seconds)
    others = sum(cpu_seconds(pid) - value for pid, value in before.items() if os.path.exists(f"/proc/{pid}"))
    peak = status_field(process.pid, "VmHWM")
    result = {"cpu_seconds_saver": own, "cpu_seconds_wine": others, "cpu_server": server / seconds * 100, "rss_kb": peak,
              "first_window_s": first_window, "switches": context}
    # The same span with the console display off, as the system would tell
    # the saver (Wine cannot switch a display off): a batch of ticks a second.
    broadcast = os.path.join(os.path.dirname(scr), "tests", "power-broadcast.exe")
    if os.path.exists(broadcast) and subprocess.run([runner, broadcast, "off"]).returncode == 0:
        time.sleep(1.5)
        own, server, context = resources([process.pid], display.server.pid, seconds)
        result.update({"off_cpu_seconds_saver": own, "off_cpu_server": server / seconds * 100, "off_switches": context})
        subprocess.run([runner, broadcast, "on"])
    display.press(XK_ESCAPE)
    process.wait()
    subprocess.run([runner, "--stop"])
    display.close()
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--scr", default=os.path.join(ROOT, "build-win64", "Quilvenmoor.scr"))
    parser.add_argument("--markdown", action="store_true")
    arguments = parser.parse_args()
    seconds = arguments.seconds

    rows = []
    for mode in ("scroll", "bounce"):
        result = measure_saver(arguments.build, mode, seconds)
        rows.append((f"quilvenmoor /S, {mode} mode", result))
        print(f"{mode}: " + ", ".join(f"{key} {value:.2f}" for key, value in result.items()), flush=True)
    if os.path.exists(os.path.join(arguments.build, "quilvenmoor-module")):
        result = measure_saver(arguments.build, "scroll", seconds, program="module")
        rows.append(("quilvenmoor-module --root, 1920x1080", result))
        print("module: " + ", ".join(f"{key} {value:.2f}" for key, value in result.items()), flush=True)
    peers = {}
    for name in ("deco", "noseguy"):
        result = measure_peer(name, seconds)
        if result:
            peers[name] = result
            rows.append((f"{name} -root", result))
            print(f"{name}: " + ", ".join(f"{key} {value:.2f}" for key, value in result.items()), flush=True)
    wine = measure_wine(arguments.scr, seconds) if os.path.exists(arguments.scr) else None
    if wine:
        print("wine: " + ", ".join(f"{key} {value:.2f}" for key, value in wine.items()), flush=True)

    print()
    print("| run | CPU saver % | CPU X server % | total % | peak RSS MB | switches/s | requests/tick | round trips/tick | tick mean / p99 / max ms | drift ms | first frame ms | dismiss ms |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for name, r in rows:
        total = r["cpu_saver"] + r["cpu_server"]
        ticks = f"{r['tick_mean']:.1f} / {r['tick_p99']:.1f} / {r['tick_max']:.1f}" if "tick_mean" in r else "-"
        print(f"| {name} | {r['cpu_saver']:.2f} | {r['cpu_server']:.2f} | {total:.2f} | {r['rss_kb'] / 1024:.1f} | {r['switches']:.0f} | "
              f"{r.get('requests_per_tick', float('nan')):.1f} | {r.get('round_trips_per_tick', float('nan')):.2f} | {ticks} | "
              f"{r.get('drift_ms', float('nan')):.1f} | {r.get('first_frame_ms', float('nan')):.0f} | {r.get('dismiss_ms', float('nan')):.0f} |")
    if peers:
        cheaper = min(p["cpu_saver"] + p["cpu_server"] for p in peers.values())
        for name, r in rows:
            if not name.startswith("quilvenmoor"):
                continue
            ratio = f"{(r['cpu_saver'] + r['cpu_server']) / cheaper:.2f}" if cheaper > 0 else "n/a (the peers used no measurable CPU)"
            print(f"ratio of {name} to the cheaper peer: {ratio}")
    module = next((r for name, r in rows if name.startswith("quilvenmoor-module")), None)
    if module:
        saver = rows[0][1]
        print(f"module against quilvenmoor /S (scroll mode): CPU {(module['cpu_saver'] + module['cpu_server']) / max(1e-9, saver['cpu_saver'] + saver['cpu_server']):.2f} times, "
              f"peak RSS {module['rss_kb'] / max(1, saver['rss_kb']):.2f} times, requests a tick {module['requests_per_tick']:.1f} against {saver['requests_per_tick']:.1f}")
    if wine:
        print(f"Windows .scr under Wine (64-bit): saver {wine['cpu_seconds_saver']:.2f} CPU-s per {seconds:.0f} s, Wine's own processes "
              f"{wine['cpu_seconds_wine']:.2f} CPU-s, X server {wine['cpu_server']:.2f} %, peak RSS {wine['rss_kb'] / 1024:.1f} MB, "
              f"window after {wine['first_window_s']:.2f} s, {wine['switches']:.0f} context switches/s")
        if "off_switches" in wine:
            print(f"  with the display off: saver {wine['off_cpu_seconds_saver']:.2f} CPU-s per {seconds:.0f} s, X server {wine['off_cpu_server']:.2f} %, "
                  f"{wine['off_switches']:.1f} context switches/s")


if __name__ == "__main__":
    main()
