"""An update that fails leaves the earlier version exactly as it was (the table in
update.py): the rows of a disk that fills.
"""
import os
import unittest

import update
from update import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


@unittest.skipUnless(os.geteuid() == 0, "mount needs root")
class TheRows(update.UpdateTable):
    group = "disk"


if __name__ == "__main__":
    unittest.main(verbosity=2)
