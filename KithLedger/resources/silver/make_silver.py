#!/usr/bin/env python3
"""Draws the images of the "Silver" theme library and writes the resource
script that binds them to the ids the views ask for, by the names of the
program's id header.

Usage: make_silver.py OUTPUT_DIR [--screen 480x640|240x320]

Each screen size gets a library of its own, drawn from the same shapes at its
own scale. On 480 x 640 the title-bar buttons are 60 high (with the bar's
L / 160 that makes the L / 10 of the other views), the tab images 38 high (the
tab bar's H / 24 brings it to L / 10, and it is the keypad's row height), the
key face fits a quarter of the width by that row. On 240 x 320 the title-bar
buttons halve to 30, but the texts keep their point sizes: the tab images (and
so the keypad rows) stay 28 high for a key's two caption lines, and the
picture frame keeps the room of a 70 x 70 picture. The contact view's action
faces have the same shape at both sizes, high enough for a caption on two
lines above its number at the phone's DPI (192 at 480 x 640, 96 at 240 x 320).
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Image, Shape, arc, bar, circle, ellipse, intersect, outline, polygon, polyline,  # noqa: E402
                    rotate_points, rounded_rect, segment, shifted, union, vertical)

# The palette of the program's own theme, and the silver of this library.
SLATE = (58, 69, 85)
KEYPAD = (58, 70, 86)
INK = (44, 54, 70)
SILVER_TOP = (244, 246, 249)
SILVER_BOTTOM = (176, 184, 196)
SILVER_EDGE = (112, 122, 138)
GLYPH_LIGHT = (214, 220, 229)
BLUE_TOP = (148, 172, 206)
BLUE_BOTTOM = (84, 106, 140)
GOLD = (246, 196, 64)
GOLD_EDGE = (176, 120, 24)


class Screen:
    """Scale (pixels per design unit) of each kind of image, and the design
    sizes of those whose proportions change with the screen."""

    def __init__(self, title, tab, icon, mark, frame, small, action, name, key):
        self.title, self.tab, self.icon, self.mark, self.frame, self.small = title, tab, icon, mark, frame, small
        self.action, self.name, self.key = action, name, key   # (width, height, scale)


SCREENS = {
    "480x640": Screen(title=1.0, tab=1.0, icon=1.0, mark=1.0, frame=1.0, small=1.0,
                      action=(212, 76, 1.0), name=(300, 40, 1.0), key=(112, 34, 1.0)),
    "240x320": Screen(title=0.5, tab=28 / 38.0, icon=0.6, mark=0.5, frame=1.0, small=0.85,
                      action=(212, 76, 0.5), name=(256, 64, 0.5), key=(112, 52, 0.5)),
}
SCREEN = SCREENS["480x640"]


class Box:
    """Maps a glyph's unit square onto a square of pixels."""

    def __init__(self, x, y, size):
        self.x, self.y, self.size = x, y, size

    def p(self, ux, uy):
        return self.x + ux * self.size, self.y + uy * self.size

    def pts(self, points):
        return [self.p(x, y) for x, y in points]

    def s(self, u):
        return u * self.size


def grown(shape, by):
    return Shape(lambda x, y: shape.sd(x, y) - by, (shape.box[0] - by, shape.box[1] - by,
                                                    shape.box[2] + by, shape.box[3] + by))


def with_badge(base, badge, clearance):
    """The badge over the base, with a gap cut around it."""
    return union(base - grown(badge, clearance), badge)


# Glyphs: each returns one shape inside its box, details cut out of it so it
# reads in a single colour on any background.

def handset(b):
    # The handle bows to the lower left; the ear and mouth pads stand inwards
    # from its ends, towards the face.
    cx, cy = b.p(0.96, 0.04)

    def pad(angle):
        a = math.radians(angle)
        inner, outer = b.s(0.36), b.s(0.74)
        return bar(cx + inner * math.cos(a), cy + inner * math.sin(a),
                   cx + outer * math.cos(a), cy + outer * math.sin(a), b.s(0.17), b.s(0.09))

    return union(arc(cx, cy, b.s(0.64), b.s(0.13), 104, 166), pad(101), pad(169))


