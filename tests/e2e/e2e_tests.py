"""End-to-end cases: the real program over a device store of its own, driven
by taps, kldevice.exe and the screen. Usage: e2e_tests.py CASE

Places are those of a 480 x 640 screen (L = 640, S = 480) at the phone's
192 dots per inch: title bars 64 high, the tab bar the bottom 64 with five
buttons 96 wide, group headers L / 12, the contact view's actions on its
(S / 30, S / 20) grid. Rows and menu entries are as high as their fonts
make them: measured from the screen where they can be.
"""

import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from klharness import (BUILD, WINE, WINDOW_NAME, Device, Failure, Program, near,  # noqa: E402
                       pointer, run_cases, wait_until, whitish, wine, xdotool)

SHOTS = os.path.join(BUILD, "e2e-screens")

# 480 x 640 places.
W, H = 480, 640
TITLE = 64
TAB_Y = 615                 # the tab images, under the captions
CAPTION = (582 - 9, 582 + 9)
TABS = {"favorites": 48, "calls": 144, "contacts": 240, "messages": 336, "dial": 432}
LEFT_BUTTON = (32, 32)
RIGHT_BUTTON = (448, 32)
UNDOCK = (376, 559)
# The undocked keypad: three rows of 38 above the tab bar, four keys of 120.
KEYPAD_TOP = H - 64 - 3 * 38
KEYS = {"1": 0, "2": 1, "3": 2, "back": 3, "4": 4, "5": 5, "6": 6, "0": 7, "7": 8, "8": 9, "9": 10, "dock": 11}
# The contact view's actions (centres).
ACTIONS = {"sms": (122, 224), "mms": (338, 224), "home": (122, 334), "work": (338, 334), "mobile": (122, 444)}
# Group headers L / 12 high.
HEADER = 53
# The list menu opens leftwards under its button; entries are L / 40 + text
# + L / 40 high (70 with the 192 DPI font), the separator before "clear
# selection" 15.
MENU_X = 320
MENU_ENTRY = 70
MENU_ENTRIES = [TITLE + MENU_ENTRY // 2, TITLE + MENU_ENTRY + MENU_ENTRY // 2, TITLE + 2 * MENU_ENTRY + 15 + MENU_ENTRY // 2]

SLATE = (58, 69, 85)
TITLE_TOP = (70, 85, 103)
ORANGE = (222, 125, 57)


def key_centre(name):
    p = KEYS[name]
    return 60 + 120 * (p % 4), KEYPAD_TOP + 19 + 38 * (p // 4)


def tab(program, name):
    program.tap(TABS[name], TAB_Y)


def region(frame, x0, y0, x1, y1):
    """The pixels of a rectangle, to compare with another frame's."""
    s, k = frame.stride, frame.step
    return b"".join(frame.data[y * s + x0 * k:y * s + x1 * k] for y in range(y0, y1))


def list_region(frame, bottom=H - 64):
    return region(frame, 0, TITLE, W - 16, bottom)


def caption_width(frame, name):
    """Width of the white caption text over a tab button."""
    x = TABS[name]
    box = frame.lit(x - 48, CAPTION[0], x + 48, CAPTION[1], whitish)
    return box[2] - box[0] if box else 0


def caption_region(frame, name):
    """The pixels of a tab's caption band, to tell one caption from another
    where a fitted caption keeps its width ("Mess...(3)" and "Messages")."""
    x = TABS[name]
    return region(frame, x - 48, CAPTION[0], x + 48, CAPTION[1])


def row_centre(frame, group, index):
    """The middle of a contact row: the index-th under the group-th header
    on the screen. The demo's group A holds one contact, which gives a row's
    height (it grows with the fonts)."""
    rows = headers(frame)
    row = rows[1] - rows[0] - HEADER
    return rows[group] + HEADER + index * row + row // 2


def title_text_height(frame, bar):
    """How high the title's white letters stand in a title bar `bar` high."""
    box = frame.lit(frame.width // 5, 0, frame.width * 4 // 5, bar, whitish)
    return box[3] - box[1] if box else 0


def expect_phone_dpi(frame, bar):
    # The title's font is sized in points: at the phone's DPI its letters
    # take a fixed share of a bar that scales with the screen (at 96 DPI on
    # 480 x 640 they stand half as high).
    height = title_text_height(frame, bar)
    expect(0.3 * bar < height < 0.5 * bar, "the title's letters %d px high in a %d px bar" % (height, bar))


def tab_selected(frame, name):
    """Whether the tab's image stands on the silver plate of the current
    tab: a bare glyph lights a third as many pixels."""
    x = TABS[name]
    return frame.count(x - 40, 600, x + 40, H, whitish) > 700


def headers(frame, x=3, top=TITLE, bottom=H - 64):
    """The top rows of the group headers in the list: the header gradient
    starts at (106, 130, 166)."""
    rows, inside = [], False
    for y in range(top, bottom):
        c = frame(x, y)
        is_top = near(c, (106, 130, 166), 14)
        if is_top and not inside:
            rows.append(y)
        inside = is_top
    return rows


class Session:
    """A device of its own and the program over it, stopped whatever happens."""

    def __init__(self, screen="480x640", cwd=None, seed=True):
        self.device = Device(seed=seed)
        self.program = Program(self.device, screen=screen, cwd=cwd)

    def __enter__(self):
        try:
            self.program.start()
        except Exception:
            self.__exit__()
            raise
        return self.device, self.program

    def __exit__(self, kind=None, *rest):
        if kind is not None and self.program.running():
            try:
                shot(self.program, "failed-" + sys.argv[-1], always=True)
            except Exception:
                pass
        self.program.stop()
        self.device.close()


def expect(condition, message):
    if not condition:
        raise Failure(message)


def settled(program):
    return program.wait_stable(timeout=8)


def shot(program, name, always=False):
    """Keeps what the screen showed in the build's e2e-screens folder: a
    failure's always, the others when VEL_E2E_SHOTS is set."""
    if always or os.environ.get("VEL_E2E_SHOTS"):
        program.screenshot(os.path.join(SHOTS, name + ".png"))


def wait_log(device, reader, count, what):
    return wait_until(lambda: len(reader()) >= count and reader(), 5, what)


def open_contact(program, y):
    program.tap(200, y)
    # The contact view's back button replaces the new-contact button, over
    # its own gradient.
    return program.wait_frame(lambda f: near(f(W // 2, 300), (58, 71, 80), 14) and not near(f(240, 140), SLATE, 4),
                              5, "the contact view")


# ------------------------------------------------------------------ cases

def case_startup():
    device = Device()
    started = []
    try:
        # The counts first without anything to count, then with.
        device.set_missed(0)
        for mid, rec in device.messages().items():
            if rec.get("folder") == "inbox":
                device.kldevice("sms", "read", mid)
        quiet = Program(device)
        started.append(quiet)
        quiet.start()
        plain = settled(quiet)
        plain_widths = caption_width(plain, "calls"), caption_width(plain, "messages")
        expect(quiet.close()[0] == 0, "the first start closes")
        quiet.stop()

        device.set_missed(2)
        device.kldevice("sms", "unread", "1")
        device.kldevice("sms", "unread", "2")
        program = Program(device)
        started.append(program)
        program.start()
        frame = settled(program)
        shot(program, "startup")
        # One full-screen window on the phone's screen.
        out = subprocess.run(["xwininfo", "-root", "-tree"], stdout=subprocess.PIPE, universal_newlines=True).stdout
        mains = [line for line in out.splitlines() if '"%s"' % WINDOW_NAME in line]
        expect(len(mains) == 1, "one main window: %s" % mains)
        expect("%dx%d+0+0" % (W, H) in mains[0], "full screen: %s" % mains[0])
        # Contacts current: its tab plate is silver, the others bare glyphs.
        expect_phone_dpi(frame, TITLE)
        expect(tab_selected(frame, "contacts"), "the contacts tab is selected")
        expect(not tab_selected(frame, "calls"), "the calls tab is not")
        # The list filled: group headers A, B, C... from the top.
        rows = headers(frame)
        expect(len(rows) >= 3 and rows[0] == TITLE, "the contacts list fills: headers at %s" % rows)
        # The counts stand after the captions.
        widths = caption_width(frame, "calls"), caption_width(frame, "messages")
        expect(widths[0] > plain_widths[0] + 10, "a count after the calls caption: %s without, %s with"
               % (plain_widths, widths))
        expect(caption_region(frame, "messages") != caption_region(plain, "messages"),
               "a count after the messages caption")
        # Every list filled: each tab shows rows.
        # Every list filled: the favourites' rows in orange, the others
        # under date headers.
        tab(program, "favorites")
        f = settled(program)
        expect(f.count(8, TITLE, 120, 500, lambda c: near(c, ORANGE, 30)) > 200, "the favourites list fills")
        for name in ("calls", "messages"):
            tab(program, name)
            f = settled(program)
            # Two date headers at the least: the rows are tall at the phone's DPI.
            expect(len(headers(f)) >= 2, "the %s list fills" % name)
        code, seconds = program.close()
        expect(code == 0, "exit code 0, not %s" % code)
        expect(seconds < 1.0, "closed within a second (%.2f s)" % seconds)
    finally:
        for p in started:
            p.stop()
        device.close()


def case_second_start():
    with Session() as (device, program):
        # The call button minimises the window.
        tab(program, "dial")
        program.wait_frame(lambda f: not near(f(2, 2), TITLE_TOP, 24), 5, "the window to be minimised")
        expect(program.running(), "minimised, still running")
        # A second start ends at once and brings the first one back.
        code = program.start_second()
        expect(code == 0, "the second start ends with 0, not %s" % code)
        program.wait_frame(lambda f: near(f(2, 2), TITLE_TOP, 24), 5, "the first window back in front")
        expect(program.running(), "the first one runs on")
        frame = settled(program)
        expect(tab_selected(frame, "contacts"), "the contacts tab still current")
        code, seconds = program.close()
        expect(code == 0 and seconds < 1.0, "closed: %s in %.2f s" % (code, seconds))


def case_contacts_grouping():
    with Session() as (device, program):
        first = settled(program)
        looks = [(region(first, 0, 0, W, TITLE), region(first, 192, 590, 288, 640), list_region(first))]
        for _ in range(3):
            tab(program, "contacts")
            f = settled(program)
            looks.append((region(f, 0, 0, W, TITLE), region(f, 192, 590, 288, 640), list_region(f)))
            shot(program, "contacts-grouping-%d" % (len(looks) - 1))
        titles = [t for t, _, _ in looks]
        images = [i for _, i, _ in looks]
        lists = [l for _, _, l in looks]
        expect(len(set(titles[:3])) == 3, "three titles")
        expect(len(set(images[:3])) == 3, "three tab images")
        expect(len(set(lists[:3])) == 3, "three groupings")
        expect(looks[3] == looks[0], "the fourth tap returns to the first grouping")


def case_contacts_keypad():
    with Session() as (device, program):
        full = settled(program)
        program.tap(*UNDOCK)
        undocked = program.wait_frame(lambda f: near(f(60, KEYPAD_TOP + 2), (58, 70, 86), 6) or
                                      min(f(20, KEYPAD_TOP + 19)) > 150, 5, "the keypad to undock")
        undocked = settled(program)
        shot(program, "keypad")
        before = list_region(undocked, KEYPAD_TOP)
        # "9" (WXYZ), then "2" (ABC): fewer rows; back to the full list by
        # backspace and by a long press.
        program.tap(*key_centre("9"))
        one = program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) != before, 3, "typing to narrow the list")
        one = settled(program)
        program.tap(*key_centre("2"))
        two = program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) != list_region(one, KEYPAD_TOP), 3,
                                 "a second key to narrow it further")
        two = settled(program)
        shot(program, "keypad-typed")
        # W, X, Y or Z followed by A, B or C: Galloway, Xander, Yilmaz (Yara)
        # and Zabala, one row under each of their four letters.
        found = headers(two, bottom=KEYPAD_TOP)
        steps = [b - a for a, b in zip(found, found[1:])]
        expect(len(found) == 4 and found[0] == TITLE and all(abs(d - steps[0]) <= 2 for d in steps) and
               steps[0] > HEADER + 30,
               "four contacts match 9-2, one under each header: headers at %s" % found)
        program.tap(*key_centre("back"))
        back = program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) == list_region(one, KEYPAD_TOP), 3,
                                  "backspace to take one key away")
        program.long_press(*key_centre("back"), seconds=1.3)
        program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) == before, 3, "a long press to clear the search")
        # A long press with two keys typed clears both at once.
        program.tap(*key_centre("9"))
        program.tap(*key_centre("2"))
        program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) == list_region(two, KEYPAD_TOP), 4, "two keys again")
        program.long_press(*key_centre("back"), seconds=1.3)
        program.wait_frame(lambda f: list_region(f, KEYPAD_TOP) == before, 3, "a long press to clear both keys")
        # Docked again, the list has its height back.
        program.tap(*key_centre("dock"))
        program.wait_frame(lambda f: list_region(f) == list_region(full), 5, "the docked keypad and the full list")
        # The keypad shows on the contacts tab only.
        tab(program, "calls")
        calls = settled(program)
        expect(not near(calls(UNDOCK[0], UNDOCK[1]), full(UNDOCK[0], UNDOCK[1]), 30) or
               region(calls, 320, 542, 432, 576) != region(full, 320, 542, 432, 576), "no keypad on the calls tab")


