#!/usr/bin/env python3
"""tools/olive-plot on the files of a short regional run (tool_test_support.region_run): the
pictures of both commands in PNG, PDF and SVG, the units and meanings from the data dictionary
on their axes and colour bars, and the messages and exit codes of bad input and wrong command
lines.

    OLIVE=build/olive /usr/bin/python3 tests/olive_plot_test.py
"""
import os
import shutil
import struct
import unittest

import tool_test_support as support


def png_size(path):
    """(width, height) from a PNG file's header; fails the test on anything else."""
    with open(path, "rb") as f:
        head = f.read(24)
    if support.file_kind(path) != "png" or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


class OlivePlotTest(support.RegionRunTest):
    prefix = "olive_plot_test_"

    def plot(self, *args):
        return support.tool("olive-plot", self.dir, *args)

    def assertPng(self, name, min_bytes=8000):
        path = os.path.join(self.dir, name)
        self.assertTrue(os.path.exists(path), f"{name} was not written")
        width, height = png_size(path)
        self.assertGreater(os.path.getsize(path), min_bytes)
        return width, height

    def svg_text(self, name):
        with open(os.path.join(self.dir, name), encoding="utf-8") as f:
            return f.read()

    def test_daily_columns_over_time(self):
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass,fruwgt", "-c", "PrcntTkd",
                      "-o", "daily.png")
        self.assertEqual(r.returncode, 0, r.stderr)
        width, height = self.assertPng("daily.png")
        self.assertGreater(height, 300)  # two panels
        self.assertGreater(width, 500)

    def test_daily_axes_name_the_units_and_the_legends_the_meanings(self):
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass,fruwgt", "-c", "PrcntTkd",
                      "-o", "daily.svg")
        self.assertEqual(r.returncode, 0, r.stderr)
        svg = self.svg_text("daily.svg")
        for text in ("mass units per tree", "lfmass: leaf mass", "%",
                     "PrcntTkd: per cent of the fruit on the tree attacked by the olive fly"):
            self.assertTrue(f">{text}<" in svg, text)

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

    def test_map_of_a_difference_as_pdf_png_and_svg(self):
        for name in ("diff.pdf", "diff.png", "diff.svg"):
            r = self.plot("map", "OUT00002.txt", "OUT00end.txt", "-c", "FruWgt", "--diff", "2,0",
                          "--labels", "-o", name)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(support.file_kind(os.path.join(self.dir, name)), name[-3:])
        svg = self.svg_text("diff.svg")
        for text in ("TempIncr +2 minus +0 °C", "FruWgt: fruit mass on the tree [mass units",
                     "change of FruWgt: fruit mass on the tree"):  # titles and colour bars
            self.assertTrue(f">{text}<" in svg, text)

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
        self.assertEqual(r.returncode, 1)
        self.assertIn('OUT00002.txt has no column "Yield"', r.stderr)
        self.assertIn("FruWgt, fruNum", r.stderr)
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass,Nope", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn('OliveDaily.txt has no column "Nope"', r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "no.png")))

    def test_missing_file_and_wrong_kind_of_file(self):
        r = self.plot("daily", "NoSuchDaily.txt", "-c", "lfmass", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("olive-plot: cannot read NoSuchDaily.txt: No such file or directory",
                      r.stderr)
        r = self.plot("map", "OUT00002.txt", "OUT99999.txt", "-c", "dd", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot read OUT99999.txt", r.stderr)
        r = self.plot("daily", "OUT00002.txt", "-c", "dd", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("OUT00002.txt is not a daily file", r.stderr)
        r = self.plot("map", "OliveDaily.txt", "-c", "lfmass", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("OliveDaily.txt is not a GIS file", r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "no.png")))

    def test_missing_increment_lists_those_there(self):
        r = self.plot("map", "OUT00002.txt", "-c", "FruWgt", "--temp-incr", "1", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("no rows with TempIncr 1 in OUT00002.txt; the increments there: 0, 2",
                      r.stderr)
        r = self.plot("map", "OUT00002.txt", "-c", "FruWgt", "--diff", "3,0", "-o", "no.png")
        self.assertEqual(r.returncode, 1)
        self.assertIn("no rows with TempIncr 3 in OUT00002.txt", r.stderr)

    def test_wrong_command_lines(self):
        for args in (["map", "OUT00002.txt", "-c", "FruWgt", "--diff", "2", "-o", "no.png"],
                     ["map", "OUT00002.txt", "-c", "FruWgt", "-o", "no.jpg"],
                     ["map", "OUT00002.txt", "-c", "FruWgt", "--cmap", "nope", "-o", "no.png"],
                     ["daily", "OliveDaily.txt", "-o", "no.png"]):
            r = self.plot(*args)
            self.assertEqual(r.returncode, 64, args)
        self.assertIn("the picture's name must end in .png, .pdf or .svg",
                      self.plot("daily", "OliveDaily.txt", "-c", "lfmass", "-o", "x.gif").stderr)

    def test_unwritable_picture(self):
        r = self.plot("daily", "OliveDaily.txt", "-c", "lfmass", "-o", "no/such/dir/x.png")
        self.assertEqual(r.returncode, 3)
        self.assertIn("cannot write no/such/dir/x.png", r.stderr)


if __name__ == "__main__":
    support.skip_without("matplotlib")
    unittest.main(verbosity=2)
