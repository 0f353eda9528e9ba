#!/usr/bin/env bash
# Renders the SVG sources beside this script into res/images/*.png and res/lunabel.ico,
# and again for screens set to 150, 200 and 300 % into res/images/s150/ and so on.
# A developer tool: the build uses the committed pictures and never runs this.
# Needs rsvg-convert (Debian: librsvg2-bin), python3 and, for the pictures of
# the other languages, python3-fonttools and fonts-dejavu.
set -euo pipefail

art="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
res="$(dirname "$art")"
out="$res/images"

missing=0
need() {
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "render.sh: '$1' not found; install $2" >&2
    missing=1
  fi
}
need rsvg-convert "librsvg2-bin (apt-get install librsvg2-bin)"
need python3 "python3 (apt-get install python3)"
[ "$missing" = 0 ] || exit 1

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# PNG finishing and the icon writer. Standard library only, so the output is
# byte-for-byte reproducible: no ancillary chunks, fixed zlib level and filters.
cat >"$tmp/pic.py" <<'PY'
import struct, sys, zlib

def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit(f'{path}: not a PNG')
    pos, idat, hdr = 8, b'', None
    while pos < len(data):
        n, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        pos += 12 + n
        if kind == b'IHDR':
            hdr = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
    w, h, depth, ctype, _, _, interlace = hdr
    if depth != 8 or ctype not in (2, 6) or interlace:
        sys.exit(f'{path}: expected 8-bit RGB/RGBA, not interlaced')
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + ((a + b) >> 1)) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    px = []
    for line in rows:
        for x in range(w):
            q = line[x * bpp:(x + 1) * bpp]
            px.append(tuple(q) if bpp == 4 else (q[0], q[1], q[2], 255))
    return w, h, px

def write_png(path, w, h, px, alpha, filtered=True):
    with open(path, 'wb') as f:
        f.write(png(w, h, px, alpha, filtered))

def png(w, h, px, alpha, filtered=True):
    bpp = 4 if alpha else 3
    raw, prev = bytearray(), bytearray(w * bpp)
    for y in range(h):
        line = bytearray()
        for p in px[y * w:(y + 1) * w]:
            line += bytes(p[:bpp])
        # Per row, the filter with the smallest sum of magnitudes: small files.
        best = None
        for f in range(5 if filtered else 1):
            enc = bytearray(len(line))
            for i in range(len(line)):
                a = line[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                if f == 0:
                    pred = 0
                elif f == 1:
                    pred = a
                elif f == 2:
                    pred = b
                elif f == 3:
                    pred = (a + b) >> 1
                else:
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
                enc[i] = (line[i] - pred) & 255
            cost = sum(v if v < 128 else 256 - v for v in enc)
            if best is None or cost < best[0]:
                best = (cost, f, enc)
        raw += bytes([best[1]]) + best[2]
        prev = line
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')

def hexcolour(s):
    s = s.lstrip('#')
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))

