"""Every installation stays removable (the table in removable.py), the rows of the install
folder: spelled with slashes, "." parts and extra separators, typed in 8.3 short form,
recorded by an earlier installation with a trailing backslash; a drive root and folder
chains that are refused or fail half way (F:, a small disk with room for two more
folders, made for real when run as root); a reinstall into another folder.
"""
import os
import unittest

import removable
from removable import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


class TheInstallFolder(removable.RemovableTable):
    group = "folders"

    def make_machine(self):
        m = super().make_machine()
        os.makedirs(m.unix("D:\\Vexmora Mail"))  # the user's, there before: its short name is typed
        if os.geteuid() == 0:
            # Its root, "inst", then two more; room enough for the payload, so that the
            # setup's check of the disk space lets the folder chain be tried.
            m.few_inodes = m.add_disk("f", "8m", inodes=4)
        return m


if __name__ == "__main__":
    unittest.main(verbosity=2)
