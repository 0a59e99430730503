"""What a screen reader finds in the setup's windows, and the windows in high contrast.

This Wine cannot hand an IAccessible to another process (AccessibleObjectFromWindow from
outside fails with E_NOINTERFACE even for a native dialog), so the walk runs in the process
that owns the windows: tests/programs/a11yfx_walk makes the setup's real windows (its real
classes, layouts, strings and payload), reads each through its own answer to WM_GETOBJECT,
acts only through the controls' default actions (and Tab keys), and hears the events
through an in-context SetWinEventHook. At 96 and 192 DPI this test checks, page by page,
every control that is shown: its name, role, state, default action and place on the
screen (against build/layout-rects.json at that scale), that decoration is hidden, which
control has the focus and what the keyboard's focus, the terms box, the progress bar and
the status text under it announce.

High contrast: Wine answers SPI_GETHIGHCONTRAST with "off" whatever is set, so the walk
answers that one question itself (its own import of SystemParametersInfoW); the system's
colours are set for real, to "High Contrast Black". The screenshots are
build/screenshots/a11y-contrast-*.png.
"""
import json
import os
import re
import subprocess
import unittest

import winetest
from setupdriver import (ALREADY_RUNNING, CLIENT_RUNNING, CONFIRM_EXIT, DEFAULT_FOLDER, MAIN, RECTS, TERMS, Machine,
                         has_ring, page_of)

# The system's roles and states (oleacc.h).
TEXT, BUTTON, CHECK, LINK, EDIT, PROGRESS, GRAPHIC, CLIENT, ALERT = 41, 43, 44, 30, 42, 48, 40, 10, 8
UNAVAILABLE, FOCUSED, CHECKED, READONLY, DEFAULT, INVISIBLE, FOCUSABLE = 0x1, 0x4, 0x10, 0x40, 0x100, 0x8000, 0x100000
ACTIONS = {BUTTON: {"按下"}, LINK: {"打开"}, CHECK: {"选中", "取消选中"}}

TERMS_BOX = "已阅读并接受《VexmoraZevlo软件许可协议》"
TERMS_LINK = "《VexmoraZevlo软件许可协议》"
MAIN_NAME = "VexmoraZevlo邮箱 安装程序"
CUSTOM = [("退出安装程序", BUTTON, "closebtn"), ("安装路径：", TEXT, None), (r"^所需空间：", TEXT, "room"),
          ("安装路径", EDIT, "path"), ("浏览", BUTTON, "browser"), ("生成桌面快捷方式", CHECK, "createDesktopshortcut"),
          ("开机自启动", CHECK, "autostart"), (TERMS_BOX, CHECK, "agressinstall"), (TERMS_LINK, LINK, "zevloterms"),
          ("立即安装", BUTTON, "start"), ("返回", BUTTON, "back")]

# Each window as the walk meets it: (layout, page of layout-rects.json, the window's name
# and role, what is shown in reading order as (name or pattern, role, control name in the
# layout, or None for text without one), the control with the focus).
PAGES = {
    "already-running": (ALREADY_RUNNING, None, "VexmoraZevlo邮箱安装程序已运行。", ALERT, [
        ("提示", TEXT, None), ("退出安装程序", BUTTON, "closebtn"),
        ("VexmoraZevlo邮箱安装程序已运行。", TEXT, None), ("确定", BUTTON, "okbtn")], "确定"),
    "client-running": (CLIENT_RUNNING, None, "您的VexmoraZevlo邮箱正在运行，请先退出后点击继续安装程序", ALERT, [
        ("关闭", BUTTON, "closebtn"), ("您的VexmoraZevlo邮箱正在运行，请先退", TEXT, None),
        ("出后点击继续安装程序", TEXT, None), ("立即安装", BUTTON, "installbtn"),
        ("下次再说", BUTTON, "cancelbtn")], "立即安装"),
    "main-default": (MAIN, "default", MAIN_NAME, CLIENT, [
        ("退出安装程序", BUTTON, "closebtn"), ("快速安装", BUTTON, "start"), ("安装路径: ", TEXT, None),
        (DEFAULT_FOLDER, TEXT, "defaultpath"), (TERMS_BOX, CHECK, "agressinstall"), (TERMS_LINK, LINK, "zevloterms"),
        ("自定义安装", LINK, "btn_freeinstall")], "快速安装"),
    "main-custom": (MAIN, "custom", MAIN_NAME, CLIENT, CUSTOM, "立即安装"),
    "main-custom-tab": (MAIN, "custom", MAIN_NAME, CLIENT, CUSTOM, "返回"),
    "licence": (TERMS, None, TERMS_LINK, CLIENT, [
        (TERMS_LINK, TEXT, None), ("关闭", BUTTON, "closebtn"), ("许可协议正文", EDIT, "agreement"),
        ("确定", BUTTON, "btn_ok")], "确定"),
    "confirm-exit": (CONFIRM_EXIT, None, "确定退出VexmoraZevlo邮箱安装？", ALERT, [
        ("提示", TEXT, None), ("退出安装程序", BUTTON, "closebtn"), ("确定退出VexmoraZevlo邮箱安装？", TEXT, None),
        ("停止", BUTTON, "cancelbtn"), ("继续安装", BUTTON, "installbtn")], "继续安装"),
    "main-progress": (MAIN, "progress", MAIN_NAME, CLIENT, [
        ("安装进度", PROGRESS, "progress"), ("正在安装", TEXT, "install_action"), (r"^\d+%$", TEXT, "install_msg")],
        None),
    "main-finish": (MAIN, "finish", MAIN_NAME, CLIENT, [
        ("退出安装程序", BUTTON, "closebtn"), ("安装完成", TEXT, None), ("开始体验", BUTTON, "finishinstallbtn")],
        "开始体验"),
}
# Decoration each window holds (hidden from the reader): the question mark and the
# separator lines.
GRAPHICS = {"confirm-exit": 2, "licence": 1}


