#!/usr/bin/env python3
"""Runs the real program on a real window manager (openbox on a virtual X server) and checks
that Left and Top place the window's frame: the main window with a stored Top of 0 shows its
title bar, and the test editor opened and closed three times stays where it was stored.

Usage: window_manager_placement.py <vemba program>. Exits 77 (skipped) when xvfb-run,
openbox or xdotool is missing. Every wait polls with a generous limit, since a loaded
machine may be slow to start the server, the window manager and the program."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT = 60.0  # seconds; only reached when something is wrong
EDITOR_LEFT, EDITOR_TOP = 100, 100
TOOLS = ("xvfb-run", "openbox", "xdotool", "xprop", "xwininfo")


def poll(what, probe, limit=WAIT):
    deadline = time.monotonic() + limit
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def run(*args):
    return subprocess.run(args, capture_output=True, text=True).stdout


def window(title):
    ids = run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)).split()
    return ids[0] if ids else None


def press_until(key, wid, what, done):
    """Presses a key in a window until done() gives something: a key pressed while the window
    is still coming up (or behind the splash window) may be lost."""
    deadline = time.monotonic() + WAIT
    while True:
        run("xdotool", "windowactivate", "--sync", wid)
        run("xdotool", "key", "--clearmodifiers", key)
        try:
            return poll(what, done, limit=5.0)
        except AssertionError:
            if time.monotonic() > deadline:
                raise


def frame_extents(wid):
    m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", run("xprop", "-id", wid, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in m.groups()) if m else None


def client_corner(wid):
    out = run("xwininfo", "-id", wid)
    x = re.search(r"Absolute upper-left X:\s+(-?\d+)", out)
    y = re.search(r"Absolute upper-left Y:\s+(-?\d+)", out)
    return (int(x.group(1)), int(y.group(1))) if x and y else None


def frame_corner(wid):
    """The frame's top-left corner once the window manager has framed the window."""
    extents, corner = frame_extents(wid), client_corner(wid)
    if not extents or not corner or extents[2] == 0:
        return None
    left, _, top, _ = extents
    return (corner[0] - left, corner[1] - top)


def settled_frame_corner(wid, expected):
    """The frame's corner, given time to reach the expected one (the program may correct it
    once the frame is known)."""
    try:
        return poll("the frame at %s" % (expected,),
                    lambda: frame_corner(wid) == expected and expected, limit=15.0)
    except AssertionError:
        return frame_corner(wid)


def read_ini(path):
    values, section = {}, None
    with open(path, "rb") as f:
        for line in f.read().decode("cp1250").splitlines():
            line = line.strip()
            if line.startswith("["):
                section = line[1:line.index("]")]
            elif "=" in line and section:
                key, value = line.split("=", 1)
                values[(section, key.strip())] = value.strip()
    return values


def session(program):
    home = tempfile.mkdtemp(prefix="vemba-wm-")
    settings_dir = os.path.join(home, ".local", "share", "Vemba")
    os.makedirs(settings_dir)
    ini = os.path.join(settings_dir, "Vemba.ini")
    with open(ini, "wb") as f:
        f.write(("[frm_Main]\r\nLeft=0\r\nTop=0\r\n[frm_Teszt]\r\nLeft=%d\r\nTop=%d\r\n"
                 "Width=600\r\nHeight=400\r\n" % (EDITOR_LEFT, EDITOR_TOP)).encode())
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"), QT_QPA_PLATFORM="xcb")
    env.pop("SOURCE_DATE_EPOCH", None)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = None
    try:
        poll("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK" in run("xprop", "-root"))
        app = subprocess.Popen([program], env=env, cwd=home,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        main = poll("the main window", lambda: window("Vemba"))
        corner = settled_frame_corner(main, (0, 0))
        assert corner == (0, 0), "main window frame at %s, stored Left 0 Top 0" % (corner,)

        for round_ in range(1, 4):
            editor = press_until("F8", main, "the test editor",
                                 lambda: window("Teszt szerkesztése"))
            corner = settled_frame_corner(editor, (EDITOR_LEFT, EDITOR_TOP))
            assert corner == (EDITOR_LEFT, EDITOR_TOP), \
                "round %d: editor frame at %s" % (round_, corner)
            press_until("Escape", editor, "the editor to close",
                        lambda: window("Teszt szerkesztése") is None)
            stored = read_ini(ini)
            got = (int(stored[("frm_Teszt", "Left")]), int(stored[("frm_Teszt", "Top")]))
            assert got == (EDITOR_LEFT, EDITOR_TOP), "round %d: stored %s" % (round_, got)
    finally:
        for process in (app, wm):
            if process is not None:
                process.kill()
                process.wait()
        shutil.rmtree(home, ignore_errors=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    if os.environ.get("VEMBA_WM_DISPLAY_READY") != "1":
        # Our own server on a free display number, so parallel runs never meet.
        return subprocess.call(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                sys.executable, os.path.abspath(__file__), sys.argv[1]],
                               env=dict(os.environ, VEMBA_WM_DISPLAY_READY="1"))
    try:
        session(os.path.abspath(sys.argv[1]))
    except AssertionError as failure:
        print("FAILED: %s" % failure)
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
