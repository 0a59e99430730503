"""Every installation stays removable (the table in removable.py), the rows of runs on a
disk that fills up (E:, an 8 MB tmpfs, mounted for real, so root only): a journal record
that cannot be appended, and runs aborted on the full disk followed by a second start in
the same setup, or by a later setup into the same folder.
"""
import os
import unittest

import removable
from removable import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


@unittest.skipUnless(os.geteuid() == 0, "mount needs root")
class RunsOnAFullDisk(removable.RemovableTable):
    group = "disk"

    def make_machine(self):
        m = super().make_machine()
        m.disk = m.add_disk("e", "8m")
        return m


if __name__ == "__main__":
    unittest.main(verbosity=2)
