#include "FakeTick.h"
#include "Taps.h"
#include "ButtonTextTestKit.h"
#include "VelKeypad.h"
#include "VelKeypadButton.h"
#include "VelKeypadLayout.h"
#include "VelScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kit;

namespace {

// Read while the test program's own statics are built, before main: the
// layouts must not depend on the order in which translation units start.
const std::wstring s_layoutNameBeforeMain = VelKeypadLayout::GetBuiltIn(0)->name;

const COLORREF kKeypadColour = RGB(200, 0, 200);

// Draws keys through the probe's button colours and notes what each key part
// was asked to draw.
class KeypadTheme : public ProbeTheme {
public:
    struct KeyCall {
        std::string part;
        const VelVisualObject* key;
        std::wstring label;
        std::wstring subLabel;
    };

    VelColor& GetKeypadColor(VelColor& c) override { return c = VelColor::FromColorRef(kKeypadColour); }
    void DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        keyCalls.push_back(KeyCall{"background", control, L"", L""});
        ProbeTheme::DrawKeyBackground(canvas, rect, state, control);
    }
    void DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        keyCalls.push_back(KeyCall{"face", control, L"", L""});
        ProbeTheme::DrawKeyFace(canvas, rect, state, control);
    }
    void DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label, const std::wstring& subLabel,
                        const VelVisualObject* control) override
    {
        keyCalls.push_back(KeyCall{"caption", control, label, subLabel});
        ProbeTheme::DrawKeyCaption(canvas, rect, label, subLabel, control);
    }
    void DrawKeyOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        keyCalls.push_back(KeyCall{"overlay", control, L"", L""});
        ProbeTheme::DrawKeyOverlay(canvas, rect, state, control);
    }

    std::vector<KeyCall> keyCalls;
};

// Everything the keypad reports, in order, as short lines: "pressed 1",
// "long 3", "new 2", "replace A", "docked 1".
class KeypadLog {
public:
    void Watch(VelKeypad& keypad)
    {
        keypad.KeyPressed += VelBind(this, &KeypadLog::OnPressed);
        keypad.KeyLongPressed += VelBind(this, &KeypadLog::OnLong);
        keypad.SecondaryCharTyped += VelBind(this, &KeypadLog::OnNewChar);
        keypad.CharTyped += VelBind(this, &KeypadLog::OnReplaceChar);
        keypad.DockChanged += VelBind(this, &KeypadLog::OnDock);
    }
    std::vector<std::wstring> Take()
    {
        std::vector<std::wstring> taken;
        taken.swap(lines);
        return taken;
    }
    // Only the typed characters.
    std::vector<std::wstring> Typed() const
    {
        std::vector<std::wstring> typed;
        for (const std::wstring& line : lines)
            if (line.compare(0, 4, L"new ") == 0 || line.compare(0, 8, L"replace ") == 0)
                typed.push_back(line);
        return typed;
    }

    std::vector<std::wstring> lines;
    VelKeypad* deleteOnPress = nullptr;

private:
    void OnPressed(VelKeypad*, const VelKeypadButtonEventArgs* args)
    {
        lines.push_back(L"pressed " + std::to_wstring(args->key->GetButtonId()));
        if (deleteOnPress) {
            VelKeypad* doomed = deleteOnPress;
            deleteOnPress = nullptr;
            delete doomed;
        }
    }
    void OnLong(VelKeypad*, const VelKeypadButtonEventArgs* args)
    {
        lines.push_back(L"long " + std::to_wstring(args->key->GetButtonId()));
    }
    void OnNewChar(VelObject*, const VelCharEventArgs* args) { NoteChar(L"new ", args); }
    void OnReplaceChar(VelObject*, const VelCharEventArgs* args) { NoteChar(L"replace ", args); }
    void NoteChar(const wchar_t* kind, const VelCharEventArgs* args)
    {
        EXPECT_EQ(args->repeatCount, 1);
        lines.push_back(kind + std::wstring(1, args->character));
    }
    void OnDock(VelKeypad*, const VelKeypadDockChangeEventArgs* args)
    {
        lines.push_back(args->docked ? L"docked 1" : L"docked 0");
    }
};

