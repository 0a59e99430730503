"""The skin as data: the layouts carry every control name the windows look up, reference
only images that exist at the size their controls expect, keep to the markup rules of the
framework's own parser, and the executable carries all of it (Chinese, Simplified).

The geometry of the built layouts is tested with the framework itself (tests/unit/skin).
Last, every window is shown by the framework under Wine and photographed into
build/screenshots/skin_*.png, for people to look at."""
import os
import re
import subprocess
import unittest
import xml.etree.ElementTree as ET

import layoutrects
import winetest

from PIL import Image

SKIN = os.path.join(winetest.SOURCE, "skin")
SETUP_EXE = winetest.SETUP_EXE

LAYOUTS = {  # resource id: file
    221: "main.xml",
    228: "already_running.xml",
    229: "client_running.xml",
    230: "confirm_exit.xml",
    232: "licence.xml",
}

IMAGE_SIZES = {
    224: (18, 18), 225: (18, 18), 226: (540, 18), 232: (96, 24), 233: (96, 24),
    235: (66, 24), 236: (66, 24), 239: (60, 24), 240: (60, 24), 245: (96, 24), 246: (96, 24),
    247: (14, 14), 248: (14, 14), 249: (14, 14), 250: (580, 250), 251: (30, 40), 252: (40, 30),
    254: (218, 50), 255: (218, 50), 265: (96, 24), 266: (96, 24), 268: (66, 24), 269: (66, 24),
    271: (218, 50), 272: (218, 50), 273: (580, 250), 274: (580, 250), 276: (88, 15), 277: (88, 15),
    279: (66, 34), 280: (66, 34), 281: (580, 150), 282: (24, 24), 283: (12, 12), 284: (12, 12),
}

# Names the windows look up, with the kind of control each must be.
WINDOW_CONTROLS = {
    221: {
        "background": "VerticalLayout", "closebtn": "Button", "beforeinstall": "VerticalLayout",
        "defaultinstall": "VerticalLayout", "vl_defaultinstall": "VerticalLayout",
        "freeinstall": "VerticalLayout", "vl_freeinstall": "VerticalLayout", "start": "Button",
        "btn_freeinstall": "Button", "back": "Button", "path": "Edit", "defaultpath": "Label",
        "browser": "Button", "agressinstall": "CheckBox", "zevloterms": "Button",
        "autostart": "CheckBox", "createDesktopshortcut": "CheckBox", "createStartupMenu": "CheckBox",
        "progress_container": "VerticalLayout", "progress": "Progress", "install_msg": "Label",
        "finishinstall": "VerticalLayout", "finishinstallbtn": "Button",
    },
    228: {"closebtn": "Button", "okbtn": "Button"},
    229: {"closebtn": "Button", "installbtn": "Button", "cancelbtn": "Button"},
    230: {"closebtn": "Button", "installbtn": "Button", "cancelbtn": "Button"},
    232: {"closebtn": "Button", "btn_ok": "Button"},
}

# Which image each clickable control shows (normal, hot): the caption is in the image.
BUTTON_IMAGES = {
    221: {"closebtn": (224, 225), "btn_freeinstall": (276, 277), "back": (268, 269),
          "browser": (279, 280), "finishinstallbtn": (271, 272)},
    228: {"closebtn": (224, 225), "okbtn": (239, 240)},
    229: {"closebtn": (283, 284), "installbtn": (265, 266), "cancelbtn": (245, 246)},
    230: {"closebtn": (224, 225), "cancelbtn": (235, 236), "installbtn": (232, 233)},
    232: {"closebtn": (224, 225), "btn_ok": (239, 240)},
}

