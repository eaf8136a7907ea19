#!/usr/bin/env python3
"""Writes a small theme library's images and resource script for the tests:
flat colours of known sizes, so a test can tell which image was drawn where.

Usage: make_probe_theme.py RASTER_DIR OUTPUT_DIR
"""

import os
import sys

sys.path.insert(0, sys.argv[1])
from raster import Image, rounded_rect  # noqa: E402


def flat(width, height, colour):
    image = Image(width, height)
    image.fill(rounded_rect(0, 0, width, height, 0.0), colour)
    return image


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    lines = []

    def add(rid, kind, name, image):
        path = os.path.join(out_dir, name)
        if kind == "BITMAP":
            image.save_bmp(path, (0, 0, 0))
        else:
            image.save_png(path)
        lines.append('%d %s "%s"' % (rid, kind, path))

    # Key faces (normal, pressed) and the expanded-group mark; no collapsed mark.
    add(219, "BITMAP", "key.bmp", flat(10, 6, (200, 40, 40)))
    add(218, "BITMAP", "key-pressed.bmp", flat(10, 6, (40, 200, 40)))
    add(224, "PNG", "expanded.png", flat(6, 5, (40, 40, 200)))
    # One id both ways, told apart by size; one only as PNG; one that is no image.
    add(500, "BITMAP", "both.bmp", flat(4, 4, (255, 0, 255)))
    add(500, "PNG", "both.png", flat(8, 8, (0, 255, 255)))
    add(501, "PNG", "only.png", flat(7, 3, (250, 250, 0)))
    lines += ["502 PNG", "BEGIN", '  "not an image"', "END"]
    with open(os.path.join(out_dir, "ProbeTheme.rc"), "w") as rc:
        rc.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[2])
