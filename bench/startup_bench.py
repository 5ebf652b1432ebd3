#!/usr/bin/env python3
"""Start-up of plit against the floor of its stack.

    bench/startup_bench.py BUILD_DIR [ROUNDS] [--silent]

Without an X display it runs itself under Xvfb, without a session bus
under a bus of its own. For each round, plit and bench/startup_floor are
started in turn and timed from the moment the process is started to the
moment its first top-level window is mapped (watched through Xlib on the
root window), with the CPU time the process and its children had spent by
then (which, unlike the time, does not depend on what else the machine
runs); the resident memory of the process and its children is read two
seconds later. plit runs against the stand-in platform server on loopback,
with a data directory made by a first, unmeasured start. Prints the
medians and the ratios to the floor. With --silent the platform and the
update server are a loopback port that takes connections and never answers.
"""

import ctypes
import ctypes.util
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
SETTLE_SECONDS = 2.0
TIMEOUT_SECONDS = 60.0


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", MapEvent), ("pad", ctypes.c_long * 24)]


class Display:
    """The X display, watched for windows mapped on its root."""

    def __init__(self):
        self.x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_void_p)]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        # A window may be gone before its owner is asked for: not an error here.
        self.ignore_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        self.x.XSetErrorHandler(self.ignore_errors)
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            sys.exit("cannot open the X display")
        self.x.XSelectInput(self.display, self.x.XDefaultRootWindow(self.display),
                            SUBSTRUCTURE_NOTIFY_MASK)
        self.pid_atom = self.x.XInternAtom(self.display, b"_NET_WM_PID", 0)
        self.fd = self.x.XConnectionNumber(self.display)

    def window_pid(self, window):
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = self.x.XGetWindowProperty(self.display, window, self.pid_atom, 0, 1, 0, 6,
                                           ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                           ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not data.value:
            return None
        pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0] if count.value else None
        self.x.XFree(data)
        return pid

    def wait_for_map(self, pid, deadline):
        """The time at which a window of process `pid` is mapped."""
        import select
        event = XEvent()
        while time.monotonic() < deadline:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, ctypes.byref(event))
                if event.type == MAP_NOTIFY and self.window_pid(event.xmap.window) == pid:
                    return time.monotonic()
            select.select([self.fd], [], [], 0.005)
        return None


def descendants(pid):
    """A process and all its descendants."""
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        try:
            with open("/proc/%d/task/%d/children" % (current, current)) as children:
                todo += [int(child) for child in children.read().split()]
        except OSError:
            pass
    return found


def cpu_seconds(pid):
    """CPU time of a process and all its descendants so far: the time each of
    their threads has run, in nanoseconds (schedstat; /proc/PID/stat counts
    in ticks of 10 ms, and a tick is 5 % of a start). Threads that have
    already ended are not counted; none ends before the window shows."""
    nanoseconds = 0
    for current in descendants(pid):
        try:
            threads = os.listdir("/proc/%d/task" % current)
        except OSError:
            continue
        for thread in threads:
            try:
                with open("/proc/%d/task/%s/schedstat" % (current, thread)) as schedstat:
                    nanoseconds += int(schedstat.read().split()[0])
            except (OSError, IndexError, ValueError):
                pass
    return nanoseconds / 1e9


def resident_kib(pid):
    """Resident memory of a process and all its descendants."""
    total, todo = 0, [pid]
    while todo:
        current = todo.pop()
        try:
            with open("/proc/%d/status" % current) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
            with open("/proc/%d/task/%d/children" % (current, current)) as children:
                todo += [int(child) for child in children.read().split()]
        except OSError:
            pass
    return total