def case_contact_actions():
    with Session() as (device, program):
        settled(program)
        # B: Bellamy, then Brenner (mobile and home, a favourite).
        brenner_y = row_centre(settled(program), 1, 1)
        open_contact(program, brenner_y)
        settled(program)
        shot(program, "contact-view")
        for name, count in (("mobile", 1), ("home", 2)):
            program.tap(*ACTIONS[name])
            wait_log(device, device.dialled, count, "the %s call" % name)
        dialled = device.dialled()
        expect("+44 7700 900101" in dialled[0] and "+44 20 7946 0101" in dialled[1],
               "mobile then home dialled: %s" % dialled)
        program.tap(*ACTIONS["work"])   # no work number: nothing
        program.tap(*ACTIONS["sms"])
        wait_log(device, device.outbox, 1, "the messaging program for SMS")
        program.tap(*ACTIONS["mms"])
        lines = wait_log(device, device.outbox, 2, "the messaging program for MMS")
        expected = '-service "SMS" -to "Brenner, Alba <+44 7700 900101>"'
        expect(all(line.endswith(expected) for line in lines), "command lines %s" % lines)
        expect(len(device.dialled()) == 2, "the empty work number dials nothing: %s" % device.dialled())
        # The favourite toggle: Brenner stops being one, the store and the
        # favourites tab follow; and becomes one again.
        before = settled(program)
        program.tap(*RIGHT_BUTTON)
        wait_until(lambda: "Favorites" not in device.contacts()["1"].get("categories", ""), 5, "the store to drop the favourite")
        program.wait_frame(lambda f: region(f, 416, 0, 480, 64) != region(before, 416, 0, 480, 64), 3, "the toggle's image")
        program.tap(*LEFT_BUTTON)
        settled(program)
        tab(program, "favorites")
        without = settled(program)
        shot(program, "favorites-without")
        tab(program, "contacts")
        settled(program)
        open_contact(program, brenner_y)
        settled(program)
        program.tap(*RIGHT_BUTTON)
        wait_until(lambda: "Favorites" in device.contacts()["1"].get("categories", ""), 5, "the store to take the favourite")
        program.tap(*LEFT_BUTTON)
        settled(program)
        tab(program, "favorites")
        program.wait_frame(lambda f: list_region(f) != list_region(without), 3, "the favourites tab to follow")
        # Work from a contact that has a work number.
        tab(program, "contacts")
        open_contact(program, row_centre(settled(program), 1, 0))   # B: Bellamy
        settled(program)
        program.tap(*ACTIONS["work"])
        dialled = wait_log(device, device.dialled, 3, "the work call")
        expect("+44 20 7946 0126" in dialled[2], "work number dialled: %s" % dialled)


