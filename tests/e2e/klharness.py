"""Drives the real KithLedger.exe from outside, as a user would: X pointer
taps on its Wine desktop, screen pixels read back, phone data changed through
kldevice.exe, and what the stand-ins recorded read from the device store.

Needs the environment of a Wine session of tools/wine-env.sh (run_e2e.sh
gives it): WINEPREFIX, DISPLAY, VEL_WINE, VEL_BUILD_DIR, VEL_SOURCE_DIR.
"""

import os
import shutil
import struct
import subprocess
import tempfile
import time

BUILD = os.environ["VEL_BUILD_DIR"]
SOURCE = os.environ["VEL_SOURCE_DIR"]
WINE = os.environ["VEL_WINE"]
OUT = os.path.join(BUILD, "out")
DESKTOP_NAME = "KithLedger - Wine desktop"
WINDOW_NAME = "Velmora Kith Ledger"


class Failure(AssertionError):
    pass


def wait_until(condition, timeout=5.0, what="the condition", interval=0.03):
    """Polls until condition() gives a true value, which it returns."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def shell_env(function, *args):
    """Runs one function of tools/wine-env.sh and gives its output."""
    script = 'source "$VEL_SOURCE_DIR/tools/wine-env.sh" && %s "$@"' % function
    return subprocess.run(["bash", "-c", script, "_"] + list(args), check=True, stdout=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, universal_newlines=True).stdout.strip()


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          universal_newlines=True).stdout.split()


# Wine's double-click time, with a margin.
DOUBLE_TAP_S = 0.6


def pointer():
    out = subprocess.run(["xdotool", "getmouselocation", "--shell"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, universal_newlines=True).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values.get("X", -1)), int(values.get("Y", -1))


def find_window(name):
    found = xdotool("search", "--name", "^%s$" % name)
    return found[0] if found else None


def wine(args, env=None, cwd=None, check=True):
    result = subprocess.run([WINE] + args, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    out = result.stdout.decode("utf-8", "replace")
    if check and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(args), result.returncode, out))
    return out


# --------------------------------------------------------------- the phone

class Device:
    """A device store of the test's own, and kldevice.exe over it."""

    def __init__(self, seed=True):
        self.folder = tempfile.mkdtemp(prefix="kl-e2e-store-")
        self.env = dict(os.environ, VEL_DEVICE_STORE=windows_path(self.folder))
        self.missed_before = self.missed_count()
        if seed:
            self.kldevice("seed")

    def kldevice(self, *args):
        return wine([os.path.join(OUT, "kldevice.exe")] + list(args), env=self.env)

    def close(self):
        self.set_missed(self.missed_before or 0)
        shutil.rmtree(self.folder, ignore_errors=True)

    def log(self, name):
        path = os.path.join(self.folder, name)
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8-sig") as f:
            return [line.rstrip("\r\n") for line in f if line.strip()]

    def dialled(self):
        return self.log("dialled.log")

    def outbox(self):
        return self.log("outbox.log")

    def records(self, name):
        """The sections of one of the store's .ini files: {id: {key: value}}."""
        path = os.path.join(self.folder, name)
        records, current = {}, None
        if not os.path.exists(path):
            return records
        with open(path, encoding="utf-8-sig") as f:
            for line in f:
                line = line.strip()
                if line.startswith("[") and line.endswith("]"):
                    # Records are named by their ids; other sections hold the store's own counters.
                    name = line[1:-1]
                    current = records.setdefault(name, {}) if name.isdigit() else None
                elif current is not None and "=" in line:
                    key, value = line.split("=", 1)
                    current[key.strip()] = value.strip()
        return records

    def messages(self):
        return self.records("messages.ini")

    def contacts(self):
        return self.records("contacts.ini")

    def missed_count(self):
        out = wine(["reg", "query", r"HKCU\System\State\Phone", "/v", "Missed Call Count"], check=False)
        for line in out.splitlines():
            if "Missed Call Count" in line:
                return int(line.split()[-1], 0)
        return None

    def set_missed(self, count):
        self.kldevice("missed", str(count))


# --------------------------------------------------------------- the screen

class Frame:
    """One grab of the program's desktop: pixels as (r, g, b)."""

    def __init__(self, width, height, data, stride, step=4):
        self.width, self.height, self.data, self.stride, self.step = width, height, data, stride, step

    def __call__(self, x, y):
        i = y * self.stride + x * self.step
        b, g, r = self.data[i], self.data[i + 1], self.data[i + 2]
        return r, g, b

    def lit(self, x0, y0, x1, y1, test):
        """Bounding box (x0, y0, x1, y1) of the pixels that pass test, or None."""
        box = None
        for y in range(y0, y1):
            for x in range(x0, x1):
                if test(self(x, y)):
                    box = (x, y, x + 1, y + 1) if box is None else (
                        min(box[0], x), min(box[1], y), max(box[2], x + 1), max(box[3], y + 1))
        return box

    def count(self, x0, y0, x1, y1, test):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if test(self(x, y)))


