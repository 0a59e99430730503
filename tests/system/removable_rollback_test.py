"""Every installation stays removable (the table in removable.py), the rows of runs that
end unfinished and are rolled back: Abort on a file that another program holds, in a
folder of the user's, and a payload damaged late in the archive. Each ends with the
machine as it was before the run and the choices page back; the retry installs
completely and Programs and Features removes it.
"""
import shutil
import tempfile
import unittest

import removable
from removable import setUpModule, tearDownModule  # noqa: F401  (the test's own display)
from setupdriver import damaged_setup


class RunsRolledBack(removable.RemovableTable):
    group = "rollback"

    def make_machine(self):
        m = super().make_machine()
        with tempfile.TemporaryDirectory() as tmp:
            shutil.copy(damaged_setup(tmp, late=True), m.unix(removable.DAMAGED_SETUP))
        return m


if __name__ == "__main__":
    unittest.main(verbosity=2)
