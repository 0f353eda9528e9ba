#!/usr/bin/python3
"""Prints the cycle summary from the history dialog through the Windows tests
and reads the PDF the printer queue makes of it: one page, every line of text
the test expects (pdftotext), and the chart's two bar colours (pdftoppm). See
CycleHistoryFlowTest.PrintedSummary.

usage: print_summary_check.py TEST_EXE
Exit 0 when every check holds, 77 when no printer is set up, 1 otherwise."""

import os
import subprocess
import sys

from printed_pdf import PDF_DIR, page_count, pdf_info, raster, run_tests

EXPECT = "print-summary-expect.txt"
COLOUR_SLACK = 24  # per channel


def read_expectations():
    pdf, texts, colours = None, [], []
    with open(EXPECT, encoding="utf-8") as f:
        for line in f:
            kind, _, rest = line.rstrip("\n").partition(" ")
            if kind == "pdf":
                pdf = os.path.join(PDF_DIR, rest)
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
    run_tests(sys.argv[1], "CycleHistoryFlowTest.PrintedSummary", "LUNABEL_SUMMARY_EXPECT",
              EXPECT)
    pdf, texts, colours = read_expectations()
    failures = []

    pages = page_count(pdf_info(pdf))
    if pages != 1:
        failures.append(f"{pages} pages")

    shown = words(subprocess.run(["pdftotext", "-layout", pdf, "-"], stdout=subprocess.PIPE,
                                 text=True, check=True).stdout)
    for text in texts:
        if words(text) not in shown:
            failures.append(f"no '{text}' on the page")

    _, _, pixels = raster(pdf)
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
