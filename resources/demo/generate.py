#!/usr/bin/env python3
# Regenerates the demo web's binary files (pictures, sound), its response-header files and manifest.tsv.
# The pages, stylesheets and script under files/ are written by hand; run this after editing one of them so
# that the Content-Length and ETag of its header file follow. Needs cjpeg (Debian: libjpeg-turbo-progs).
import hashlib
import math
import pathlib
import struct
import subprocess
import tempfile
import zlib
from datetime import datetime, timedelta, timezone

DEMO = pathlib.Path(__file__).resolve().parent
FILES = DEMO / "files"
HEADERS = DEMO / "headers"

NGINX = ["Server: nginx/1.24.0"]
STATIC = NGINX + ["Cache-Control: public, max-age=604800", "Accept-Ranges: bytes"]
APACHE = ["Server: Apache/2.4.57 (Debian)", "Vary: Accept-Encoding"]
PHP = ["X-Powered-By: PHP/8.2.7", "Cache-Control: private, max-age=600"]
JETTY = ["Server: Jetty(10.0.15)", "Accept-Ranges: bytes"]

HTML_UTF8 = "text/html; charset=utf-8"
HTML_APACHE = "text/html; charset=UTF-8"

# URL, file under files/, content type, last-sync time, server's own header lines, whether the response is a
# static file (Last-Modified and ETag).
ENTRIES = [
    ("http://www.example.com/", "www.example.com/index.html", HTML_UTF8,
     "2026-11-28T08:15:42.120Z", NGINX, True),
    ("http://www.example.com/visit.html", "www.example.com/visit.html", "text/html",
     "2026-11-20T17:03:11.004Z", NGINX, True),
    ("http://www.example.com/about/history.html", "www.example.com/about/history.html", HTML_UTF8,
     "2026-06-14T09:41:05.500Z", NGINX, True),
    ("http://www.example.com/about/team/people.html", "www.example.com/about/team/people.html", HTML_UTF8,
     "2026-06-14T09:41:37.250Z", NGINX, True),
    ("http://www.example.com/menu/teas/green.html", "www.example.com/menu/teas/green.html", HTML_UTF8,
     "2026-10-02T12:30:00.000Z", NGINX, True),
    ("http://www.example.com/menu/teas/black.html", "www.example.com/menu/teas/black.html", HTML_UTF8,
     "2026-10-02T12:31:18.640Z", NGINX, True),
    ("http://www.example.com/menu/cakes.html", "www.example.com/menu/cakes.html", HTML_UTF8,
     "2026-09-17T15:22:49.310Z", NGINX, True),
    ("http://www.example.com/contact/thanks.html", "www.example.com/contact/thanks.html", HTML_UTF8,
     "2026-08-05T19:58:03.870Z", NGINX, True),
    ("http://www.example.com/search.php?q=cache", "www.example.com/search.php-q-cache.html", HTML_APACHE,
     "2026-11-28T08:17:20.000Z", NGINX + PHP, False),
    ("HTTP://www.example.com/Specials.html", "www.example.com/Specials.html", "text/html",
     "2026-04-30T07:45:12.900Z", NGINX, True),
    ("https://www.example.com/account/login.html", "www.example.com/account/login.html", HTML_UTF8,
     "2026-11-20T17:05:44.010Z", NGINX + ["Strict-Transport-Security: max-age=31536000"], True),
    ("http://www.example.com/robots.txt", "www.example.com/robots.txt", "text/plain",
     "2026-01-09T22:10:30.000Z", NGINX, True),
    ("http://static.example.com/css/site.css", "static.example.com/css/site.css", "text/css",
     "2026-11-28T08:15:42.480Z", STATIC, True),
    ("http://static.example.com/js/menu.js", "static.example.com/js/menu.js", "text/javascript",
     "2026-11-28T08:15:42.530Z", STATIC, True),
    ("http://static.example.com/img/logo.gif", "static.example.com/img/logo.gif", "image/gif",
     "2026-11-28T08:15:42.610Z", STATIC, True),
    ("http://static.example.com/img/icons/leaf.png", "static.example.com/img/icons/leaf.png", "image/png",
     "2026-06-14T09:41:05.900Z", STATIC, True),
    ("http://static.example.com/img/photos/teapot.jpg", "static.example.com/img/photos/teapot.jpg", "image/jpeg",
     "2026-03-12T10:02:33.700Z", STATIC, True),
    ("http://news.example.org/", "news.example.org/index.html", HTML_APACHE,
     "2026-05-02T11:20:15.000Z", APACHE, True),
    ("http://news.example.org/2026/03/tea-house-opens.html", "news.example.org/2026/03/tea-house-opens.html",
     HTML_APACHE, "2026-03-12T10:02:31.250Z", APACHE, True),
    ("http://news.example.org/2026/05/spring-festival.html", "news.example.org/2026/05/spring-festival.html",
     HTML_APACHE, "2026-05-02T11:21:40.800Z", APACHE, True),
    ("http://news.example.org/archive.php?year=2026&month=5", "news.example.org/archive.php-year-2026-month-5.html",
     HTML_APACHE, "2026-05-28T16:44:09.330Z", APACHE + PHP, False),
    ("http://news.example.org/style/news.css", "news.example.org/style/news.css", "text/css",
     "2026-03-12T10:02:31.420Z", APACHE, True),
    ("http://news.example.org/img/masthead.png", "news.example.org/img/masthead.png", "image/png",
     "2026-03-12T10:02:31.600Z", APACHE, True),
    ("http://media.example.net:8080/player.html?clip=kettle", "media.example.net-8080/player.html", "text/html",
     "2026-07-21T06:58:20.040Z", JETTY, False),
    ("http://media.example.net:8080/audio/kettle.wav", "media.example.net-8080/audio/kettle.wav", "audio/x-wav",
     "2026-07-21T06:58:27.150Z", JETTY, True),
]