def measure(display, command, env, cwd):
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, cwd=cwd,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        mapped = display.wait_for_map(process.pid, started + TIMEOUT_SECONDS)
        if mapped is None:
            sys.exit("%s showed no window" % command[0])
        cpu = cpu_seconds(process.pid)
        time.sleep(SETTLE_SECONDS)
        return mapped - started, resident_kib(process.pid), cpu
    finally:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def start_standin():
    server = subprocess.Popen([sys.executable, os.path.join(TOP, "tools/standin/platform_server.py"),
                               "--port", "0"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = server.stdout.readline()
    if not line.startswith("listening on "):
        server.kill()
        sys.exit("the stand-in server did not start")
    return server, "http://" + line.split()[-1]


def start_silent():
    """A server that takes every connection and never says a word."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    held = []

    def hold():
        while True:
            held.append(listener.accept()[0])

    threading.Thread(target=hold, daemon=True).start()
    return "http://127.0.0.1:%d" % listener.getsockname()[1]


def run(build, rounds, display=None, report=print, silent=False):
    """The medians of plit and the floor over `rounds` rounds:
    {name: (seconds, KiB, CPU-seconds)}, the CPU time spent until the window was mapped."""
    display = display or Display()
    server, base = start_standin()
    if silent:
        base = start_silent()
    work = tempfile.mkdtemp(prefix="plit-startup-")
    try:
        env = dict(os.environ)
        env.update(PLIT_PLATFORM_URL=base, PLIT_UPDATE_URL=base, PLIT_CHAT_URL=base + "/chat",
                   PLIT_DATA_DIR=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_DATA_HOME=os.path.join(work, "share"),
                   QTWEBENGINE_DISABLE_SANDBOX="1",
                   # The single-instance keys live there: a copy of plit that
                   # someone else runs on this machine does not stop these.
                   TMPDIR=os.path.join(work, "tmp"))
        os.makedirs(env["TMPDIR"])
        env.pop("QT_QPA_PLATFORM", None)
        programs = {"plit": [os.path.join(build, "plit")],
                    "floor": [os.path.join(build, "bench", "startup_floor")]}
        for command in programs.values():  # first starts: database, caches, fonts
            measure(display, command, env, work)
        results = {name: [] for name in programs}
        for round_number in range(rounds):
            for name, command in programs.items():
                seconds, kib, cpu = measure(display, command, env, work)
                results[name].append((seconds, kib, cpu))
                report("round %d %-5s %6.0f ms %7.1f MiB %6.0f CPU-ms"
                       % (round_number + 1, name, seconds * 1000, kib / 1024, cpu * 1000))
        return {name: tuple(statistics.median(run[i] for run in runs) for i in range(3))
                for name, runs in results.items()}
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


def as_on_a_desktop():
    """Runs this very command again the way a desktop runs plit: on an X
    display (Xvfb when there is none, at the 96 dpi a desktop's X server
    reports; Xvfb's own 100 dpi would have Qt draw plit at 1.04 times its
    size, with the pictures made for 2x) and with a session bus (a private
    one when there is none). Without a bus, libdbus answers Qt's first
    question to it (the accessibility bridge's, at the first layout) by
    forking the whole process to start one, which no desktop session pays."""
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24 -dpi 96",
                               sys.executable] + sys.argv)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    as_on_a_desktop()
    build = os.path.abspath(sys.argv[1])
    numbers = [arg for arg in sys.argv[2:] if not arg.startswith("--")]
    rounds = int(numbers[0]) if numbers else 7
    medians = run(build, rounds, silent="--silent" in sys.argv)
    for name, (seconds, kib, cpu) in medians.items():
        print("median %-5s %6.0f ms %7.1f MiB %6.0f CPU-ms" % (name, seconds * 1000, kib / 1024, cpu * 1000))
    time_ratio = medians["plit"][0] / medians["floor"][0]
    memory_ratio = medians["plit"][1] / medians["floor"][1]
    cpu_ratio = medians["plit"][2] / medians["floor"][2]
    print("plit / floor: time %.2f, memory %.2f, CPU time to the window %.2f (target at most 1.30 each)"
          % (time_ratio, memory_ratio, cpu_ratio))


if __name__ == "__main__":
    main()