def case_calls():
    with Session() as (device, program):
        first = settled(program)
        expect(device.missed_count() == 2, "two missed calls at start")
        width = caption_width(first, "calls")
        tab(program, "calls")
        wait_until(lambda: device.missed_count() == 0, 1.5, '"Missed Call Count" to be 0')
        frame = program.wait_frame(lambda f: caption_width(f, "calls") < width - 10, 2, "the count to leave the caption")
        frame = settled(program)
        shot(program, "calls")
        # Four filters, the fifth tap back at the first.
        looks = [(region(frame, 96, 590, 192, 640), list_region(frame))]
        for i in range(4):
            tab(program, "calls")
            f = settled(program)
            looks.append((region(f, 96, 590, 192, 640), list_region(f)))
            shot(program, "calls-filter-%d" % (i + 1))
        expect(len(set(l for l, _ in looks[:4])) == 4, "four filter images")
        expect(len(set(l for _, l in looks[:4])) == 4, "four filtered lists")
        expect(looks[4] == looks[0], "back at all calls")
        # The newest call opens its view, which dials it.
        program.tap(200, TITLE + 53 + 24)
        program.wait_frame(lambda f: region(f, 416, 0, 480, 64) != region(frame, 416, 0, 480, 64), 5, "the call view")
        settled(program)
        shot(program, "call-view")
        program.tap(*RIGHT_BUTTON)
        dialled = wait_log(device, device.dialled, 1, "the call to be placed")
        expect("+44 7700 900111" in dialled[0], "the newest call's number: %s" % dialled)