# ---- pictures and sound -------------------------------------------------------------------------------------

def Rgb(hexColour):
    return tuple(int(hexColour[i:i + 2], 16) for i in (1, 3, 5))


def LzwCodes(indices, minCodeSize):
    """GIF's variable-width LZW, packed little-endian into bytes (giflib's rules for growing the code width)."""
    clear, end = 1 << minCodeSize, (1 << minCodeSize) + 1
    out, bitBuffer, bitCount = bytearray(), 0, 0
    width, nextCode, table = minCodeSize + 1, end + 1, {}

    def Emit(code):
        nonlocal bitBuffer, bitCount, width
        bitBuffer |= code << bitCount
        bitCount += width
        while bitCount >= 8:
            out.append(bitBuffer & 0xFF)
            bitBuffer >>= 8
            bitCount -= 8
        if nextCode >= (1 << width) and width < 12:
            width += 1

    Emit(clear)
    prefix = (indices[0],)
    for pixel in indices[1:]:
        candidate = prefix + (pixel,)
        if candidate in table:
            prefix = candidate
            continue
        Emit(table[prefix] if len(prefix) > 1 else prefix[0])
        if nextCode >= 4095:
            Emit(clear)
            width, nextCode, table = minCodeSize + 1, end + 1, {}
        else:
            table[candidate] = nextCode
            nextCode += 1
        prefix = (pixel,)
    Emit(table[prefix] if len(prefix) > 1 else prefix[0])
    Emit(end)
    if bitCount:
        out.append(bitBuffer & 0xFF)
    return bytes(out)


def Gif(width, height, palette, indices):
    bitsPerIndex = max(2, math.ceil(math.log2(len(palette))))
    colours = palette + [(0, 0, 0)] * ((1 << bitsPerIndex) - len(palette))
    data = LzwCodes(indices, bitsPerIndex)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | (bitsPerIndex - 1), 0, 0)
            + b"".join(bytes(c) for c in colours)
            + b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
            + bytes([bitsPerIndex]) + blocks + b"\x00" + b"\x3b")


def Png(width, height, rows, colourType, channels):
    def Chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel[:channels]) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + Chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colourType, 0, 0, 0))
            + Chunk(b"IDAT", zlib.compress(raw, 9)) + Chunk(b"IEND", b""))


def Jpeg(width, height, rows):
    ppm = f"P6 {width} {height} 255\n".encode() + b"".join(bytes(v for pixel in row for v in pixel) for row in rows)
    with tempfile.NamedTemporaryFile(suffix=".ppm") as source:
        source.write(ppm)
        source.flush()
        return subprocess.run(["cjpeg", "-quality", "85", "-optimize", source.name],
                              check=True, capture_output=True).stdout


def LogoGif():
    """A cream teacup with steam on the house green."""
    palette = [Rgb("#3d5a40"), Rgb("#f7f1e6"), Rgb("#8b5a2b"), Rgb("#c9b89a")]
    indices = []
    for y in range(32):
        for x in range(32):
            colour = 0
            inCup = 14 <= y <= 26 and (x - 14) ** 2 / 100 + (y - 14) ** 2 / 156 <= 1
            ring = 6 <= ((x - 25) ** 2 + (y - 19) ** 2) <= 14
            steam = 3 <= y <= 11 and x in (10 + round(math.sin(y / 2)), 16 + round(math.sin(y / 2 + 1)))
            if inCup:
                colour = 1
            elif ring and x > 24:
                colour = 1
            elif steam:
                colour = 3
            if y == 27 and 6 <= x <= 24:
                colour = 2
            indices.append(colour)
    return Gif(32, 32, palette, indices)