def envelope(b):
    body = rounded_rect(*b.p(0.06, 0.2), *b.p(0.94, 0.8), b.s(0.07))
    flap = polyline(b.pts([(0.08, 0.24), (0.5, 0.56), (0.92, 0.24)]), b.s(0.045))
    return body - flap


def star(b, inner=0.42):
    points = []
    for i in range(10):
        angle = math.radians(-90 + 36 * i)
        r = 0.48 if i % 2 == 0 else 0.48 * inner
        points.append((0.5 + r * math.cos(angle), 0.54 + r * math.sin(angle)))
    return polygon(b.pts(points))


def person(b):
    head = circle(*b.p(0.5, 0.3), b.s(0.19))
    shoulders = intersect(ellipse(*b.p(0.5, 0.98), b.s(0.4), b.s(0.42)),
                          rounded_rect(*b.p(0.0, 0.5), *b.p(1.0, 0.92), b.s(0.06)))
    return union(head, shoulders - grown(head, b.s(0.05)))


def plus(b):
    r = b.s(0.09)
    return union(segment(*b.p(0.5, 0.12), *b.p(0.5, 0.88), r), segment(*b.p(0.12, 0.5), *b.p(0.88, 0.5), r))


def arrow(b, angle):
    """A bold arrow pointing at the angle (degrees, 0 = right, y down)."""
    points = [(0.12, 0.42), (0.5, 0.42), (0.5, 0.2), (0.9, 0.5), (0.5, 0.8), (0.5, 0.58), (0.12, 0.58)]
    return polygon(b.pts(rotate_points(points, angle, 0.5, 0.5)))


def missed_mark(b):
    # Down into the call, and bounced back out.
    return polyline(b.pts([(0.12, 0.28), (0.42, 0.66), (0.62, 0.42), (0.9, 0.72)]), b.s(0.08)) | \
        polygon(b.pts([(0.66, 0.22), (0.92, 0.22), (0.92, 0.48)]))


def cross(b):
    r = b.s(0.11)
    return segment(*b.p(0.2, 0.2), *b.p(0.8, 0.8), r) | segment(*b.p(0.8, 0.2), *b.p(0.2, 0.8), r)


def letter_a(b):
    r = b.s(0.1)
    return polyline(b.pts([(0.18, 0.9), (0.5, 0.1), (0.82, 0.9)]), r) | segment(*b.p(0.32, 0.62), *b.p(0.68, 0.62), r)


def briefcase(b):
    body = rounded_rect(*b.p(0.06, 0.3), *b.p(0.94, 0.86), b.s(0.08))
    handle = outline(rounded_rect(*b.p(0.34, 0.14), *b.p(0.66, 0.38), b.s(0.06)), b.s(0.05))
    seam = rounded_rect(*b.p(0.0, 0.52), *b.p(1.0, 0.57), 0.5)
    return union(body - seam, intersect(handle, rounded_rect(*b.p(0, 0), *b.p(1, 0.3), 0.5)))


def tag(b):
    shape = polygon(b.pts([(0.1, 0.1), (0.52, 0.1), (0.92, 0.5), (0.52, 0.92), (0.1, 0.5)]))
    return shape - circle(*b.p(0.3, 0.3), b.s(0.08))


def house(b):
    roof = polygon(b.pts([(0.5, 0.08), (0.96, 0.5), (0.04, 0.5)]))
    body = rounded_rect(*b.p(0.16, 0.42), *b.p(0.84, 0.92), b.s(0.03))
    door = rounded_rect(*b.p(0.42, 0.62), *b.p(0.58, 0.96), b.s(0.02))
    return union(roof, body) - door