# Source rectangles of the licence window's scroll bar parts: (image, rectangle).
SCROLLBAR_PARTS = {
    "VScrollBar": {
        "button1normalimage": (251, "0,0,10,10"), "button1hotimage": (251, "10,0,20,10"),
        "button1pushedimage": (251, "20,0,30,10"), "button2normalimage": (251, "0,20,10,30"),
        "button2hotimage": (251, "10,20,20,30"), "button2pushedimage": (251, "20,20,30,30"),
        "thumbnormalimage": (251, "0,30,10,40"), "thumbhotimage": (251, "10,30,20,40"),
        "thumbpushedimage": (251, "20,31,30,40"), "bknormalimage": (251, "0,10,10,20"),
    },
    "HScrollBar": {
        "button1normalimage": (252, "0,20,10,30"), "button1hotimage": (252, "0,10,10,20"),
        "button1pushedimage": (252, "0,0,10,10"), "button2normalimage": (252, "20,20,30,30"),
        "button2hotimage": (252, "20,10,30,20"), "button2pushedimage": (252, "20,0,30,10"),
        "thumbnormalimage": (252, "31,20,40,30"), "thumbhotimage": (252, "31,10,40,20"),
        "thumbpushedimage": (252, "31,0,40,10"), "bknormalimage": (252, "10,20,20,30"),
    },
}

IMAGE_ATTRIBUTES = ("bkimage", "normalimage", "hotimage", "pushedimage", "selectedimage",
                    "foreimage", "disabledimage", "focusedimage")


def layout_path(number):
    return os.path.join(SKIN, "layouts", LAYOUTS[number])


def raw(number):
    with open(layout_path(number), "rb") as f:
        return f.read()


def parse(number):
    return ET.parse(layout_path(number)).getroot()


def controls(root):
    """Every element of the control tree (the Window's resources left out)."""
    top = [el for el in root if el.tag not in ("Font", "Default", "Image")]
    for el in top:
        yield from el.iter()


def parents(root):
    return {child: parent for parent in root.iter() for child in parent}


def named(root, name):
    return [el for el in controls(root) if el.get("name") == name]


def attribute_list(text):
    """A `Default` value: name="value" pairs separated by blanks."""
    return dict(re.findall(r'(\w+)="([^"]*)"', text))


def description_pairs(text):
    """key='value' pairs of an image description, up to the first malformed pair (the
    framework's rule: the pairs read before it stay in force)."""
    pairs, pos = {}, 0
    pattern = re.compile(r"\s*(\w+)\s*=\s*'([^']*)'")
    while True:
        m = pattern.match(text, pos)
        if not m:
            return pairs, text[pos:].strip() == ""
        pairs[m.group(1)] = m.group(2)
        pos = m.end()


def image_references():
    """(layout, where, description) for every image description in every layout."""
    for number in LAYOUTS:
        root = parse(number)
        for el in controls(root):
            for key in IMAGE_ATTRIBUTES:
                if el.get(key):
                    yield number, f"{el.tag} {el.get('name', '')} {key}", el.get(key)
        for el in root.iter("Default"):
            for key, value in attribute_list(el.get("value")).items():
                if key.endswith("image"):
                    yield number, f"Default {el.get('name')} {key}", value


class LayoutMarkupTest(unittest.TestCase):
    """Rules of the framework's parser that a standard XML reader would forgive."""

    def test_utf8_double_quotes_and_named_entities_only(self):
        for number in LAYOUTS:
            with self.subTest(layout=number):
                text = raw(number).decode("utf-8")  # fails on anything but UTF-8
                self.assertFalse(text.startswith("\ufeff"), "no byte order mark")
                for tag in re.findall(r"<[A-Za-z][^>]*>", text, re.S):
                    self.assertRegex(tag, r'^<\w+(\s+\w+\s*=\s*"[^"]*")*\s*/?>$', f"in {tag[:60]}")
                entities = set(re.findall(r"&([^;\s]*);", text))
                self.assertLessEqual(entities, {"amp", "lt", "gt", "quot", "apos"})

    def test_every_layout_is_a_window_with_its_size(self):
        sizes = {221: "580,400", 228: "300,176", 229: "300,176", 230: "300,176", 232: "580,400"}
        captions = {221: "0,0,0,30", 228: "0,0,0,30", 229: "0,0,0,30", 230: "0,0,0,36", 232: "0,0,0,30"}
        for number in LAYOUTS:
            with self.subTest(layout=number):
                root = parse(number)
                self.assertEqual(root.tag, "Window")
                self.assertEqual(root.get("size"), sizes[number])
                self.assertEqual(root.get("caption"), captions[number])

    def test_licence_defaults_are_quoted_with_the_quot_entity(self):
        text = raw(232).decode("utf-8")
        for name in SCROLLBAR_PARTS:
            with self.subTest(default=name):
                m = re.search(r'<Default name="%s" value="([^"]*)"' % name, text)
                self.assertIsNotNone(m, "the value holds no literal double quote")
                self.assertIn("&quot;", m.group(1))

    def test_licence_text_keeps_its_line_breaks_and_sections(self):
        text = raw(232).decode("utf-8")
        m = re.search(r'<RichEdit [^>]*text="([^"]*)"', text, re.S)
        self.assertIsNotNone(m)
        agreement = m.group(1)
        self.assertGreater(agreement.count("\n"), 40)
        for heading in ("授权范围", "使用限制", "隐私与数据", "知识产权", "免责声明", "责任限制",
                        "协议终止", "适用法律", "其他"):
            self.assertRegex(agreement, r"\n[一二三四五六七八九十]+、" + heading + r"\n")


