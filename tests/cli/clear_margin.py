# Turns an 8-bit RGB PNG into RGBA whose margin is transparent black, as some screenshot tools store it.
# Usage: clear_margin.py IN.png OUT.png LEFT TOP RIGHT BOTTOM (margin widths in pixels)
import struct, sys, zlib

data = open(sys.argv[1], "rb").read()
left, top, right, bottom = map(int, sys.argv[3:7])
w, h = struct.unpack(">II", data[16:24])
assert data[24:26] == bytes([8, 2]), "expects 8-bit RGB"
pos, idat = 8, b""
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    idat += data[pos + 8:pos + 8 + n] if kind == b"IDAT" else b""
    pos += n + 12
raw, stride, prev, out = zlib.decompress(idat), 3 * w + 1, bytearray(3 * w), bytearray()
for y in range(h):
    f, row = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
    for i in range(3 * w):  # undo the row's filter
        a, b, c = (row[i - 3] if i >= 3 else 0), prev[i], (prev[i - 3] if i >= 3 else 0)
        pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
        paeth = a if pa <= pb and pa <= pc else b if pb <= pc else c
        row[i] = (row[i] + (0, a, b, (a + b) // 2, paeth)[f]) & 255
    prev = row
    out.append(0)
    for x in range(w):
        inside = left <= x < w - right and top <= y < h - bottom
        out += row[3 * x:3 * x + 3] + b"\xff" if inside else b"\0\0\0\0"


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


open(sys.argv[2], "wb").write(data[:8] + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
                              chunk(b"IDAT", zlib.compress(bytes(out))) + chunk(b"IEND", b""))