def near(colour, target, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


def whitish(colour):
    return min(colour) >= 200


class Program:
    """KithLedger.exe started as the run command starts it."""

    def __init__(self, device, screen="480x640", cwd=None, program_dir=None):
        self.device = device
        self.screen = screen
        self.width, self.height = (int(v) for v in screen.split("x"))
        self.dir = program_dir or shell_env("vel_program_dir", screen)
        self.process = None
        self.desktop = None
        self.cwd = cwd

    # -- life

    def start(self, wait=True):
        wait_until(lambda: find_window(DESKTOP_NAME) is None, 10, "the last program's desktop to close")
        shell_env("vel_program_desktop", self.screen)
        exe = "KithLedger.exe" if self.cwd is None else windows_path(os.path.join(self.dir, "KithLedger.exe"))
        self.started = time.monotonic()
        self.process = subprocess.Popen([WINE, exe], cwd=self.cwd or self.dir, env=self.device.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        if wait:
            self.wait_shown()
        return self

    def start_second(self):
        """Another start of the program while this one runs; its exit code."""
        process = subprocess.Popen([WINE, "KithLedger.exe"], cwd=self.dir, env=self.device.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            return process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise Failure("a second start did not end")

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_shown(self, timeout=20):
        def shown():
            if not self.running():
                raise Failure("KithLedger.exe ended at start-up (%s)" % self.process.returncode)
            self.desktop = find_window(DESKTOP_NAME)
            return self.desktop and find_window(WINDOW_NAME) and near(self.grab()(2, 2), (70, 85, 103), 24)
        wait_until(shown, timeout, "the main window to be painted")

    def close(self, timeout=5):
        """Closes the main window as a user does (Alt+F4 on it); gives the
        exit code and the seconds it took."""
        start = time.monotonic()
        window = find_window(WINDOW_NAME)
        if window:
            xdotool("windowactivate", "--sync", window)
            xdotool("windowfocus", "--sync", window)
            xdotool("key", "--clearmodifiers", "alt+F4")
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            code = None
        return code, time.monotonic() - start

    def stop(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        # The desktop ends with its last program.
        try:
            wait_until(lambda: find_window(DESKTOP_NAME) is None, 10, "the desktop to close")
        except Failure:
            pass

    # -- input

    def origin(self):
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.desktop], stdout=subprocess.PIPE,
                             universal_newlines=True).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("X", 0)), int(values.get("Y", 0))

    def tap(self, x, y, hold=0.05):
        ox, oy = self.origin()
        # A synced move to where the pointer already is waits for a motion
        # that never comes (about 12 s in xdotool): move only when it must.
        if pointer() != (ox + x, oy + y):
            xdotool("mousemove", "--sync", ox + x, oy + y)
        else:
            # Two taps on one spot within the double-click time are one
            # double tap to the program: a user's separate taps are slower.
            time.sleep(max(0.0, getattr(self, "_last_tap", 0.0) + DOUBLE_TAP_S - time.monotonic()))
        xdotool("mousedown", 1)
        time.sleep(hold)
        xdotool("mouseup", 1)
        self._last_tap = time.monotonic()

    def long_press(self, x, y, seconds=1.3):
        self.tap(x, y, hold=seconds)

    # -- output

    def grab(self):
        raw = subprocess.run(["xwd", "-silent", "-id", self.desktop], stdout=subprocess.PIPE).stdout
        if len(raw) < 100:
            raise Failure("the desktop could not be grabbed")
        header = struct.unpack(">25I", raw[:100])
        size, width, height, bpp, stride, ncolors = header[0], header[4], header[5], header[11], header[12], header[19]
        if bpp not in (24, 32):
            raise Failure("a %d-bit screen; the tests read 24 and 32-bit pixels" % bpp)
        start = size + ncolors * 12
        return Frame(width, height, raw[start:start + stride * height], stride, bpp // 8)

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", self.desktop, path], check=True)
        return path

    def wait_frame(self, condition, timeout=5.0, what="the screen"):
        """Waits until condition(frame) holds for a fresh grab; gives the frame."""
        def check():
            frame = self.grab()
            return frame if condition(frame) else None
        return wait_until(check, timeout, what)

    def wait_stable(self, timeout=5.0, settle=0.25):
        """Waits until two grabs settle apart are the same (a slide or a load
        has finished); gives the frame."""
        last = [self.grab().data]

        def check():
            time.sleep(settle)
            frame = self.grab()
            same = frame.data == last[0]
            last[0] = frame.data
            return frame if same else None
        return wait_until(check, timeout, "the screen to settle", interval=0)


def run_cases(cases, argv):
    """Runs the named case (argv[1]) with a fresh device and program; exit 0 on pass."""
    import sys
    import traceback
    name = argv[1] if len(argv) > 1 else None
    if name not in cases:
        print("usage: %s CASE\ncases: %s" % (argv[0], " ".join(sorted(cases))))
        return 2
    try:
        cases[name]()
    except Exception:
        traceback.print_exc()
        return 1
    print("passed: %s" % name)
    sys.stdout.flush()
    return 0
