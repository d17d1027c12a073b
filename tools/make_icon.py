# Draws the app icons (16x16 + 24x24, 32-bit BMP entries): app/kovalt.ico (Kovalt watchdog),
# app/browse.ico (open folder + magnifier) and app/folder.ico (closed folder); run: python3 tools/make_icon.py
import math
import os
import struct

SS = 4  # supersamples per pixel axis (anti-aliasing of the round shapes)


def in_rounded_square(x, y, s, r):
    """True if point (x, y) lies inside an s-by-s square with corner radius r."""
    cx = min(max(x, r), s - r)
    cy = min(max(y, r), s - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def kovalt(x, y, s):
    """Colour (r, g, b, a) of the watchdog design at continuous point (x, y) for size s."""
    if not in_rounded_square(x, y, s, s * 0.22):
        return (0, 0, 0, 0)
    # Green "run light" disc, slightly below centre, with darker rim + highlight.
    dcx, dcy, dr = s * 0.5, s * 0.54, s * 0.36
    d = math.hypot(x - dcx, y - dcy)
    if d <= dr:
        if math.hypot(x - (dcx - dr * 0.38), y - (dcy - dr * 0.38)) <= dr * 0.24:
            return (255, 255, 255, 255)
        if d >= dr - s * 0.09:
            return (12, 110, 36, 255)
        return (46, 204, 78, 255)
    # Tiny red "watching" dot in the top-right corner.
    if math.hypot(x - s * 0.80, y - s * 0.19) <= s * 0.095:
        return (235, 40, 40, 255)
    # Dark body with a faint lighter border line.
    if not in_rounded_square(x - s * 0.06, y - s * 0.06, s * 0.88, s * 0.17):
        return (70, 74, 82, 255)
    return (24, 26, 30, 255)


# --- Folder pictures: drawn on a 16-unit grid, corners snapped to whole pixels so edges stay crisp.
LINE = (128, 88, 16, 255)            # dark ochre outline
BACK = ((238, 196, 84), (214, 160, 46))    # folder back / closed body, top -> bottom
FRONT = ((255, 236, 150), (246, 204, 88))  # open folder front flap, top -> bottom
HANDLE = (56, 52, 48, 255)           # magnifier ring + handle
STEPS = ((1, 0), (-1, 0), (0, 1), (0, -1))


def grid(s, pts):
    """Scale 16-grid points to size s and snap them to pixel corners."""
    return [(int(px * s / 16 + 0.5), int(py * s / 16 + 0.5)) for px, py in pts]


def in_poly(x, y, pts):
    """Even-odd point-in-polygon test."""
    inside = False
    for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def shade(x, y, polys, colours, top, bottom):
    """Pixel-snapped shape made of polys: 1 px outline, vertical gradient fill; None outside it."""
    x, y = math.floor(x) + 0.5, math.floor(y) + 0.5  # whole pixels only: crisp at 16 px

    def inside(px, py):
        return any(in_poly(px, py, p) for p in polys)
    if not inside(x, y):
        return None
    if not all(inside(x + dx, y + dy) for dx, dy in STEPS):
        return LINE
    t = min(max((y - top) / max(bottom - top, 1), 0), 1)
    return tuple(int(a + (b - a) * t + 0.5) for a, b in zip(*colours)) + (255,)


def folder_back(x, y, s, right):
    """Tabbed folder back (or whole closed folder) spanning x 1..right of the 16-grid."""
    tab = grid(s, [(1, 2), (6, 2), (7.5, 5), (1, 5)])  # overlaps the body so they merge
    body = grid(s, [(1, 4), (right, 4), (right, 14), (1, 14)])
    return shade(x, y, [tab, body], BACK, body[0][1], body[2][1])


def folder(x, y, s):
    return folder_back(x, y, s, 15) or (0, 0, 0, 0)


def browse(x, y, s):
    """Open folder with a small magnifier over its bottom-right corner."""
    k = s / 16
    cx, cy, r = 11 * k, 10.5 * k, 3.2 * k
    d = math.hypot(x - cx, y - cy)
    px, py = math.floor(x), math.floor(y)
    hx, hy = math.floor(cx + r * 0.7), math.floor(cy + r * 0.7)  # first handle pixel
    if px - py in (hx - hy, hx - hy + 1) and hx + hy <= px + py <= 2 * s:
        return HANDLE  # 2 px wide staircase out to the corner
    if d <= r:
        if d >= r - 1.1 * k:
            return HANDLE  # lens ring
        if math.hypot(x - cx + r * 0.3, y - cy + r * 0.3) <= r * 0.28:
            return (255, 255, 255, 255)
        return (196, 224, 250, 255)
    front = grid(s, [(4, 7), (15, 7), (13, 14), (1, 14)])
    return (shade(x, y, [front], FRONT, front[0][1], front[2][1])
            or folder_back(x, y, s, 13) or (0, 0, 0, 0))


def render(sample, s):
    """Return rows (top to bottom) of (r, g, b, a) pixels, supersampled."""
    rows = []
    for py in range(s):
        row = []
        for px in range(s):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    r, g, b, a = sample(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS, s)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3]
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple((c + a // 2) // a for c in acc[:3]) + ((a + SS * SS // 2) // (SS * SS),))
        rows.append(row)
    return rows


def bmp_entry(sample, s):
    """BITMAPINFOHEADER + bottom-up BGRA pixels + bottom-up 1-bpp AND mask."""
    rows = render(sample, s)
    mask_stride = ((s + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits
    header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(andm)


def write_ico(name, sample, sizes=(16, 24)):
    images = [bmp_entry(sample, s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "app", name)
    with open(path, "wb") as f:
        f.write(out)
    print("wrote %s (%d bytes)" % (path, len(out)))


def main():
    write_ico("kovalt.ico", kovalt)
    write_ico("browse.ico", browse)
    write_ico("folder.ico", folder)


if __name__ == "__main__":
    main()
