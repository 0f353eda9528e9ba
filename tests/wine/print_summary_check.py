#!/usr/bin/python3
"""Prints the cycle summary from the history dialog through the Windows tests
and reads the PDF the printer queue makes of it: one page, every line of text
the test expects (pdftotext), and the chart's two bar colours (pdftoppm). See
CycleHistoryFlowTest.PrintedSummary.

usage: print_summary_check.py TEST_EXE
Exit 0 when every check holds, 77 when no printer is set up, 1 otherwise."""

import os
import re
import subprocess
import sys

EXPECT = "print-summary-expect.txt"
RENDER_DPI = 50
COLOUR_SLACK = 24  # per channel


def run_test(exe):
    if os.path.exists(EXPECT):
        os.remove(EXPECT)
    env = dict(os.environ, LUNABEL_SUMMARY_EXPECT=EXPECT)
    result = subprocess.run(["wine", exe, "--gtest_filter=CycleHistoryFlowTest.PrintedSummary"],
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, text=True, errors="replace")
    sys.stdout.write(result.stdout)
    if "no printer is set up" in result.stdout:
        sys.exit(77)
    if result.returncode != 0 or not os.path.exists(EXPECT):
        sys.exit("the printing test failed")


def read_expectations():
    pdf, texts, colours = None, [], []
    with open(EXPECT, encoding="utf-8") as f:
        for line in f:
            kind, _, rest = line.rstrip("\n").partition(" ")
            if kind == "pdf":
                pdf = os.path.join(os.path.expanduser("~"), "PDF", rest)
            elif kind == "text":
                texts.append(rest)
            elif kind == "colour":
                colours.append(tuple(int(v) for v in rest.split()))
    return pdf, texts, colours


def words(text):
    return " ".join(text.split())


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    run_test(sys.argv[1])
    pdf, texts, colours = read_expectations()
    failures = []

    info = subprocess.run(["pdfinfo", pdf], stdout=subprocess.PIPE, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    if pages != 1:
        failures.append(f"{pages} pages")

    shown = words(subprocess.run(["pdftotext", "-layout", pdf, "-"], stdout=subprocess.PIPE,
                                 text=True, check=True).stdout)
    for text in texts:
        if words(text) not in shown:
            failures.append(f"no '{text}' on the page")

    data = subprocess.run(["pdftoppm", "-r", str(RENDER_DPI), "-singlefile", pdf],
                          stdout=subprocess.PIPE, check=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    pixels = data[header.end():]
    seen = {tuple(pixels[i:i + 3]) for i in range(0, len(pixels), 3)}
    for colour in colours:
        if not any(all(abs(s - c) <= COLOUR_SLACK for s, c in zip(pixel, colour))
                   for pixel in seen):
            failures.append(f"no bar in colour {colour}")

    print(f"{pdf}: {len(texts)} lines of text, {len(colours)} colours, "
          f"{len(failures)} failed")
    for failure in failures[:40]:
        print("FAILED:", failure)
    if failures:
        sys.exit(1)
    os.remove(pdf)
    os.remove(EXPECT)


if __name__ == "__main__":
    main()