def mobile(b):
    body = rounded_rect(*b.p(0.26, 0.04), *b.p(0.74, 0.96), b.s(0.09))
    screen = rounded_rect(*b.p(0.33, 0.14), *b.p(0.67, 0.62), b.s(0.03))
    keys = union(*[circle(*b.p(0.38 + 0.12 * i, 0.72 + 0.1 * j), b.s(0.035)) for i in range(3) for j in range(2)])
    return body - screen - keys


def photo(b):
    frame = outline(rounded_rect(*b.p(0.08, 0.18), *b.p(0.92, 0.82), b.s(0.06)), b.s(0.05))
    hills = polygon(b.pts([(0.14, 0.76), (0.4, 0.44), (0.56, 0.62), (0.68, 0.5), (0.86, 0.76)]))
    sun = circle(*b.p(0.68, 0.34), b.s(0.08))
    return union(frame, hills, sun)


def chevron_back(b):
    return polygon(b.pts([(0.1, 0.5), (0.5, 0.14), (0.5, 0.36), (0.9, 0.36), (0.9, 0.64), (0.5, 0.64),
                          (0.5, 0.86)]))


def reply(b):
    head = polygon(b.pts([(0.08, 0.42), (0.42, 0.14), (0.42, 0.7)]))
    tail = arc(*b.p(0.42, 0.86), b.s(0.44), b.s(0.09), 270, 360)
    return union(head, tail)


def menu_lines(b):
    r = b.s(0.07)
    return union(*[segment(*b.p(0.18, y), *b.p(0.82, y), r) for y in (0.26, 0.5, 0.74)])


def contact_card(b):
    card = rounded_rect(*b.p(0.02, 0.18), *b.p(0.98, 0.82), b.s(0.08))
    face = person(Box(*b.p(0.1, 0.28), b.s(0.36)))
    lines = union(*[segment(*b.p(0.54, y), *b.p(0.86, y), b.s(0.035)) for y in (0.38, 0.5, 0.62)])
    return card - grown(face, b.s(0.0)) - lines


def pencil(b):
    body = [(0.2, 0.62), (0.66, 0.16), (0.84, 0.34), (0.38, 0.8)]
    tip = [(0.2, 0.62), (0.38, 0.8), (0.1, 0.9)]
    groove = segment(*b.p(0.25, 0.67), *b.p(0.33, 0.75), b.s(0.02))
    return (polygon(b.pts(body)) | polygon(b.pts(tip))) - groove


def triangle(b, angle):
    points = rotate_points([(0.2, 0.14), (0.86, 0.5), (0.2, 0.86)], angle, 0.5, 0.5)
    return polygon(b.pts(points))


# Plates and the way a glyph sits on them.

def draw_glyph(image, glyph, colour, shadow=None):
    if shadow:
        image.fill(shifted(glyph, 0, 1), shadow, opacity=0.55)
    image.fill(glyph, colour)


def silver_plate(image, x0, y0, x1, y1, radius, top=SILVER_TOP, bottom=SILVER_BOTTOM, edge=SILVER_EDGE):
    plate = rounded_rect(x0, y0, x1, y1, radius)
    image.fill(shifted(plate, 0, 1), (0, 0, 0), opacity=0.25)
    image.fill(plate, edge)
    inner = rounded_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1)
    image.fill(inner, vertical(top, bottom, y0, y1))
    # A gloss over the upper half.
    gloss = intersect(inner, rounded_rect(x0, y0, x1, (y0 + y1) / 2.0, 0.5))
    image.fill(gloss, (255, 255, 255), opacity=0.22)


def title_button(glyph_fn, pressed, glyph_colour=None):
    image = Image(60, 60, scale=SCREEN.title)
    if pressed:
        silver_plate(image, 6, 6, 54, 54, 11, BLUE_TOP, BLUE_BOTTOM, (60, 76, 100))
        colour = glyph_colour or (255, 255, 255)
    else:
        silver_plate(image, 6, 6, 54, 54, 11)
        colour = glyph_colour or INK
    draw_glyph(image, glyph_fn(Box(16, 16, 28)), colour)
    return image


