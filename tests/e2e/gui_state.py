"""Input and windows that a GUI test leaves on the test run's display, put back to rest before
and after every GUI test so that no test depends on what ran before it.

Why a key can stay down: `xdotool key --window W` presses through XTest while W has the focus,
but sends the release as a plain event to W. When the press closed W, Wine never sees that
release, and its server, which keeps one key state for every program of the prefix, holds the
key down into the next test's windows. The X server, for its part, holds a key while the client
that pressed it stays connected. Both are released here.

    python3 gui_state.py release ARCH    the same from a shell (tests/wine/run.sh)
"""
import ctypes
import ctypes.util
import subprocess
import time

from harness import Wine, WineTestCase, win_program

BUTTONS = ((1, 1 << 8), (2, 1 << 9), (3, 1 << 10), (4, 1 << 11), (5, 1 << 12))


def _library(name: str, fallback: str):
    return ctypes.CDLL(ctypes.util.find_library(name) or fallback)


def release_all(display_name: str) -> list:
    """Releases every key and mouse button the X server reports down; returns their key codes
    and button numbers (button n as -n)."""
    x11 = _library("X11", "libX11.so.6")
    xtst = _library("Xtst", "libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XQueryKeymap.argtypes = [ctypes.c_void_p, ctypes.c_char * 32]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    window, child = ctypes.c_ulong(), ctypes.c_ulong()
    coordinates = [ctypes.c_int() for _ in range(4)]
    mask = ctypes.c_uint()
    x11.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    released = []
    try:
        keys = (ctypes.c_char * 32)()
        x11.XQueryKeymap(display, keys)
        for code in range(8, 256):
            if keys.raw[code // 8] & (1 << (code % 8)):
                xtst.XTestFakeKeyEvent(display, code, False, 0)
                released.append(code)
        x11.XQueryPointer(display, x11.XDefaultRootWindow(display), ctypes.byref(window), ctypes.byref(child),
                          *[ctypes.byref(c) for c in coordinates], ctypes.byref(mask))
        for button, bit in BUTTONS:
            if mask.value & bit:
                xtst.XTestFakeButtonEvent(display, button, False, 0)
                released.append(-button)
        x11.XSync(display, False)
    finally:
        x11.XCloseDisplay(display)
    return released


def release_input(wine: Wine):
    """Leaves no key or button down, neither at the X server nor in the prefix's Wine server."""
    release_all(wine.env["DISPLAY"])
    result = wine.run(win_program("release_keys"), timeout=60)
    if result.returncode != 0:
        raise AssertionError(f"release_keys failed ({result.returncode}): {result.stderr[-400:]!r}")
    still_down = release_all(wine.env["DISPLAY"])
    if still_down:
        raise AssertionError(f"keys or buttons stay down on the test display: {still_down}")


def _search(env: dict, *criteria) -> list:
    result = subprocess.run(["xdotool", "search", *criteria, ""], env=env, timeout=20, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True)
    return result.stdout.split()


def visible_windows(env: dict) -> list:
    """The top-level X windows shown on the display (each shown Windows top-level window is one,
    with or without a title)."""
    root = _search(env, "--maxdepth", "0")
    return [window for window in _search(env, "--onlyvisible", "--maxdepth", "1") if window not in root]


def close_windows(env: dict, grace: float = 3.0):
    """Ends whatever still shows a window once a short grace for programs that are ending has
    passed: closing a window's X connection ends its Wine process."""
    end = time.monotonic() + grace
    while visible_windows(env) and time.monotonic() < end:
        time.sleep(0.2)
    for window in visible_windows(env):
        subprocess.run(["xdotool", "windowkill", window], env=env, timeout=20, stdin=subprocess.DEVNULL,
                       capture_output=True)


def settle(wine: Wine):
    """No window of an earlier program on the display, no key or button down."""
    close_windows(wine.env)
    release_input(wine)


class GuiTestCase(WineTestCase):
    """A test on the shared display: starts with no key, button or window left by an earlier
    test, and leaves none behind, whatever it pressed, opened or failed half-way through."""

    def setUp(self):
        super().setUp()
        settle(self.wine)
        # After the test's own cleanups, which end its programs.
        self.addCleanup(settle, self.wine)


if __name__ == "__main__":
    import sys
    if len(sys.argv) != 3 or sys.argv[1] != "release":
        sys.exit("usage: gui_state.py release ARCH   (the display and prefix of BRENNIX_WINE_STATE_DIR)")
    settle(Wine(sys.argv[2]))