def LeafPng():
    """A green leaf with its midrib on a transparent ground."""
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            u, v = (x - y) / math.sqrt(2), (x + y - 15) / math.sqrt(2)
            if abs(v) < 0.6 and -9 < u < 5.5:
                row.append((0x2e, 0x4d, 0x2c, 255))
            elif ((u - 0.8) / 7.2) ** 2 + (v / 3.6) ** 2 <= 1:
                shade = int(40 * (1 + u / 7.2))
                row.append((0x4f + shade // 2, 0x8a + shade // 3, 0x3c, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return Png(16, 16, rows, 6, 4)


FONT = {
    "H": ["101", "101", "111", "101", "101"], "A": ["010", "101", "111", "101", "101"],
    "R": ["110", "101", "110", "101", "101"], "B": ["110", "101", "110", "101", "110"],
    "O": ["010", "101", "101", "101", "010"], "U": ["101", "101", "101", "101", "111"],
    "G": ["011", "100", "101", "101", "011"], "Z": ["111", "001", "010", "100", "111"],
    "E": ["111", "100", "110", "100", "111"], "T": ["111", "010", "010", "010", "010"],
    " ": ["000"] * 5,
}


def MastheadPng():
    """The newspaper's name in block letters above a band of waves."""
    text, ink, paper, sea = "HARBOUR GAZETTE", (0x1c, 0x2a, 0x44), (0xff, 0xfd, 0xf8), (0x3f, 0x6e, 0x9a)
    rows = []
    for y in range(24):
        row = []
        for x in range(120):
            colour = paper
            glyphRow, glyphColumn = (y - 3) // 2, (x % 8) // 2
            if 0 <= glyphRow < 5 and glyphColumn < 3 and FONT[text[x // 8]][glyphRow][glyphColumn] == "1":
                colour = ink
            if y >= 19 + round(1.5 * math.sin(x / 3)):
                colour = sea
            row.append(colour)
        rows.append(row)
    return Png(120, 24, rows, 2, 3)


def TeapotJpeg():
    """A copper teapot on a warm table."""
    rows = []
    for y in range(48):
        row = []
        for x in range(64):
            colour = (0xe8 - y, 0xd8 - y, 0xbc - y)
            if (x - 32) ** 2 / 256 + (y - 28) ** 2 / 144 <= 1:
                light = max(0, 40 - int(math.hypot(x - 26, y - 22) * 3))
                colour = (min(255, 0xb8 + light), 0x73 + light // 2, 0x33 + light // 3)
            elif 44 <= x <= 56 and abs(y - (30 - (x - 44) * 0.8)) <= 1.5:
                colour = (0xa0, 0x60, 0x28)
            elif 3 <= ((x - 14) ** 2 + (y - 28) ** 2) ** 0.5 <= 6 and x < 17:
                colour = (0x8b, 0x5a, 0x2b)
            elif 28 <= x <= 36 and 12 <= y <= 16:
                colour = (0x8b, 0x5a, 0x2b)
            elif y >= 40:
                colour = (0x6d, 0x4c, 0x30)
            row.append(colour)
        rows.append(row)
    return Jpeg(64, 48, rows)


def KettleWav():
    """Half a second of a whistling kettle: a rising tone that swells and fades, 8 kHz, 8-bit mono."""
    rate, count, phase, samples = 8000, 4000, 0.0, bytearray()
    for i in range(count):
        t = i / count
        phase += 2 * math.pi * (1800 + 600 * t) / rate
        envelope = min(1.0, t * 8) * min(1.0, (1 - t) * 6)
        samples.append(128 + round(90 * envelope * math.sin(phase)))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", count) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---- response headers and manifest ------------------------------------------------------------------------------

def ParseIso(text):
    return datetime.strptime(text, "%Y-%m-%dT%H:%M:%S.%fZ").replace(tzinfo=timezone.utc)


def HttpDate(moment):
    return moment.strftime("%a, %d %b %Y %H:%M:%S GMT")


def HeaderBlock(contentType, synced, serverLines, isStaticFile, content):
    lines = ["HTTP/1.1 200 OK", f"Date: {HttpDate(synced)}"] + serverLines[:1]
    lines += [f"Content-Type: {contentType}", f"Content-Length: {len(content)}"]
    if isStaticFile:
        modified = synced - timedelta(days=3 + len(content) % 40, seconds=len(content) * 7)
        lines += [f"Last-Modified: {HttpDate(modified)}",
                  f'ETag: "{hashlib.sha1(content).hexdigest()[:16]}"']
    lines += serverLines[1:] + ["Connection: keep-alive"]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("ascii")


def Main():
    generated = {
        "static.example.com/img/logo.gif": LogoGif(),
        "static.example.com/img/icons/leaf.png": LeafPng(),
        "static.example.com/img/photos/teapot.jpg": TeapotJpeg(),
        "news.example.org/img/masthead.png": MastheadPng(),
        "media.example.net-8080/audio/kettle.wav": KettleWav(),
    }
    for relative, content in generated.items():
        (FILES / relative).write_bytes(content)

    manifest = []
    for url, relative, contentType, synced, serverLines, isStaticFile in ENTRIES:
        content = (FILES / relative).read_bytes()
        headerFile = HEADERS / (relative + ".headers")
        headerFile.parent.mkdir(parents=True, exist_ok=True)
        headerFile.write_bytes(HeaderBlock(contentType, ParseIso(synced), serverLines, isStaticFile, content))
        manifest.append("\t".join([url, relative, relative + ".headers", synced]))
    (DEMO / "manifest.tsv").write_text("\n".join(manifest) + "\n")


if __name__ == "__main__":
    Main()