def favourite_button(filled):
    image = Image(60, 60, scale=SCREEN.title)
    silver_plate(image, 6, 6, 54, 54, 11)
    shape = star(Box(14, 13, 32))
    if filled:
        image.fill(shape, GOLD_EDGE)
        image.fill(grown(shape, -1.4), vertical((255, 226, 120), GOLD, 14, 44))
    else:
        image.fill(outline(shape, 1.6), INK)
    return image


def tab_image(glyph_fn, state, badge_fn=None):
    """state: 'normal' (bare glyph), 'selected' (silver plate), 'highlighted' (blue plate)."""
    image = Image(64, 38, scale=SCREEN.tab)
    # A badge takes the lower right; the glyph steps aside for it.
    glyph = glyph_fn(Box(13 if badge_fn else 17, 4, 30))
    if badge_fn:
        glyph = with_badge(glyph, badge_fn(Box(36, 17, 19)), 1.8)
    if state == "normal":
        draw_glyph(image, glyph, GLYPH_LIGHT, shadow=(0, 0, 0))
    elif state == "selected":
        silver_plate(image, 2, 1, 62, 37, 9)
        draw_glyph(image, glyph, INK)
    else:
        silver_plate(image, 2, 1, 62, 37, 9, (206, 224, 248), (132, 162, 204), (70, 96, 136))
        draw_glyph(image, glyph, (24, 40, 72))
    return image


def call_tab(bright):
    image = Image(64, 38, scale=SCREEN.tab)
    top, bottom = ((132, 214, 122), (52, 150, 60)) if bright else ((104, 188, 98), (34, 118, 46))
    silver_plate(image, 2, 1, 62, 37, 9, top, bottom, (24, 84, 32))
    draw_glyph(image, handset(Box(18, 4, 30)), (255, 255, 255), shadow=(0, 60, 0))
    return image


def list_icon(glyph_fn, colour):
    image = Image(30, 30, scale=SCREEN.icon)
    glyph = glyph_fn(Box(3, 3, 24))
    image.fill(grown(glyph, 1.2), (20, 26, 34), opacity=0.6)
    image.fill(glyph, colour)
    return image


def group_mark(angle):
    image = Image(24, 24, scale=SCREEN.mark)
    draw_glyph(image, triangle(Box(5, 5, 14), angle), (226, 232, 240), shadow=(0, 0, 0))
    return image


def dark_plate(image, x0, y0, x1, y1, radius, pressed):
    top, bottom = ((128, 156, 198), (78, 102, 140)) if pressed else ((96, 114, 140), (60, 73, 93))
    plate = rounded_rect(x0, y0, x1, y1, radius)
    image.fill(shifted(plate, 0, 1), (0, 0, 0), opacity=0.3)
    image.fill(plate, (156, 170, 190) if not pressed else (190, 208, 232))
    inner = rounded_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1)
    image.fill(inner, vertical(top, bottom, y0, y1))
    gloss = intersect(inner, rounded_rect(x0, y0, x1, y0 + (y1 - y0) * 0.45, 0.5))
    image.fill(gloss, (255, 255, 255), opacity=0.12)


def action_button(glyph_fn, pressed):
    # The caption is drawn from 36 pixels in: the glyph keeps 5 pixels to the
    # left of it, whatever the scale.
    width, height, scale = SCREEN.action
    image = Image(width, height, scale=scale)
    dark_plate(image, 1, 1, width - 1, height - 2, 10, pressed)
    glyph = min(36, 31 / scale - 5)
    draw_glyph(image, glyph_fn(Box(5, (height - glyph) / 2.0 - 1, glyph)), (236, 240, 246), shadow=(0, 0, 0))
    return image


def name_button():
    width, height, scale = SCREEN.name
    image = Image(width, height, scale=scale)
    dark_plate(image, 1, 1, width - 1, height - 2, 9, False)
    return image


