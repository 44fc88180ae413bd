"""What the tests of the Python tools share: skipping without a package, the files of a short
regional run, and the signatures of picture files."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OLIVE = os.environ.get("OLIVE", os.path.join(SOURCE, "build", "olive"))
SKIPPED = 77  # CTest counts the test as skipped
DEBIAN_PACKAGES = {"osgeo": "python3-gdal"}
SIGNATURES = {"png": b"\x89PNG\r\n\x1a\n", "pdf": b"%PDF-", "svg": b"<?xml"}


def skip_without(*modules):
    """Ends the test as skipped, naming the package, when this Python lacks a module."""
    for module in modules:
        try:
            __import__(module)
        except ImportError:
            package = DEBIAN_PACKAGES.get(module, f"python3-{module}")
            print(f"SKIPPED: {sys.executable} has no {module} (Debian: apt-get install {package})")
            sys.exit(SKIPPED)


def region_run(prefix):
    """A scratch folder with the files of four synthetic stations of tools/make_region.py, two
    years with the olive fly (examples/olive-fly.setup) at warming increments 0 and 2, run
    with the olive executable named by the environment variable OLIVE (CTest sets it)."""
    folder = tempfile.mkdtemp(prefix=prefix)
    os.makedirs(os.path.join(folder, "lut"))
    shutil.copy(os.path.join(SOURCE, "examples", "lut", "OliveSoilWater.txt"),
                os.path.join(folder, "lut"))
    subprocess.run([sys.executable, os.path.join(SOURCE, "tools", "make_region.py"), "region",
                    "--rows", "2", "--columns", "2", "--last-year", "2002"], cwd=folder,
                   check=True, capture_output=True)
    with open(os.path.join(SOURCE, "examples", "olive-fly.setup")) as f:
        setup = f.read().split("\n")
    stations = [f"region/{name}.txt" for name in ("A1", "A2", "B1", "B2")]
    for incr in ("0", "2"):
        setup[0] = f"{incr}\twxcons[1]: the warming increment of this scenario"
        with open(os.path.join(folder, f"fly{incr}.setup"), "w") as f:
            f.write("\n".join(setup))
        for station in stations:
            subprocess.run([OLIVE, f"fly{incr}.setup", "1", "1", "2001", "12", "31", "2002",
                            "365", station], cwd=folder, check=True, capture_output=True)
    with open(os.path.join(folder, "errorlog")) as f:
        assert f.read() == "", "the short run reported errors"
    return folder


def file_kind(path):
    """"png", "pdf" or "svg" after the file's first bytes; None for anything else."""
    with open(path, "rb") as f:
        head = f.read(8)
    return next((kind for kind, mark in SIGNATURES.items() if head.startswith(mark)), None)


def tool(name, folder, *args):
    """Runs tools/NAME with this Python in folder."""
    return subprocess.run([sys.executable, os.path.join(SOURCE, "tools", name), *args],
                          cwd=folder, capture_output=True, text=True)


class RegionRunTest(unittest.TestCase):
    """Tests that share, per class, the folder of one short regional run (region_run): self.dir."""
    prefix = "olive_tool_test_"

    @classmethod
    def setUpClass(cls):
        cls.dir = region_run(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)