// What a key shows of itself: 'h' hidden, 'v' wholly shown, 'c' cut by a
// paint clip; one letter per position.
std::string Showing(const VelKeypad& keypad)
{
    std::string shown;
    for (int p = 0; p < VelKeypad::kKeyCount; ++p) {
        const VelKeypadButton* key = keypad.GetKey(p);
        shown += !key->IsVisible() ? 'h' : key->GetPaintClip() ? 'c' : 'v';
    }
    return shown;
}

// A 240 x 320 window with a 240 x 120 keypad along its bottom (cells of
// 60 x 40), on the fake clock.
class KeypadTest : public ::testing::Test {
protected:
    static const VelRect kFull;
    static const VelRect kDockCell;  // the dock key's cell, in the window

    KeypadTest() : themeScope(&theme) {}

    void SetUp() override { window.Create(nullptr, kVisible, VelRect(0, 0, 240, 320)); }
    void CreateKeypad()
    {
        keypad.Create(&window, kVisible, kFull);
        log.Watch(keypad);
        Repaint(window);
    }

    void Send(UINT message, const VelPoint& p, WPARAM keys)
    {
        ::SendMessageW(window.GetHandle(), message, keys, MAKELPARAM(p.x, p.y));
    }
    static VelPoint CentreOf(const VelKeypad& pad, int position)
    {
        VelRect r = pad.GetKey(position)->GetBounds();
        r.Offset(pad.GetLeft(), pad.GetTop());
        return VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Presses the key at `at` ms of the clock and lets it go `holdMs` later.
    void Tap(int position, DWORD at, DWORD holdMs = 0, const VelKeypad* pad = nullptr)
    {
        tick.Set(at);
        TapWindow(window.GetHandle(), CentreOf(pad ? *pad : keypad, position), &tick, holdMs, 0);
    }
    void Tick(DWORD at)
    {
        tick.Set(at);
        keypad.GetScheduler()->OnTick(at);
    }

    KeypadTheme theme;
    ThemeScope themeScope;
    HostWindow window;
    VelKeypad keypad;
    KeypadLog log;
    FakeTick tick{10000};
};

const VelRect KeypadTest::kFull(0, 200, 240, 320);
const VelRect KeypadTest::kDockCell(180, 280, 240, 320);

const wchar_t* const kLabels[VelKeypad::kKeyCount] = {L"1", L"2", L"3", L"<--", L"4", L"5",
                                                      L"6", L"0", L"7", L"8",   L"9", L"Dock"};

}  // namespace

TEST(KeypadLayoutTest, BuiltInLayoutsAreReadyBeforeMainAndShareTheirShape)
{
    EXPECT_EQ(s_layoutNameBeforeMain, L"Standard built-in uppercase");

    const wchar_t* const names[] = {L"Standard built-in uppercase", L"Standard built-in lowercase",
                                    L"Standard built-in symbols"};
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        const VelKeypadLayout* layout = VelKeypadLayout::GetBuiltIn(kind);
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(std::wstring(layout->name), names[kind]);
        for (int p = 0; p < VelKeypadLayout::kKeyCount; ++p) {
            SCOPED_TRACE(p);
            const VelKeypadLayout::Key& key = layout->keys[p];
            const std::wstring label = key.label, sub = key.subLabel, chars = key.multiTapChars;
            EXPECT_EQ(key.keyId, p);
            EXPECT_EQ(label, kLabels[p]);
            if (p == 0) {
                EXPECT_EQ(sub, L"-->");
                EXPECT_EQ(chars, L"1 ");
            } else if (p == 3) {
                EXPECT_EQ(sub, L"CE");
                EXPECT_EQ(chars, L"\b");
            } else if (p == 11) {
                EXPECT_EQ(sub, L"");
                EXPECT_EQ(chars, L"");
            } else {
                // A letter key types its digit, then what its sub-label shows.
                EXPECT_EQ(chars.substr(0, 1 + sub.size()), label + sub);
            }
        }
    }
    EXPECT_EQ(VelKeypadLayout::GetBuiltIn(3), nullptr);
    EXPECT_EQ(VelKeypadLayout::GetBuiltIn(VelKeypad::kLayoutCustom), nullptr);

    // The accented letters, one key per layout, capitals among the small
    // letters where the lowercase list has them.
    EXPECT_EQ(std::wstring(VelKeypadLayout::GetBuiltIn(0)->keys[1].multiTapChars),
              L"2ABC\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C7");
    EXPECT_EQ(std::wstring(VelKeypadLayout::GetBuiltIn(1)->keys[6].multiTapChars),
              L"6mno\u00F2\u00F3\u00D4\u00D5\u00F6\u00F1");
    EXPECT_EQ(std::wstring(VelKeypadLayout::GetBuiltIn(2)->keys[10].multiTapChars), L"9\u2248\u2264\u2265\u2260");
}