def finish(src, dst, size, kind, under):
    """Checks the size, sets the colour type and puts a sensible colour under
    transparent pixels (some screens show these pictures without their alpha)."""
    w, h, px = read_png(src)
    ew, eh = map(int, size.split('x'))
    if (w, h) != (ew, eh):
        sys.exit(f'{src}: rendered {w}x{h}, expected {size}')
    if under.startswith('#'):
        c = hexcolour(under)
        base = lambda x, y: c
    else:
        # FILE@X,Y: the pixels of another rendered picture at that offset.
        f, at = under.split('@')
        ox, oy = map(int, at.split(','))
        bw, _, bpx = read_png(f)
        base = lambda x, y: bpx[(oy + y) * bw + ox + x][:3]
    outpx = []
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[y * w + x]
            br, bg, bb = base(x, y)
            if kind == 'rgb':
                # Flatten onto the base (sources for RGB pictures are opaque anyway).
                outpx.append(tuple((v * a + u * (255 - a) + 127) // 255 for v, u in ((r, br), (g, bg), (b, bb))))
            elif a == 255:
                outpx.append((r, g, b, a))
            else:
                # Partly transparent edges and shadows hold their look over the base,
                # so the picture also reads where it is shown without its alpha.
                outpx.append(tuple((v * a + u * (255 - a) + 127) // 255 for v, u in ((r, br), (g, bg), (b, bb))) + (a,))
    # The opaque background is decoded before the window can show: unfiltered
    # rows decode in less than half the time, for a few kilobytes more.
    write_png(dst, w, h, outpx, kind == 'rgba', filtered=kind != 'rgb')

def ico(dst, *pngs):
    """Entries given as PATH:8 (palette), PATH:32 (BGRA) or PATH:png. The first
    two are classic BMP-in-ICO with an AND mask, as old and new Windows expect;
    a png entry holds the whole PNG file, the form Windows wants for 256."""
    images = []
    for item in pngs:
        path, bits = item.split(':')
        w, h, px = read_png(path)
        images.append((w, h, bits, px))
    entries, blobs = [], []
    for w, h, bits, px in images:
        if bits == 'png':
            blob = png(w, h, px, True)
            blobs.append(blob)
            entries.append((w, h, 0, 32, len(blob)))
            continue
        bits = int(bits)
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                a = px[y * w + x][3]
                if a < 128:
                    row[x >> 3] |= 0x80 >> (x & 7)
            mask += row
        if bits == 32:
            xor = bytearray()
            for y in range(h - 1, -1, -1):
                for x in range(w):
                    r, g, b, a = px[y * w + x]
                    xor += bytes((b, g, r, a))
            palette = b''
            ncol = 0
        else:
            solid = [p[:3] if p[3] >= 128 else None for p in px]
            pal = quantize([c for c in solid if c is not None], 255)
            # Index 0 is black under transparent pixels (AND mask 1, XOR 0).
            pal = [(0, 0, 0)] + pal
            cache = {}
            def index(c):
                if c not in cache:
                    cache[c] = min(range(1, len(pal)), key=lambda i: sum((u - v) ** 2 for u, v in zip(pal[i], c)))
                return cache[c]
            stride = (w + 3) // 4 * 4
            xor = bytearray()
            for y in range(h - 1, -1, -1):
                row = bytearray(stride)
                for x in range(w):
                    c = solid[y * w + x]
                    row[x] = index(c) if c is not None else 0
                xor += row
            pal += [(0, 0, 0)] * (256 - len(pal))
            palette = b''.join(bytes((b, g, r, 0)) for r, g, b in pal)
            ncol = 256
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, bits, 0, len(xor) + len(mask), 0, 0, ncol, 0)
        blob = header + palette + xor + mask
        blobs.append(blob)
        entries.append((w, h, ncol, bits, len(blob)))
    offset = 6 + 16 * len(entries)
    with open(dst, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(entries)))
        for (w, h, ncol, bits, size) in entries:
            f.write(struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, bits, size, offset))
            offset += size
        for blob in blobs:
            f.write(blob)

def quantize(colours, n):
    """Median cut, enough for icon-sized pictures."""
    uniq = sorted(set(colours))
    if len(uniq) <= n:
        return uniq
    boxes = [colours]
    while len(boxes) < n:
        boxes.sort(key=lambda bx: max(max(c[i] for c in bx) - min(c[i] for c in bx) for i in range(3)) if len(set(bx)) > 1 else -1)
        bx = boxes.pop()
        if len(set(bx)) <= 1:
            boxes.append(bx)
            break
        ch = max(range(3), key=lambda i: max(c[i] for c in bx) - min(c[i] for c in bx))
        bx = sorted(bx, key=lambda c: c[ch])
        boxes += [bx[:len(bx) // 2], bx[len(bx) // 2:]]
    return sorted({tuple(sum(c[i] for c in bx) // len(bx) for i in range(3)) for bx in boxes})

if __name__ == '__main__':
    cmd = sys.argv[1]
    if cmd == 'finish':
        finish(*sys.argv[2:7])
    elif cmd == 'ico':
        ico(*sys.argv[2:])
PY

pic() { python3 "$tmp/pic.py" "$@"; }

# Display scales besides 100 %, in percent; each has its pictures in sPCT/.
scales="150 200 300"

# edge X PCT: where an edge at X (in pixels at 100 %) falls at PCT percent.
# Edges are rounded, not sizes, so pictures that meet at 100 % still meet.
edge() { echo $(( ($1 * $2 + 50) / 100 )); }

# folder DIR PCT: where the pictures of that scale go.
folder() { if [ "$2" = 100 ]; then echo "$1"; else echo "$1/s$2"; fi; }

# render NAME SIZE KIND UNDER: $svgs/NAME.svg at $pct percent into $dir.
# SIZE is the size at 100 %. UNDER is the colour under transparent pixels, or
# PICTURE@X,Y: the picture of the same scale in $dir, with this one lying at
# (X, Y) of it. Such a picture spans from its offset's edge to its far edge,
# so at some scales it is a pixel more or less than its own size scaled.
render() {
  local name=$1 size=$2 kind=$3 under=$4 x=0 y=0 w h
  if [ "${under:0:1}" != '#' ]; then
    x=${under#*@} y=${under#*,}
    x=${x%,*}
    under="$dir/${under%@*}.png@$(edge "$x" "$pct"),$(edge "$y" "$pct")"
  fi
  w=$(( $(edge $((x + ${size%x*})) "$pct") - $(edge "$x" "$pct") ))
  h=$(( $(edge $((y + ${size#*x})) "$pct") - $(edge "$y" "$pct") ))
  # Always from the SVG at the final size: a scaled-up PNG would be blurred.
  rsvg-convert -w "$w" -h "$h" "$svgs/$name.svg" -o "$tmp/$name.png"
  pic finish "$tmp/$name.png" "$dir/$name.png" "${w}x$h" "$kind" "$under"
  local made="$dir/$name.png"
  echo "  ${made#"$out"/}  ${w}x$h  $kind"
}

# Pale frosted rose, the tone the dialogs are laid on.
frost='#f3e3e9'

svgs="$art"
for pct in 100 $scales; do
  dir="$(folder "$out" "$pct")"
  mkdir -p "$dir"
  echo "render.sh: pictures at $pct % into $dir"
  render app-bg 675x557 rgb '#ffffff'
  # Buttons and arrows keep the background they sit on under their transparent pixels.
  render btn_settings 50x52 rgba app-bg@357,2
  render btn_print 50x52 rgba app-bg@432,2
  render btn_help 50x52 rgba app-bg@282,2
  render btn_about 50x52 rgba app-bg@507,2
  render btn_exit 50x52 rgba app-bg@582,2
  render btn_left 24x19 rgba app-bg@252,75
  render btn_right 24x19 rgba app-bg@632,75
  render dlg_settings 361x200 rgba "$frost"
  render dlg_print 372x300 rgba "$frost"
  render dlg_help 414x396 rgba "$frost"
  render dlg_about 324x292 rgba "$frost"
  render dlg_history 660x490 rgba "$frost"
  render dlg_import 540x420 rgba "$frost"
  render dlg_unlock 361x200 rgba "$frost"
  render dlg_protect 361x264 rgba "$frost"
  render heart_small 7x6 rgba '#fffcfb'
  # The help pages lie on the help dialog's body, from (11, 57) of its picture.
  render help_keyboard 386x174 rgba dlg_help@11,57
done

# The pictures that hold words, once more in each language (translate.py).
/usr/bin/python3 "$art/translate.py" "$art" "$tmp/languages"
for svgs in "$tmp"/languages/*; do
  code="$(basename "$svgs")"
  for pct in 100 $scales; do
    dir="$(folder "$out/$code" "$pct")"
    mkdir -p "$dir"
    echo "render.sh: $code pictures at $pct % into $dir"
    render app-bg 675x557 rgb '#ffffff'
    render dlg_settings 361x200 rgba "$frost"
    render dlg_print 372x300 rgba "$frost"
    render dlg_help 414x396 rgba "$frost"
    render dlg_about 324x292 rgba "$frost"
  done
done

# Windows picks the entry nearest the size it needs (16 to 64 at the usual
# scales, 256 for large views); the 8-bit ones are for old 256-colour screens.
# icon-16.svg is drawn to the pixel grid, still the clearer one at 20.
echo "render.sh: icon into $res/lunabel.ico"
for s in 16 20 24 32 40 48 64 256; do
  src="$art/icon.svg"
  [ "$s" -le 20 ] && src="$art/icon-16.svg"
  rsvg-convert -w $s -h $s "$src" -o "$tmp/icon$s.png"
done
pic ico "$res/lunabel.ico" "$tmp/icon16.png:8" "$tmp/icon32.png:8" \
  "$tmp/icon16.png:32" "$tmp/icon20.png:32" "$tmp/icon24.png:32" "$tmp/icon32.png:32" \
  "$tmp/icon40.png:32" "$tmp/icon48.png:32" "$tmp/icon64.png:32" "$tmp/icon256.png:png"
echo "render.sh: done"
