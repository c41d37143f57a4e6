"""Helpers for the desktop tests: a private X server, the game started in it, and what X says
about its windows."""
import os
import shutil
import subprocess
import tempfile
import time


class XServer:
    """An Xvfb of our own on a free display (it picks the number and tells us)."""

    def __init__(self, size="1600x1000x24"):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        with os.fdopen(r, "rb") as f:
            while not number.endswith(b"\n"):
                c = f.read(1)
                if not c:
                    raise RuntimeError("Xvfb did not start")
                number += c
        self.display = ":" + number.decode().strip()

    def env(self, **extra):
        e = dict(os.environ)
        e["DISPLAY"] = self.display
        e.pop("WAYLAND_DISPLAY", None)
        e["GDK_BACKEND"] = "x11"
        e["NO_AT_BRIDGE"] = "1"
        e["ASAN_OPTIONS"] = "detect_leaks=0"
        # The tests read the game's own English: a translated desktop around them changes nothing.
        e.pop("LANGUAGE", None)
        e.pop("LC_ALL", None)
        e["LC_MESSAGES"] = "C"
        e.update(extra)
        return e

    def run(self, args, **extra):
        return subprocess.run(args, env=self.env(**extra), capture_output=True, text=True, timeout=60)

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


def windows(xs, name):
    """Ids of the visible windows named `name` exactly."""
    r = xs.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name])
    return [int(w) for w in r.stdout.split()]


def wait_for_windows(xs, name, count=1, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = windows(xs, name)
        if len(found) >= count:
            return found
        time.sleep(0.05)
    return windows(xs, name)


def geometry(xs, window):
    out = xs.run(["xwininfo", "-id", str(window)]).stdout
    values = {}
    for line in out.splitlines():
        line = line.strip()
        for key in ("Width", "Height"):
            if line.startswith(key + ":"):
                values[key] = int(line.split(":")[1])
    return values.get("Width"), values.get("Height")


def property_of(xs, window, name):
    return xs.run(["xprop", "-id", str(window), name]).stdout.strip()


def accessible_objects(program="quadrillo"):
    """Every object assistive technology sees in the running `program`'s windows (AT-SPI: needs the
    system's pyatspi, a session bus, and the program started with the accessibility bridge)."""
    import pyatspi
    found = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or program not in (app.name or ""):
            continue
        stack = [app]
        while stack:
            o = stack.pop()
            found.append(o)
            stack.extend(c for c in o if c is not None)
    return found


def distinct_colours(path):
    return int(subprocess.run(["identify", "-format", "%k", path], capture_output=True, text=True).stdout.strip() or 0)


class DataHome:
    """A fresh $XDG_DATA_HOME for one test."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="quadrillo-test-")
        self.game_dir = os.path.join(self.path, "quadrillo")

    def close(self):
        shutil.rmtree(self.path, ignore_errors=True)
