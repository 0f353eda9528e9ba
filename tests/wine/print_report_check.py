#!/usr/bin/python3
"""Prints report pages through the Windows tests and checks the PDFs the
printer queue makes of them: page size, where the title, the credit and the
month names are (pdftotext -bbox), and the colours of marked, period and
fertile days (pdftoppm). The tests say what each page must show; see
PrintedReportOutputTest in PrintReportTest.cpp.

usage: print_report_check.py TEST_EXE [GTEST_FILTER]
Exit 0 when every check holds, 77 when no printer is set up, 1 otherwise."""

import glob
import math
import os
import re
import subprocess
import sys
import time

from printed_pdf import PDF_DIR, RENDER_DPI, page_count, pdf_info, raster, run_tests

EXPECT = "print-report-expect.txt"
WORD_SLACK_PT = 3.0  # a word may reach this far outside its rectangle
ALIGN_PT = {"left": 1.5, "right": 1.5, "center": 3.0}
FILL_SLACK = 24  # per channel


def read_expectations():
    documents = []
    with open(EXPECT, encoding="utf-8", errors="replace") as f:
        for line in f:
            kind, _, rest = line.rstrip("\n").partition(" ")
            if kind == "document":
                documents.append({"title": rest, "page": None, "words": [], "fills": [],
                                  "hearts": []})
                continue
            fields = rest.split(" ")
            doc = documents[-1]
            if kind == "page":
                doc["page"] = tuple(int(v) for v in fields)
            elif kind == "word":
                doc["words"].append((fields[0], *[int(v) for v in fields[1:5]], fields[5]))
            elif kind == "fill":
                doc["fills"].append(tuple(int(v) for v in fields))
            elif kind == "heart":
                doc["hearts"].append((*[int(v) for v in fields[:4]], fields[4] == "yes"))
    return documents


def pdf_prefix(title):
    # cups-pdf keeps letters and digits and turns the rest into '_'.
    return re.sub(r"[^A-Za-z0-9]", "_", title)


def complete(path):
    with open(path, "rb") as f:
        data = f.read()
    return data.startswith(b"%PDF") and data.rstrip().endswith(b"%%EOF")


def wait_for_pdf(title, limit=60.0):
    deadline = time.monotonic() + limit
    while True:
        found = [p for p in glob.glob(os.path.join(PDF_DIR, pdf_prefix(title) + "*.pdf"))
                 if complete(p)]
        if found:
            return found[0]
        if time.monotonic() > deadline:
            return None
        time.sleep(0.1)


def page_info(path):
    out = pdf_info(path)
    pages = page_count(out)
    size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", out, re.M)
    width, height = float(size.group(1)), float(size.group(2))
    # A page printed across is an upright sheet turned for display.
    rotation = re.search(r"^Page rot:\s+(\d+)", out, re.M)
    if rotation and int(rotation.group(1)) % 180 == 90:
        width, height = height, width
    return pages, width, height


def words_of(path):
    out = subprocess.run(["pdftotext", "-enc", "UTF-8", "-bbox", path, "-"],
                         stdout=subprocess.PIPE, encoding="utf-8",
                         check=True).stdout
    pattern = r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>'
    return [(m.group(5), *[float(m.group(i)) for i in range(1, 5)])
            for m in re.finditer(pattern, out)]


class Checker:
    def __init__(self):
        self.failures = []
        self.checks = 0

    def expect(self, ok, message):
        self.checks += 1
        if not ok:
            self.failures.append(message)

    def check_document(self, doc):
        path = wait_for_pdf(doc["title"])
        self.expect(path is not None, f"{doc['title']}: no finished PDF in ~/PDF")
        if path is None:
            return None
        width, height, dpi = doc["page"]
        pt = 72.0 / dpi
        pages, page_w, page_h = page_info(path)
        self.expect(pages == 1, f"{path}: {pages} pages")
        self.expect(abs(page_w - width * pt) <= 1 and abs(page_h - height * pt) <= 1,
                    f"{path}: page {page_w} x {page_h} pt, expected {width * pt} x {height * pt}")

        words = words_of(path)
        for text, left, top, right, bottom, align in doc["words"]:
            box = (left * pt, top * pt, right * pt, bottom * pt)
            self.expect(any(self.word_fits(w, box, align) for w in words if w[0] == text),
                        f"{path}: no '{text}' inside {box} ({align}); seen at "
                        f"{[w[1:] for w in words if w[0] == text]}")

        raster_w, raster_h, pixels = raster(path)
        scale = RENDER_DPI / dpi

        def pixel(x, y):
            i = (y * raster_w + x) * 3
            return pixels[i], pixels[i + 1], pixels[i + 2]

        for x, y, r, g, b in doc["fills"]:
            seen = pixel(int(x * scale), int(y * scale))
            self.expect(all(abs(s - e) <= FILL_SLACK for s, e in zip(seen, (r, g, b))),
                        f"{path}: colour {seen} at ({x}, {y}), expected {(r, g, b)}")
        for left, top, right, bottom, wanted in doc["hearts"]:
            red = 0
            # Only raster pixels wholly inside: the next cell may be filled.
            for y in range(math.ceil(top * scale), min(math.floor(bottom * scale), raster_h)):
                for x in range(math.ceil(left * scale), min(math.floor(right * scale), raster_w)):
                    r, g, b = pixel(x, y)
                    # At this resolution the small heart blends into pink;
                    # the digits and the page stay grey.
                    red += r - g > 60 and r - b > 60
            self.expect((red > 0) == wanted,
                        f"{path}: {red} heart pixels in ({left}, {top}, {right}, {bottom}), "
                        f"expected {'some' if wanted else 'none'}")
        return path

    @staticmethod
    def word_fits(word, box, align):
        _, x0, y0, x1, y1 = word
        left, top, right, bottom = box
        s = WORD_SLACK_PT
        if x0 < left - s or y0 < top - s or x1 > right + s or y1 > bottom + s:
            return False
        if align == "left":
            return abs(x0 - left) <= ALIGN_PT["left"]
        if align == "right":
            return abs(x1 - right) <= ALIGN_PT["right"]
        if align == "center":
            return abs((x0 + x1) / 2 - (left + right) / 2) <= ALIGN_PT["center"]
        return True


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    run_tests(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else "PrintedReportOutputTest.*",
              "LUNABEL_REPORT_EXPECT", EXPECT)
    documents = read_expectations()
    checker = Checker()
    printed = []
    for doc in documents:
        path = checker.check_document(doc)
        if path:
            printed.append(path)
    print(f"{len(documents)} documents, {checker.checks} checks, "
          f"{len(checker.failures)} failed")
    for failure in checker.failures[:40]:
        print("FAILED:", failure)
    if checker.failures or not documents:
        sys.exit(1)
    for path in printed:
        os.remove(path)
    os.remove(EXPECT)


if __name__ == "__main__":
    main()
