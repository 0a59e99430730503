"""The setup at 96 DPI (100 %): its prompts, pages and a quick install, clicked at the
scaled places of the controls (tests/system/dpi_driver.py)."""
import unittest

from dpi_driver import DpiCase


class Dpi96Test(DpiCase, unittest.TestCase):
    dpi = 96


if __name__ == "__main__":
    unittest.main(verbosity=2)