TEST_F(KeypadTest, KeysFillAFourByThreeGridInsideTheKeypadMargins)
{
    struct Case {
        const char* name;
        VelRect bounds;
        RECT margins;
        bool marginsAfterCreate;
        int position;
        VelRect expected;
    };
    const Case cases[] = {
        {"first key", VelRect(0, 200, 240, 320), {0, 0, 0, 0}, false, 0, VelRect(0, 0, 60, 40)},
        {"middle key", VelRect(0, 200, 240, 320), {0, 0, 0, 0}, false, 6, VelRect(120, 40, 180, 80)},
        {"dock key", VelRect(0, 200, 240, 320), {0, 0, 0, 0}, false, 11, VelRect(180, 80, 240, 120)},
        {"margins", VelRect(0, 195, 250, 320), {5, 3, 5, 2}, false, 11, VelRect(185, 83, 245, 123)},
        {"margins set later", VelRect(0, 195, 250, 320), {5, 3, 5, 2}, true, 0, VelRect(5, 3, 65, 43)},
        {"remainders dropped", VelRect(0, 198, 243, 320), {0, 0, 0, 0}, false, 11, VelRect(180, 80, 240, 120)},
        {"margins wider than the keypad",
         VelRect(0, 200, 240, 320),
         {130, 0, 130, 0},
         false,
         5,
         VelRect(130, 40, 130, 80)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VelKeypad pad;
        if (!c.marginsAfterCreate)
            pad.SetMargins(c.margins);
        pad.Create(&window, kVisible, c.bounds);
        if (c.marginsAfterCreate)
            pad.SetMargins(c.margins);
        EXPECT_EQ(pad.GetKey(c.position)->GetBounds(), c.expected) << pad.GetKey(c.position)->GetBounds().ToString();
        EXPECT_EQ(pad.GetFullRect(), c.bounds);
        EXPECT_EQ(Showing(pad), "vvvvvvvvvvvv");
    }

    // A resized keypad lays its keys out again.
    CreateKeypad();
    keypad.SetBounds(VelRect(0, 170, 240, 320));
    EXPECT_EQ(keypad.GetKey(11)->GetBounds(), VelRect(180, 100, 240, 150));
    EXPECT_EQ(keypad.GetFullRect(), VelRect(0, 170, 240, 320));
}

TEST_F(KeypadTest, KeysTakeTheLayoutAndPaintThroughTheKeyParts)
{
    keypad.SetKeyMargins(RECT{4, 4, 4, 4});
    CreateKeypad();
    for (int p = 0; p < VelKeypad::kKeyCount; ++p) {
        EXPECT_EQ(keypad.GetKey(p)->GetText(), kLabels[p]);
        EXPECT_EQ(keypad.GetKey(p)->GetButtonId(), p);
    }
    EXPECT_EQ(keypad.GetKey(1)->GetSubLabel(), L"ABC");
    EXPECT_EQ(keypad.GetKey(1)->GetClassName(), std::wstring(L"VelKeypadButton"));
    EXPECT_EQ(keypad.GetClassName(), std::wstring(L"VelKeypad"));

    // The keypad's own background under keys that leave theirs out (they are
    // made transparent); the faces of the probe theme over it.
    EXPECT_EQ(PixelOf(window, 1, 201), kKeypadColour);
    EXPECT_EQ(PixelOf(window, 30, 220), kFaceColour);

    auto partsOf = [this](const VelKeypadButton* key) {
        std::vector<std::string> parts;
        for (const KeypadTheme::KeyCall& c : theme.keyCalls)
            if (c.key == key)
                parts.push_back(c.part);
        return parts;
    };
    auto captionOf = [this](const VelKeypadButton* key) {
        for (auto c = theme.keyCalls.rbegin(); c != theme.keyCalls.rend(); ++c)
            if (c->key == key && c->part == "caption")
                return c->label + L"/" + c->subLabel;
        return std::wstring(L"none");
    };
    const VelKeypadButton* two = keypad.GetKey(1);
    EXPECT_EQ(partsOf(two), (std::vector<std::string>{"face", "caption", "overlay"}));
    EXPECT_EQ(captionOf(two), L"2/ABC");
    EXPECT_EQ(theme.Last("button content"), nullptr) << "a key's caption is the theme's key caption";

    theme.keyCalls.clear();
    keypad.SetKeysTransparent(false);
    keypad.SetLayout(VelKeypad::kLayoutLowercase);
    Repaint(window);
    EXPECT_EQ(partsOf(two), (std::vector<std::string>{"background", "face", "caption", "overlay"}));
    EXPECT_EQ(captionOf(two), L"2/abc");
    EXPECT_EQ(PixelOf(window, 1, 201), kBackgroundColour) << "an opaque key fills its cell";
}

TEST_F(KeypadTest, QuickTapsOnOneKeyCycleItsCharacters)
{
    struct TapAt {
        int position;
        DWORD at;
    };
    struct Case {
        const char* name;
        int layout;
        std::vector<TapAt> taps;
        std::vector<std::wstring> typed;
    };
    const Case cases[] = {
        {"three quick taps, then a pause",
         VelKeypad::kLayoutUppercase,
         {{1, 0}, {1, 1000}, {1, 2000}, {1, 4000}},
         {L"new 2", L"replace A", L"replace B", L"new 2"}},
        {"the window ends after 1500 ms",
         VelKeypad::kLayoutUppercase,
         {{1, 0}, {1, 1500}, {1, 3001}},
         {L"new 2", L"replace A", L"new 2"}},
        {"another key starts a new character",
         VelKeypad::kLayoutUppercase,
         {{1, 0}, {2, 100}, {1, 200}},
         {L"new 2", L"new 3", L"new 2"}},
        {"backspace never cycles",
         VelKeypad::kLayoutUppercase,
         {{1, 0}, {3, 100}, {3, 200}},
         {L"new 2", L"new \b", L"new \b"}},
        {"the cycle wraps",
         VelKeypad::kLayoutUppercase,
         {{5, 0}, {5, 100}, {5, 200}, {5, 300}, {5, 400}},
         {L"new 5", L"replace J", L"replace K", L"replace L", L"replace 5"}},
        {"lowercase", VelKeypad::kLayoutLowercase, {{1, 0}, {1, 100}}, {L"new 2", L"replace a"}},
        {"symbols",
         VelKeypad::kLayoutSymbols,
         {{9, 0}, {9, 100}, {9, 200}},
         {L"new 8", L"replace \u00B1", L"replace \u2211"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VelKeypad pad;
        pad.SetLayout(c.layout);
        KeypadLog padLog;
        pad.Create(&window, kVisible, kFull);
        padLog.Watch(pad);
        for (const TapAt& t : c.taps)
            Tap(t.position, 50000 + t.at, 0, &pad);
        EXPECT_EQ(padLog.Typed(), c.typed);
    }
}

TEST_F(KeypadTest, EveryTapIsReportedBeforeItsCharacterAndHoldingBackspaceIsALongPress)
{
    struct Case {
        const char* name;
        int position;
        DWORD holdMs;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {"backspace held 1001 ms", 3, 1001, {L"long 3", L"pressed 3", L"new \b"}},
        {"backspace held 1000 ms", 3, 1000, {L"pressed 3", L"new \b"}},
        {"another key held long", 1, 2000, {L"pressed 1", L"new 2"}},
        {"a quick tap", 7, 0, {L"pressed 7", L"new 0"}},
    };
    CreateKeypad();
    DWORD at = 100000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        at += 10000;
        Tap(c.position, at, c.holdMs);
        EXPECT_EQ(log.Take(), c.expected);
    }

    // Let go beside the key after a long hold: no click, so nothing at all.
    const VelPoint p = CentreOf(keypad, 3);
    tick.Set(at + 10000);
    Send(WM_LBUTTONDOWN, p, MK_LBUTTON);
    tick.Advance(1500);
    Send(WM_LBUTTONUP, VelPoint(p.x, 100), 0);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(KeypadTest, DockingAtOnceShowsTheDockKeyAloneInTheDockedRectangle)
{
    keypad.SetKeyMargins(RECT{4, 4, 4, 4});
    CreateKeypad();
    const VelRect docked(150, 260, 230, 310);
    keypad.SetDockedRect(docked);

    keypad.SetDocked(true, VelKeypad::DockChange::IfChanged, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 1"});
    EXPECT_TRUE(keypad.IsDocked());
    EXPECT_EQ(keypad.GetBounds(), docked);
    VelKeypadButton* dock = keypad.GetKey(11);
    EXPECT_EQ(dock->GetBounds(), VelRect(0, 0, 80, 50));
    EXPECT_EQ(dock->GetText(), L"Undock");
    EXPECT_EQ(VelRect(dock->GetMargins()), VelRect(0, 0, 0, 0));
    EXPECT_EQ(Showing(keypad), "hhhhhhhhhhhv");
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 30, 220), kHostColour) << "the rest of the keypad is gone";
    EXPECT_EQ(PixelOf(window, 190, 285), kFaceColour);
    EXPECT_EQ(PixelOf(window, 151, 285), kFaceColour) << "the dock key fills it edge to edge";

    // Unchanged state: nothing happens unless forced.
    keypad.SetDocked(true, VelKeypad::DockChange::IfChanged, VelKeypad::DockMotion::Immediate);
    EXPECT_TRUE(log.Take().empty());
    keypad.SetDocked(true, VelKeypad::DockChange::Always, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 1"});

    // A new docked rectangle moves the docked keypad at once.
    keypad.SetDockedRect(VelRect(160, 270, 220, 310));
    EXPECT_EQ(keypad.GetBounds(), VelRect(160, 270, 220, 310));
    EXPECT_EQ(dock->GetBounds(), VelRect(0, 0, 60, 40));

    keypad.SetDocked(false, VelKeypad::DockChange::IfChanged, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 0"});
    EXPECT_EQ(keypad.GetBounds(), kFull);
    EXPECT_EQ(dock->GetBounds(), VelRect(180, 80, 240, 120));
    EXPECT_EQ(dock->GetText(), L"Dock");
    EXPECT_EQ(VelRect(dock->GetMargins()), VelRect(4, 4, 4, 4));
    EXPECT_EQ(Showing(keypad), "vvvvvvvvvvvv");
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 30, 220), kFaceColour);
}

TEST_F(KeypadTest, DockAndUndockAnimateBetweenTheFullAndTheDockedRectangle)
{
    keypad.SetKeyMargins(RECT{4, 4, 4, 4});
    CreateKeypad();
    keypad.SetDockedRect(kDockCell);
    keypad.SetTransparentWhileAnimating(true);

    // Half-way between the full keypad and the dock cell the rectangle is
    // (90, 240, 240, 320): rows 1 and 2 from x = 90, cutting the second column.
    const std::string halfWay = "hhhhhcvvhcvv";
    struct Frame {
        DWORD at;
        std::string shown;
    };

    const DWORD t0 = 20000;
    tick.Set(t0);
    keypad.SetDockedAnimated(true);
    EXPECT_TRUE(keypad.IsDocked());
    EXPECT_TRUE(keypad.GetScheduler()->IsRunning());
    EXPECT_EQ(Showing(keypad), "vvvvvvvvvvvv");
    EXPECT_TRUE(keypad.IsTransparent());
    const Frame docking[] = {{t0 + 75, halfWay}, {t0 + 150, "hhhhhhhhhhhv"}, {t0 + 175, "hhhhhhhhhhhv"}};
    for (const Frame& f : docking) {
        Tick(f.at);
        EXPECT_EQ(Showing(keypad), f.shown) << f.at - t0;
        EXPECT_TRUE(log.lines.empty()) << "reported only when the animation ends";
        EXPECT_EQ(keypad.GetBounds(), kFull);
        if (f.at == t0 + 75) {
            const RECT* clip = keypad.GetKey(5)->GetPaintClip();
            ASSERT_NE(clip, nullptr);
            EXPECT_EQ(VelRect(*clip), VelRect(30, 0, 60, 40));
            Repaint(window);
            EXPECT_EQ(PixelOf(window, 1, 241), kHostColour) << "transparent while it moves";
            EXPECT_EQ(PixelOf(window, 75, 260), kHostColour) << "outside the clip of the cut key";
            EXPECT_EQ(PixelOf(window, 105, 260), kFaceColour) << "inside the clip of the cut key";
        }
    }
    Tick(t0 + 200);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 1"});
    EXPECT_EQ(keypad.GetBounds(), kDockCell);
    EXPECT_FALSE(keypad.IsTransparent());
    Tick(t0 + 225);
    EXPECT_FALSE(keypad.GetScheduler()->IsRunning());

    // Undocking grows out of the dock key: the other keys stay hidden until
    // the frames uncover them.
    const DWORD t1 = 30000;
    tick.Set(t1);
    keypad.SetDockedAnimated(false);
    EXPECT_EQ(keypad.GetBounds(), kFull);
    EXPECT_EQ(Showing(keypad), "hhhhhhhhhhhv");
    EXPECT_EQ(keypad.GetKey(11)->GetText(), L"Dock");
    const Frame undocking[] = {{t1 + 75, halfWay}, {t1 + 150, "vvvvvvvvvvvv"}, {t1 + 175, "vvvvvvvvvvvv"}};
    for (const Frame& f : undocking) {
        Tick(f.at);
        EXPECT_EQ(Showing(keypad), f.shown) << f.at - t1;
        EXPECT_TRUE(log.lines.empty());
    }
    Tick(t1 + 200);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 0"});
    EXPECT_FALSE(keypad.IsTransparent());
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 1, 201), kKeypadColour);
}

