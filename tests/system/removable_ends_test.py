"""Every installation stays removable (the table in removable.py), the rows of how a run
ends: closed from the finish page; killed there; logged off there (Wine's
`wineboot --end-session --force`, after which the Run key starts the client as at a new
log-on); and a removal that meets a file in use, then the second attempt that finishes it.
"""
import unittest

import removable
from removable import setUpModule, tearDownModule  # noqa: F401  (the test's own display)


class HowARunEnds(removable.RemovableTable):
    group = "ends"


if __name__ == "__main__":
    unittest.main(verbosity=2)
