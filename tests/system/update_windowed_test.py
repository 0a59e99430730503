"""An update that fails leaves the earlier version exactly as it was (the table in
update.py): the rows of the windowed group.
"""
import unittest

import update
from update import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


class TheRows(update.UpdateTable):
    group = "windowed"


if __name__ == "__main__":
    unittest.main(verbosity=2)
