#!/usr/bin/python3
"""Time from exec to the first visible window, for veskedit and for Debian's okteta on the same
file, in alternating runs on one X display (run it inside xvfb-run). A window counts as visible
once a top-level window of the process (its _NET_WM_PID) is mapped; the display is polled every
millisecond over one connection. Prints each median and their ratio.

Usage: dbus-run-session -- xvfb-run -a bench/first-window.py VESKEDIT FILE [RUNS]
Needs python3-xlib and okteta. Run it with a session bus, as a desktop has one: without a bus
every Qt program first tries to start one, which costs both programs 15 to 25 ms."""
import os
import statistics
import subprocess
import sys
import time

from Xlib import X, display


def mapped_pid_windows(d, pid_atom):
    pids = set()
    for w in d.screen().root.query_tree().children:
        try:
            if w.get_attributes().map_state != X.IsViewable:
                continue
            prop = w.get_full_property(pid_atom, X.AnyPropertyType)
        except Exception:  # a window gone meanwhile
            continue
        if prop and prop.value:
            pids.add(int(prop.value[0]))
    return pids


def first_window(d, pid_atom, command):
    start = time.monotonic()
    p = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - start < 20:
            if p.pid in mapped_pid_windows(d, pid_atom):
                return (time.monotonic() - start) * 1000
            time.sleep(0.001)
        return float("nan")
    finally:
        p.kill()
        p.wait()
        time.sleep(0.2)  # let the server forget the window


def main():
    veskedit, path = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    d = display.Display()
    pid_atom = d.intern_atom("_NET_WM_PID")
    ours_cmd = [veskedit, path]
    theirs_cmd = ["okteta", path]
    first_window(d, pid_atom, ours_cmd)  # warm the caches of both once
    first_window(d, pid_atom, theirs_cmd)
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(first_window(d, pid_atom, ours_cmd))
        theirs.append(first_window(d, pid_atom, theirs_cmd))
    a, b = statistics.median(ours), statistics.median(theirs)
    print("veskedit: %.0f ms (runs: %s)" % (a, " ".join("%.0f" % t for t in ours)))
    print("okteta:   %.0f ms (runs: %s)" % (b, " ".join("%.0f" % t for t in theirs)))
    print("ratio:    %.2f" % (a / b))


if __name__ == "__main__":
    main()
