#!/usr/bin/env python3
"""tools/olive-export on the files of a short regional run (tool_test_support.region_run): the
csv tables read back with pandas hold the rows, columns and values of the text files, the
GeoPackage opens in ogrinfo with EPSG:4326 and a feature per row of the same values, and bad
input, unwritable output and wrong command lines end with their exit codes.

    OLIVE=build/olive /usr/bin/python3 tests/olive_export_test.py
"""
import datetime
import os
import shutil
import subprocess
import unittest

import tool_test_support as support

GIS_FILES = ["OUT00002.txt", "OUT00end.txt"]


def text_rows(path, header_line):
    """(column names, rows of fields without their padding) of an olive text file."""
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").split("\r\n")[header_line - 1:]
    lines = [line for line in lines if line]
    return lines[0].split("\t"), [[x.strip() for x in line.split("\t")] for line in lines[1:]]


class OliveExportTest(support.RegionRunTest):
    prefix = "olive_export_test_"

    def export(self, *args):
        return support.tool("olive-export", self.dir, *args)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read_csv(self, name):
        import pandas
        return pandas.read_csv(self.path(name), dtype=str, keep_default_na=False)

    def assertRowsOfTheTextFiles(self, table, files, header_line, leading):
        """The table is the files' rows, leading columns first, then the files' columns (a
        repeated name with .1), each value as written there."""
        names, rows = [], []
        for name in files:
            names, file_rows = text_rows(self.path(name), header_line)
            rows += file_rows
        seen = {}
        for name in names:
            seen[name] = seen.get(name, -1) + 1
            expected = name if seen[name] == 0 else f"{name}.{seen[name]}"
            self.assertIn(expected, table.columns)
        self.assertEqual(list(table.columns)[:len(leading)], leading)
        self.assertEqual(len(table.columns), len(leading) + len(names))
        self.assertEqual(len(table), len(rows))
        for i, column in enumerate(table.columns[len(leading):]):
            self.assertEqual(list(table[column]), [row[i] for row in rows], column)
        return names, rows

    def test_csv_of_gis_files_and_of_the_summary_table(self):
        for files, header in ((GIS_FILES, "Model"), (["OliveSummaries.txt"], "GisOutSeq")):
            r = self.export("csv", *files, "-o", "out.csv")
            self.assertEqual(r.returncode, 0, r.stderr)
            table = self.read_csv("out.csv")
            names, rows = self.assertRowsOfTheTextFiles(
                table, files, 1, ["station", "lon", "lat", "temp_incr", "date"])
            self.assertIn(header, table.columns)
            self.assertEqual(sorted(set(table["station"])), ["A1", "A2", "B1", "B2"])
            self.assertEqual(sorted(set(table["temp_incr"])), ["0.000", "2.000"])
            col = {name: i for i, name in enumerate(names)}
            self.assertEqual(list(table["date"]), [
                datetime.date(int(r[col["Year"]]), int(r[col["Month"]]), int(r[col["Day"]]))
                .isoformat() for r in rows])
            self.assertEqual(list(table["lon"]), [r[col["Long"]] for r in rows])
            # Read as numbers, the values are those the texts denote.
            import pandas
            numbers = pandas.read_csv(self.path("out.csv"))
            self.assertEqual(list(numbers["FruWgt"]), [float(r[col["FruWgt"]]) for r in rows])

    def test_csv_of_a_daily_file_drops_the_title_and_names_repeats_apart(self):
        r = self.export("csv", "OliveDaily.txt", "-o", "daily.csv")
        self.assertEqual(r.returncode, 0, r.stderr)
        table = self.read_csv("daily.csv")
        names, rows = self.assertRowsOfTheTextFiles(table, ["OliveDaily.txt"], 2,
                                                    ["station", "temp_incr", "date"])
        self.assertEqual(names.count("frunum"), 2)  # with the olive fly
        self.assertIn("frunum.1", table.columns)
        self.assertEqual(set(table["station"]), {"B2"})  # the last station run
        self.assertEqual(table["date"].iloc[0], "2001-01-01")
        self.assertEqual(table["date"].iloc[-1], "2002-12-31")

    def test_gpkg_opens_with_epsg_4326_and_a_feature_per_row(self):
        r = self.export("gpkg", *GIS_FILES, "-o", "region.gpkg")
        self.assertEqual(r.returncode, 0, r.stderr)
        names, rows = [], []
        for name in GIS_FILES:
            names, file_rows = text_rows(self.path(name), 1)
            rows += file_rows
        info = subprocess.run(["ogrinfo", "-so", "region.gpkg", "region"], cwd=self.dir,
                              capture_output=True, text=True)
        self.assertEqual(info.returncode, 0, info.stderr)
        self.assertIn('ID["EPSG",4326]', info.stdout)
        self.assertIn(f"Feature Count: {len(rows)}", info.stdout)
        self.assertIn("date: Date", info.stdout)
        from osgeo import ogr
        source = ogr.Open(self.path("region.gpkg"))  # kept open while its layer is read
        layer = source.GetLayer("region")
        col = {name: i for i, name in enumerate(names)}
        for feature, row in zip(layer, rows):
            self.assertEqual(feature.GetGeometryRef().GetX(), float(row[col["Long"]]))
            self.assertEqual(feature.GetGeometryRef().GetY(), float(row[col["Lat"]]))
            self.assertEqual(feature.GetField("FruWgt"), float(row[col["FruWgt"]]))
            self.assertEqual(feature.GetField("Year"), int(row[col["Year"]]))
            self.assertEqual(feature.GetField("WxFile"), row[col["WxFile"]])
            self.assertEqual(feature.GetField("Date_2"), row[col["Date"]])

    def test_bad_input_unwritable_output_and_wrong_command_lines(self):
        cases = [
            (["csv", "OUT00002.txt", "NoSuch.txt", "-o", "no.csv"], 1,
             "olive-export: cannot read NoSuch.txt: No such file or directory"),
            (["gpkg", "OliveDaily.txt", "-o", "no.gpkg"], 1,
             "olive-export: OliveDaily.txt is a daily file; olive-export gpkg takes GIS files"),
            (["csv", "OUT00002.txt", "OliveSummaries.txt", "-o", "no.csv"], 1,
             "OUT00002.txt is a GIS file, but OliveSummaries.txt is a summary table"),
            (["csv", "fly0.setup", "-o", "no.csv"], 1,
             "fly0.setup is not a GIS file, a summary table or a daily file"),
            (["csv", "OUT00002.txt", "-o", "no/such/dir/x.csv"], 3,
             "olive-export: cannot write no/such/dir/x.csv: No such file or directory"),
            (["gpkg", "OUT00002.txt", "-o", "no/such/dir/x.gpkg"], 3, "cannot write"),
            (["csv", "OUT00002.txt"], 64, "the following arguments are required: -o"),
            (["tsv", "OUT00002.txt", "-o", "no.csv"], 64, "invalid choice: 'tsv'"),
        ]
        for args, code, message in cases:
            r = self.export(*args)
            self.assertEqual(r.returncode, code, args)
            self.assertIn(message, r.stderr)
        self.assertFalse(any(name.startswith("no.") or name.startswith(".no.")
                             for name in os.listdir(self.dir)))
        self.assertEqual(self.export("--help").returncode, 0)


if __name__ == "__main__":
    support.skip_without("pandas", "osgeo")
    unittest.main(verbosity=2)
