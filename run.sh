#!/usr/bin/env bash
# Builds the setup program and starts it under Wine in a throw-away prefix whose D:
# drive is a folder of ours. Without a display it runs on a virtual one and saves a
# screenshot of the window as build/screenshots/run.png.
# VEXMORA_DPI=144 ./run.sh (or 120, 192, ...) runs it on a screen of that DPI ("LogPixels"
# of the prefix); the screenshot is then build/screenshots/run-dpi144.png.
had_display=${DISPLAY:-}
source "$(dirname "$0")/tools/session.sh"
/usr/bin/python3 - "$had_display" <<'PY'
import os, sys, winetest
interactive = bool(sys.argv[1])
dpi = os.environ.get("VEXMORA_DPI", "")
with winetest.Prefix(keep=True) as p:
    print(f"prefix: {p.path} (D: is {p.drives['d']})")
    if dpi:
        p.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", int(dpi))
        print(f"screen at {dpi} DPI ({int(dpi) * 100 // 96} %)")
    proc = p.start([winetest.SETUP_EXE])
    wid = winetest.wait_window(timeout=90)
    if interactive:
        proc.wait()
    else:
        winetest.wait_drawn(wid)  # a window that has just appeared may not be painted yet
        shot = winetest.screenshot(wid, f"run-dpi{dpi}" if dpi else "run")
        print(f"no display: ran on a virtual one; screenshot saved as {shot}")
        proc.terminate()
PY
