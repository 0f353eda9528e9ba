"""Shared by print_report_check.py and print_summary_check.py: running the
Windows tests that print, which write down what the printed pages must show,
and reading back the PDFs the printer queue makes of them."""

import os
import re
import subprocess
import sys

# cups-pdf writes into ~/PDF of the user who prints.
PDF_DIR = os.path.join(os.path.expanduser("~"), "PDF")
RENDER_DPI = 50


def run_tests(exe, tests, expect_variable, expect):
    """Runs the tests that match the filter TESTS, which write their
    expectations to the file named in the environment variable EXPECT_VARIABLE.
    Exits 77 when no printer is set up, and 1 when the tests fail."""
    if os.path.exists(expect):
        os.remove(expect)
    env = dict(os.environ, **{expect_variable: expect})
    result = subprocess.run(["wine", exe, "--gtest_filter=" + tests],
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, text=True, errors="replace")
    sys.stdout.write(result.stdout)
    if "no printer is set up" in result.stdout:
        sys.exit(77)
    if result.returncode != 0 or not os.path.exists(expect):
        sys.exit("the printing tests failed")


def pdf_info(path):
    return subprocess.run(["pdfinfo", path], stdout=subprocess.PIPE, text=True, check=True).stdout


def page_count(info):
    return int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))


def raster(path):
    """The first page at RENDER_DPI: width, height and RGB bytes row by row."""
    data = subprocess.run(["pdftoppm", "-r", str(RENDER_DPI), "-singlefile", path],
                          stdout=subprocess.PIPE, check=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    return int(header.group(1)), int(header.group(2)), data[header.end():]
