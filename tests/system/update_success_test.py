"""An update that succeeds leaves version 2 whole and nothing of version 1 (update.py)."""
import unittest

from update import SuccessfulUpdate, setUpModule, tearDownModule  # noqa: F401

if __name__ == "__main__":
    unittest.main(verbosity=2)