def picture_frame():
    image = Image(84, 84, scale=SCREEN.frame)
    silver_plate(image, 1, 1, 83, 82, 10)
    image.fill(rounded_rect(7, 7, 77, 77, 4), vertical((52, 62, 78), (36, 44, 56), 7, 77))
    image.fill(person(Box(17, 17, 50)), (78, 92, 112))
    return image


def small_button(glyph_fn, pressed):
    image = Image(64, 26, scale=SCREEN.small)
    if pressed:
        silver_plate(image, 1, 1, 63, 25, 7, BLUE_TOP, BLUE_BOTTOM, (60, 76, 100))
        colour = (255, 255, 255)
    else:
        silver_plate(image, 1, 1, 63, 25, 7)
        colour = INK
    draw_glyph(image, glyph_fn(Box(22, 3, 20)), colour)
    return image


def key_face(pressed):
    width, height, scale = SCREEN.key
    image = Image(width, height, KEYPAD, scale)
    if pressed:
        silver_plate(image, 1, 1, width - 1, height - 1, 7, (170, 190, 216), (118, 138, 168), (64, 80, 104))
    else:
        silver_plate(image, 1, 1, width - 1, height - 1, 7)
    return image


# The image ids, by name, from the header the code reads them from.
IDS_HEADER = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "app",
                                          "services", "VelKlResourceIds.h"))
ID_PREFIX = "VEL_IDB_"


def image_ids(header):
    ids = {}
    with open(header) as text:
        for line in text:
            words = line.split()
            if len(words) == 3 and words[0] == "#define" and words[1].startswith(ID_PREFIX):
                ids[words[1]] = int(words[2])
    return ids


# id name (without its prefix) -> (file name, kind, drawing). Kind "bmp"
# images are opaque (drawn over the flat keypad colour); every other image is
# a PNG with alpha.
def catalogue():
    items = {}

    def add(ids, name, kind, make, states=("normal", "selected", "highlighted")):
        extension = "bmp" if kind == "bmp" else "png"
        for state, rid in zip(states, ids):
            file_name = "%s.%s" % (name, extension) if len(ids) == 1 else "%s-%s.%s" % (name, state, extension)
            items[rid] = (file_name, kind, (lambda s=state: make(s)))

    tab = ("_TAB", "_TAB_SELECTED", "_TAB_HIGHLIGHTED")

    def tabs(base):
        return tuple(base + suffix for suffix in tab)

    add(tabs("FAVORITES"), "tab-favorites", "png", lambda s: tab_image(star, s))
    add(tabs("CALLS"), "tab-calls", "png", lambda s: tab_image(handset, s))
    add(tabs("OUTGOING"), "tab-calls-outgoing", "png", lambda s: tab_image(handset, s, lambda b: arrow(b, -45)))
    add(tabs("INCOMING"), "tab-calls-incoming", "png", lambda s: tab_image(handset, s, lambda b: arrow(b, 135)))
    add(tabs("MISSED"), "tab-calls-missed", "png", lambda s: tab_image(handset, s, cross))
    add(tabs("CONTACTS"), "tab-contacts", "png", lambda s: tab_image(person, s, letter_a))
    add(tabs("BY_COMPANY"), "tab-contacts-company", "png", lambda s: tab_image(person, s, briefcase))
    add(tabs("BY_CATEGORY"), "tab-contacts-category", "png", lambda s: tab_image(person, s, tag))
    add(tabs("MESSAGES"), "tab-messages", "png", lambda s: tab_image(envelope, s))
    add(("CALL_BUTTON", "CALL_BUTTON_SELECTED"), "tab-call-button", "png", lambda s: call_tab(s != "normal"))
    pressable = ("normal", "pressed")

    def pressed(base):
        return base, base + "_PRESSED"

    add(("OUTGOING_ICON",), "icon-outgoing", "png", lambda s: list_icon(lambda b: arrow(b, -45), (126, 214, 120)))
    add(("MISSED_ICON",), "icon-missed", "png", lambda s: list_icon(missed_mark, (232, 96, 60)))
    add(("INCOMING_ICON",), "icon-incoming", "png", lambda s: list_icon(lambda b: arrow(b, 135), (118, 178, 240)))

    def pair(base, name, glyph_fn):
        add(pressed(base), name, "png", lambda s: title_button(glyph_fn, s != "normal"), pressable)

    pair("NEW_CONTACT", "button-new-contact", lambda b: with_badge(person(b), plus(Box(*b.p(0.52, 0.52), b.s(0.5))),
                                                                   b.s(0.07)))
    pair("BACK", "button-back", chevron_back)
    pair("DIAL", "button-dial", handset)
    pair("REPLY", "button-reply", reply)
    pair("LIST_MENU", "button-list-menu", menu_lines)
    add(("NOT_FAVORITE",), "button-favorite-off", "png", lambda s: favourite_button(False))
    add(("FAVORITE",), "button-favorite-on", "png", lambda s: favourite_button(True))

    def action(base, name, glyph_fn):
        add(pressed(base), name, "png", lambda s: action_button(glyph_fn, s != "normal"), pressable)

    action("CALL_MOBILE", "action-call-mobile", mobile)
    action("SEND_SMS", "action-send-sms", envelope)
    action("SEND_MMS", "action-send-mms", photo)
    action("CALL_HOME", "action-call-home", house)
    action("CALL_WORK", "action-call-work", briefcase)

    add(("CONTACT_NAME",), "contact-name", "png", lambda s: name_button())
    add(("CONTACT_FRAME",), "contact-frame", "png", lambda s: picture_frame())
    add(pressed("CONTACT_CARD"), "button-contact-card", "png", lambda s: small_button(contact_card, s != "normal"),
        pressable)
    add(pressed("EDIT_CONTACT"), "button-edit-contact", "png", lambda s: small_button(pencil, s != "normal"),
        pressable)

    add(pressed("KEY_FACE"), "key-face", "bmp", lambda s: key_face(s != "normal"), pressable)
    add(("GROUP_EXPANDED",), "group-expanded", "png", lambda s: group_mark(90))
    add(("GROUP_COLLAPSED",), "group-collapsed", "png", lambda s: group_mark(0))
    return items