def case_messages():
    with Session() as (device, program):
        settled(program)
        tab(program, "messages")
        listed = settled(program)
        shot(program, "messages")
        # The newest message, unread: opening it marks it read.
        expect(device.messages()["1"].get("flags", "") != device.messages()["4"].get("flags", ""), "1 unread, 4 read")
        program.tap(200, TITLE + 53 + 30)
        program.wait_frame(lambda f: region(f, 416, 0, 480, 64) != region(listed, 416, 0, 480, 64), 5, "the SMS view")
        settled(program)
        shot(program, "sms-view")
        wait_until(lambda: device.messages()["1"].get("flags") == device.messages()["4"].get("flags"), 3,
                   "the message to be marked read in the store")
        counted = caption_region(listed, "messages")
        program.wait_frame(lambda f: caption_region(f, "messages") != counted, 3, "the unread count to drop")
        # Reply starts the messaging program for the sender.
        program.tap(*RIGHT_BUTTON)
        lines = wait_log(device, device.outbox, 1, "the reply")
        expect(lines[0].endswith('-service "SMS" -to "+44 7700 900101"'), "reply to the sender's address: %s" % lines)
        # Back, then "mark all read" from the list menu.
        program.tap(*LEFT_BUTTON)
        dropped = caption_region(settled(program), "messages")
        expect(dropped != counted, "the list's caption shows the lower count")
        program.tap(*RIGHT_BUTTON)
        menu = settled(program)
        shot(program, "messages-menu")
        program.tap(MENU_X, TITLE + 24)
        wait_until(lambda: all(r.get("flags") == device.messages()["4"].get("flags")
                               for r in device.messages().values() if r.get("folder") == "inbox"), 3,
                   "every message read")
        f = program.wait_frame(lambda f: caption_region(f, "messages") not in (counted, dropped), 3,
                               "no count after the caption")
        # With nothing unread the one entry is disabled: a tap on it changes nothing.
        program.tap(*RIGHT_BUTTON)
        disabled = settled(program)
        expect(region(disabled, 160, TITLE, W, TITLE + 48) != region(menu, 160, TITLE, W, TITLE + 48),
               "the entry looks disabled")
        program.tap(MENU_X, TITLE + 24)
        still = settled(program)
        expect(region(still, 160, TITLE, W, TITLE + 48) == region(disabled, 160, TITLE, W, TITLE + 48),
               "a disabled entry cannot be chosen: the menu stays")
        program.tap(20, 400)   # outside: the menu goes, and the tap opens nothing
        after = settled(program)
        expect(region(after, 160, TITLE, W, TITLE + 48) != region(disabled, 160, TITLE, W, TITLE + 48), "menu gone")
        expect(region(after, 0, 0, W, TITLE) == region(listed, 0, 0, W, TITLE), "still the messages list")


def case_list_menus():
    with Session() as (device, program):
        start = settled(program)
        # Contacts: "new message" starts the messaging program with no recipient.
        program.tap(*RIGHT_BUTTON)
        menu = settled(program)
        shot(program, "contacts-menu")
        # Without a selection the second and fourth entries are disabled: a
        # tap on one leaves the menu open and starts nothing.
        program.tap(MENU_X, MENU_ENTRIES[1])
        expect(region(settled(program), 160, TITLE, W, 240) == region(menu, 160, TITLE, W, 240), "the menu stays")
        program.tap(MENU_X, TITLE + 24)
        lines = wait_log(device, device.outbox, 1, "a new message")
        expect(lines[0].endswith('-service "SMS" -to ""'), "empty recipient: %s" % lines)
        # A row held selects it; "message to selected" addresses it, and
        # clears the selection.
        settled(program)
        program.long_press(200, TITLE + 53 + 24, seconds=0.6)
        settled(program)
        program.tap(*RIGHT_BUTTON)
        selected_menu = settled(program)
        second = (160, TITLE + MENU_ENTRY, W, TITLE + 2 * MENU_ENTRY)
        expect(region(selected_menu, *second) != region(menu, *second),
               "the second entry is enabled with a selection")
        program.tap(MENU_X, MENU_ENTRIES[1])
        lines = wait_log(device, device.outbox, 2, "a message to the selected contact")
        expect(lines[1].endswith('-service "SMS" -to "Ashby, Amara <+44 7700 900125>;"'), "selected: %s" % lines)
        after = settled(program)
        expect(list_region(after) == list_region(start), "the selection is cleared")
        # "Clear selection" clears a selection and starts nothing.
        program.long_press(200, TITLE + 53 + 24, seconds=0.6)
        chosen = settled(program)
        expect(list_region(chosen) != list_region(start), "a row selected")
        program.tap(*RIGHT_BUTTON)
        settled(program)
        program.tap(MENU_X, MENU_ENTRIES[2])
        program.wait_frame(lambda f: list_region(f) == list_region(start), 3, "the selection cleared")
        expect(len(device.outbox()) == 2, "nothing started: %s" % device.outbox())
        # Favourites: the same menu.
        tab(program, "favorites")
        settled(program)
        program.tap(*RIGHT_BUTTON)
        settled(program)
        shot(program, "favorites-menu")
        program.tap(MENU_X, TITLE + 24)
        wait_log(device, device.outbox, 3, "a new message from favourites")
        # The calls tab has no list menu.
        tab(program, "calls")
        calls = settled(program)
        program.tap(*RIGHT_BUTTON)
        again = settled(program)
        expect(region(again, 160, TITLE, W, 200) == region(calls, 160, TITLE, W, 200), "no menu on the calls tab")