TEST_F(KeypadTest, AChangeDuringTheAnimationTakesOverFromWhatIsShown)
{
    CreateKeypad();
    keypad.SetDockedRect(kDockCell);
    keypad.SetTransparentWhileAnimating(true);

    const DWORD t0 = 20000;
    tick.Set(t0);
    keypad.SetDockedAnimated(true);
    Tick(t0 + 75);
    ASSERT_EQ(Showing(keypad), "hhhhhcvvhcvv");

    // The dock key, still in view, undocks again: from the half-way rectangle.
    Tap(11, t0 + 75);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"pressed 11"});
    EXPECT_FALSE(keypad.IsDocked());
    EXPECT_EQ(Showing(keypad), "hhhhhcvvhcvv");
    // Half-way again, from (90, 240) to (0, 200): (45, 220, 240, 320).
    Tick(t0 + 150);
    EXPECT_EQ(Showing(keypad), "cccccvvvcvvv");
    for (DWORD t = t0 + 175; t <= t0 + 400; t += 25)
        Tick(t);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 0"}) << "the overtaken animation reports nothing";
    EXPECT_EQ(Showing(keypad), "vvvvvvvvvvvv");
    EXPECT_EQ(keypad.GetBounds(), kFull);
    EXPECT_FALSE(keypad.IsTransparent()) << "the transparency from before the first change comes back";
    EXPECT_EQ(keypad.GetScheduler()->GetTransitionCount(), 0u);
    EXPECT_FALSE(keypad.GetScheduler()->IsRunning());

    // A change at once in the middle of an animation ends it where it was going.
    tick.Set(40000);
    keypad.SetDockedAnimated(true);
    Tick(40075);
    keypad.SetDocked(true, VelKeypad::DockChange::Always, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(log.Take(), std::vector<std::wstring>{L"docked 1"});
    EXPECT_EQ(keypad.GetBounds(), kDockCell);
    EXPECT_FALSE(keypad.IsTransparent());
    for (DWORD t = 40100; t <= 40300; t += 25)
        Tick(t);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(Showing(keypad), "hhhhhhhhhhhv");
}

