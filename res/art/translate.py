#!/usr/bin/python3
"""Writes each language's copies of the pictures that hold words: the same
SVG with its outlined words outlined again in that language, in the same face
and size, starting where the English word starts. render.sh renders them.

usage: translate.py ART_DIR OUT_DIR
Needs python3-fonttools and the DejaVu fonts (fonts-dejavu-core, -extra)."""

import os
import re
import sys

from fontTools.pens.basePen import BasePen
from fontTools.ttLib import TTFont

FACES = {
    "DejaVu Serif Italic": "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf",
}

# The words of the pictures, as the program's string tables have them where
# they name the same thing (the buttons' captions).
WORDS = {
    "de": {"Settings": "Optionen", "Print": "Drucken", "Help": "Hilfe", "About": "Info",
           "menstrual calendar": "Zykluskalender"},
    "fr": {"Settings": "Options", "Print": "Imprimer", "Help": "Aide", "About": "Infos",
           "menstrual calendar": "calendrier menstruel"},
    "es": {"Settings": "Ajustes", "Print": "Imprimir", "Help": "Ayuda", "About": "Info",
           "menstrual calendar": "calendario menstrual"},
    "it": {"Settings": "Opzioni", "Print": "Stampa", "Help": "Guida", "About": "Info",
           "menstrual calendar": "calendario mestruale"},
    "pt-BR": {"Settings": "Ajustes", "Print": "Imprimir", "Help": "Ajuda", "About": "Sobre",
              "menstrual calendar": "calendário menstrual"},
    "pl": {"Settings": "Opcje", "Print": "Drukuj", "Help": "Pomoc", "About": "Info",
           "menstrual calendar": "kalendarz cyklu"},
}

PICTURES = ["app-bg", "dlg_settings", "dlg_print", "dlg_help", "dlg_about"]

# Words that must stay within the room the English ones take (the tagline
# ends where the header's dark band does): a longer one is set smaller.
KEEP_WIDTH = {"menstrual calendar"}

OUTLINED = re.compile(r'<!-- "([^"]+)", (.+?) (\d+) px, outlined -->\n'
                      r'<path transform="translate\(([-\d.]+) ([-\d.]+)\)"([^>]*?) d="([^"]*)"')


class PathPen(BasePen):
    """SVG path data in pixels: the em box's top at y = 0, x from the pen."""

    def __init__(self, glyphs, scale, ascent, x):
        super().__init__(glyphs)
        self.parts, self.scale, self.ascent, self.x = [], scale, ascent, x

    def point(self, p):
        return f"{(self.x + p[0]) * self.scale:.2f} {(self.ascent - p[1]) * self.scale:.2f}"

    def _moveTo(self, p):
        self.parts.append("M " + self.point(p))

    def _lineTo(self, p):
        self.parts.append("L " + self.point(p))

    def _curveToOne(self, a, b, c):
        self.parts.append("C " + " ".join(self.point(q) for q in (a, b, c)))

    def _qCurveToOne(self, a, b):
        self.parts.append("Q " + " ".join(self.point(q) for q in (a, b)))

    def _closePath(self):
        self.parts.append("Z")


def advance(face, text):
    font = TTFont(FACES[face])
    cmap = font.getBestCmap()
    return sum(font["hmtx"][cmap[ord(c)]][0] for c in text)


def outline(face, size, text):
    font = TTFont(FACES[face])
    glyphs, cmap = font.getGlyphSet(), font.getBestCmap()
    scale = size / font["head"].unitsPerEm
    ascent = font["hhea"].ascent
    pen_x, parts = 0, []
    for c in text:
        name = cmap[ord(c)]
        pen = PathPen(glyphs, scale, ascent, pen_x)
        glyphs[name].draw(pen)
        parts += pen.parts
        pen_x += font["hmtx"][name][0]
    return " ".join(parts)


def left(path):
    xs = [float(v) for v in re.findall(r"(-?\d+\.\d+) -?\d+\.\d+", path)]
    return min(xs) if xs else 0.0


def translate(svg, words):
    def replace(m):
        text, face, size, x, y, attributes, path = m.groups()
        if text not in words:
            return m.group(0)
        size = float(size)
        if text in KEEP_WIDTH:
            size = min(size, size * advance(face, text) / advance(face, words[text]))
        new = outline(face, size, words[text])
        shift = float(x) + left(path) - left(new)
        return (f'<!-- "{words[text]}", {face} {size:g} px, outlined -->\n'
                f'<path transform="translate({shift:.2f} {y})"{attributes} d="{new}"')
    return OUTLINED.sub(replace, svg)


def main():
    art, out = sys.argv[1], sys.argv[2]
    for code, words in WORDS.items():
        os.makedirs(os.path.join(out, code), exist_ok=True)
        for name in PICTURES:
            with open(os.path.join(art, name + ".svg"), encoding="utf-8") as f:
                svg = f.read()
            with open(os.path.join(out, code, name + ".svg"), "w", encoding="utf-8") as f:
                f.write(translate(svg, words))


if __name__ == "__main__":
    main()