def case_live_changes():
    with Session() as (device, program):
        tab(program, "messages")
        before = settled(program)

        def changed(reference, what, timeout=1.5):
            return program.wait_frame(lambda f: list_region(f) != list_region(reference), timeout, what)

        t = time.monotonic()
        device.kldevice("sms", "receive", "+44 7700 900150", "Live hello", "--name", "Live Sender")
        changed(before, "a received message")
        expect(time.monotonic() - t < 1.0 + 0.5, "shown within a second")
        one = settled(program)
        shot(program, "live-sms")
        # Shown once: a row's height further down, the old list again.
        mid = max(device.messages(), key=int)
        device.kldevice("sms", "move", mid, "deleted")
        program.wait_frame(lambda f: list_region(f) == list_region(before), 1.5, "the message gone to deleted items")
        device.kldevice("sms", "move", mid, "inbox")
        program.wait_frame(lambda f: list_region(f) == list_region(one), 1.5, "the message back")
        device.kldevice("sms", "delete", mid)
        program.wait_frame(lambda f: list_region(f) == list_region(before), 1.5, "the message deleted")
        # Modified: the newest message read, then unread again (its bold line).
        device.kldevice("sms", "read", "1")
        program.wait_frame(lambda f: list_region(f) != list_region(before), 1.5, "a message marked read")
        device.kldevice("sms", "unread", "1")
        program.wait_frame(lambda f: list_region(f) == list_region(before), 1.5, "a message marked unread")
        # A call logged: one row more at the top of the calls list.
        tab(program, "calls")
        calls = settled(program)
        device.kldevice("call", "incoming", "+44 7700 900154", "--name", "Live Caller")
        logged = program.wait_frame(lambda f: list_region(f) != list_region(calls), 1.5, "a logged call")
        logged = settled(program)
        shift = headers(logged)[1] - headers(calls)[1]
        # A call row: two lines of text, as high as the fonts make them.
        expect(30 <= shift <= 100 or len(headers(logged)) > len(headers(calls)), "one row more, not %d px" % shift)
        # Calls: a missed call shows and counts.
        tab(program, "contacts")
        contacts = settled(program)
        width = caption_width(contacts, "calls")
        device.kldevice("call", "missed", "+44 7700 900151", "--name", "Live Caller")
        caption = lambda f: region(f, TABS["calls"] - 48, CAPTION[0], TABS["calls"] + 48, CAPTION[1])
        program.wait_frame(lambda f: caption(f) != caption(contacts), 1.5, "the missed call counted")
        expect(device.missed_count() == 1, "one missed call since the calls tab was shown")
        tab(program, "calls")
        settled(program)
        # Contacts: added, changed into a favourite and back, deleted.
        tab(program, "contacts")
        contacts = settled(program)
        oid = device.kldevice("contact", "add", "--fileas", "Aardvark, Abe", "--first", "Abe", "--last", "Aardvark",
                              "--mobile", "+44 7700 900152").split()[-1]
        added = changed(contacts, "a new contact")
        added = settled(program)
        row = headers(contacts)[1] - headers(contacts)[0] - HEADER
        # A row more, and the line between two rows.
        expect(0 <= headers(added)[1] - headers(contacts)[1] - row <= 2, "one row more in group A")
        device.kldevice("contact", "change", oid, "--favorite")
        program.wait_frame(lambda f: f.count(8, TITLE + 53, 200, TITLE + 53 + 48, lambda c: near(c, ORANGE, 30)) > 20,
                           1.5, "the new favourite drawn orange")
        device.kldevice("contact", "change", oid, "--no-favorite")
        program.wait_frame(lambda f: list_region(f) == list_region(added), 1.5, "no longer a favourite")
        # The contact view follows a change and a deletion.
        open_contact(program, TITLE + 53 + 24)
        shown = settled(program)
        device.kldevice("contact", "change", oid, "--fileas", "Aardvark, Abraham", "--mobile", "+44 7700 900153")
        changed_view = program.wait_frame(lambda f: region(f, 0, TITLE, W, 480) != region(shown, 0, TITLE, W, 480),
                                          1.5, "the contact view to follow a change")
        device.kldevice("contact", "delete", oid)
        program.wait_frame(lambda f: region(f, 0, TITLE, W, 480) != region(changed_view, 0, TITLE, W, 480), 1.5,
                           "the contact view to follow a deletion")
        shot(program, "live-contact-deleted")
        program.tap(*LEFT_BUTTON)
        program.wait_frame(lambda f: list_region(f) == list_region(contacts), 3, "the contact gone from the list")


def case_other_working_directory():
    folder = tempfile.mkdtemp(prefix="kl-e2e-cwd-")
    try:
        with Session(cwd=folder) as (device, program):
            settled(program)
            open_contact(program, TITLE + 53 + 24)   # Ashby, Amara
            settled(program)
            program.tap(*ACTIONS["mobile"])
            wait_log(device, device.dialled, 1, "the call through the phone library")
            program.tap(*ACTIONS["sms"])
            lines = wait_log(device, device.outbox, 1, "the messaging program")
            expect(lines[0].endswith('-to "Ashby, Amara <+44 7700 900125>"'), "SMS: %s" % lines)
            program.tap(*ACTIONS["mms"])
            lines = wait_log(device, device.outbox, 2, "the messaging program for MMS")
            expect(lines[1] == lines[0], "MMS as SMS: %s" % lines)
            program.tap(*LEFT_BUTTON)
            settled(program)
            program.tap(*RIGHT_BUTTON)
            settled(program)
            program.tap(MENU_X, TITLE + 24)
            wait_log(device, device.outbox, 3, "the list menu's new message")
            tab(program, "messages")
            settled(program)
            program.tap(200, TITLE + 53 + 30)
            settled(program)
            program.tap(*RIGHT_BUTTON)
            wait_log(device, device.outbox, 4, "the reply")
            code, seconds = program.close()
            expect(code == 0, "exit code %s" % code)
    finally:
        os.rmdir(folder)


