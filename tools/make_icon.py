# Draws the Kovalt watchdog icon (16x16 + 24x24, 32-bit BMP entries) into app/kovalt.ico; run: python3 tools/make_icon.py
import math
import os
import struct

SS = 4  # supersamples per pixel axis (anti-aliasing of the round shapes)


def in_rounded_square(x, y, s, r):
    """True if point (x, y) lies inside an s-by-s square with corner radius r."""
    cx = min(max(x, r), s - r)
    cy = min(max(y, r), s - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def sample(x, y, s):
    """Colour (r, g, b, a) of the design at continuous point (x, y) for size s."""
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


def render(s):
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


def bmp_entry(s):
    """BITMAPINFOHEADER + bottom-up BGRA pixels + bottom-up 1-bpp AND mask."""
    rows = render(s)
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


def main():
    sizes = (16, 24)
    images = [bmp_entry(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "app", "kovalt.ico")
    with open(path, "wb") as f:
        f.write(out)
    print("wrote %s (%d bytes)" % (path, len(out)))


if __name__ == "__main__":
    main()
