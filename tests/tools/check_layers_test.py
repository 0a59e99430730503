"""tools/check-layers.py on small trees made for each case: it finds the file an include
names as the compiler does (beside the includer, then from the top), and flags exactly the
includes that point up a layer. Without this a checker that had stopped finding files
would pass every tree."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECKER = pathlib.Path(__file__).resolve().parents[2] / "tools" / "check-layers.py"

# (the including file, the include as written, whether the checker must flag it). Every
# tree also holds the files named below, so that each include names a real file.
FILES = ["base/Handles.h", "base/pure/Utf.h", "ui/UIString.h", "ui/UIWindow.h", "journal/UndoPlan.h",
         "engine/Extraction.h", "app/SetupUi.h", "windows/Main.h", "payload/uninstall/Invocation.h",
         "skin/resource.h", "tests/unit/scratch.h"]
CASES = [
    ("base/pure/Utf.cpp", '#include "base/pure/Utf.h"', False),
    ("base/pure/Utf.cpp", '#include "Utf.h"', False),                      # beside the includer
    ("base/Process.cpp", '#include "ui/UIString.h"', True),
    ("journal/UndoPlan.cpp", '#include "base/pure/Utf.h"', False),
    ("journal/UndoPlan.cpp", '#include "engine/Extraction.h"', True),
    ("journal/UndoPlan.cpp", '#include "ui/UIString.h"', True),
    ("engine/Run.cpp", '#include "journal/UndoPlan.h"', False),
    ("engine/Run.cpp", '#include "ui/UIString.h"', False),                 # the one file it may use
    ("engine/Run.cpp", '#include "ui/UIWindow.h"', True),
    ("engine/Run.cpp", '#  include <app/SetupUi.h>', True),                # any spelling of #include
    ("ui/Window.cpp", '#include "journal/UndoPlan.h"', True),
    ("app/Run.cpp", '#include "ui/UIWindow.h"', False),
    ("app/Run.cpp", '#include "windows/Main.h"', True),
    ("app/Run.cpp", '#include "skin/resource.h"', True),
    ("app/main/wWinMain.cpp", '#include "windows/Main.h"', False),
    ("windows/Main.cpp", '#include "app/SetupUi.h"', False),
    ("windows/Main.cpp", '#include "../app/SetupUi.h"', False),
    ("payload/uninstall/Invocation.cpp", '#include "Invocation.h"', False),
    ("payload/uninstall/Invocation.cpp", '#include "journal/UndoPlan.h"', False),
    ("payload/uninstall/Invocation.cpp", '#include "engine/Extraction.h"', True),
    ("payload/uninstall/Invocation.cpp", '#include "../../engine/Extraction.h"', True),
    ("payload/uninstall/uninstall.rc", '#include "ui/UIString.h"', True),
    ("tests/unit/x_test.cpp", '#include "windows/Main.h"', False),
    ("tools/x/x.cpp", '#include "app/main/wWinMain.cpp"', False),
    ("engine/Run.cpp", '#include "7z.h"', False),                          # no file of ours
    ("engine/Run.cpp", '#include <windows.h>', False),
]


def check(tree):
    return subprocess.run([sys.executable, str(CHECKER), "--root", str(tree)], capture_output=True, text=True)


class CheckLayers(unittest.TestCase):
    def test_cases(self):
        for source, line, flagged in CASES:
            with self.subTest(source=source, line=line), tempfile.TemporaryDirectory() as tree:
                root = pathlib.Path(tree)
                for name in FILES + [source]:
                    (root / name).parent.mkdir(parents=True, exist_ok=True)
                    (root / name).write_text("#pragma once\n")
                (root / source).write_text(f"// {source}\n{line}\nint x;\n")
                result = check(root)
                self.assertEqual(result.returncode, 1 if flagged else 0, result.stdout + result.stderr)
                if flagged:
                    self.assertIn(f"{source}:2: includes ", result.stdout)

    def test_this_repository(self):
        result = check(CHECKER.parents[1])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