def case_churn():
    with Session() as (device, program):
        settled(program)
        end = time.monotonic() + 4
        # Two writers at once: the missed-call count (the data thread writes
        # the calls caption) and messages received and read (the messaging
        # thread writes the messages caption and rows), while taps repaint.
        def missed_writer():
            k = 0
            while time.monotonic() < end:
                k += 1
                device.kldevice("missed", str(k % 7))
        writer = threading.Thread(target=missed_writer)
        writer.start()
        n = 0
        try:
            while time.monotonic() < end:
                n += 1
                device.kldevice("sms", "receive", "+44 7700 9002%02d" % (n % 100), "Churn %d" % n)
                if n % 2:
                    device.kldevice("sms", "read", max(device.messages(), key=int))
                tab(program, ("calls", "messages", "contacts", "favorites")[n % 4])
                expect(program.running(), "runs under churn")
        finally:
            writer.join()
        tab(program, "messages")
        settled(program)
        shot(program, "churn")
        expect(program.running(), "runs after churn")
        code, seconds = program.close()
        expect(code == 0 and seconds < 1.0, "closed after churn: %s in %.2f s" % (code, seconds))


def case_contacts_regrouping_scroll():
    with Session() as (device, program):
        # Each grouping's first screen from its top, then the same three
        # switches each made with the list scrolled down.
        tops = []
        for _ in range(3):
            tops.append(list_region(settled(program)))
            tab(program, "contacts")
        for i in range(3):
            settled(program)
            scrolled = list_region(program.wait_stable(timeout=8))
            drag(program, 200, *DRAG)
            expect(list_region(settled(program)) != scrolled, "grouping %d scrolls down" % i)
            tab(program, "contacts")
            f = settled(program)
            shot(program, "regrouped-%d" % i)
            found = headers(f)
            expect(found[:1] == [TITLE], "grouping %d starts with a header at the top: headers at %s" %
                   ((i + 1) % 3, found))
            expect(list_region(f) == tops[(i + 1) % 3], "grouping %d opens at its top" % ((i + 1) % 3))


def slid_region(frame, d, y0, y1, right=W - 16):
    """Rows y0..y1 of the main view slid left by d: what shows of its
    columns d..right, its scroll bar's strip left out."""
    s, k = frame.stride, frame.step
    return [frame.data[y * s + d * k:y * s + right * k] for y in range(y0, y1)]


def slide_offset(frame, shown):
    """How far left of its place the main view of `shown` stands in the
    frame, found by its title bar; None when no offset fits."""
    s, k = frame.stride, frame.step
    for d in range(0, W - 48):
        if slid_region(frame, 0, 0, TITLE, W - 16 - d) == slid_region(shown, d, 0, TITLE):
            return d
    return None


def case_slide_frames():
    with Session() as (device, program):
        settled(program)
        program.tap(*UNDOCK)
        program.wait_frame(lambda f: min(f(20, KEYPAD_TOP + 19)) > 150, 5, "the keypad to undock")
        settled(program)
        # 9, 2: four contacts, none of them at the top of the full list.
        program.tap(*key_centre("9"))
        program.tap(*key_centre("2"))
        typed = settled(program)
        # Grabs as fast as they come, from the tap on a row until the slide ends.
        frames = []
        program.tap(200, headers(typed, bottom=KEYPAD_TOP)[0] + 53 + 24)
        end = time.monotonic() + 1.2
        while time.monotonic() < end:
            frames.append(program.grab())
        settled(program)
        program.tap(*LEFT_BUTTON)
        back = settled(program)
        shot(program, "slide-back")
        for i, f in enumerate(frames):
            if os.environ.get("VEL_E2E_SHOTS"):
                write_frame(f, os.path.join(SHOTS, "slide-%02d.png" % i))
        # While it moves, what shows of the main view is the list the tap
        # left (the search reset, the keypad docked) or the one it had.
        moving = 0
        for i, f in enumerate(frames):
            for shown in (back, typed):
                d = slide_offset(f, shown)
                if d:
                    break
            if not d:
                continue
            moving += 1
            expect(any(slid_region(f, 0, TITLE, H, W - 16 - d) == slid_region(shown, d, TITLE, H)
                       for shown in (back, typed)),
                   "slide frame %d of %d (%d px along) shows the list unfinished" % (i, len(frames), d))
        expect(moving >= 2, "frames caught while the slide moved: %d of %d" % (moving, len(frames)))