class ControlNamesTest(unittest.TestCase):
    def test_every_name_the_windows_look_up_exists_with_its_kind(self):
        for number, names in WINDOW_CONTROLS.items():
            root = parse(number)
            for name, kind in names.items():
                with self.subTest(layout=number, name=name):
                    found = named(root, name)
                    self.assertTrue(found, f"{name} missing")
                    self.assertEqual({el.tag for el in found}, {kind})

    def test_one_start_button_on_each_option_page(self):
        root = parse(221)
        up = parents(root)

        def page_of(el):
            while el is not None and el.get("name") not in ("defaultinstall", "vl_freeinstall"):
                el = up.get(el)
            return el.get("name") if el is not None else None
        self.assertEqual(sorted(page_of(el) for el in named(root, "start")), ["defaultinstall", "vl_freeinstall"])
        images = {page_of(el): (el.get("width"), el.get("height"), el.get("normalimage")) for el in named(root, "start")}
        self.assertEqual(images["defaultinstall"], ("218", "50", "res='254' restype='png'"))
        self.assertEqual(images["vl_freeinstall"], ("96", "24", "res='265' restype='png'"))

    def test_start_menu_box_is_hidden_with_its_group_and_starts_selected(self):
        root = parse(221)
        (box,) = named(root, "createStartupMenu")
        group = parents(root)[box]
        self.assertEqual(box.get("selected"), "true")
        self.assertNotEqual(box.get("visible"), "false", "the box itself is visible; its group hides it")
        self.assertEqual(group.tag, "HorizontalLayout")
        self.assertEqual(group.get("visible"), "false")
        self.assertEqual(box.get("normalimage"), "res='248' restype='png'")

    def test_initial_page_state(self):
        root = parse(221)
        expected = {"defaultinstall": True, "vl_defaultinstall": True, "freeinstall": False,
                    "vl_freeinstall": False, "progress_container": False, "finishinstall": False,
                    "beforeinstall": True}
        for name, visible in expected.items():
            with self.subTest(name=name):
                (el,) = named(root, name)
                self.assertEqual(el.get("visible", "true") != "false", visible)
        for name in ("agressinstall", "autostart", "createDesktopshortcut"):
            with self.subTest(name=name):
                self.assertEqual(named(root, name)[0].get("selected"), "true")
        (progress,) = named(root, "progress")
        self.assertEqual((progress.get("min"), progress.get("max"), progress.get("value")), ("0", "100", "100"))

    def test_buttons_show_their_captioned_images(self):
        for number, buttons in BUTTON_IMAGES.items():
            root = parse(number)
            for name, (normal, hot) in buttons.items():
                with self.subTest(layout=number, name=name):
                    el = named(root, name)[0]
                    self.assertEqual(description_pairs(el.get("normalimage"))[0].get("res"), str(normal))
                    self.assertEqual(description_pairs(el.get("hotimage"))[0].get("res"), str(hot))


