#!/usr/bin/env python3
"""Draws the window's decorative background, its small picture and the
program icon, and writes them beside the window's sources: as PNG files for
the Qt window, as BMP and ICO files for the Windows resources; and the icon
in the sizes of the desktop's icon theme, for the Linux install.

    draw_art.py [QT_ART [WIN32_ART [LINUX_ICONS]]]

Plain Python (no imaging library), so the pictures can be drawn again on any
machine: shapes are filled at a finer grid and averaged down, which smooths
their edges.
"""
import struct
import sys
import zlib
from pathlib import Path

PALE_YELLOW = (255, 255, 192)


class Canvas:
    def __init__(self, width, height, scale, background):
        self.w, self.h, self.s = width, height, scale
        self.px = [list(background) for _ in range(width * height * scale * scale)]

    def _blend(self, x, y, color, alpha):
        p = self.px[y * self.w * self.s + x]
        for i in range(3):
            p[i] = p[i] * (1 - alpha) + color[i] * alpha
        if len(p) == 4:
            p[3] = p[3] + (255 - p[3]) * alpha

    def polygon(self, points, color, alpha=1.0):
        """Fills a polygon given in output pixels (even-odd rule)."""
        s = self.s
        pts = [(x * s, y * s) for x, y in points]
        ys = [p[1] for p in pts]
        y0, y1 = max(0, int(min(ys))), min(self.h * s, int(max(ys)) + 1)
        for y in range(y0, y1):
            cy = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(max(0, int(a + 0.5)), min(self.w * s, int(b + 0.5))):
                    self._blend(x, y, color, alpha)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], color, alpha)

    def frame(self, x0, y0, x1, y1, width, color, alpha=1.0):
        self.rect(x0, y0, x1, y0 + width, color, alpha)
        self.rect(x0, y1 - width, x1, y1, color, alpha)
        self.rect(x0, y0 + width, x0 + width, y1 - width, color, alpha)
        self.rect(x1 - width, y0 + width, x1, y1 - width, color, alpha)

    def pixels(self):
        """The output rows, top first, each pixel averaged over its grid."""
        s, channels = self.s, len(self.px[0])
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0.0] * channels
                for dy in range(s):
                    base = (y * s + dy) * self.w * s + x * s
                    for dx in range(s):
                        for i, v in enumerate(self.px[base + dx]):
                            acc[i] += v
                row.append(tuple(min(255, round(v / (s * s))) for v in acc))
            rows.append(row)
        return rows

    def png(self):
        channels = len(self.px[0])
        rows = [bytes([0]) + bytes(v for p in row for v in p) for row in self.pixels()]
        kind = 6 if channels == 4 else 2

        def chunk(tag, data):
            return (struct.pack(">I", len(data)) + tag + data
                    + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, kind, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def sheet(c, x, y, w, h, header, line, rows, border=1.0, paper=(255, 254, 240)):
    """A worksheet: paper, a coloured header row and ruled lines."""
    c.rect(x, y, x + w, y + h, paper)
    c.rect(x, y, x + w, y + h * 0.16, header)
    step = (h * 0.84) / rows
    for i in range(1, rows):
        yy = y + h * 0.16 + i * step
        c.rect(x + border, yy - border * 0.35, x + w - border, yy + border * 0.35, line)
    c.rect(x + w * 0.3 - border * 0.35, y + h * 0.16, x + w * 0.3 + border * 0.35, y + h, line)
    c.frame(x, y, x + w, y + h, border, line)


def background():
    c = Canvas(529, 337, 2, PALE_YELLOW)
    ochre, soft, line = (236, 214, 130), (250, 240, 176), (214, 196, 128)
    # A calm band along the bottom, rising to the right under the button.
    c.polygon([(0, 312), (200, 302), (529, 250), (529, 337), (0, 337)], soft)
    c.polygon([(0, 326), (220, 318), (529, 282), (529, 337), (0, 337)], ochre, 0.55)
    # Collected workbooks, fanned out ...
    for i, (dx, dy) in enumerate([(0, 18), (14, 9), (28, 0)]):
        sheet(c, 40 + dx, 58 + dy, 92, 118, (226, 216, 150), line, 7,
              paper=(255, 252, 226 + 8 * i))
    # ... an arrow ...
    c.polygon([(172, 118), (198, 118), (198, 108), (216, 126), (198, 144), (198, 134),
               (172, 134)], ochre)
    # ... into one list with a row for each of them.
    sheet(c, 226, 50, 52, 150, (170, 200, 150), line, 10, paper=(255, 255, 246))
    return c


def icon(size):
    c = Canvas(size, size, 4, (0, 0, 0, 0))
    k = size / 32
    green, line = (64, 140, 84), (120, 120, 110)
    c.rect(2 * k, 2 * k, 21 * k, 25 * k, (236, 226, 170))
    c.frame(2 * k, 2 * k, 21 * k, 25 * k, max(1.0, k), line)
    sheet(c, 9 * k, 7 * k, 21 * k, 23 * k, green, line, 5, border=max(1.0, k))
    return c


def bmp(rows, behind=PALE_YELLOW):
    """A Windows bitmap; transparent parts are laid on the colour behind, as
    a static picture control draws no transparency. The drawings use few
    colours, so they are stored with a palette and run-length encoded."""
    h, w = len(rows), len(rows[0])
    flat = []
    for row in rows:
        line = []
        for p in row:
            a = p[3] / 255 if len(p) == 4 else 1.0
            line.append(tuple(round(p[i] * a + behind[i] * (1 - a)) for i in range(3)))
        flat.append(line)
    palette = sorted({p for line in flat for p in line})
    if len(palette) > 256:
        raise ValueError("more colours than a palette holds")
    index = {p: i for i, p in enumerate(palette)}
    data = bytearray()
    for line in reversed(flat):
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 255 and line[x + run] == line[x]:
                run += 1
            data.extend((run, index[line[x]]))
            x += run
        data.extend((0, 0))
    data[-2:] = bytes((0, 1))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(data), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + colours + bytes(data)


def ico(canvases):
    """An icon file with one image a size, smallest first: 32-bit colour
    with alpha and an empty mask, or for 256 pixels a PNG image, which the
    system reads since Windows Vista and which keeps the file small."""
    images = []
    for c in canvases:
        if c.w >= 256:
            images.append((c.w, c.h, c.png()))
            continue
        rows = c.pixels()
        h, w = len(rows), len(rows[0])
        colour = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                colour.extend((b, g, r, a))
        mask = bytes(((w + 31) // 32) * 4 * h)
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(colour) + len(mask),
                           0, 0, 0, 0)
        images.append((w, h, info + bytes(colour) + mask))
    entries, offset = b"", 6 + 16 * len(images)
    for w, h, image in images:
        # A side of 256 is written 0, as the byte holds no more.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return (struct.pack("<HHH", 0, 1, len(images)) + entries
            + b"".join(image for _, _, image in images))


# The sizes of the desktop's icon theme (hicolor) and of the Windows icon.
THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 24, 32, 48, 256)


def main():
    root = Path(__file__).resolve().parents[2]
    args = sys.argv[1:] + [None] * 3
    out = Path(args[0] or root / "src/qt/art")
    win = Path(args[1] or root / "src/win32/art")
    theme = Path(args[2] or root / "packaging/linux/icons")
    back, small = background(), icon(23)
    icons = {n: icon(n) for n in sorted(set(THEME_SIZES) | set(ICO_SIZES))}
    out.mkdir(parents=True, exist_ok=True)
    (out / "background.png").write_bytes(back.png())
    (out / "icon.png").write_bytes(icons[32].png())
    (out / "image1.png").write_bytes(small.png())
    win.mkdir(parents=True, exist_ok=True)
    (win / "background.bmp").write_bytes(bmp(back.pixels()))
    (win / "icon.ico").write_bytes(ico([icons[n] for n in ICO_SIZES]))
    (win / "image1.bmp").write_bytes(bmp(small.pixels()))
    # Named by size only: the install gives each the application's id.
    theme.mkdir(parents=True, exist_ok=True)
    for n in THEME_SIZES:
        (theme / f"mokuji-{n}.png").write_bytes(icons[n].png())


if __name__ == "__main__":
    main()
