#!/usr/bin/env python3
"""Sends a signal to a process and prints how many milliseconds it took to end.

The end is seen through a pidfd, so the figure does not depend on a polling
interval. Prints "timeout" if the process still runs after the limit.
Usage: signal-time.py PID SIGNAL [LIMIT_SECONDS]
"""
import os
import select
import signal
import sys
import time


def main():
    pid = int(sys.argv[1])
    number = getattr(signal, "SIG" + sys.argv[2]) if not sys.argv[2].isdigit() else int(sys.argv[2])
    limit = float(sys.argv[3]) if len(sys.argv) > 3 else 5.0
    descriptor = os.pidfd_open(pid)
    started = time.monotonic()
    os.kill(pid, number)
    readable, _, _ = select.select([descriptor], [], [], limit)
    ended = time.monotonic()
    os.close(descriptor)
    print(f"{(ended - started) * 1000:.1f}" if readable else "timeout")


if __name__ == "__main__":
    main()
