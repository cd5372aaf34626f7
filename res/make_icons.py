#!/usr/bin/env python3
"""Draws the nine 32x22 toolbar images as PNG files (standard library only)."""
import os
import struct
import zlib

W, H = 32, 22
BG = None  # transparent


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * W for _ in range(H)]

    def dot(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.px[y][x] = c + (255,) if len(c) == 3 else c

    def rect(self, x, y, w, h, c):
        for j in range(y, y + h):
            for i in range(x, x + w):
                self.dot(i, j, c)

    def frame(self, x, y, w, h, c):
        for i in range(x, x + w):
            self.dot(i, y, c)
            self.dot(i, y + h - 1, c)
        for j in range(y, y + h):
            self.dot(x, j, c)
            self.dot(x + w - 1, j, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def circle(self, cx, cy, r, c, fill=False):
        for j in range(-r, r + 1):
            for i in range(-r, r + 1):
                d = i * i + j * j
                if (fill and d <= r * r) or (not fill and r * r - r <= d <= r * r + r):
                    self.dot(cx + i, cy + j, c)

    def text(self, x, y, s, c):
        for ch in s:
            rows = FONT[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == "#":
                        self.dot(x + i, y + j, c)
            x += len(rows[0]) + 1

    def png(self, path):
        raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in self.px)

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0))
        data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(data)


FONT = {
    "C": ["###", "#..", "#..", "#..", "###"],
    "O": ["###", "#.#", "#.#", "#.#", "###"],
    "M": ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    "L": ["#..", "#..", "#..", "#..", "###"],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "?": ["###", "..#", ".##", "...", ".#."],
}

BLACK = (0, 0, 0)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
WHITE = (255, 255, 255)
BLUE = (0, 0, 160)
RED = (200, 0, 0)
GREEN = (0, 140, 0)
YELLOW = (230, 200, 40)


def save_icon():
    c = Canvas()
    c.rect(9, 3, 14, 16, BLUE)
    c.rect(12, 3, 8, 6, LIGHT)
    c.rect(17, 4, 2, 4, BLUE)
    c.rect(11, 11, 10, 7, WHITE)
    c.frame(9, 3, 14, 16, BLACK)
    return c


def open_icon():
    c = Canvas()
    c.rect(7, 6, 8, 3, YELLOW)
    c.rect(7, 8, 18, 11, YELLOW)
    c.frame(7, 8, 18, 11, BLACK)
    c.line(7, 6, 14, 6, BLACK)
    c.line(7, 6, 7, 8, BLACK)
    c.line(14, 6, 15, 8, BLACK)
    c.line(19, 4, 24, 4, GREEN)
    c.line(24, 4, 24, 7, GREEN)
    return c


def print_icon():
    c = Canvas()
    c.rect(11, 2, 10, 7, WHITE)
    c.frame(11, 2, 10, 7, BLACK)
    c.rect(7, 9, 18, 8, LIGHT)
    c.frame(7, 9, 18, 8, BLACK)
    c.rect(11, 15, 10, 5, WHITE)
    c.frame(11, 15, 10, 5, BLACK)
    c.dot(22, 11, GREEN)
    return c


def com_icon():
    c = Canvas()
    c.rect(6, 4, 20, 9, LIGHT)
    c.frame(6, 4, 20, 9, BLACK)
    for x in (9, 13, 17, 21):
        c.dot(x, 7, BLACK)
        c.dot(x + 1, 9, BLACK)
    c.text(10, 15, "COM", BLUE)
    return c


def onoff_icon():
    c = Canvas()
    c.circle(16, 12, 7, GREEN)
    c.rect(15, 2, 3, 9, (0, 0, 0, 0))
    c.rect(16, 2, 1, 9, GREEN)
    c.rect(15, 3, 1, 7, GREEN)
    return c


def undozoom_icon():
    c = Canvas()
    c.circle(13, 9, 6, BLACK)
    c.line(13 - 3, 9, 13 + 3, 9, BLACK)
    c.line(17, 14, 22, 19, BLACK)
    c.line(18, 14, 23, 19, BLACK)
    return c


def clearscreen_icon():
    c = Canvas()
    c.rect(6, 3, 20, 13, WHITE)
    c.frame(6, 3, 20, 13, BLACK)
    c.line(8, 12, 12, 8, GREEN)
    c.line(12, 8, 16, 11, GREEN)
    c.line(16, 11, 23, 5, GREEN)
    c.line(9, 6, 22, 14, RED)
    c.line(9, 14, 22, 6, RED)
    c.rect(13, 16, 6, 2, GREY)
    return c


def clearall_icon():
    c = Canvas()
    c.text(7, 3, "CLR", RED)
    c.text(11, 11, "A", BLACK)
    c.line(6, 18, 26, 18, BLACK)
    c.line(6, 19, 26, 19, GREY)
    return c


def contents_icon():
    c = Canvas()
    c.rect(9, 2, 14, 18, WHITE)
    c.frame(9, 2, 14, 18, BLUE)
    c.text(14, 8, "?", BLUE)
    c.rect(13, 5, 6, 1, GREY)
    return c


ICONS = [
    ("save", save_icon),
    ("open", open_icon),
    ("print", print_icon),
    ("selectcom", com_icon),
    ("onoff", onoff_icon),
    ("undozoom", undozoom_icon),
    ("clearscreen", clearscreen_icon),
    ("clearall", clearall_icon),
    ("contents", contents_icon),
]

if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    for name, draw in ICONS:
        draw().png(os.path.join(out, name + ".png"))