TEST_F(KeypadTest, AKeypadDockedBeforeItExistsComesUpDocked)
{
    keypad.SetDockedAnimated(true);
    EXPECT_TRUE(keypad.IsDocked());
    CreateKeypad();
    // Without a docked rectangle, where the dock key is.
    EXPECT_EQ(keypad.GetBounds(), kDockCell);
    EXPECT_EQ(Showing(keypad), "hhhhhhhhhhhv");
    EXPECT_EQ(keypad.GetKey(11)->GetText(), L"Undock");
    EXPECT_EQ(keypad.GetFullRect(), kFull);

    keypad.SetDockedRect(VelRect(150, 260, 230, 310));
    EXPECT_EQ(keypad.GetBounds(), VelRect(150, 260, 230, 310));

    // Another layout keeps the dock key telling what it does.
    keypad.SetLayout(VelKeypad::kLayoutSymbols);
    EXPECT_EQ(keypad.GetKey(11)->GetText(), L"Undock");
    EXPECT_EQ(keypad.GetKey(1)->GetSubLabel(), L"()[]");

    // A key margin change leaves the docked key filling the keypad.
    keypad.SetKeyMargins(RECT{3, 3, 3, 3});
    EXPECT_EQ(VelRect(keypad.GetKey(11)->GetMargins()), VelRect(0, 0, 0, 0));
    EXPECT_EQ(VelRect(keypad.GetKeyMargins()), VelRect(3, 3, 3, 3));

    // Undocked, the full keypad is where it was created.
    tick.Set(60000);
    Tap(11, 60000);
    for (DWORD t = 60025; t <= 60200; t += 25)
        Tick(t);
    EXPECT_EQ(log.Take(), (std::vector<std::wstring>{L"pressed 11", L"docked 0"}));
    EXPECT_EQ(keypad.GetBounds(), kFull);
    EXPECT_EQ(VelRect(keypad.GetKey(11)->GetMargins()), VelRect(3, 3, 3, 3));
}