def write_frame(frame, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    rows = bytearray()
    for y in range(frame.height):
        for x in range(frame.width):
            rows += bytes(frame(x, y))
    subprocess.run(["convert", "-size", "%dx%d" % (frame.width, frame.height), "-depth", "8", "rgb:-", path],
                   input=bytes(rows), check=True)


def case_small_screen():
    with Session(screen="240x320") as (device, program):
        frame = settled(program)
        shot(program, "small-contacts")
        # The title bar L / 10 = 32 high: its gradient ends above row 32,
        # the list starts with a group header there.
        expect(headers(frame, top=28, bottom=40)[:1] == [32], "the list under a 32-pixel title bar: %s" %
               headers(frame, top=20, bottom=60))
        expect_phone_dpi(frame, 32)
        # The tab bar: 320 / 24 + 28, its five images inside the screen.
        for i in range(5):
            x = 24 + 48 * i
            expect(frame.lit(x - 24, 320 - 28, x + 24, 320, lambda c: max(c) > 150) is not None, "tab %d drawn" % i)
        # The keypad's three rows of keys fit above the tab bar.
        program.tap(240 - 24 - 28, 320 - 41 - 13)
        keypad = program.wait_frame(lambda f: f.count(0, 320 - 41 - 84, 240, 320 - 41, lambda c: min(c) > 200) > 500,
                                    5, "the small keypad")
        keypad = settled(program)
        shot(program, "small-keypad")
        program.tap(240 - 30, 320 - 41 - 14)   # its dock key
        program.wait_frame(lambda f: region(f, 0, 32, 240, 200) == region(frame, 0, 32, 240, 200), 5, "docked again")
        settled(program)
        # The contact view's actions stay on the screen.
        program.tap(100, 32 + 26 + 20)
        program.wait_frame(lambda f: not near(f(120, 150), SLATE, 4), 5, "the contact view")
        view = settled(program)
        shot(program, "small-contact-view")
        expect(view.lit(0, 250, 240, 320, lambda c: min(c) > 200) is not None, "the last actions on screen")




README_SCREENS = ("480x640", "240x320")


def readme_screenshots(screens=README_SCREENS):
    """The README's pictures, taken from the real program at each screen
    size (not a test): docs/screenshots/<size>/<screen>.png."""
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "screenshots")
    for screen in screens:
        folder = os.path.join(root, screen)
        with Session(screen=screen) as (device, program):
            width, height = program.width, program.height
            # The places above are a 480 x 640 screen's; every measure scales with it.
            at = lambda v: v * width // W
            title, header = at(TITLE), height // 12

            def tap(x, y):
                program.tap(at(x), at(y))

            def take(name):
                settled(program)
                path = os.path.join(folder, name + ".png")
                program.screenshot(path)
                # 480 x 640 at half size, so the two sizes stand side by side as
                # the phones' screens would; a palette of its own: small files.
                resize = ["-resize", "50%"] if width > 240 else []
                subprocess.run(["convert", path] + resize + ["-colors", "96", "-strip", "PNG8:" + path], check=True)

            def first_row_centre(frame):
                rows = headers(frame, top=title, bottom=height - at(64))
                return rows[0] + header + (rows[1] - rows[0] - header) // 2

            take("contacts")
            tap(TABS["favorites"], TAB_Y)
            take("favorites")
            tap(TABS["calls"], TAB_Y)
            take("calls")
            tap(TABS["messages"], TAB_Y)
            take("messages")
            program.tap(at(200), first_row_centre(settled(program)))
            take("message-view")
            tap(*LEFT_BUTTON)
            settled(program)
            tap(TABS["calls"], TAB_Y)
            program.tap(at(200), first_row_centre(settled(program)))
            take("call-view")
            tap(*LEFT_BUTTON)
            settled(program)
            tap(TABS["contacts"], TAB_Y)
            # B: Bellamy, then Brenner, a favourite with a picture.
            rows = headers(settled(program), top=title, bottom=height - at(64))
            row = rows[1] - rows[0] - header
            program.tap(at(200), rows[1] + header + row + row // 2)
            take("contact-view")


# ------------------------------------------------------- churn and strangers

LEDGER_CHURN = os.path.join(BUILD, "out", "ledger_churn.exe")
# The order the lists are walked in: never the current tab twice, which
# would switch the calls list's filter.
WALK = ("favorites", "calls", "messages", "contacts")


def drag(program, x, y0, y1, steps=10):
    """A finger drawn from y0 to y1 and held still before it lifts, so the
    list follows it and does not fling on."""
    ox, oy = program.origin()
    if pointer() != (ox + x, oy + y0):
        xdotool("mousemove", "--sync", ox + x, oy + y0)
    xdotool("mousedown", 1)
    for i in range(1, steps + 1):
        xdotool("mousemove", ox + x, oy + y0 + (y1 - y0) * i // steps)
        time.sleep(0.02)
    # The list measures the finger's speed from its last moves: still ones
    # at the end leave it nothing to fling with.
    for dy in (1, 0, 1, 0):
        time.sleep(0.08)
        xdotool("mousemove", ox + x, oy + y1 + dy)
    time.sleep(0.15)
    xdotool("mouseup", 1)
    program._last_tap = time.monotonic()


DRAG = (H - 80, TITLE + 40)


def scanlines(frame):
    """The list's pixel rows, one bytes object each."""
    s, k = frame.stride, frame.step
    return [frame.data[y * s:y * s + (W - 16) * k] for y in range(TITLE, H - 64)]


def stitch(image, page, nominal=DRAG[0] - DRAG[1]):
    """The page added below what the list showed before it: the scroll that
    lies between them is found where the two overlap, nearest the drag."""
    last = image[-len(page):]
    n = len(page)
    fits = [d for d in range(1, n) if page[:n - d] == last[d:]]
    if not fits:
        return image + page
    d = min(fits, key=lambda x: abs(x - nominal))
    return image + page[n - d:]


def list_pages(program, name, keep=None, limit=2000):
    """One list from its top to its end as one tall image, drawn a screenful
    at a time; each screen kept as a screenshot named after `keep` when
    VEL_E2E_SHOTS is set."""
    tab(program, name)
    page = scanlines(settled(program))
    image, screens = list(page), 1
    while True:
        if keep:
            shot(program, "%s-%s-%02d" % (keep, name, screens))
        if screens >= limit:
            break
        drag(program, 200, *DRAG)
        next_page = scanlines(settled(program))
        if next_page == page:
            break
        image = stitch(image, next_page)
        page = next_page
        screens += 1
    return image, screens


def every_list(program, keep=None):
    """What the screen shows of every list, its rows in their order, and the
    counts in the tab captions, the contacts tab current again at the end."""
    shown = {}
    for name in WALK:
        shown[name] = list_pages(program, name, keep)
    shown["captions"] = region(settled(program), 0, CAPTION[0], W, CAPTION[1])
    return shown


def compare_lists(live, fresh):
    """The lists that differ from a fresh start's, with where."""
    differ = []
    for name in WALK:
        (a, screens), (b, fresh_screens) = live[name], fresh[name]
        if a != b:
            at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            differ.append("%s (%d px down, of %d px in %d screens; fresh %d px in %d)" % (
                name, at, len(a), screens, len(b), fresh_screens))
    if live["captions"] != fresh["captions"]:
        differ.append("the tab captions' counts")
    return differ


def run_writers(device, program, changes, seed):
    """Two writer processes at once while the user switches tabs; the
    changes they made."""
    writers = [subprocess.Popen([WINE, LEDGER_CHURN, "writer", str(w), str(changes), str(seed + w)], env=device.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
               for w in (1, 2)]
    n = 0
    current = "contacts"
    while any(w.poll() is None for w in writers):
        current = ("calls", "messages", "favorites", "contacts")[n % 4]
        tab(program, current)
        n += 1
        time.sleep(0.25)
        expect(program.running(), "runs under churn")
    made = 0
    for w in writers:
        out = w.communicate()[0].decode("utf-8", "replace").split()
        expect(w.returncode == 0 and out, "a writer failed (%s)" % w.returncode)
        made += int(out[-1])
    if current != "contacts":
        tab(program, "contacts")
    return made


def case_churn_lists():
    changes = int(os.environ.get("VEL_E2E_CHURN_CHANGES", "100"))
    with Session(seed=False) as (device, program):
        settled(program)
        started = time.monotonic()
        made = run_writers(device, program, changes, int(os.environ.get("VEL_E2E_CHURN_SEED", "7")))
        churned = time.monotonic() - started
        # The last notifications land.
        time.sleep(1.5)
        live = every_list(program, "churn-live")
        code, seconds = program.close()
        expect(code == 0, "closed after churn: %s" % code)
        program.stop()

        fresh_program = Program(device).start()
        try:
            fresh = every_list(fresh_program, "churn-fresh")
            fresh_program.close()
        finally:
            fresh_program.stop()
        print("churn_lists: 2 writers x %d changes (%d made) in %.1f s; screens: %s" % (
            changes, made, churned, ", ".join("%s %d/%d" % (n, live[n][1], fresh[n][1]) for n in WALK)))
        differ = compare_lists(live, fresh)
        print("churn_lists: %s" % ("every list as a fresh start shows it" if not differ else
                                    "differs from a fresh start: " + "; ".join(differ)))
        expect(not differ, "after the churn, unlike a fresh start: %s" % "; ".join(differ))


def first_screens(program):
    """The top screenful of every list and the tab captions."""
    shown = {}
    for name in WALK:
        tab(program, name)
        shown[name] = list_region(settled(program))
    shown["captions"] = region(settled(program), 0, CAPTION[0], W, CAPTION[1])
    return shown


def case_strangers():
    with Session() as (device, program):
        settled(program)
        before = first_screens(program)
        contacts = sorted(device.contacts(), key=int)
        expect(len(contacts) >= 5, "the demo's contacts")
        # Every oid the store has, so that a deletion believed would show on
        # the first screen of the contacts and of the favourites.
        out = wine([LEDGER_CHURN, "stranger"] + contacts, env=device.env)
        expect(int(out.split()[-1]) >= 8 * len(contacts), "the stranger's messages posted: %s" % out.strip())
        time.sleep(1.0)
        after = first_screens(program)
        shot(program, "strangers-after")
        differ = [name for name in before if before[name] != after[name]]
        expect(not differ, "a stranger's messages changed: %s" % ", ".join(differ))
        # The contacts session itself is still heard.
        tab(program, "favorites")
        settled(program)
        tab(program, "contacts")
        records = device.contacts()
        first = min(contacts, key=lambda oid: records[oid].get("fileAs", ""))
        device.kldevice("contact", "delete", first)
        program.wait_frame(lambda f: list_region(f) != after["contacts"], 2.0, "a real deletion to reach the list")


def case_slow_store():
    device = Device()
    delay_ms = 8000
    device.env["VEL_DEVICE_FAULTS"] = "messages.delay=%d" % delay_ms
    program = Program(device)
    try:
        program.start()
        shown = time.monotonic() - program.started
        frame = settled(program)
        expect(shown < delay_ms / 1000.0, "the first frame waited for the store (%.1f s)" % shown)
        # A tap is answered while the message store still opens.
        tab(program, "favorites")
        tapped = time.monotonic()
        program.wait_frame(lambda f: list_region(f) != list_region(frame), 2.0, "the tap answered")
        answered = time.monotonic()
        expect(answered - program.started < delay_ms / 1000.0,
               "answered only after the store opened (%.1f s after the start)" % (answered - program.started))
        expect(answered - tapped < 1.5, "the tap took %.1f s" % (answered - tapped))
        # The messages come once the store is open.
        tab(program, "messages")
        program.wait_frame(lambda f: len(headers(f)) >= 2, delay_ms / 1000.0 + 10, "the messages listed")
        code, seconds = program.close()
        expect(code == 0, "exit code %s" % code)
    finally:
        program.stop()
        device.close()


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    if sys.argv[1:2] == ["readme_screenshots"]:
        readme_screenshots(sys.argv[2:] or README_SCREENS)
        sys.exit(0)
    sys.exit(run_cases(CASES, sys.argv))