class ImageTest(unittest.TestCase):
    def test_every_image_of_the_table_exists_at_its_size(self):
        for number, size in IMAGE_SIZES.items():
            with self.subTest(image=number):
                with Image.open(os.path.join(SKIN, "images", f"{number}.png")) as img:
                    self.assertEqual(img.format, "PNG")
                    self.assertEqual(img.mode, "RGBA")
                    self.assertEqual(img.size, size)

    def test_every_reference_names_an_image_of_the_table(self):
        refs = list(image_references())
        self.assertGreater(len(refs), 50)
        for number, where, text in refs:
            with self.subTest(layout=number, where=where):
                pairs, complete = description_pairs(text)
                self.assertIn(int(pairs["res"]), IMAGE_SIZES)
                if complete:
                    self.assertEqual(pairs.get("restype"), "png")

    def test_one_description_lacks_its_closing_apostrophe_and_keeps_its_id(self):
        broken = [(number, where, text) for number, where, text in image_references()
                  if not description_pairs(text)[1]]
        self.assertEqual(len(broken), 1, broken)
        number, where, text = broken[0]
        self.assertEqual((number, where), (228, "Button okbtn hotimage"))
        self.assertEqual(description_pairs(text)[0], {"res": "240"})

    def test_scroll_bar_parts_cut_from_the_sprites(self):
        root = parse(232)
        defaults = {el.get("name"): attribute_list(el.get("value")) for el in root.iter("Default")}
        self.assertEqual(defaults["VScrollBar"]["width"], "10")
        self.assertEqual(defaults["HScrollBar"]["height"], "10")
        for bar, parts in SCROLLBAR_PARTS.items():
            for part, (image, source) in parts.items():
                with self.subTest(bar=bar, part=part):
                    pairs, complete = description_pairs(defaults[bar][part])
                    self.assertTrue(complete)
                    self.assertEqual((pairs["res"], pairs["source"]), (str(image), source))
                    self.assertEqual(pairs.get("corner"), "4,4,1,1" if part.startswith("thumb") else None)
                    # each rectangle holds a drawn part, not an empty corner of the sprite
                    with Image.open(os.path.join(SKIN, "images", f"{image}.png")) as img:
                        alpha = img.getchannel("A").crop(tuple(int(v) for v in source.split(",")))
                        self.assertGreater(alpha.getextrema()[1], 128)

    def test_pushed_vertical_thumb_starts_at_row_31(self):
        with Image.open(os.path.join(SKIN, "images", "251.png")) as img:
            alpha = img.getchannel("A")
            self.assertEqual(max(alpha.getpixel((x, 30)) for x in range(20, 30)), 0)
            self.assertGreater(max(alpha.getpixel((x, 31)) for x in range(20, 30)), 0)
            self.assertGreater(max(alpha.getpixel((x, 30)) for x in range(0, 20)), 0)

    def test_backgrounds_are_opaque_and_banners_distinct(self):
        banners = {}
        for number in (250, 273, 274, 281):
            with Image.open(os.path.join(SKIN, "images", f"{number}.png")) as img:
                self.assertEqual(img.getchannel("A").getextrema(), (255, 255), number)
                banners[number] = img.convert("RGB").resize((58, 25))
        for a, b in ((250, 273), (250, 274), (273, 274)):
            diff = sum(abs(p - q) for p1, p2 in zip(banners[a].getdata(), banners[b].getdata()) for p, q in zip(p1, p2))
            self.assertGreater(diff / (58 * 25 * 3), 8, f"banners {a} and {b} look alike")

    def test_shadow_image_is_wider_than_its_kept_borders(self):
        with Image.open(os.path.join(SKIN, "images", "shadow.png")) as img:
            self.assertEqual(img.mode, "RGBA")
            self.assertGreater(img.width, 23 + 25)
            self.assertGreater(img.height, 22 + 26)