def resolved(items, ids):
    """The catalogue by id number. The script names its ids, the resource
    compiler resolves them: a name the header lacks would become a named
    resource no code asks for, and an id the header has but no image is one
    the code would miss. Either stops the build."""
    drawn = {ID_PREFIX + name for name in items}
    unknown = sorted(drawn - set(ids))
    undrawn = sorted(set(ids) - drawn)
    if unknown or undrawn:
        sys.exit("make_silver.py: %s disagrees with the drawn images; not in the header: %s; not drawn: %s" %
                 (IDS_HEADER, ", ".join(unknown) or "-", ", ".join(undrawn) or "-"))
    return sorted((ids[ID_PREFIX + name], ID_PREFIX + name, item) for name, item in items.items())


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    lines = ["// Drawn by make_silver.py; not to be edited.", "", '#include "VelKlResourceIds.h"', ""]
    for _, rid, (name, kind, make) in resolved(catalogue(), image_ids(IDS_HEADER)):
        path = os.path.join(out_dir, name)
        image = make()
        if kind == "bmp":
            image.save_bmp(path, KEYPAD)
            lines.append('%s BITMAP "%s"' % (rid, path))
        else:
            image.save_png(path)
            lines.append('%s PNG "%s"' % (rid, path))
    # The script last, so a half-finished run leaves no script behind.
    with open(os.path.join(out_dir, "Silver.rc"), "w") as rc:
        rc.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    args = sys.argv[1:]
    if len(args) == 3 and args[1] == "--screen" and args[2] in SCREENS:
        SCREEN = SCREENS[args[2]]
    elif len(args) != 1:
        sys.exit("usage: make_silver.py OUTPUT_DIR [--screen %s]" % "|".join(sorted(SCREENS)))
    main(args[0])
