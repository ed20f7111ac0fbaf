"""Windows paths on C: found in the mapped folder as Windows would find them."""

import os
import shutil
import tempfile
import unittest

from drive import DriveC

FILE_NOT_FOUND, PATH_NOT_FOUND, ACCESS_DENIED = 2, 3, 5


class DriveCTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="drive-c-")
        self.addCleanup(shutil.rmtree, self.root)
        os.makedirs(os.path.join(self.root, "Kolvera", "Data"))
        self.data_file = os.path.join(self.root, "Kolvera", "Data", "kolvera_data.mdf")
        open(self.data_file, "wb").close()
        outside = os.path.join(os.path.dirname(self.root), "outside.mdf")
        self.drive = DriveC(self.root)
        self.outside = outside

    def test_paths(self):
        cases = [
            (r"c:\kolvera\data\kolvera_data.mdf", self.data_file, None),
            (r"C:\KOLVERA\DATA\KOLVERA_DATA.MDF", self.data_file, None),
            ("c:/Kolvera/Data/kolvera_data.mdf", self.data_file, None),
            (r"c:\kolvera\.\nowhere\..\data\kolvera_data.mdf", self.data_file, None),
            (r"c:\kolvera\data\kolvera_log.ldf", None, FILE_NOT_FOUND),
            (r"c:\kolvera\logs\kolvera_log.ldf", None, PATH_NOT_FOUND),
            (r"c:\kolvera\data\kolvera_data.mdf\x", None, PATH_NOT_FOUND),
            (r"c:\kolvera\data", None, ACCESS_DENIED),
            (r"d:\kolvera\data\kolvera_data.mdf", None, PATH_NOT_FOUND),
            (r"kolvera\data\kolvera_data.mdf", None, PATH_NOT_FOUND),
            (r"\\server\share\kolvera_data.mdf", None, PATH_NOT_FOUND),
        ]
        for windows_path, path, os_error in cases:
            with self.subTest(windows_path=windows_path):
                resolution = self.drive.resolve(windows_path)
                self.assertEqual((resolution.path, resolution.os_error), (path, os_error))

    def test_dot_dot_never_leaves_the_drive(self):
        open(self.outside, "wb").close()
        self.addCleanup(os.remove, self.outside)
        resolution = self.drive.resolve(r"c:\..\..\outside.mdf")
        self.assertEqual((resolution.path, resolution.os_error), (None, FILE_NOT_FOUND))

    def test_an_exact_match_wins_over_other_cases(self):
        other = os.path.join(self.root, "Kolvera", "Data", "KOLVERA_DATA.mdf")
        open(other, "wb").close()
        self.assertEqual(self.drive.resolve(r"c:\Kolvera\Data\KOLVERA_DATA.mdf").path, other)


if __name__ == "__main__":
    unittest.main()