class ExecutableResourcesTest(unittest.TestCase):
    """The setup program carries the skin itself, byte for byte, in Chinese (Simplified)."""

    @classmethod
    def setUpClass(cls):
        import pefile
        if not os.path.exists(SETUP_EXE):
            raise AssertionError(f"{SETUP_EXE} not built")
        pe = pefile.PE(SETUP_EXE, fast_load=True)
        pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
        cls.resources = {}
        root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
        for kind in root.entries if root else []:
            kind_name = str(kind.name) if kind.name else kind.id
            for entry in kind.directory.entries:
                entry_name = str(entry.name) if entry.name else entry.id
                for lang in entry.directory.entries:
                    data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                    cls.resources[(kind_name, entry_name)] = (lang.id, data)

    def check(self, kind, name, path):
        self.assertIn((kind, name), self.resources)
        lang, data = self.resources[(kind, name)]
        self.assertEqual(lang, 2052)
        with open(path, "rb") as f:
            self.assertEqual(data, f.read())

    def test_layouts(self):
        for number in LAYOUTS:
            with self.subTest(layout=number):
                self.check("XML", number, layout_path(number))

    def test_images(self):
        for number in IMAGE_SIZES:
            with self.subTest(image=number):
                self.check("PNG", number, os.path.join(SKIN, "images", f"{number}.png"))

    def test_shadow_fallback(self):
        self.check("PNG", "RES_SHADOW_PNG", os.path.join(SKIN, "images", "shadow.png"))


SHOW_EXE = os.path.join(winetest.BUILD, "tests", "programs", "skinfx_show.exe")
RECTS = layoutrects.load()  # where the framework lays the controls out
WINDOW_SIZES = {layout: RECTS.size(layout) for layout in ("221", "228", "229", "230", "232")}
SHOTS = [  # picture name, arguments of skinfx_show (layout, page, banner), pointer or None
    ("skin_main_default", ["221", "default"], None),
    ("skin_main_default_hot", ["221", "default"], RECTS.centre(221, "start", "default")),
    ("skin_main_custom", ["221", "custom", "274"], None),
    ("skin_main_custom_hot", ["221", "custom", "274"], RECTS.centre(221, "start", "custom")),
    ("skin_main_progress", ["221", "progress", "250"], None),
    ("skin_main_finish", ["221", "finish", "273"], RECTS.centre(221, "finishinstallbtn")),
    ("skin_already_running", ["228"], None),
    ("skin_client_running", ["229"], None),
    ("skin_confirm_exit", ["230"], RECTS.centre(230, "installbtn")),
    ("skin_licence", ["232"], None),
    ("skin_licence_end", ["232", "end"], None),
]


class ScreenshotTest(unittest.TestCase):
    """Each window as the framework draws it; the pictures are kept for review."""

    @classmethod
    def setUpClass(cls):
        if not os.environ.get("DISPLAY"):
            raise unittest.SkipTest("no display")
        cls.prefix = winetest.Prefix()

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def show(self, name, args, pointer):
        proc = self.prefix.start([SHOW_EXE] + args)
        try:
            wid = winetest.wait_window("^SkinFx ready$", size=WINDOW_SIZES[args[0]], timeout=90)
            if pointer:
                winetest.xdotool("mousemove", "--window", wid, *pointer)
                winetest.wait_until(lambda: winetest.find_windows("^SkinFx ready hot$"), timeout=30, what="hot look")
            else:
                winetest.xdotool("mousemove", 0, 0)
            shot = winetest.screenshot(wid, name)
            if args[0] == "229":  # the prompt with its drop shadow around it
                x, y, w, h = winetest.window_geometry(wid)
                subprocess.run(["import", "-window", "root", "-crop", f"{w + 48}x{h + 48}+{x - 23}+{y - 22}",
                                os.path.join(os.path.dirname(shot), name + "_shadow.png")], timeout=60, check=False)
            return shot
        finally:
            proc.terminate()
            proc.wait(timeout=60)
            winetest.wait_until(lambda: not winetest.find_windows("^SkinFx"), timeout=30, what="window gone")

    def test_every_window(self):
        for name, args, pointer in SHOTS:
            with self.subTest(shot=name):
                shot = self.show(name, args, pointer)
                with Image.open(shot) as img:
                    rgb = img.convert("RGB")
                    self.assertEqual(img.size, WINDOW_SIZES[args[0]])
                    # drawn, not a blank window: many colours
                    self.assertGreater(len(rgb.getcolors(1 << 20)), 200)
                    # the body shows its own background: nothing lies over the window
                    # (the client prompt's shadow belongs below it)
                    body = {"221": (290, 395), "228": (150, 110), "229": (150, 45), "230": (150, 120), "232": (10, 390)}
                    self.assertGreater(min(rgb.getpixel(body[args[0]])), 0xE0, "window body covered")


if __name__ == "__main__":
    unittest.main()
