"""Every installation stays removable (the table in removable.py), the rows of an earlier
release: an installation that the 32-bit setup left on a 64-bit Windows (its machine keys
in the registry's 32-bit view), removed by its entry in Programs and Features, and found,
upgraded in its folder and then removed by this setup.
"""
import unittest

import removable
from removable import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


class AnEarlierRelease(removable.RemovableTable):
    group = "earlier"


if __name__ == "__main__":
    unittest.main(verbosity=2)