def walk(dpi, contrast=False):
    """Runs the walk on a fresh machine at `dpi`; (pages by name, events in order, shots)."""
    m = Machine()
    try:
        m.p.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", dpi)
        # In-context event hooks need the program's module at a path of a drive.
        program = m.tool("a11yfx_walk")
        proc = m.p.start([program] + (["contrast"] if contrast else []), stdout=subprocess.PIPE,
                         stdin=subprocess.PIPE)
        pages, events, shots, last = {}, [], {}, None
        for raw in proc.stdout:
            last = json.loads(raw.decode("utf-8"))
            if "page" in last:
                pages[last["page"]] = last
            elif "event" in last:
                events.append(dict(last, after=list(pages)[-1] if pages else None))
            elif "shot" in last:
                left, top, right, bottom = last["rect"]
                out = os.path.join(winetest.BUILD, "screenshots", f"a11y-contrast-{last['shot']}.png")
                os.makedirs(os.path.dirname(out), exist_ok=True)
                subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                                out], check=True, timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                shots[last["shot"]] = out
                proc.stdin.write(b"\n")
                proc.stdin.flush()
        proc.stdout.close()
        proc.stdin.close()
        code = proc.wait(timeout=60)
        assert code == 0 and last == {"done": True}, (code, last)
        return pages, events, shots
    finally:
        m.close()


def matches(expected, text):
    return re.search(expected, text) is not None if expected.startswith("^") else expected == text


class AccessibilityTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = winetest.PrivateDisplay()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def check_pages(self, pages, dpi):
        self.assertEqual(set(pages), set(PAGES))
        for page, (layout, rects_page, window_name, window_role, shown, focus) in PAGES.items():
            with self.subTest(page=page, dpi=dpi):
                found = pages[page]
                window = found["window"]
                self.assertEqual((window["name"], window["role"]), (window_name, window_role))
                left, top = window["rect"][:2]
                visible = [c for c in found["children"] if not c["state"] & INVISIBLE]
                self.assertEqual(len(visible), len(shown), [c["name"] for c in visible])
                for child, (name, role, control) in zip(visible, shown):
                    self.assertTrue(matches(name, child["name"]), (child["name"], name))
                    self.assertEqual(child["role"], role, name)
                    if role in ACTIONS:
                        self.assertIn(child["action"], ACTIONS[role], name)
                        self.assertTrue(child["state"] & FOCUSABLE, name)
                    if control:
                        # layout-rects.json is the 96-DPI layout scaled: where springs share out
                        # what is left, the layout at another scale rounds a pixel otherwise.
                        where = [v - o for v, o in zip(child["rect"], (left, top, left, top))]
                        expected = RECTS.rect(layout, control, rects_page, dpi=dpi)
                        slack = 0 if dpi == 96 else dpi // 96
                        self.assertTrue(all(abs(a - b) <= slack for a, b in zip(where, expected)),
                                        (name, where, expected))
                    if control == "closebtn":
                        self.assertEqual(child["shortcut"], "Esc")
                focused = [c["name"] for c in visible if c["state"] & FOCUSED]
                self.assertEqual(focused, [focus] if focus else [])
                ids = {c["id"]: c["name"] for c in found["children"]}
                self.assertEqual(ids.get(found["focus"]), focus)
                defaults = [c for c in visible if c["state"] & DEFAULT]
                self.assertEqual([c["shortcut"] for c in defaults], ["Enter"] * len(defaults))
                graphics = [c for c in found["children"] if c["role"] == GRAPHIC]
                self.assertEqual(len(graphics), GRAPHICS.get(page, 0))
                self.assertTrue(all(c["state"] & INVISIBLE for c in graphics))
        custom = {c["name"]: c for c in pages["main-custom"]["children"]}
        self.assertEqual(custom["安装路径"]["value"], DEFAULT_FOLDER)
        self.assertTrue(custom[TERMS_BOX]["state"] & CHECKED)
        licence = {c["name"]: c for c in pages["licence"]["children"]}
        self.assertTrue(licence["许可协议正文"]["value"].startswith("VexmoraZevlo邮箱软件最终用户许可协议"))
        self.assertTrue(licence["许可协议正文"]["state"] & READONLY)
        progress = {c["name"]: c for c in pages["main-progress"]["children"]}
        self.assertRegex(progress["安装进度"]["value"], r"^\d+%$")
        finish = {c["name"]: c for c in pages["main-finish"]["children"]}
        self.assertTrue(finish["快速安装"]["state"] & (INVISIBLE | UNAVAILABLE))

    def check_events(self, events):
        alerts = [e["window"] for e in events if e["event"] == "alert"]
        self.assertEqual(alerts, [PAGES[p][2] for p in ("already-running", "client-running", "confirm-exit",
                                                         "confirm-exit")])
        # Five Tabs on the default page, each focus told with the control's name.
        tabs = [e["name"] for e in events if e["event"] == "focus" and e["after"] == "main-default" and e["child"]]
        self.assertEqual(tabs[:5], [TERMS_BOX, TERMS_LINK, "自定义安装", "退出安装程序", "快速安装"])
        # The terms box ticked off and on again.
        ticks = [e["state"] & CHECKED for e in events if e["event"] == "state" and e["name"] == TERMS_BOX]
        self.assertEqual(ticks, [0, CHECKED])
        # The licence says where its focus is when it opens.
        self.assertIn((TERMS_LINK, "确定"), [(e["window"], e["name"]) for e in events if e["event"] == "focus"])
        # The progress bar's value and the status text under it, all the way through the run.
        values = [int(e["value"].rstrip("%")) for e in events if e["event"] == "value" and e["name"] == "安装进度"]
        self.assertGreater(len(values), 5)
        self.assertEqual(values, sorted(values))
        self.assertGreaterEqual(values[-1], 90)
        status = [e["name"] for e in events if e["event"] == "name" and re.fullmatch(r"\d+%", e["name"])]
        self.assertEqual(status[-1], f"{values[-1]}%")

    def test_every_window_at_96_dpi(self):
        pages, events, _ = walk(96)
        self.check_pages(pages, 96)
        self.check_events(events)

    def test_every_window_at_192_dpi(self):
        pages, events, _ = walk(192)
        self.check_pages(pages, 192)
        self.check_events(events)

    def test_high_contrast(self):
        """Text on the system's black, in white; links yellow; the focus ring and the
        progress bar in the system's highlight; the images as they are."""
        _, _, shots = walk(96, contrast=True)
        from PIL import Image
        black, white, highlight = (0, 0, 0), (255, 255, 255), (0x1A, 0xEB, 0xFF)

        def share(img, box, colour):
            pixels = list(img.crop(tuple(box)).getdata())
            return sum(1 for p in pixels if sum(abs(a - b) for a, b in zip(p, colour)) < 60) / len(pixels)

        default = Image.open(shots["main-default"]).convert("RGB")
        self.assertEqual(page_of(default), "default")  # the buttons' images stay
        path_label = RECTS.rect(MAIN, "defaultpath")
        self.assertGreater(share(default, path_label, black), 0.3)
        self.assertGreater(share(default, path_label, white), 0.05)
        link = RECTS.rect(MAIN, "zevloterms")
        self.assertGreater(share(default, link, (255, 255, 0)), 0.05)

        custom = Image.open(shots["main-custom-tab"]).convert("RGB")
        self.assertTrue(has_ring(custom, RECTS.rect(MAIN, "back", "custom"), 96, colour=highlight))
        self.assertGreater(share(custom, RECTS.rect(MAIN, "path", "custom"), black), 0.6)

        progress = Image.open(shots["main-progress"]).convert("RGB")
        left, top, right, bottom = RECTS.rect(MAIN, "progress", "progress")
        self.assertGreater(share(progress, (left + 2, top + 2, left + 6, bottom - 2), highlight), 0.9)
        self.assertGreater(share(progress, (right - 10, top + 3, right - 3, bottom - 3), black), 0.9)

        licence = Image.open(shots["licence"]).convert("RGB")
        self.assertGreater(share(licence, RECTS.rect(TERMS, "agreement"), black), 0.6)


if __name__ == "__main__":
    unittest.main(verbosity=2)
