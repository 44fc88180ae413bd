#!/usr/bin/env python3
"""tools/olive-plot on the files of a short regional run: four synthetic stations of
tools/make_region.py, two years with the olive fly (examples/olive-fly.setup), two warming
increments, run with the olive executable named by the environment variable OLIVE (CTest sets it).
Checks that valid PNG files come out of both commands, and the messages of missing files,
columns and increments.

    OLIVE=build/olive python3 tests/olive_plot_test.py
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PLOT = os.path.join(SOURCE, "tools", "olive-plot")
MAKE_REGION = os.path.join(SOURCE, "tools", "make_region.py")
OLIVE = os.environ.get("OLIVE", os.path.join(SOURCE, "build", "olive"))
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
SKIPPED = 77  # CTest counts the test as skipped


def skip_without(*modules):
    """Ends the test as skipped, naming the package, when this Python lacks a module."""
    for module in modules:
        try:
            __import__(module)
        except ImportError:
            print(f"SKIPPED: {sys.executable} has no {module} "
                  f"(Debian: apt-get install python3-{module})")
            sys.exit(SKIPPED)


def png_size(path):
    """(width, height) from a PNG file's header; fails the test on anything else."""
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != PNG_SIGNATURE or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


class OlivePlotTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="olive_plot_test_")
        os.makedirs(os.path.join(cls.dir, "lut"))
        shutil.copy(os.path.join(SOURCE, "examples", "lut", "OliveSoilWater.txt"),
                    os.path.join(cls.dir, "lut"))
        subprocess.run([sys.executable, MAKE_REGION, "region", "--rows", "2", "--columns", "2",
                        "--last-year", "2002"], cwd=cls.dir, check=True, capture_output=True)
        with open(os.path.join(SOURCE, "examples", "olive-fly.setup")) as f:
            setup = f.read().split("\n")
        stations = [f"region/{name}.txt" for name in ("A1", "A2", "B1", "B2")]
        for incr in ("0", "2"):
            setup[0] = f"{incr}\twxcons[1]: the warming increment of this scenario"
            with open(os.path.join(cls.dir, f"fly{incr}.setup"), "w") as f:
                f.write("\n".join(setup))
            for station in stations:
                subprocess.run([OLIVE, f"fly{incr}.setup", "1", "1", "2001", "12", "31", "2002",
                                "365", station], cwd=cls.dir, check=True, capture_output=True)
        with open(os.path.join(cls.dir, "errorlog")) as f:
            assert f.read() == "", "the short run reported errors"

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def plot(self, *args):
        return subprocess.run([sys.executable, PLOT, *args], cwd=self.dir, capture_output=True,
                              text=True)

    def assertPng(self, name, min_bytes=8000):
        path = os.path.join(self.dir, name)
        self.assertTrue(os.path.exists(path), f"{name} was not written")
        width, height = png_size(path)
        self.assertGreater(os.path.getsize(path), min_bytes)
        return width, height

    def test_daily_columns_over_time(self):
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass,fruwgt", "-c", "PrcntTkd",
                      "-o", "daily.png")
        self.assertEqual(r.returncode, 0, r.stderr)
        width, height = self.assertPng("daily.png")
        self.assertGreater(height, 300)  # two panels
        self.assertGreater(width, 500)

    def test_map_draws_a_panel_per_increment(self):
        r = self.plot("map", "OUT00002.txt", "-c", "FruWgt", "-c", "PrcntAtkd", "-o", "map.png")
        self.assertEqual(r.returncode, 0, r.stderr)
        both = self.assertPng("map.png")
        r = self.plot("map", "OUT00002.txt", "-c", "FruWgt", "-c", "PrcntAtkd", "--temp-incr",
                      "2", "--labels", "-o", "map2.png")
        self.assertEqual(r.returncode, 0, r.stderr)
        one = self.assertPng("map2.png")
        self.assertGreater(both[0], one[0] + 150)  # a second column of panels
        self.assertEqual(both[1], one[1])

    def test_map_of_several_files_and_the_end_file(self):
        with open(os.path.join(self.dir, "GisFilesList.txt")) as f:
            files = f.read().split()
        self.assertIn("OUT00end.txt", files)
        r = self.plot("map", *files, "-c", "dd", "--cmap", "cividis", "--title", "degree-days",
                      "-o", "all.png")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertPng("all.png")

    def test_missing_column_is_named_with_the_columns_there(self):
        r = self.plot("map", "OUT00002.txt", "-c", "Yield", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn('OUT00002.txt has no column "Yield"', r.stderr)
        self.assertIn("FruWgt, fruNum", r.stderr)
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass,Nope", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn('OliveDaily.txt has no column "Nope"', r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "no.png")))

    def test_missing_file_and_wrong_kind_of_file(self):
        r = self.plot("daily", "NoSuchDaily.txt", "-c", "lfmass", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("olive-plot: cannot read NoSuchDaily.txt: No such file or directory",
                      r.stderr)
        r = self.plot("map", "OUT00002.txt", "OUT99999.txt", "-c", "dd", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("cannot read OUT99999.txt", r.stderr)
        r = self.plot("daily", "OUT00002.txt", "-c", "dd", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("OUT00002.txt is not a daily file", r.stderr)
        r = self.plot("map", "OliveDaily.txt", "-c", "lfmass", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("OliveDaily.txt is not a GIS file", r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "no.png")))

    def test_missing_increment_lists_those_there(self):
        r = self.plot("map", "OUT00002.txt", "-c", "FruWgt", "--temp-incr", "1", "-o", "no.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("no rows with TempIncr 1 in OUT00002.txt; the increments there: 0, 2",
                      r.stderr)

    def test_unwritable_picture(self):
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass", "-o", "no/such/dir/x.png")
        self.assertEqual(r.returncode, 2)
        self.assertIn("cannot write no/such/dir/x.png", r.stderr)


if __name__ == "__main__":
    skip_without("matplotlib")
    unittest.main(verbosity=2)
