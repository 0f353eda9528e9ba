#!/usr/bin/python3
# otf-to-ttf.py SRC.otf DST.ttf: the same font with TrueType outlines.
# Wine's PostScript driver can embed only TrueType outlines: drawing text in a
# font with CFF outlines (such as Comic Neue's .otf files) on a printer crashes
# it. The curves are approximated by quadratic ones within one font unit.
import sys

from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable


def convert(source, target, max_error=1.0):
    font = TTFont(source)
    order = font.getGlyphOrder()
    glyphs = font.getGlyphSet()
    glyf = newTable("glyf")
    glyf.glyphOrder = order
    glyf.glyphs = {}
    for name in order:
        pen = TTGlyphPen(glyphs)
        # CFF contours run the other way round from TrueType's.
        glyphs[name].draw(Cu2QuPen(pen, max_error, reverse_direction=True))
        glyf[name] = pen.glyph()
    font["glyf"] = glyf
    font["loca"] = newTable("loca")
    del font["CFF "]
    if "VORG" in font:
        del font["VORG"]
    font["head"].glyphDataFormat = 0
    maxp = font["maxp"]
    maxp.tableVersion = 0x00010000
    for field in ("maxTwilightPoints", "maxStorage", "maxFunctionDefs", "maxInstructionDefs",
                  "maxStackElements", "maxSizeOfInstructions", "maxComponentElements",
                  "maxComponentDepth"):
        setattr(maxp, field, 0)
    maxp.maxZones = 1
    post = font["post"]
    post.formatType = 2.0
    post.extraNames = []
    post.mapping = {}
    post.glyphOrder = order
    font.sfntVersion = "\x00\x01\x00\x00"
    font.save(target)


if __name__ == "__main__":
    convert(sys.argv[1], sys.argv[2])