TEST_F(KeypadTest, LayoutKindsAndCustomLayouts)
{
    const VelKeypadLayout custom = {
        L"custom",
        0,
        {{20, L"X", L"", L""},
         {21, L"Q", L"qr", L"QR"},
         {22, nullptr, nullptr, nullptr},
         {3, L"<", L"", L"\b"},
         {24, L"", L"", L"a"},
         {25, L"", L"", L"b"},
         {26, L"", L"", L"c"},
         {27, L"", L"", L"d"},
         {28, L"", L"", L"e"},
         {29, L"", L"", L"f"},
         {30, L"", L"", L"g"},
         {11, L"D", L"", L""}},
    };
    CreateKeypad();
    keypad.SetLayout(VelKeypad::kLayoutLowercase);
    EXPECT_EQ(keypad.GetLayoutKind(), VelKeypad::kLayoutLowercase);
    EXPECT_EQ(keypad.GetKey(1)->GetSubLabel(), L"abc");

    // An unknown kind is only remembered.
    keypad.SetLayout(7);
    EXPECT_EQ(keypad.GetLayoutKind(), 7);
    EXPECT_EQ(keypad.GetKey(1)->GetSubLabel(), L"abc");

    keypad.SetLayout(VelKeypad::kLayoutCustom, &custom);
    EXPECT_EQ(keypad.GetLayoutKind(), VelKeypad::kLayoutCustom);
    EXPECT_EQ(keypad.GetCustomLayout(), &custom);
    EXPECT_EQ(keypad.GetKey(0)->GetButtonId(), 20);
    EXPECT_EQ(keypad.GetKey(1)->GetText(), L"Q");
    EXPECT_EQ(keypad.GetKey(2)->GetText(), L"") << "a missing string reads as empty";
    Repaint(window);

    // A key that types nothing is still reported, and types nothing.
    Tap(0, 70000);
    Tap(0, 70100);
    Tap(1, 70200);
    Tap(1, 70300);
    Tap(1, 70400);
    EXPECT_EQ(log.Take(), (std::vector<std::wstring>{L"pressed 20", L"pressed 20", L"pressed 21", L"new Q",
                                                     L"pressed 21", L"replace R", L"pressed 21", L"replace Q"}));
}

TEST_F(KeypadTest, AHandlerMayDeleteTheKeypad)
{
    VelKeypad* doomed = new VelKeypad;
    doomed->Create(&window, kVisible, kFull);
    KeypadLog doomedLog;
    doomedLog.Watch(*doomed);
    doomedLog.deleteOnPress = doomed;
    TapWindow(window.GetHandle(), VelPoint(90, 220));
    EXPECT_EQ(doomedLog.lines, std::vector<std::wstring>{L"pressed 1"});
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 90, 220), kHostColour);

    // Deleted in the middle of its animation: the window goes on.
    VelKeypad* moving = new VelKeypad;
    moving->Create(&window, kVisible, kFull);
    moving->SetDockedAnimated(true);
    moving->GetScheduler()->OnTick(tick.Now() + 50);
    delete moving;
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 90, 220), kHostColour);
}
